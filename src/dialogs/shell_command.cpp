#include "dialogs/shell_command.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

// The signals a shell command must see as any program started afresh does,
// whatever this program or its toolkit did with them.
void reset_signals(posix_spawnattr_t *attributes) {
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(attributes, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(attributes, &none);
    posix_spawnattr_setpgroup(attributes, 0);
    posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                             POSIX_SPAWN_SETSIGMASK);
}

// Whether any process of the group is left, once those that ended are
// reaped.
bool group_left(pid_t group) {
    while (waitpid(-group, nullptr, WNOHANG) > 0) {
    }
    return kill(-group, 0) == 0 || errno == EPERM;
}

// Waits up to limit for the group to be gone.
bool wait_for_group(pid_t group, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (group_left(group)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

std::optional<ShellCommand> start_shell_command(const char *command) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return std::nullopt;
    UniqueFd read_end(ends[0]);
    UniqueFd write_end(ends[1]);
    // Processes the shell leaves behind come to this process when the shell
    // ends, rather than to init, so that they can be waited for.
    prctl(PR_SET_CHILD_SUBREAPER, 1);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    reset_signals(&attributes);
    char shell[] = "/bin/sh";
    char option[] = "-c";
    char *argv[] = {shell, option, const_cast<char *>(command), nullptr};
    pid_t pid = -1;
    int error = posix_spawn(&pid, shell, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        errno = error;
        return std::nullopt;
    }
    return ShellCommand{pid, std::move(read_end)};
}

void end_process_group(pid_t group, std::chrono::milliseconds grace) {
    if (!group_left(group))
        return;
    kill(-group, SIGTERM);
    // A stopped process acts on SIGTERM only once it runs again.
    kill(-group, SIGCONT);
    if (wait_for_group(group, grace))
        return;
    kill(-group, SIGKILL);
    wait_for_group(group, grace);
}

CommandEnd command_end(int wait_status) {
    if (WIFSIGNALED(wait_status))
        return {true, WTERMSIG(wait_status)};
    return {false, WEXITSTATUS(wait_status)};
}

std::string signal_name(int number) {
    if (const char *name = sigabbrev_np(number))
        return std::string("SIG") + name;
    return std::to_string(number);
}
