#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dialogs/lists/widest_rows.h"

namespace {

double width(const char *text) {
    return text_shape(text).width;
}

TEST(TextShape, WidthFollowsTheKindsOfCharacters) {
    // Equal lengths, unequal widths.
    EXPECT_GT(width("WWWW"), width("abcd"));
    EXPECT_GT(width("abcd"), width("iiii"));
    EXPECT_GT(width("ABCD"), width("abcd"));
    // East Asian wide characters count two; combining marks nothing.
    EXPECT_EQ(width("日本"), width("abcd"));
    EXPECT_EQ(width("e\u0301"), width("e"));
    EXPECT_EQ(width(""), 0.0);
    // Bytes that are not UTF-8 count as the characters they are shown as.
    EXPECT_EQ(width("a\xff\xfe"), width("abc"));
}

TEST(TextShape, FindsEveryMandatoryBreak) {
    for (const char *text : {"a\nb", "a\rb", "a\vb", "a\fb", "a\u0085b", "a\u2028b", "a\u2029b"})
        EXPECT_TRUE(text_shape(text).breaks) << text;
    // Other characters of the same lead bytes and tabs are no breaks.
    for (const char *text : {"", "plain\ttab", "caf\u00e9 \u00a9", "\u2026\u2030", "\xe2", "\xc2"})
        EXPECT_FALSE(text_shape(text).breaks) << text;
}

std::vector<size_t> sorted(std::vector<size_t> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST(WidestRows, PicksTheRowsThatLookWidestInEachMember) {
    std::vector<ItemRow> rows;
    const char *names[] = {"iiiiiiii", "WWWWWW", "ab", nullptr, "mmmmmmm", "abc"};
    const char *descriptions[] = {"a", "b", "a long one", "c", "d", "WWWWWWWW"};
    for (size_t i = 0; i < 6; ++i)
        rows.push_back(ItemRow{nullptr, 0, names[i], descriptions[i], false, nullptr});
    const ItemText members[] = {&ItemRow::name, &ItemRow::description, &ItemRow::prefix};
    auto widest = widest_rows(rows, members, 2);
    ASSERT_TRUE(widest);
    EXPECT_EQ(sorted((*widest)[0]), (std::vector<size_t>{1, 4}));
    EXPECT_EQ(sorted((*widest)[1]), (std::vector<size_t>{2, 5}));
    // No row has a prefix.
    EXPECT_TRUE((*widest)[2].empty());
    // Fewer rows with the text than asked for: all of them, never a row
    // without it.
    widest = widest_rows(rows, members, 10);
    ASSERT_TRUE(widest);
    EXPECT_EQ(sorted((*widest)[0]), (std::vector<size_t>{0, 1, 2, 4, 5}));
}

TEST(WidestRows, NothingWhenAShownTextBreaksIntoLines) {
    std::vector<ItemRow> rows{{nullptr, 0, "one\ntwo", "fine", false, nullptr}};
    const ItemText names[] = {&ItemRow::name};
    const ItemText descriptions[] = {&ItemRow::description};
    EXPECT_FALSE(widest_rows(rows, names, 4));
    // A text that no column shows does not count.
    EXPECT_TRUE(widest_rows(rows, descriptions, 4));
}

} // namespace
