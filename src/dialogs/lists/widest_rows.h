// Which rows of a list are worth measuring: a long list shows its rows at
// one height and its columns at the width of their widest text, and
// measuring every row's text to find that width is most of the time it
// takes to show. These rules pick the few rows whose texts look widest,
// from the kinds of their characters, without a font; no widgets.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "dialogs/lists/items.h"

// What a text looks like on one look at each of its characters: how wide,
// in average characters (narrow letters and punctuation count half, wide
// letters and capitals more, East Asian wide characters two, combining
// marks nothing), and whether it breaks into more than one line (it holds a
// mandatory line or paragraph break).
struct TextShape {
    double width;
    bool breaks;
};

TextShape text_shape(const char *text);

// For each member, the rows (at most count, in no particular order) whose
// text looks widest; none when the items have no such member. Nothing when
// any of those texts breaks into lines.
std::optional<std::vector<std::vector<size_t>>>
widest_rows(const ItemArgs &items, std::span<const ItemText> members, size_t count);
