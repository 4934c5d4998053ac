#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/results.h"
#include "frame/writer.h"
#include "written_by.h"

namespace {

TEST(NeedsQuoting, FlagsOnlyTheShellSpecialBytes) {
    struct {
        const char *name;
        bool expected;
    } cases[] = {
        {"", false},    {"plain", false},       {"*", false},    {"?", false},
        {"~", false},   {"a[1]{2}#!=%", false}, {"\r", false},   {"\xc3\xa9", false},
        {"a b", true},  {"a\tb", true},         {"a\nb", true},  {"x|y", true},
        {"it's", true}, {"\"", true},           {"$HOME", true}, {"a&b", true},
        {"(x)", true},  {"a;b", true},          {"<in", true},   {"out>", true},
        {"a\\b", true}, {"`cmd`", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(needs_quoting(c.name), c.expected) << "name '" << c.name << "'";
}

// What a shell gets back from answer through eval "set -- $answer". The
// words come back NUL-terminated, in hexadecimal so that empty ones count.
std::vector<std::string> shell_words(const std::string &answer) {
    const char *argv[] = {
        "/bin/sh", "-c",           "eval \"set -- $1\"; printf '%s\\0' \"$@\" | od -An -v -tx1",
        "sh",      answer.c_str(), nullptr};
    char *out = nullptr;
    if (!g_spawn_sync(nullptr, const_cast<char **>(argv), nullptr, G_SPAWN_DEFAULT, nullptr,
                      nullptr, &out, nullptr, nullptr, nullptr))
        return {"spawn failed"};
    std::vector<std::string> words(1);
    char *p = out;
    for (char *end = nullptr;; p = end) {
        long byte = strtol(p, &end, 16);
        if (end == p)
            break;
        if (byte == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(byte);
    }
    g_free(out);
    words.pop_back();
    return words;
}

TEST(QuotedName, AShellReadsBackTheNameItself) {
    const char *names[] = {
        "plain",       "a b",  "a\"b",
        "x\\",         "it's", "''",
        "$HOME",       "`id`", "$(touch /x)",
        "a\\\"b'c$d`", "\\",   "tab\there",
        "new\nline",   "\\$",  "\"; rm -rf /; \"",
        "'; id; '",    "",     "\xc3\xa9 caf\xc3\xa9",
    };
    for (const char *name : names) {
        for (char quote : {'"', '\''}) {
            std::string answer = quoted_name(name, quote) + " " + quoted_name("next", quote);
            EXPECT_EQ(shell_words(answer), (std::vector<std::string>{name, "next"}))
                << "quote " << quote << " answer " << answer;
        }
    }
}

TEST(QuotedName, NamesWithoutEscapedCharactersAreOnlyEnclosed) {
    EXPECT_EQ(quoted_name("a b;c", '"'), "\"a b;c\"");
    EXPECT_EQ(quoted_name("a \"$b", '\''), "'a \"$b'");
}

TEST(NameLine, QuotesOnlyUnderQuotedAndWhenNeeded) {
    struct {
        bool quoted, single_quoted;
        const char *name, *expected;
    } cases[] = {
        {false, false, "a b", "a b\n"},
        {true, false, "a b", "\"a b\"\n"},
        {true, true, "a b", "'a b'\n"},
        {true, false, "plain", "plain\n"},
        {true, false, "say \"hi\"", "\"say \\\"hi\\\"\"\n"},
        {true, true, "it's", "'it'\\''s'\n"},
        {true, false, "", "\n"},
    };
    for (const auto &c : cases) {
        Options opts = default_options();
        opts.quoted = c.quoted;
        opts.single_quoted = c.single_quoted;
        EXPECT_EQ(name_line(&opts, c.name), c.expected) << "name '" << c.name << "'";
    }
}

// A pipe left non-blocking by the caller takes a long answer in short
// writes, and refuses more while it is full: every byte still arrives, in
// order.
TEST(WriteAll, WritesEverythingThroughShortWritesOnAFullNonBlockingPipe) {
    std::string text;
    for (int i = 0; text.size() < 4 * 1024 * 1024; ++i)
        text += "line " + std::to_string(i) + "\n";
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(fcntl(ends[1], F_SETFL, O_NONBLOCK), 0);
    std::string got;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n;
        while ((n = read(ends[0], buffer, sizeof buffer)) > 0)
            got.append(buffer, static_cast<size_t>(n));
    });
    int error = write_all(ends[1], text);
    close(ends[1]);
    reader.join();
    close(ends[0]);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(got == text) << got.size() << " of " << text.size() << " bytes";
}

TEST(WriteAll, ReportsWhyADescriptorCannotBeWritten) {
    // The program ignores SIGPIPE, so that a reader that has gone is an
    // error and not the end of the process; so does this test.
    auto old_sigpipe = signal(SIGPIPE, SIG_IGN);
    int reader_gone[2];
    ASSERT_EQ(pipe(reader_gone), 0);
    close(reader_gone[0]);
    int full = open("/dev/full", O_WRONLY);
    int read_only = open("/dev/null", O_RDONLY);
    struct {
        const char *what;
        int fd;
        int error;
    } cases[] = {
        {"reader gone", reader_gone[1], EPIPE},
        {"full device", full, ENOSPC},
        {"closed", -1, EBADF},
        {"read-only", read_only, EBADF},
    };
    for (const auto &c : cases)
        EXPECT_EQ(write_all(c.fd, "answer\n"), c.error) << c.what;
    // Nothing to write cannot fail.
    EXPECT_EQ(write_all(-1, ""), 0);
    close(reader_gone[1]);
    close(full);
    close(read_only);
    signal(SIGPIPE, old_sigpipe);
}

TEST(AnswerWriteFailed, IsAnErrorThatSaysWhyUnlessStandardErrorFailed) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(answer_write_failed(3, ENOSPC), RESULT_ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("wrenpane: cannot write the answer: ") + strerror(ENOSPC) + "\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(answer_write_failed(STDERR_FILENO, EPIPE), RESULT_ERROR);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
