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

// A menu of these names and descriptions, without prefixes.
struct Menu {
    std::vector<const char *> args{"0"};
    Options opts{};

    Menu(std::vector<const char *> names, std::vector<const char *> descriptions) {
        reset_options(&opts);
        for (size_t i = 0; i < names.size(); ++i)
            args.insert(args.end(), {names[i], descriptions[i]});
    }
    ItemArgs items() const { return ItemArgs(ListKind::menu, args, &opts); }
};

TEST(WidestRows, PicksTheRowsThatLookWidestInEachMember) {
    const Menu menu({"iiiiiiii", "WWWWWW", "ab", "", "mmmmmmm", "abc"},
                    {"a", "b", "a long one", "c", "d", "WWWWWWWW"});
    const ItemText members[] = {ItemText::name, ItemText::description, ItemText::prefix};
    auto widest = widest_rows(menu.items(), members, 2);
    ASSERT_TRUE(widest);
    EXPECT_EQ(sorted((*widest)[0]), (std::vector<size_t>{1, 4}));
    EXPECT_EQ(sorted((*widest)[1]), (std::vector<size_t>{2, 5}));
    // The items have no prefix.
    EXPECT_TRUE((*widest)[2].empty());
    // Fewer rows than asked for: all of them.
    widest = widest_rows(menu.items(), members, 10);
    ASSERT_TRUE(widest);
    EXPECT_EQ(sorted((*widest)[0]), (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
}

TEST(WidestRows, NothingWhenAShownTextBreaksIntoLines) {
    const Menu menu({"one\ntwo"}, {"fine"});
    const ItemText names[] = {ItemText::name};
    const ItemText descriptions[] = {ItemText::description};
    EXPECT_FALSE(widest_rows(menu.items(), names, 4));
    // A text that no column shows does not count.
    EXPECT_TRUE(widest_rows(menu.items(), descriptions, 4));
}

} // namespace
