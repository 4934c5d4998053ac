#include <gtest/gtest.h>

#include "dialogs/lists/inputmenu.h"
#include "written_by.h"

namespace {

TEST(RenamedLine, QuotesTagAndTextOnlyUnderQuotedWhereTheyNeedIt) {
    struct {
        bool quoted, single_quoted;
        const char *tag, *text, *expected;
    } cases[] = {
        {false, false, "a", "new name", "RENAMED a new name\n"},
        {false, false, "a b", "", "RENAMED a b \n"},
        {true, false, "a", "plain", "RENAMED a plain\n"},
        {true, false, "a b", "it's $x", "RENAMED \"a b\" \"it's \\$x\"\n"},
        {true, true, "a", "it's", "RENAMED a 'it'\\''s'\n"},
        // Quoted, an empty text is still a word of its own.
        {true, false, "a", "", "RENAMED a \"\"\n"},
        {true, true, "", "x", "RENAMED '' x\n"},
        // Bytes of another character set pass as they are.
        {true, false, "caf\xe9", "th\xe9", "RENAMED caf\xe9 th\xe9\n"},
    };
    for (const auto &c : cases) {
        Options opts = default_options();
        opts.quoted = c.quoted;
        opts.single_quoted = c.single_quoted;
        EXPECT_EQ(renamed_line(&opts, c.tag, c.text), c.expected)
            << "tag '" << c.tag << "' text '" << c.text << "'";
    }
}

} // namespace
