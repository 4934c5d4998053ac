// The units that screen readers ask for, over arbitrary text repaired to
// UTF-8 as the file viewer does: Pango's breaks lie within the text in
// increasing order, the segment at every offset holds it and starts at a
// break, the segments before and after it meet it, and windows of the text
// hold their offset in whole characters.
#include <glib.h>

#include <algorithm>
#include <string>

#include "frame/text_boundaries.h"
#include "frame/utf8_stream.h"

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

void check_segments(const std::vector<size_t> &breaks, size_t chars, size_t offset) {
    Span at = segment_around(breaks, {0, chars}, offset, Segment::AT);
    check(at.start <= offset && offset <= at.end && at.end <= chars);
    check(offset < at.end || offset == chars);
    check(at.start == 0 || std::binary_search(breaks.begin(), breaks.end(), at.start));
    Span before = segment_around(breaks, {0, chars}, offset, Segment::BEFORE);
    if (at.start > 0)
        check(before.start < before.end && before.end == at.start);
    else
        check(before == (Span{0, 0}));
    Span after = segment_around(breaks, {0, chars}, offset, Segment::AFTER);
    if (at.end < chars)
        check(after.start == at.end && after.start < after.end && after.end <= chars);
    else
        check(after == (Span{chars, chars}));
}

bool is_character_start(const std::string &text, size_t byte) {
    return byte == text.size() || (static_cast<unsigned char>(text[byte]) & 0xC0) != 0x80;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Utf8Repair repair;
    std::string text = repair.push({reinterpret_cast<const char *>(data), size});
    text += repair.finish();
    size_t chars =
        static_cast<size_t>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
    for (BreakKind kind : {BreakKind::WORD_START, BreakKind::WORD_END, BreakKind::SENTENCE_START,
                           BreakKind::SENTENCE_END}) {
        std::vector<size_t> breaks = text_breaks(text, kind);
        check(std::is_sorted(breaks.begin(), breaks.end()));
        check(breaks.empty() || breaks.back() <= chars);
        for (size_t offset = 0; offset <= chars; ++offset)
            check_segments(breaks, chars, offset);
    }
    size_t radius = size % 16;
    for (size_t offset = 0; offset <= text.size(); ++offset) {
        auto [first, last] = byte_window(text, offset, radius);
        check(first <= offset && offset <= last && last <= text.size());
        check(offset - first <= radius + 3 && last - offset <= radius + 3);
        check(is_character_start(text, first) && is_character_start(text, last));
    }
    return 0;
}
