#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "core/diagnostics.h"
#include "core/results.h"
#include "frame/buttons.h"

namespace {

class ExitCodeEnvTest : public ::testing::Test {
  protected:
    void SetUp() override { reset_exit_code_table(); }
    void TearDown() override {
        for (const ExitCodeRow &row : exit_code_table)
            unsetenv(row.env_name);
        reset_exit_code_table();
    }
};

TEST_F(ExitCodeEnvTest, DefaultsMatchTheTable) {
    const int expected[EXIT_CODE_ROWS] = {255, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 2};
    for (int result = RESULT_ERROR; result <= RESULT_ITEM_HELP; ++result)
        EXPECT_EQ(exit_code_for(result), expected[result + 1]) << "result " << result;
}

// The environment and the exit-code options read values alike.
TEST_F(ExitCodeEnvTest, OnlyCleanConversionsCount) {
    struct {
        const char *value;
        int expected;
    } cases[] = {{"7", 7},  {"", 1},     {"abc", 1}, {"99999999999999999999999", 1},
                 {"3x", 3}, {" -1", -1}, {"0", 0},   {"ten", 1}};
    // CANCEL, not OK: its default (1) differs from what a careless
    // conversion would store (0).
    for (const auto &c : cases) {
        reset_exit_code_table();
        setenv("WRENBOX_CANCEL", c.value, 1);
        apply_exit_code_env();
        EXPECT_EQ(exit_code_for(RESULT_CANCEL), c.expected) << "WRENBOX_CANCEL '" << c.value << "'";
        reset_exit_code_table();
        set_exit_code_from_arg(RESULT_CANCEL, c.value);
        EXPECT_EQ(exit_code_for(RESULT_CANCEL), c.expected)
            << "--cancel-exit-code '" << c.value << "'";
    }
}

TEST_F(ExitCodeEnvTest, OptionsOverrideEnvironmentAndHelpLeavesItemHelp) {
    setenv("WRENBOX_ESC", "9", 1);
    apply_exit_code_env();
    set_exit_code_from_arg(RESULT_ESC, "4");
    EXPECT_EQ(exit_code_for(RESULT_ESC), 4);
    set_exit_code_from_arg(RESULT_HELP, "9");
    EXPECT_EQ(exit_code_for(RESULT_HELP), 9);
    EXPECT_EQ(exit_code_for(RESULT_ITEM_HELP), 2);
    set_exit_code_from_arg(RESULT_ESC, "abc");
    EXPECT_EQ(exit_code_for(RESULT_ESC), 4);
}

// --sleep is in seconds; a wait too long for milliseconds in 32 bits must
// stay long instead of wrapping round to a short one.
TEST(SleepOptionTest, SaturatesInsteadOfWrapping) {
    const std::pair<const char *, uint32_t> cases[] = {
        {"0", 0},
        {"5", 5000},
        {"abc", 0},
        {"4294967", 4294967000u},
        {"4294968", UINT32_MAX},
        {"99999999999999999999", UINT32_MAX},
    };
    for (auto [arg, expected] : cases)
        EXPECT_EQ(sleep_milliseconds(arg), expected) << "--sleep " << arg;
}

// Returns what unexpected_args printed for the arguments from first on, and
// checks that it asks for the ERROR result.
std::string unexpected_output(std::vector<std::string> args, size_t first) {
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    DialogRequest request{};
    request.opts.dialog_name = "--msgbox";
    request.args = argv;
    testing::internal::CaptureStdout();
    EXPECT_EQ(unexpected_args(request, first), RESULT_ERROR);
    return testing::internal::GetCapturedStdout();
}

TEST(UnexpectedArgsTest, WritesMessageAndAsksForErrorResult) {
    const std::string tail = "\nSee 'wrenpane --help' or 'man 1 wrenbox' for more information.\n";
    EXPECT_EQ(unexpected_output({"a", "b"}, 0),
              "Error: --msgbox unexpected arguments: \"a\" \"b\".\n" + tail);
    EXPECT_EQ(unexpected_output({"5", "a"}, 1),
              "Error: --msgbox unexpected argument: \"a\".\n" + tail);
    // No argument at all where one was expected.
    EXPECT_EQ(unexpected_output({}, 1), "Error: --msgbox unexpected argument:.\n" + tail);
}

TEST(ResponseMapTest, MapsEveryResponse) {
    const std::pair<int, DialogResult> cases[] = {
        {GTK_RESPONSE_HELP, RESULT_HELP},
        {GTK_RESPONSE_APPLY, RESULT_ERROR},
        {GTK_RESPONSE_NO, RESULT_CANCEL},
        {GTK_RESPONSE_YES, RESULT_OK},
        {GTK_RESPONSE_CLOSE, RESULT_ESC},
        {GTK_RESPONSE_CANCEL, RESULT_CANCEL},
        {GTK_RESPONSE_OK, RESULT_OK},
        {GTK_RESPONSE_DELETE_EVENT, RESULT_ESC},
        {GTK_RESPONSE_ACCEPT, RESULT_ERROR},
        {GTK_RESPONSE_REJECT, RESULT_ERROR},
        {GTK_RESPONSE_NONE, RESULT_ERROR},
        {0, RESULT_ERROR},
        {2, RESULT_ERROR},
        {RESPONSE_EXTRA, RESULT_EXTRA},
        {4, RESULT_ERROR},
        {-12, RESULT_ERROR},
    };
    for (auto [response, result] : cases)
        EXPECT_EQ(response_to_result(response), result) << "response " << response;
}

} // namespace
