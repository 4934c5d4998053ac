// Which rows of a list are worth measuring: a long list shows its rows at
// one height and its columns at the width of their widest text, and
// measuring every row's text to find that width is most of the time it
// takes to show. These rules pick the few rows whose texts look widest,
// from the kinds of their characters, without a font; no widgets.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "dialogs/lists/items.h"

// How wide a text looks, in average characters: narrow letters and
// punctuation count half, wide letters and capitals more, East Asian wide
// characters two, combining marks nothing.
double estimated_width(const char *text);

// The rows (at most count, in no particular order) whose member text looks
// widest; rows without that text are never picked.
std::vector<size_t> widest_rows(std::span<const ItemRow> rows, const char *ItemRow::*member,
                                size_t count);

// True when a text would break into more than one line: it holds a
// mandatory line or paragraph break.
bool has_line_break(const char *text);
