// A command line run by the shell for the prgbox, in a process group of its
// own so that it can be ended with every process it started. No widgets.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>

#include "core/unique_fd.h"

struct ShellCommand {
    pid_t pid;       // the shell, which leads the group
    UniqueFd output; // what the command writes to standard output and error
};

// Runs /bin/sh -c command with standard output and error into one pipe,
// standard input inherited, and signals as a fresh program has them. On
// failure, nothing and errno set. The caller becomes the reaper of the
// command's orphans, so that end_process_group can see them gone.
std::optional<ShellCommand> start_shell_command(const char *command);

// Ends whatever is left of the process group: SIGTERM, then SIGKILL to what
// is left after grace. Returns once no process of the group is left, each
// reaped (the group leader included, unless someone reaped it before), or
// once a further grace after the SIGKILL has passed.
void end_process_group(pid_t group, std::chrono::milliseconds grace);

// How a command ended, from its wait status.
struct CommandEnd {
    bool signalled;
    int number; // the exit status, or the signal's number
};
CommandEnd command_end(int wait_status);

// A signal's name ("SIGTERM"), or its number when it has none.
std::string signal_name(int number);
