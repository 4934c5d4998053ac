#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dialogs/lists/widest_rows.h"

namespace {

TEST(EstimatedWidth, FollowsTheKindsOfCharacters) {
    // Equal lengths, unequal widths.
    EXPECT_GT(estimated_width("WWWW"), estimated_width("abcd"));
    EXPECT_GT(estimated_width("abcd"), estimated_width("iiii"));
    EXPECT_GT(estimated_width("ABCD"), estimated_width("abcd"));
    // East Asian wide characters count two; combining marks nothing.
    EXPECT_EQ(estimated_width("日本"), estimated_width("abcd"));
    EXPECT_EQ(estimated_width("e\u0301"), estimated_width("e"));
    EXPECT_EQ(estimated_width(""), 0.0);
    // Bytes that are not UTF-8 count as the characters they are shown as.
    EXPECT_EQ(estimated_width("a\xff\xfe"), estimated_width("abc"));
}

TEST(WidestRows, PicksTheRowsThatLookWidest) {
    std::vector<ItemRow> rows;
    const char *names[] = {"iiiiiiii", "WWWWWW", "ab", nullptr, "mmmmmmm", "abc"};
    for (const char *name : names)
        rows.push_back(ItemRow{nullptr, 0, name, "x", false, nullptr});
    std::vector<size_t> widest = widest_rows(rows, &ItemRow::name, 2);
    std::sort(widest.begin(), widest.end());
    EXPECT_EQ(widest, (std::vector<size_t>{1, 4}));
    // Fewer rows with the text than asked for: all of them, never a row
    // without it.
    widest = widest_rows(rows, &ItemRow::name, 10);
    std::sort(widest.begin(), widest.end());
    EXPECT_EQ(widest, (std::vector<size_t>{0, 1, 2, 4, 5}));
    EXPECT_TRUE(widest_rows(rows, &ItemRow::prefix, 4).empty());
    EXPECT_TRUE(widest_rows(rows, &ItemRow::name, 0).empty());
}

TEST(HasLineBreak, FindsEveryMandatoryBreak) {
    for (const char *text : {"a\nb", "a\rb", "a\vb", "a\fb", "a\u0085b", "a\u2028b", "a\u2029b"})
        EXPECT_TRUE(has_line_break(text)) << text;
    // Other characters of the same lead bytes are no breaks.
    for (const char *text : {"", "plain", "caf\u00e9 \u00a9", "\u2026\u2030", "\xe2", "\xc2"})
        EXPECT_FALSE(has_line_break(text)) << text;
    EXPECT_FALSE(has_line_break(nullptr));
}

} // namespace
