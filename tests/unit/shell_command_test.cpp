// The prgbox's command: one pipe for both of its streams, how it ended, and
// nothing of its process group left once it has been ended, whatever it
// does with SIGTERM.
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "dialogs/shell_command.h"

namespace {

using namespace std::chrono_literals;

std::string read_all(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

int wait_status(pid_t pid) {
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    return status;
}

TEST(ShellCommand, BothStreamsComeThroughOnePipeAndTheEndIsTold) {
    struct Case {
        const char *command;
        const char *output; // a part of it
        CommandEnd end;
    } cases[] = {
        {"echo out; echo err >&2; exit 3", "out\nerr\n", {false, 3}},
        {"no_such_command_here", "not found", {false, 127}},
        {"kill -TERM $$", "", {true, SIGTERM}},
    };
    for (const Case &c : cases) {
        std::optional<ShellCommand> command = start_shell_command(c.command);
        ASSERT_TRUE(command) << c.command;
        EXPECT_NE(read_all(command->output.get()).find(c.output), std::string::npos) << c.command;
        CommandEnd end = command_end(wait_status(command->pid));
        EXPECT_EQ(end.signalled, c.end.signalled) << c.command;
        EXPECT_EQ(end.number, c.end.number) << c.command;
    }
}

TEST(ShellCommand, ItsGroupIsItsOwn) {
    std::optional<ShellCommand> command = start_shell_command("ps -o pgid= -p $$");
    ASSERT_TRUE(command);
    EXPECT_EQ(std::stoi(read_all(command->output.get())), command->pid);
    wait_status(command->pid);
}

// Ignored signals would stay ignored in the command.
TEST(ShellCommand, SignalsStartAtTheirDefaults) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction old {};
    sigaction(SIGTERM, &ignore, &old);
    std::optional<ShellCommand> command = start_shell_command("kill -TERM $$; sleep 5");
    sigaction(SIGTERM, &old, nullptr);
    ASSERT_TRUE(command);
    CommandEnd end = command_end(wait_status(command->pid));
    EXPECT_TRUE(end.signalled);
}

bool group_is_gone(pid_t group) {
    return kill(-group, 0) != 0 && errno == ESRCH;
}

TEST(ShellCommand, EndingTheGroupLeavesNothingBehind) {
    struct Case {
        const char *command;
        bool needs_kill;
    } cases[] = {
        // Grandchildren that the shell waits for, and one it leaves behind.
        {"sleep 60 & sleep 61 & echo ready; wait", false},
        {"(trap '' TERM; echo ready; while :; do sleep 1; done) & sleep 62 & wait", true},
        {"trap '' TERM; echo ready; while :; do sleep 1; done", true},
    };
    for (const Case &c : cases) {
        std::optional<ShellCommand> command = start_shell_command(c.command);
        ASSERT_TRUE(command) << c.command;
        char ready[6];
        ASSERT_EQ(read(command->output.get(), ready, sizeof ready), 6) << c.command;
        command->output.reset();
        auto start = std::chrono::steady_clock::now();
        end_process_group(command->pid, 300ms);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(group_is_gone(command->pid)) << c.command;
        EXPECT_EQ(took >= 300ms, c.needs_kill) << c.command;
    }
}

TEST(ShellCommand, SignalsAreNamed) {
    EXPECT_EQ(signal_name(SIGTERM), "SIGTERM");
    EXPECT_EQ(signal_name(SIGKILL), "SIGKILL");
    EXPECT_EQ(signal_name(1000), "1000");
}

} // namespace
