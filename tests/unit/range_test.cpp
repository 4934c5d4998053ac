#include <gtest/gtest.h>
#include <vector>

#include "dialogs/range.h"

namespace {

TEST(RangeArgsTest, CountIsTwoOrThree) {
    for (int argc = 0; argc <= 5; ++argc)
        EXPECT_EQ(range_args_count_ok(argc), argc == 2 || argc == 3) << argc;
}

TEST(RangeArgsTest, Parsing) {
    struct {
        std::vector<const char *> args;
        RangeArgs expected;
    } cases[] = {
        {{"1", "10", "5"}, {1, 10, 5}},
        {{"0", "10"}, {0, 10, 0}}, // no init: starts at the minimum
        {{"-5", "5"}, {-5, 5, -5}},
        {{"1", "10", "50"}, {1, 10, 50}}, // GTK clamps it, not the parser
        {{"3x", "abc", "  7"}, {3, 0, 7}},
        // Only the low 32 bits are kept.
        {{"4294967297", "-4294967295", "2147483648"}, {1, 1, -2147483648}},
    };
    for (const auto &c : cases) {
        RangeArgs got = parse_range_args(c.args);
        EXPECT_EQ(got.min, c.expected.min) << c.args[0];
        EXPECT_EQ(got.max, c.expected.max) << c.args[1];
        EXPECT_EQ(got.init, c.expected.init);
    }
}

TEST(RangeAnswerTest, TruncatesTowardsZero) {
    struct {
        double value;
        int expected;
    } cases[] = {{5.0, 5},
                 {5.9, 5},
                 {-5.9, -5},
                 {-0.5, 0},
                 {2147483647.0, 2147483647},
                 {-2147483648.0, -2147483648}};
    for (const auto &c : cases)
        EXPECT_EQ(range_answer(c.value), c.expected) << c.value;
}

} // namespace
