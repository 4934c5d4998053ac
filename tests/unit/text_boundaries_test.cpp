#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "frame/text_boundaries.h"

namespace {

// The segments of a text cut at some boundaries, as the texts they hold.
std::string segment_text(const std::string &text, const std::vector<size_t> &boundaries,
                         size_t offset, Segment which) {
    Span span = segment_around(boundaries, {0, text.size()}, offset, which);
    return text.substr(span.start, span.end - span.start);
}

TEST(SegmentAround, SegmentsRunFromOneBoundaryToTheNext) {
    // Lines of "ab\ncd\n": starts at 0, 3 and 6 (the empty last line).
    const std::string lines = "ab\ncd\n";
    const std::vector<size_t> starts = {0, 3, 6};
    // Words of "  one two": starts at 2 and 6, none at the text's start.
    const std::string words = "  one two";
    const std::vector<size_t> word_starts = {2, 6};
    struct {
        const std::string &text;
        const std::vector<size_t> &boundaries;
        size_t offset;
        Segment which;
        std::string expected;
    } cases[] = {
        {lines, starts, 0, Segment::AT, "ab\n"},
        {lines, starts, 2, Segment::AT, "ab\n"},
        {lines, starts, 3, Segment::AT, "cd\n"},
        {lines, starts, 6, Segment::AT, ""},
        {lines, starts, 99, Segment::AT, ""},
        {lines, starts, 4, Segment::BEFORE, "ab\n"},
        {lines, starts, 1, Segment::BEFORE, ""},
        {lines, starts, 6, Segment::BEFORE, "cd\n"},
        {lines, starts, 1, Segment::AFTER, "cd\n"},
        {lines, starts, 4, Segment::AFTER, ""},
        {lines, starts, 6, Segment::AFTER, ""},
        // The text's start bounds the first segment; its end, the last.
        {words, word_starts, 0, Segment::AT, "  "},
        {words, word_starts, 4, Segment::AT, "one "},
        {words, word_starts, 9, Segment::AT, "two"},
        {words, word_starts, 9, Segment::BEFORE, "one "},
        {words, word_starts, 3, Segment::BEFORE, "  "},
        {words, word_starts, 1, Segment::AFTER, "one "},
        {words, word_starts, 7, Segment::AFTER, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(segment_text(c.text, c.boundaries, c.offset, c.which), c.expected)
            << c.text << " at " << c.offset << " which " << static_cast<int>(c.which);
}

TEST(SegmentAround, LimitsCutTheBoundariesAroundThem) {
    // Only [10, 20) of the text is known: its edges bound the segments, and
    // boundaries beyond them (repeated ones too) do not count.
    const std::vector<size_t> boundaries = {2, 12, 12, 15, 25};
    const Span limits{10, 20};
    EXPECT_EQ(segment_around(boundaries, limits, 11, Segment::AT), (Span{10, 12}));
    EXPECT_EQ(segment_around(boundaries, limits, 13, Segment::AT), (Span{12, 15}));
    EXPECT_EQ(segment_around(boundaries, limits, 13, Segment::BEFORE), (Span{10, 12}));
    EXPECT_EQ(segment_around(boundaries, limits, 13, Segment::AFTER), (Span{15, 20}));
    EXPECT_EQ(segment_around(boundaries, limits, 0, Segment::AT), (Span{10, 12}));
    EXPECT_EQ(segment_around(boundaries, limits, 30, Segment::AT), (Span{15, 20}));
    EXPECT_EQ(segment_around({}, {0, 0}, 0, Segment::AT), (Span{0, 0}));
}

TEST(TextBreaks, WordsAndSentencesBreakByPangosRules) {
    struct {
        const char *text;
        BreakKind kind;
        std::vector<size_t> expected;
    } cases[] = {
        {"One sentence here. Another one!", BreakKind::WORD_START, {0, 4, 13, 19, 27}},
        {"One sentence here. Another one!", BreakKind::WORD_END, {3, 12, 17, 26, 30}},
        {"One sentence here. Another one!", BreakKind::SENTENCE_START, {0, 19}},
        // A sentence ends at its full stop; the blanks after it lead to the next.
        {"One sentence here. Another one!", BreakKind::SENTENCE_END, {18, 31}},
        // Offsets count characters, not bytes.
        {"caf\xC3\xA9 na\xC3\xAFve", BreakKind::WORD_START, {0, 5}},
        {"caf\xC3\xA9 na\xC3\xAFve", BreakKind::WORD_END, {4, 10}},
        // A line break ends a sentence without a full stop.
        {"no stop\nnext", BreakKind::SENTENCE_START, {0, 8}},
        {"  \n ", BreakKind::WORD_START, {}},
        {"", BreakKind::SENTENCE_START, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text_breaks(c.text, c.kind), c.expected)
            << c.text << " kind " << static_cast<int>(c.kind);
}

TEST(ByteWindow, CoversTheRadiusInWholeCharacters) {
    const std::string text = "ab\xE2\x82\xAC"
                             "cd\xC3\xA9"; // ab€cdé: € at 2-4, é at 7-8
    struct {
        size_t offset;
        size_t radius;
        std::pair<size_t, size_t> expected;
    } cases[] = {
        {0, 100, {0, 9}}, {5, 1, {2, 6}}, // would start inside the €: widened to its start
        {4, 0, {2, 5}},                   // an offset inside a character: that character
        {1, 2, {0, 5}},                   // would end inside the €: widened to its end
        {9, 1, {7, 9}},                   // at the end, inside the é
        {99, 3, {6, 9}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(byte_window(text, c.offset, c.radius), c.expected) << c.offset << " " << c.radius;
}

} // namespace
