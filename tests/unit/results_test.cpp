#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "core/diagnostics.h"
#include "core/results.h"
#include "frame/buttons.h"

namespace {

// Each test sets the variables it needs and leaves none behind.
class ExitCodeEnvTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const ExitCodeRow &row : exit_codes_from_env())
            unsetenv(row.env_name);
    }
};

// The rules of the defaults rather than their rows: a result that is a
// button or a way out is its own code, an error is 255, and an item's help
// shares the code of Help.
TEST_F(ExitCodeEnvTest, DefaultsFollowTheResults) {
    const ExitCodeTable table = exit_codes_from_env();
    EXPECT_EQ(exit_code_for(table, RESULT_ERROR), 255);
    for (DialogResult result = RESULT_OK; result < RESULT_ITEM_HELP; ++result)
        EXPECT_EQ(exit_code_for(table, result), result) << "result " << result;
    EXPECT_EQ(exit_code_for(table, RESULT_ITEM_HELP), exit_code_for(table, RESULT_HELP));
}

// A result outside the table is an error, with the error's code as it
// stands, not the default one.
TEST_F(ExitCodeEnvTest, ResultsOutsideTheTableTakeTheErrorCode) {
    ExitCodeTable table = exit_codes_from_env();
    set_exit_code_from_arg(table, RESULT_ERROR, "70");
    for (DialogResult result : {RESULT_ERROR - 1, RESULT_ITEM_HELP + 1, -1000, 1000})
        EXPECT_EQ(exit_code_for(table, result), 70) << "result " << result;
}

// Each row answers to its own variable, named after the result.
TEST_F(ExitCodeEnvTest, EachResultReadsItsOwnVariable) {
    const std::pair<DialogResult, const char *> cases[] = {
        {RESULT_ERROR, "WRENBOX_ERROR"},
        {RESULT_OK, "WRENBOX_OK"},
        {RESULT_ESC, "WRENBOX_ESC"},
        {RESULT_ITEM_HELP, "WRENBOX_ITEM_HELP"},
    };
    for (auto [result, variable] : cases) {
        setenv(variable, "42", 1);
        const ExitCodeTable table = exit_codes_from_env();
        unsetenv(variable);
        for (DialogResult other = RESULT_ERROR; other <= RESULT_ITEM_HELP; ++other)
            EXPECT_EQ(exit_code_for(table, other) == 42, other == result)
                << variable << ", result " << other;
    }
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
        setenv("WRENBOX_CANCEL", c.value, 1);
        EXPECT_EQ(exit_code_for(exit_codes_from_env(), RESULT_CANCEL), c.expected)
            << "WRENBOX_CANCEL '" << c.value << "'";
        unsetenv("WRENBOX_CANCEL");
        ExitCodeTable table = exit_codes_from_env();
        set_exit_code_from_arg(table, RESULT_CANCEL, c.value);
        EXPECT_EQ(exit_code_for(table, RESULT_CANCEL), c.expected)
            << "--cancel-exit-code '" << c.value << "'";
    }
}

TEST_F(ExitCodeEnvTest, OptionsOverrideEnvironmentAndHelpLeavesItemHelp) {
    setenv("WRENBOX_ESC", "9", 1);
    ExitCodeTable table = exit_codes_from_env();
    set_exit_code_from_arg(table, RESULT_ESC, "4");
    EXPECT_EQ(exit_code_for(table, RESULT_ESC), 4);
    set_exit_code_from_arg(table, RESULT_HELP, "9");
    EXPECT_EQ(exit_code_for(table, RESULT_HELP), 9);
    EXPECT_EQ(exit_code_for(table, RESULT_ITEM_HELP), 2);
    set_exit_code_from_arg(table, RESULT_ESC, "abc");
    EXPECT_EQ(exit_code_for(table, RESULT_ESC), 4);
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
    static const DialogEntry msgbox{"--msgbox", "", nullptr};
    DialogRequest request{};
    request.dialog = &msgbox;
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

// The rules of the mapping rather than its rows: GTK's responses for each
// way out, the Extra button's own, and an error for everything else, the
// responses just beyond the ends of GTK's and ours included.
TEST(ResponseMapTest, MapsTheWaysOutAndNothingElse) {
    const std::pair<int, DialogResult> ways_out[] = {
        {GTK_RESPONSE_OK, RESULT_OK},         {GTK_RESPONSE_YES, RESULT_OK},
        {GTK_RESPONSE_CANCEL, RESULT_CANCEL}, {GTK_RESPONSE_NO, RESULT_CANCEL},
        {GTK_RESPONSE_CLOSE, RESULT_ESC},     {GTK_RESPONSE_DELETE_EVENT, RESULT_ESC},
        {GTK_RESPONSE_HELP, RESULT_HELP},     {RESPONSE_EXTRA, RESULT_EXTRA},
    };
    for (auto [response, result] : ways_out)
        EXPECT_EQ(response_to_result(response), result) << "response " << response;
    for (int response = GTK_RESPONSE_HELP - 2; response <= RESPONSE_EXTRA + 2; ++response) {
        bool is_way_out = false;
        for (auto [way_out, result] : ways_out)
            is_way_out |= response == way_out;
        if (!is_way_out) {
            EXPECT_EQ(response_to_result(response), RESULT_ERROR) << "response " << response;
        }
    }
}

} // namespace
