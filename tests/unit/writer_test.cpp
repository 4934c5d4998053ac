#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "frame/writer.h"

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

Options default_options() {
    Options opts{};
    reset_options(&opts);
    return opts;
}

// Runs write(opts) with opts.output_fd on a pipe and returns the bytes.
template <typename Write> std::string written_by(Options opts, Write write) {
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    opts.output_fd = fds[1];
    write(&opts);
    close(fds[1]);
    std::string out;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    close(fds[0]);
    return out;
}

struct Item {
    const char *name;
    bool checked;
    std::vector<Item> children = {};
};

// A six-column item model holding the items, nested as given.
GtkTreeModel *item_model(const std::vector<Item> &items) {
    GtkTreeStore *store = gtk_tree_store_new(6, G_TYPE_STRING, G_TYPE_BOOLEAN, G_TYPE_INT,
                                             G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING);
    struct Adder {
        GtkTreeStore *store;
        void add(const std::vector<Item> &items, GtkTreeIter *parent) {
            for (const Item &item : items) {
                GtkTreeIter iter;
                gtk_tree_store_insert_with_values(store, &iter, parent, -1, ITEM_STATE_COLUMN,
                                                  item.checked, ITEM_NAME_COLUMN, item.name, -1);
                add(item.children, &iter);
            }
        }
    } adder{store};
    adder.add(items, nullptr);
    return GTK_TREE_MODEL(store);
}

const std::vector<Item> alpha_beta_gamma = {
    {"alpha", true}, {"beta", false}, {"gamma delta", true}};

TEST(Writers, CheckedListFollowsTheQuotingAndSeparatorRules) {
    struct {
        bool quoted, single_quoted, separate_output;
        const char *separator;
        const char *expected;
    } cases[] = {
        {false, false, false, nullptr, "\"alpha\" \"gamma delta\"\n"},
        {false, true, false, nullptr, "'alpha' 'gamma delta'\n"},
        {false, false, true, nullptr, "alpha\ngamma delta\n"},
        {true, false, true, nullptr, "alpha\n\"gamma delta\"\n"},
        {true, true, true, nullptr, "alpha\n'gamma delta'\n"},
        {false, false, false, ",", "\"alpha\",\"gamma delta\"\n"},
        {false, false, true, "::", "alpha::gamma delta\n"},
        {true, false, false, nullptr, "\"alpha\" \"gamma delta\"\n"},
    };
    GtkTreeModel *model = item_model(alpha_beta_gamma);
    for (const auto &c : cases) {
        Options opts = default_options();
        opts.quoted = c.quoted;
        opts.single_quoted = c.single_quoted;
        opts.separate_output = c.separate_output;
        opts.output_separator = c.separator;
        EXPECT_EQ(written_by(opts, [&](Options *o) { print_checked_list(o, model); }), c.expected)
            << "quoted " << c.quoted << " single " << c.single_quoted << " separate "
            << c.separate_output;
    }
    g_object_unref(model);
}

TEST(Writers, CheckedListWithNothingCheckedIsOneNewline) {
    GtkTreeModel *model = item_model({{"alpha", false}, {"beta", false}});
    GtkTreeModel *empty = item_model({});
    for (GtkTreeModel *m : {model, empty})
        EXPECT_EQ(written_by(default_options(), [&](Options *o) { print_checked_list(o, m); }),
                  "\n");
    g_object_unref(model);
    g_object_unref(empty);
}

TEST(Writers, CheckedListWritesNestedRowsInDepthFirstOrder) {
    GtkTreeModel *model = item_model({{"top", false, {{"child", true, {{"grandchild", true}}}}},
                                      {"next", true, {{"inner", false}}}});
    EXPECT_EQ(written_by(default_options(), [&](Options *o) { print_checked_list(o, model); }),
              "\"child\" \"grandchild\" \"next\"\n");
    g_object_unref(model);
}

TEST(Writers, CheckedItemWritesTheFirstCheckedRowOnly) {
    GtkTreeModel *model = item_model({{"off", false, {{"a b", true}}}, {"later", true}});
    GtkTreeModel *unchecked = item_model({{"off", false}});
    Options opts = default_options();
    opts.quoted = true;
    EXPECT_EQ(written_by(opts,
                         [&](Options *o) {
                             print_first_checked_item(o, model);
                             print_first_checked_item(o, unchecked);
                         }),
              "\"a b\"\n");
    g_object_unref(model);
    g_object_unref(unchecked);
}

TEST(Writers, NameLineQuotesOnlyUnderQuotedAndWhenNeeded) {
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
