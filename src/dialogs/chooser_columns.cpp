#include "dialogs/chooser_columns.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::vector<int> fitted_column_widths(std::span<const double> cells, double unit, int width) {
    double meant = std::accumulate(cells.begin(), cells.end(), 0.0) * unit;
    double scale = meant > width ? std::max(width, 0) / meant : 1.0;
    std::vector<int> widths;
    widths.reserve(cells.size());
    for (double column : cells)
        widths.push_back(std::max(1, static_cast<int>(std::floor(column * unit * scale))));
    return widths;
}
