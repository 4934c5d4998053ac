// Where the units that screen readers ask for (characters, words,
// sentences, lines, paragraphs) begin and end in a text, without widgets.
// A unit's segment runs from one boundary to the next; the callers gather
// the boundaries near an offset (from Pango's rules for breaking text, or
// from the lines of a layout) and ask for the segment at, before or after it.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

// Characters [start, end), as character offsets.
struct Span {
    size_t start = 0;
    size_t end = 0;
    bool operator==(const Span &) const = default;
};

enum class Segment { AT, BEFORE, AFTER };

// The segment at, before or after offset among the boundaries (in
// increasing order, repeats allowed) within limits, whose start counts as a
// boundary and whose end ends the last segment. The segment at an offset
// runs from the last boundary at or before it to the first one after it: at
// the limits' end that is the last segment, or nothing when a boundary lies
// at the end itself (an empty last line). There is nothing before the first
// segment or after the last. Offsets outside the limits count as the nearest
// limit.
Span segment_around(const std::vector<size_t> &boundaries, Span limits, size_t offset,
                    Segment which);

enum class BreakKind { WORD_START, WORD_END, SENTENCE_START, SENTENCE_END };

// The character offsets in text (valid UTF-8, under 2 GiB) where a word or sentence
// starts or ends, by Pango's rules for breaking text, in increasing order;
// the text's end may be one of them.
std::vector<size_t> text_breaks(std::string_view text, BreakKind kind);

// The bytes [first, last) of text that lie within radius bytes of offset,
// widened to whole characters.
std::pair<size_t, size_t> byte_window(std::string_view text, size_t offset, size_t radius);
