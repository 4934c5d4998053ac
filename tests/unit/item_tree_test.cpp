#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "dialogs/lists/item_tree.h"
#include "frame/gobject_ptr.h"

namespace {

// A two-column model (name, flag) with rows appended under the given
// parents (indices of earlier rows, -1 for the top level).
struct Fixture {
    ItemTree *tree;
    std::vector<GtkTreeIter> iters;

    explicit Fixture(const std::vector<int> &parents) {
        GType types[] = {G_TYPE_STRING, G_TYPE_BOOLEAN};
        tree = item_tree_new(2, types);
        iters.resize(parents.size());
        for (size_t i = 0; i < parents.size(); ++i) {
            GValue values[2] = {};
            g_value_init(&values[0], G_TYPE_STRING);
            g_value_take_string(&values[0], g_strdup_printf("row%zu", i));
            g_value_init(&values[1], G_TYPE_BOOLEAN);
            item_tree_append(tree, parents[i] >= 0 ? &iters[parents[i]] : nullptr, values, 2,
                             &iters[i]);
            g_value_unset(&values[0]);
        }
    }
    ~Fixture() { g_object_unref(tree); }

    GtkTreeModel *model() const { return GTK_TREE_MODEL(tree); }

    std::string path_of(int row) {
        GtkTreePath *path = gtk_tree_model_get_path(model(), &iters[row]);
        char *text = gtk_tree_path_to_string(path);
        std::string result = text;
        g_free(text);
        gtk_tree_path_free(path);
        return result;
    }

    std::string name_at(GtkTreeIter *iter) {
        char *name = nullptr;
        gtk_tree_model_get(model(), iter, 0, &name, -1);
        std::string result = name;
        g_free(name);
        return result;
    }
};

// Collects GLib's warnings while it lives, in place of printing them.
struct LogCapture {
    std::vector<std::string> messages;

    LogCapture() { g_log_set_default_handler(collect, this); }
    ~LogCapture() { g_log_set_default_handler(g_log_default_handler, nullptr); }

    static void collect(const char *, GLogLevelFlags, const char *message, gpointer data) {
        static_cast<LogCapture *>(data)->messages.push_back(message);
    }
};

gboolean collect_name(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter, gpointer data) {
    char *name = nullptr;
    gtk_tree_model_get(model, iter, 0, &name, -1);
    static_cast<std::vector<std::string> *>(data)->push_back(name);
    g_free(name);
    return FALSE;
}

TEST(ItemTree, PathsAndIteratorsAgree) {
    //  row0
    //    row1
    //      row2
    //    row3
    //  row4
    Fixture f({-1, 0, 1, 0, -1});
    const char *paths[] = {"0", "0:0", "0:0:0", "0:1", "1"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(f.path_of(row), paths[row]);
        GtkTreeIter iter;
        ASSERT_TRUE(gtk_tree_model_get_iter_from_string(f.model(), &iter, paths[row]));
        EXPECT_EQ(f.name_at(&iter), "row" + std::to_string(row));
    }
    GtkTreeIter iter;
    for (const char *missing : {"2", "0:2", "0:0:0:0", "1:0"})
        EXPECT_FALSE(gtk_tree_model_get_iter_from_string(f.model(), &iter, missing)) << missing;

    EXPECT_TRUE(item_tree_nests(f.tree));
    EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), nullptr), 2);
    EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), &f.iters[0]), 2);
    EXPECT_FALSE(gtk_tree_model_iter_has_child(f.model(), &f.iters[4]));
    GtkTreeIter parent;
    ASSERT_TRUE(gtk_tree_model_iter_parent(f.model(), &parent, &f.iters[2]));
    EXPECT_EQ(f.name_at(&parent), "row1");
    EXPECT_FALSE(gtk_tree_model_iter_parent(f.model(), &parent, &f.iters[4]));
    iter = f.iters[1];
    ASSERT_TRUE(gtk_tree_model_iter_next(f.model(), &iter));
    EXPECT_EQ(f.name_at(&iter), "row3");
    EXPECT_FALSE(gtk_tree_model_iter_next(f.model(), &iter));
    iter = f.iters[4];
    ASSERT_TRUE(gtk_tree_model_iter_previous(f.model(), &iter));
    EXPECT_EQ(f.name_at(&iter), "row0");

    std::vector<std::string> order;
    gtk_tree_model_foreach(f.model(), collect_name, &order);
    EXPECT_EQ(order, (std::vector<std::string>{"row0", "row1", "row2", "row3", "row4"}));
}

TEST(ItemTree, AFlatModelDoesNotNest) {
    Fixture f({-1, -1, -1});
    EXPECT_FALSE(item_tree_nests(f.tree));
    EXPECT_EQ(f.path_of(2), "2");
}

void count_change(GtkTreeModel *, GtkTreePath *path, GtkTreeIter *, gpointer data) {
    char *text = gtk_tree_path_to_string(path);
    *static_cast<std::string *>(data) += text;
    g_free(text);
}

TEST(ItemTree, SettingAValueTellsTheViews) {
    Fixture f({-1, 0});
    std::string changed;
    g_signal_connect(f.tree, "row-changed", G_CALLBACK(count_change), &changed);
    GValue on = G_VALUE_INIT;
    g_value_init(&on, G_TYPE_BOOLEAN);
    g_value_set_boolean(&on, TRUE);
    item_tree_set_value(f.tree, &f.iters[1], 1, &on);
    EXPECT_EQ(changed, "0:0");
    gboolean state = FALSE;
    gtk_tree_model_get(f.model(), &f.iters[1], 1, &state, -1);
    EXPECT_TRUE(state);
}

TEST(ItemTree, AppendingTellsTheViewsThatListen) {
    // Rows appended before anyone listens are told to no one; a view that
    // watches the model hears each new row and each row that gains a child.
    Fixture f({-1});
    std::string inserted;
    std::string gained_child;
    g_signal_connect(f.tree, "row-inserted", G_CALLBACK(count_change), &inserted);
    g_signal_connect(f.tree, "row-has-child-toggled", G_CALLBACK(count_change), &gained_child);
    GValue values[2] = {};
    g_value_init(&values[0], G_TYPE_STRING);
    g_value_init(&values[1], G_TYPE_BOOLEAN);
    GtkTreeIter child;
    item_tree_append(f.tree, &f.iters[0], values, 2, &child);
    item_tree_append(f.tree, &child, values, 2, nullptr);
    item_tree_append(f.tree, &child, values, 2, nullptr);
    EXPECT_EQ(inserted, "0:00:0:00:0:1");
    EXPECT_EQ(gained_child, "00:0");
}

// Iterators the model must refuse rather than read: one left invalid by a
// move past the last row, one of another model with more rows, one of a
// GtkTreeStore (a pointer where a row index should be).
struct BadIters {
    Fixture bigger{std::vector<int>(100, -1)};
    GObjectPtr<GtkTreeStore> store{gtk_tree_store_new(1, G_TYPE_STRING)};
    std::vector<std::pair<const char *, GtkTreeIter>> iters;

    explicit BadIters(Fixture &f) {
        GtkTreeIter stale = f.iters.back();
        EXPECT_FALSE(gtk_tree_model_iter_next(f.model(), &stale));
        iters.emplace_back("stale", stale);
        iters.emplace_back("foreign", bigger.iters[50]);
        GtkTreeIter stored;
        gtk_tree_store_append(store.get(), &stored, nullptr);
        iters.emplace_back("tree store's", stored);
    }
};

TEST(ItemTree, IteratorsOfNoRowOfItsOwnAreRefused) {
    Fixture f({-1, 0});
    BadIters bad(f);
    std::string changed;
    g_signal_connect(f.tree, "row-changed", G_CALLBACK(count_change), &changed);
    for (auto &[kind, iter] : bad.iters) {
        LogCapture log;
        GtkTreeIter out;
        GtkTreeIter moved = iter;
        EXPECT_EQ(gtk_tree_model_get_path(f.model(), &iter), nullptr) << kind;
        GValue value = G_VALUE_INIT;
        gtk_tree_model_get_value(f.model(), &iter, 0, &value);
        EXPECT_EQ(g_value_get_string(&value), nullptr) << kind;
        g_value_unset(&value);
        EXPECT_FALSE(gtk_tree_model_iter_next(f.model(), &moved)) << kind;
        EXPECT_EQ(moved.stamp, 0) << kind;
        moved = iter;
        EXPECT_FALSE(gtk_tree_model_iter_previous(f.model(), &moved)) << kind;
        EXPECT_EQ(moved.stamp, 0) << kind;
        EXPECT_FALSE(gtk_tree_model_iter_has_child(f.model(), &iter)) << kind;
        EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), &iter), 0) << kind;
        EXPECT_FALSE(gtk_tree_model_iter_nth_child(f.model(), &out, &iter, 0)) << kind;
        EXPECT_EQ(out.stamp, 0) << kind;
        out.stamp = 1;
        EXPECT_FALSE(gtk_tree_model_iter_children(f.model(), &out, &iter)) << kind;
        EXPECT_EQ(out.stamp, 0) << kind;
        out.stamp = 1;
        EXPECT_FALSE(gtk_tree_model_iter_parent(f.model(), &out, &iter)) << kind;
        EXPECT_EQ(out.stamp, 0) << kind;

        GValue on = G_VALUE_INIT;
        g_value_init(&on, G_TYPE_BOOLEAN);
        g_value_set_boolean(&on, TRUE);
        item_tree_set_value(f.tree, &iter, 1, &on);
        GValue values[2] = {};
        g_value_init(&values[0], G_TYPE_STRING);
        g_value_init(&values[1], G_TYPE_BOOLEAN);
        out.stamp = 1;
        item_tree_append(f.tree, &iter, values, 2, &out);
        EXPECT_EQ(out.stamp, 0) << kind;
        EXPECT_EQ(log.messages.size(), 11u) << kind; // one warning per call
    }
    EXPECT_EQ(changed, "");
    EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), nullptr), 1);
    EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), &f.iters[0]), 1);
    gboolean state = TRUE;
    gtk_tree_model_get(f.model(), &f.iters[1], 1, &state, -1);
    EXPECT_FALSE(state);
}

TEST(ItemTree, AValueOfAnotherTypeIsRefused) {
    // A boolean where an integer is kept, as a list's state (column 1)
    // would land in the menu's depth.
    GType menu[] = {G_TYPE_STRING, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING};
    GObjectPtr<ItemTree> tree(item_tree_new(5, menu));
    GValue values[2] = {};
    g_value_init(&values[0], G_TYPE_STRING);
    g_value_set_int(g_value_init(&values[1], G_TYPE_INT), 3);
    GtkTreeIter iter;
    item_tree_append(tree.get(), nullptr, values, 2, &iter);
    GtkTreeModel *model = GTK_TREE_MODEL(tree.get());
    std::string changed;
    g_signal_connect(model, "row-changed", G_CALLBACK(count_change), &changed);

    GValue on = G_VALUE_INIT;
    g_value_set_boolean(g_value_init(&on, G_TYPE_BOOLEAN), TRUE);
    LogCapture log;
    item_tree_set_value(tree.get(), &iter, 1, &on);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_NE(log.messages[0].find("item_tree_set_value"), std::string::npos) << log.messages[0];
    EXPECT_EQ(changed, "");
    EXPECT_EQ(gtk_tree_model_get_column_type(model, 1), G_TYPE_INT);
    int kept = 0;
    gtk_tree_model_get(model, &iter, 1, &kept, -1);
    EXPECT_EQ(kept, 3);
}

} // namespace
