#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "dialogs/lists/items.h"

namespace {

Options list_options(bool prefix, bool depth, bool bottom) {
    Options opts{};
    reset_options(&opts);
    opts.item_prefix = prefix;
    opts.item_depth = depth;
    opts.item_bottom_desc = bottom;
    return opts;
}

TEST(ItemLayout, GroupSizesFollowTheItemFlags) {
    struct {
        ListKind kind;
        bool prefix, depth, bottom;
        int expected;
    } cases[] = {
        {ListKind::checklist, false, false, false, 3}, {ListKind::checklist, true, true, true, 6},
        {ListKind::radiolist, false, true, false, 4},  {ListKind::menu, false, false, false, 2},
        {ListKind::menu, true, true, true, 5},         {ListKind::treeview, false, false, false, 4},
        {ListKind::treeview, true, false, true, 6},    {ListKind::treeview, true, true, true, 6},
        {ListKind::buildlist, false, false, false, 3}, {ListKind::buildlist, true, true, true, 5},
    };
    for (const auto &c : cases) {
        Options opts = list_options(c.prefix, c.depth, c.bottom);
        EXPECT_EQ(item_layout(c.kind, &opts).group_size, c.expected)
            << "kind " << static_cast<int>(c.kind) << " prefix " << c.prefix << " depth " << c.depth
            << " bottom " << c.bottom;
    }
}

TEST(ItemLayout, TreeviewTakesItsDepthAfterTheState) {
    Options opts = list_options(true, false, true);
    ItemLayout tree = item_layout(ListKind::treeview, &opts);
    EXPECT_EQ(tree.prefix, 0);
    EXPECT_EQ(tree.name, 1);
    EXPECT_EQ(tree.state, 3);
    EXPECT_EQ(tree.depth, 4);
    EXPECT_EQ(tree.bottom, 5);
    opts.item_depth = true;
    ItemLayout check = item_layout(ListKind::checklist, &opts);
    EXPECT_EQ(check.depth, 1);
    EXPECT_EQ(check.name, 2);
    EXPECT_EQ(check.state, 4);
}

TEST(ListArgs, MenurowsAndGroupCountAreChecked) {
    struct {
        std::vector<const char *> args;
        int group_size;
        bool expected;
    } cases[] = {
        {{}, 3, false},
        {{"5"}, 3, true},
        {{"-1", "a", "b"}, 2, false},
        {{"0", "a", "b", "c"}, 2, false},
        {{"x", "a", "b"}, 2, true},
        {{"5", "a", "b", "on", "c", "d", "off"}, 3, true},
    };
    for (const auto &c : cases) {
        std::vector<const char *> args(c.args.begin(), c.args.end());
        EXPECT_EQ(list_args_valid(args, c.group_size), c.expected)
            << "count " << args.size() << " group size " << c.group_size;
    }
}

TEST(ItemArgs, RadioListsStartWithAtMostOneRowOn) {
    const char *args[] = {"5", "a", "A", "off", "b", "B", "On", "c", "C", "ON", "d", "D", "yes"};
    Options opts = list_options(false, false, false);

    const ItemArgs check(ListKind::checklist, args, &opts);
    const ItemArgs radio(ListKind::radiolist, args, &opts);
    ASSERT_EQ(check.size(), 4u);
    ASSERT_EQ(radio.size(), 4u);
    const bool check_on[] = {false, true, true, false};
    const bool radio_on[] = {false, true, false, false};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(check.starts_on(i), check_on[i]) << "checklist row " << i;
        EXPECT_EQ(radio.starts_on(i), radio_on[i]) << "radiolist row " << i;
    }
    EXPECT_STREQ(radio.text(2, ItemText::name), "c");
    EXPECT_STREQ(radio.text(2, ItemText::description), "C");
}

TEST(ItemArgs, ReadsEveryMemberWhereTheLayoutPutsIt) {
    const char *argv[] = {"0", "p", "x", "desc", "on", "7", "tip", "q", "y", "", "off", "z", ""};
    Options opts = list_options(true, false, true);
    const ItemArgs items(ListKind::treeview, argv, &opts);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_STREQ(items.text(0, ItemText::prefix), "p");
    EXPECT_STREQ(items.text(0, ItemText::name), "x");
    EXPECT_STREQ(items.text(0, ItemText::description), "desc");
    EXPECT_TRUE(items.starts_on(0));
    EXPECT_EQ(items.depth(0), 7);
    EXPECT_STREQ(items.text(0, ItemText::bottom), "tip");
    EXPECT_STREQ(items.text(1, ItemText::name), "y");
    EXPECT_EQ(items.depth(1), 0);

    // A menu without item options has neither prefix nor bottom text, nor
    // a state or a depth.
    const char *menu_args[] = {"0", "x", "desc"};
    Options plain = list_options(false, false, false);
    const ItemArgs menu(ListKind::menu, menu_args, &plain);
    EXPECT_EQ(menu.text(0, ItemText::prefix), nullptr);
    EXPECT_EQ(menu.text(0, ItemText::bottom), nullptr);
    EXPECT_FALSE(menu.starts_on(0));
    EXPECT_EQ(menu.depth(0), 0);
    EXPECT_TRUE(item_parents(ListKind::menu, menu, &plain).empty());
}

// The parent rule as stated: the last searched row whose depth is strictly
// less, searching all earlier rows or only the top-level ones.
std::vector<int> parents_by_rule(const std::vector<int> &depths, ParentSearch search) {
    std::vector<int> parents(depths.size(), -1);
    for (size_t row = 0; row < depths.size(); ++row) {
        if (depths[row] <= 0)
            continue;
        for (size_t earlier = 0; earlier < row; ++earlier) {
            const bool searched = search == ParentSearch::whole_model || parents[earlier] == -1;
            if (searched && depths[earlier] < depths[row])
                parents[row] = static_cast<int>(earlier);
        }
    }
    return parents;
}

TEST(FindParents, MatchesTheExamples) {
    // A B C D with depths 0 1 2 1.
    EXPECT_EQ(find_parents({0, 1, 2, 1}, ParentSearch::whole_model),
              (std::vector<int>{-1, 0, 1, 0}));
    EXPECT_EQ(find_parents({0, 1, 2, 1}, ParentSearch::top_level), (std::vector<int>{-1, 0, 0, 0}));
    // P Q R with depths 1 0 2.
    EXPECT_EQ(find_parents({1, 0, 2}, ParentSearch::whole_model), (std::vector<int>{-1, -1, 1}));
}

TEST(FindParents, AgreesWithTheRuleOnRandomDepths) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 3000; ++round) {
        const int length = std::uniform_int_distribution<int>(0, 40)(random);
        const int low = std::uniform_int_distribution<int>(-3, 0)(random);
        const int high = std::uniform_int_distribution<int>(0, 6)(random);
        std::uniform_int_distribution<int> depth(low, high);
        std::vector<int> depths;
        for (int i = 0; i < length; ++i)
            depths.push_back(depth(random));
        for (ParentSearch search : {ParentSearch::top_level, ParentSearch::whole_model}) {
            ASSERT_EQ(find_parents(depths, search), parents_by_rule(depths, search))
                << "round " << round << " search " << static_cast<int>(search);
        }
    }
}

} // namespace
