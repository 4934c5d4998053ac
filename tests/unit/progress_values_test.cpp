// The mixedgauge's values and the pause's countdown.
#include <gtest/gtest.h>
#include <vector>

#include "dialogs/mixedgauge_bar.h"
#include "dialogs/pause_countdown.h"

namespace {

TEST(MixedgaugeTest, EveryValueRow) {
    struct {
        int value;
        const char *text;
        double fraction;
        bool pulse;
    } cases[] = {
        {0, "0 %", 0.0, false},
        {40, "40 %", 0.4, false},
        {100, "100 %", 1.0, false},
        {150, "100 %", 1.0, false},
        {2147483647, "100 %", 1.0, false},
        {-1, "Success", 1.0, false},
        {-2, "Failed", 0.0, false},
        {-3, "Passed", 1.0, false},
        {-4, "Completed", 1.0, false},
        {-5, "Checked", 1.0, false},
        {-6, "Done", 1.0, false},
        {-7, "Skipped", 0.0, false},
        {-8, "In Progress", 0.0, true},
        {-9, "", 0.0, false},
        {-10, "N/A", 0.0, false},
        {-11, "Pending", 0.0, false},
        {-12, "Unknown", 0.0, false},
        {-99, "Unknown", 0.0, false},
        {-2147483647 - 1, "Unknown", 0.0, false},
    };
    for (const auto &c : cases) {
        MixedgaugeBar bar = mixedgauge_bar(c.value);
        EXPECT_EQ(bar.text, c.text) << c.value;
        EXPECT_DOUBLE_EQ(bar.fraction, c.fraction) << c.value;
        EXPECT_EQ(bar.pulse, c.pulse) << c.value;
    }
}

TEST(MixedgaugeTest, Arguments) {
    for (int argc = 0; argc <= 7; ++argc)
        EXPECT_EQ(mixedgauge_args_count_ok(argc), argc < 2 || argc % 2 == 1) << argc;
    struct {
        const char *arg;
        int value;
    } values[] = {{"50", 50}, {"-6", -6}, {"abc", 0}, {"25%", 25}, {"4294967295", -1}};
    for (const auto &v : values)
        EXPECT_EQ(mixedgauge_value(v.arg), v.value) << v.arg;
}

// The bar shows the seconds left, emptying in equal steps, and the tick
// after the one that showed 0 closes the dialog, whatever the count.
TEST(PauseCountdownTest, ClosesOnTheTickAfterZero) {
    struct Shown {
        unsigned left;
        double fraction;
    };
    struct {
        unsigned seconds;
        std::vector<Shown> shown; // ticks 1, 2, ... before the closing one
    } cases[] = {
        {4, {{3, 0.75}, {2, 0.5}, {1, 0.25}, {0, 0.0}}},
        {3, {{2, 2.0 / 3}, {1, 1.0 / 3}, {0, 0.0}}},
        {9,
         {{8, 8.0 / 9},
          {7, 7.0 / 9},
          {6, 6.0 / 9},
          {5, 5.0 / 9},
          {4, 4.0 / 9},
          {3, 3.0 / 9},
          {2, 2.0 / 9},
          {1, 1.0 / 9},
          {0, 0.0}}},
        {1, {{0, 0.0}}},
        {0, {{0, 0.0}}},
    };
    for (const auto &c : cases) {
        unsigned long long tick = 1;
        for (const Shown &expected : c.shown) {
            PauseTick got = pause_tick(c.seconds, tick);
            EXPECT_FALSE(got.close) << c.seconds << " s, tick " << tick;
            EXPECT_EQ(got.seconds_left, expected.left) << c.seconds << " s, tick " << tick;
            EXPECT_DOUBLE_EQ(got.fraction, expected.fraction) << c.seconds << " s, tick " << tick;
            ++tick;
        }
        EXPECT_TRUE(pause_tick(c.seconds, tick).close) << c.seconds << " s, tick " << tick;
    }
}

TEST(PauseCountdownTest, LongestCountCloses) {
    EXPECT_FALSE(pause_tick(4294967295u, 4294967295ull).close);
    EXPECT_TRUE(pause_tick(4294967295u, 4294967296ull).close);
}

TEST(PauseCountdownTest, Seconds) {
    EXPECT_EQ(pause_seconds("5"), 5u);
    EXPECT_EQ(pause_seconds("5s"), 5u);
    EXPECT_EQ(pause_seconds("abc"), 0u);
    EXPECT_EQ(pause_seconds("4294967301"), 5u);
}

} // namespace
