#include <gtest/gtest.h>
#include <string>

#include "cli/preprocess.h"

namespace {

struct Case {
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

INSTANTIATE_TEST_SUITE_P(
    Cases, PreprocessTest,
    ::testing::Values(Case{"a  b", "a b"}, Case{"a  b", "a  b", true}, //
                      Case{"a\tb", "a b"}, Case{"a\tb", "a\tb", true}, //
                      Case{"a\nb", "a\nb"}, Case{"a\\nb", "a\nb"},     //
                      Case{"a\\n\nb", "a\nb"},                         // newline after \n swallowed
                      Case{"x\\ny\nz", "x\ny z"}, Case{"x\\ny\nz", "x\ny\nz", false, true},
                      Case{"x\\ny\nz", "x\ny\nz", true}, //
                      Case{"a\\nb  c", "a\nb  c"},       // blanks kept with \n
                      Case{"a\\tb", "a\\tb"}, Case{"a\\tb", "a\tb", false, false, true}, //
                      Case{"\\\\n", "\\\n"}, // two backslashes, n
                      Case{"end\\", "end\\"}, Case{"   lead", " lead"}, Case{"trail   ", "trail "},
                      Case{"", ""}, Case{"a \t b", "a b"},         // tab joins the run
                      Case{"\\n\\t x", "\n\\t x"},                 //
                      Case{"caf\xc3\xa9  ok", "caf\xc3\xa9 ok"})); // multibyte untouched

} // namespace
