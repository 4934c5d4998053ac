// How wide the file choosers' list draws its columns, apart from any widget.
#pragma once

#include <span>
#include <vector>

// Pixel widths of columns meant to be cells[i] character cells of unit
// pixels wide, in a list width pixels wide: as meant where they all fit,
// all narrowed alike where they do not, so that every column stays in sight
// however narrow the window; never narrower than a pixel.
std::vector<int> fitted_column_widths(std::span<const double> cells, double unit, int width);
