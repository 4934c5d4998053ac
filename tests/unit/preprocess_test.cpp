#include <gtest/gtest.h>
#include <string>

#include "cli/preprocess.h"

namespace {

struct Case {
    const char *name;
    const char *input;
    const char *expected;
    bool text_unchanged = false;
    bool cr_wrap = false;
    bool tab_escape = false;
};

std::string run(const Case &c) {
    Options opts;
    reset_options(&opts);
    opts.text_unchanged = c.text_unchanged;
    opts.cr_wrap = c.cr_wrap;
    opts.tab_escape = c.tab_escape;
    std::string buffer(c.input);
    preprocess_text(&opts, c.input, buffer.data());
    return std::string(buffer.c_str());
}

class PreprocessTest : public ::testing::TestWithParam<Case> {};

TEST_P(PreprocessTest, ProducesShownText) {
    const Case &c = GetParam();
    EXPECT_EQ(run(c), c.expected) << "input: " << c.input;
}

// Each case is named so that ctest -R and --gtest_filter can pick it.
INSTANTIATE_TEST_SUITE_P(
    Cases, PreprocessTest,
    ::testing::Values(
        Case{"BlankRunBecomesOne", "a  b", "a b"},
        Case{"BlankRunKeptUnchanged", "a  b", "a  b", true}, Case{"TabBecomesBlank", "a\tb", "a b"},
        Case{"TabKeptUnchanged", "a\tb", "a\tb", true}, Case{"NewlineKept", "a\nb", "a\nb"},
        Case{"EscapedNewline", "a\\nb", "a\nb"},
        Case{"NewlineAfterEscapedNewlineSwallowed", "a\\n\nb", "a\nb"},
        Case{"NewlineBecomesBlankBesideEscapedNewline", "x\\ny\nz", "x\ny z"},
        Case{"CrWrapKeepsNewline", "x\\ny\nz", "x\ny\nz", false, true},
        Case{"UnchangedKeepsNewline", "x\\ny\nz", "x\ny\nz", true},
        Case{"BlanksKeptAfterEscapedNewline", "a\\nb  c", "a\nb  c"},
        Case{"EscapedTabLiteral", "a\\tb", "a\\tb"},
        Case{"EscapedTabWithTabEscape", "a\\tb", "a\tb", false, false, true},
        Case{"DoubleBackslashThenN", "\\\\n", "\\\n"}, Case{"TrailingBackslash", "end\\", "end\\"},
        Case{"LeadingBlanks", "   lead", " lead"}, Case{"TrailingBlanks", "trail   ", "trail "},
        Case{"Empty", "", ""}, Case{"TabJoinsBlankRun", "a \t b", "a b"},
        Case{"EscapedTabAfterEscapedNewline", "\\n\\t x", "\n\\t x"},
        Case{"MultibyteUntouched", "caf\xc3\xa9  ok", "caf\xc3\xa9 ok"}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

} // namespace
