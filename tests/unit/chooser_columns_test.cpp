#include <gtest/gtest.h>
#include <numeric>
#include <vector>

#include "dialogs/chooser_columns.h"

namespace {

TEST(FittedColumnWidths, AsMeantWhereTheyFitNarrowedAlikeWhereNot) {
    const std::vector<double> cells = {24, 10, 18, 16};
    const double unit = 12.5; // 68 cells: 850 pixels
    struct {
        int width;
        std::vector<int> expected;
    } cases[] = {
        {2000, {300, 125, 225, 200}}, // room to spare, which the list gives a column that expands
        {850, {300, 125, 225, 200}},  {849, {299, 124, 224, 199}},
        {425, {150, 62, 112, 100}},   {0, {1, 1, 1, 1}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fitted_column_widths(cells, unit, c.width), c.expected) << c.width;
}

TEST(FittedColumnWidths, NeverTogetherWiderThanTheList) {
    const std::vector<double> cells = {24, 10, 18, 16};
    for (int width = 4; width <= 1000; ++width) {
        std::vector<int> widths = fitted_column_widths(cells, 14.667, width);
        EXPECT_LE(std::accumulate(widths.begin(), widths.end(), 0), width) << width;
    }
}

} // namespace
