#include "frame/text_boundaries.h"

#include <pango/pango.h>

#include <algorithm>

namespace {

// The last boundary at or before offset (or strictly before it), and the
// limits' start when there is none.
size_t boundary_before(const std::vector<size_t> &boundaries, Span limits, size_t offset,
                       bool strictly) {
    auto after = strictly ? std::lower_bound(boundaries.begin(), boundaries.end(), offset)
                          : std::upper_bound(boundaries.begin(), boundaries.end(), offset);
    return after == boundaries.begin() ? limits.start : std::max(*(after - 1), limits.start);
}

// The first boundary after offset, and the limits' end when there is none.
size_t boundary_after(const std::vector<size_t> &boundaries, Span limits, size_t offset) {
    auto after = std::upper_bound(boundaries.begin(), boundaries.end(), offset);
    return after == boundaries.end() ? limits.end : std::min(*after, limits.end);
}

bool is_break(const PangoLogAttr &attr, BreakKind kind) {
    switch (kind) {
    case BreakKind::WORD_START:
        return attr.is_word_start;
    case BreakKind::WORD_END:
        return attr.is_word_end;
    case BreakKind::SENTENCE_START:
        return attr.is_sentence_start;
    case BreakKind::SENTENCE_END:
        return attr.is_sentence_end;
    }
    return false;
}

bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

Span segment_around(const std::vector<size_t> &boundaries, Span limits, size_t offset,
                    Segment which) {
    offset = std::clamp(offset, limits.start, limits.end);
    Span at{boundary_before(boundaries, limits, offset, false),
            boundary_after(boundaries, limits, offset)};
    switch (which) {
    case Segment::AT:
        return at;
    case Segment::BEFORE:
        if (at.start == limits.start)
            return {limits.start, limits.start};
        return {boundary_before(boundaries, limits, at.start, true), at.start};
    case Segment::AFTER:
        if (at.end == limits.end)
            return {limits.end, limits.end};
        return {at.end, boundary_after(boundaries, limits, at.end)};
    }
    return at;
}

std::vector<size_t> text_breaks(std::string_view text, BreakKind kind) {
    int bytes = static_cast<int>(text.size());
    std::vector<PangoLogAttr> attrs(static_cast<size_t>(g_utf8_strlen(text.data(), bytes)) + 1);
    pango_get_log_attrs(text.data(), bytes, -1, pango_language_get_default(), attrs.data(),
                        static_cast<int>(attrs.size()));
    std::vector<size_t> breaks;
    for (size_t i = 0; i < attrs.size(); ++i) {
        if (is_break(attrs[i], kind))
            breaks.push_back(i);
    }
    return breaks;
}

std::pair<size_t, size_t> byte_window(std::string_view text, size_t offset, size_t radius) {
    offset = std::min(offset, text.size());
    size_t first = offset - std::min(offset, radius);
    size_t last = offset + std::min(text.size() - offset, radius);
    while (first > 0 && is_continuation(text[first]))
        --first;
    while (last < text.size() && is_continuation(text[last]))
        ++last;
    return {first, last};
}
