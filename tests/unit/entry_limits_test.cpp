#include <gtest/gtest.h>

#include "frame/entry_field.h"

namespace {

TEST(EntryLimitsTest, MaxLengthStaysWithinWhatGtkAccepts) {
    struct {
        long requested;
        int expected;
    } cases[] = {{-5, 0},
                 {0, 0},
                 {1, 1},
                 {2048, 2048},
                 {65535, 65535},
                 {65536, 65535},
                 {4294967295L, 65535}};
    for (const auto &c : cases)
        EXPECT_EQ(entry_max_length(c.requested), c.expected) << c.requested;
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
