#include <gtest/gtest.h>

#include "frame/entry_field.h"

namespace {

TEST(EntryLimitsTest, MaxLengthStaysWithinWhatGtkAcceptsAndHoldsTheText) {
    struct {
        long requested, held;
        int expected;
    } cases[] = {
        {-5, 0, 0},
        {0, 0, 0},
        {1, 0, 1},
        {2048, 0, 2048},
        {65535, 0, 65535},
        {65536, 0, 65535},
        {4294967295L, 0, 65535},
        // A longer initial text is never cut; no limit stays no limit.
        {3, 6, 6},
        {2048, 3000, 3000},
        {3, 2, 3},
        {0, 3000, 0},
        {-5, 10, 0},
        {2048, 70000, 65535},
    };
    for (const auto &c : cases)
        EXPECT_EQ(entry_max_length(c.requested, c.held), c.expected)
            << c.requested << " holding " << c.held;
}

TEST(EntryLimitsTest, WidthIsNaturalOrCapped) {
    struct {
        long requested;
        double unit;
        int expected;
    } cases[] = {
        {0, 12.0, -1},
        {-3, 12.0, -1},
        {40, 12.0, 40},
        {1333, 12.0, 1333},
        {1334, 12.0, 1333},
        {2147483647L, 12.0, 1333},
        {100000, 40.0, 400},
        // Even an absurd unit leaves room for one character.
        {5, 1e9, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(entry_width_chars(c.requested, c.unit), c.expected)
            << c.requested << " at unit " << c.unit;
}

} // namespace
