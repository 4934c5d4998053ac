#include <gtest/gtest.h>
#include <string>

#include "frame/long_runs.h"

namespace {

std::string repeat(const std::string &piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(LongRunCuts, CutOnlyLongRunsBetweenAsciiCharacters) {
    const std::string e_acute = "\xc3\xa9";
    struct {
        const char *what;
        std::string text;
        std::vector<size_t> cuts;
    } cases[] = {
        {"empty", "", {}},
        {"prose", repeat("a few words ", 100), {}},
        {"a run at the limit", std::string(256, 'x'), {}},
        {"a run just over it", std::string(257, 'x'), {64, 128, 192, 256}},
        {"a run after a word", "ab " + std::string(300, 'x'), {67, 131, 195, 259}},
        {"two runs",
         std::string(300, 'x') + "\n" + std::string(300, 'y'),
         {64, 128, 192, 256, 365, 429, 493, 557}},
        // A two-byte character where a cut would fall moves the cut past it.
        {"a character on the cut",
         std::string(63, 'x') + e_acute + std::string(250, 'x'),
         {66, 130, 194, 258}},
        {"no ASCII at all", repeat(e_acute, 400), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(long_run_cuts(c.text), c.cuts) << c.what;
}

// Pieces of (start, end) that carry the mark.
std::vector<std::pair<int, int>> marked_pieces(const std::string &text) {
    std::vector<std::pair<int, int>> ranges;
    PangoAttrList *attributes = long_run_attributes(text);
    if (attributes == nullptr)
        return ranges;
    PangoAttrIterator *iterator = pango_attr_list_get_iterator(attributes);
    do {
        int start = 0, end = 0;
        pango_attr_iterator_range(iterator, &start, &end);
        if (pango_attr_iterator_get(iterator, PANGO_ATTR_FALLBACK) != nullptr)
            ranges.emplace_back(start, end);
    } while (pango_attr_iterator_next(iterator));
    pango_attr_iterator_destroy(iterator);
    pango_attr_list_unref(attributes);
    return ranges;
}

TEST(LongRunAttributes, MarkEveryOtherAsciiPiece) {
    using Ranges = std::vector<std::pair<int, int>>;
    EXPECT_EQ(marked_pieces("short"), Ranges{});
    EXPECT_EQ(marked_pieces(std::string(300, 'x')), (Ranges{{0, 64}, {128, 192}, {256, 300}}));
    // The first piece holds a two-byte character: it stays unmarked.
    EXPECT_EQ(marked_pieces("\xc3\xa9" + std::string(300, 'x')), (Ranges{{128, 192}, {256, 302}}));
}

} // namespace
