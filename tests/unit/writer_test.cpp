#include <cstdlib>
#include <cstring>
#include <glib.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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
        EXPECT_EQ(written_by(opts, [&](Options *o) { write_name_line(o, c.name); }), c.expected)
            << "name '" << c.name << "'";
    }
}

} // namespace
