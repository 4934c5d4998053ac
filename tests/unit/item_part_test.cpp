#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/lists/columns.h"
#include "dialogs/lists/item_model.h"
#include "dialogs/lists/item_part.h"
#include "frame/gobject_ptr.h"

namespace {

// A buildlist of a (on), b, c (off) and d (on), its two lists, and the
// changes the lists announce, as "deleted 1" or "inserted 2".
struct Lists {
    std::vector<const char *> args{"0", "a", "A",   "on", "b", "B", "off",
                                   "c", "C", "off", "d",  "D", "on"};
    GObjectPtr<GtkTreeModel> items;
    GObjectPtr<GtkTreeModel> off;
    GObjectPtr<GtkTreeModel> on;
    std::vector<std::string> announced;

    Lists() {
        Options opts{};
        reset_options(&opts);
        const ItemArgs item_args(ListKind::buildlist, args, &opts);
        std::optional<GtkTreeIter> no_default;
        items.reset(item_model_new(ListKind::buildlist, item_args, {}, nullptr, no_default));
        std::vector<bool> starts_on;
        for (size_t row = 0; row < item_args.size(); ++row)
            starts_on.push_back(item_args.starts_on(row));
        auto index = std::make_shared<PartIndex>(starts_on);
        off.reset(GTK_TREE_MODEL(item_part_new(items.get(), index, false)));
        on.reset(GTK_TREE_MODEL(item_part_new(items.get(), index, true)));
        for (GtkTreeModel *list : {off.get(), on.get()}) {
            g_signal_connect(list, "row-deleted", G_CALLBACK(on_deleted), this);
            g_signal_connect(list, "row-inserted", G_CALLBACK(on_inserted), this);
        }
    }

    static void note(Lists *lists, GtkTreeModel *list, const char *what, GtkTreePath *path) {
        GCharPtr place(gtk_tree_path_to_string(path));
        lists->announced.push_back(std::string(list == lists->off.get() ? "off " : "on ") + what +
                                   " " + place.get());
    }
    static void on_deleted(GtkTreeModel *list, GtkTreePath *path, Lists *lists) {
        note(lists, list, "deleted", path);
    }
    static void on_inserted(GtkTreeModel *list, GtkTreePath *path, GtkTreeIter *, Lists *lists) {
        note(lists, list, "inserted", path);
    }

    // The names of a list, walked as a view walks it.
    static std::vector<std::string> names(GtkTreeModel *list) {
        std::vector<std::string> found;
        GtkTreeIter iter;
        for (bool more = gtk_tree_model_get_iter_first(list, &iter); more;
             more = gtk_tree_model_iter_next(list, &iter)) {
            GCharPtr name;
            gtk_tree_model_get(list, &iter, TOGGLE_LIST_COLUMNS.name,
                               static_cast<char **>(out(name)), -1);
            found.push_back(name.get());
        }
        return found;
    }

    bool move(GtkTreeModel *from, GtkTreeModel *to, int place) {
        GtkTreeIter iter;
        GtkTreeIter moved;
        TreePathPtr path(gtk_tree_path_new_from_indices(place, -1));
        return gtk_tree_model_get_iter(from, &iter, path.get()) &&
               item_part_move(ITEM_PART(from), ITEM_PART(to), &iter, &moved);
    }
};

using Names = std::vector<std::string>;

TEST(ItemPart, ListsKeepItemOrderAndAnnounceEachMoveWhereItHappens) {
    Lists lists;
    EXPECT_EQ(Lists::names(lists.off.get()), (Names{"b", "c"}));
    EXPECT_EQ(Lists::names(lists.on.get()), (Names{"a", "d"}));

    ASSERT_TRUE(lists.move(lists.off.get(), lists.on.get(), 1)); // c
    EXPECT_EQ(Lists::names(lists.off.get()), (Names{"b"}));
    EXPECT_EQ(Lists::names(lists.on.get()), (Names{"a", "c", "d"}));
    ASSERT_TRUE(lists.move(lists.on.get(), lists.off.get(), 0)); // a
    EXPECT_EQ(Lists::names(lists.off.get()), (Names{"a", "b"}));
    EXPECT_EQ(lists.announced,
              (Names{"off deleted 1", "on inserted 1", "on deleted 0", "off inserted 0"}));

    // The item model holds the states the answer is read from.
    GtkTreeIter c;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(lists.items.get(), &c, nullptr, 2));
    EXPECT_TRUE(item_checked(lists.items.get(), &c));
}

TEST(ItemPart, RefusesPlacesAndRowsThatAreNotInTheList) {
    Lists lists;
    GtkTreeIter iter;
    TreePathPtr past_end(gtk_tree_path_new_from_indices(2, -1));
    EXPECT_FALSE(gtk_tree_model_get_iter(lists.off.get(), &iter, past_end.get()));

    // b is off: the list of items that are on does not have it.
    GtkTreeIter b;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(lists.items.get(), &b, nullptr, 1));
    EXPECT_FALSE(item_part_iter_of(ITEM_PART(lists.on.get()), &b, &iter));
    ASSERT_TRUE(item_part_iter_of(ITEM_PART(lists.off.get()), &b, &iter));

    // An iterator of a row that has moved away no longer moves it.
    GtkTreeIter moved;
    ASSERT_TRUE(
        item_part_move(ITEM_PART(lists.off.get()), ITEM_PART(lists.on.get()), &iter, &moved));
    EXPECT_FALSE(
        item_part_move(ITEM_PART(lists.off.get()), ITEM_PART(lists.on.get()), &iter, &moved));
    EXPECT_EQ(lists.announced.size(), 2u);
}

// Neighbours in a list may stand far apart among the items: the first and
// the last of 40 items are on, and next to each other in their list.
TEST(ItemPart, StepsAcrossLongGapsBothWays) {
    std::vector<bool> starts_on(40, false);
    starts_on.front() = starts_on.back() = true;
    std::vector<std::string> texts{"0"};
    for (size_t row = 0; row < starts_on.size(); ++row)
        texts.insert(texts.end(), {"r" + std::to_string(row), "", starts_on[row] ? "on" : "off"});
    std::vector<const char *> args;
    for (const std::string &text : texts)
        args.push_back(text.c_str());
    Options opts{};
    reset_options(&opts);
    std::optional<GtkTreeIter> no_default;
    GObjectPtr<GtkTreeModel> items(item_model_new(
        ListKind::buildlist, ItemArgs(ListKind::buildlist, args, &opts), {}, nullptr, no_default));
    GObjectPtr<GtkTreeModel> on(
        GTK_TREE_MODEL(item_part_new(items.get(), std::make_shared<PartIndex>(starts_on), true)));

    EXPECT_EQ(Lists::names(on.get()), (Names{"r0", "r39"}));
    GtkTreeIter last;
    ASSERT_TRUE(gtk_tree_model_iter_nth_child(on.get(), &last, nullptr, 1));
    ASSERT_TRUE(gtk_tree_model_iter_previous(on.get(), &last));
    GCharPtr name;
    gtk_tree_model_get(on.get(), &last, TOGGLE_LIST_COLUMNS.name, static_cast<char **>(out(name)),
                       -1);
    EXPECT_STREQ(name.get(), "r0");
    EXPECT_FALSE(gtk_tree_model_iter_previous(on.get(), &last));
}

} // namespace
