#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "dialogs/lists/columns.h"
#include "dialogs/lists/item_tree.h"
#include "frame/gobject_ptr.h"

namespace {

// A list's arguments, menurows first, kept alive for its model.
struct Arguments {
    std::vector<std::string> texts{"0"};
    std::vector<const char *> args;

    explicit Arguments(std::vector<std::string> groups) {
        texts.insert(texts.end(), groups.begin(), groups.end());
        for (const std::string &text : texts)
            args.push_back(text.c_str());
    }
    ItemArgs items(ListKind kind) const {
        static const Options opts = [] {
            Options options{};
            reset_options(&options);
            return options;
        }();
        return ItemArgs(kind, args, &opts);
    }
};

Arguments checklist_rows(size_t count) {
    std::vector<std::string> groups;
    for (size_t i = 0; i < count; ++i)
        groups.insert(groups.end(), {"row" + std::to_string(i), "", "off"});
    return Arguments(groups);
}

// A checklist's model of rows named row0, row1, ... under the given
// parents (indices of earlier rows, -1 for the top level).
struct Fixture {
    Arguments arguments;
    ItemTree *tree;
    std::vector<GtkTreeIter> iters;

    explicit Fixture(const std::vector<int> &parents) : arguments(checklist_rows(parents.size())) {
        tree =
            item_tree_new(ListKind::checklist, arguments.items(ListKind::checklist), parents, {});
        iters.resize(parents.size());
        for (size_t i = 0; i < parents.size(); ++i)
            EXPECT_TRUE(item_tree_iter_of(tree, i, &iters[i]));
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
        gtk_tree_model_get(model(), iter, TOGGLE_LIST_COLUMNS.name, &name, -1);
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
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.name, &name, -1);
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
    EXPECT_EQ(item_tree_deepest(f.tree), 3);
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
    EXPECT_EQ(item_tree_deepest(f.tree), 1);
    EXPECT_EQ(f.path_of(2), "2");
}

void count_change(GtkTreeModel *, GtkTreePath *path, GtkTreeIter *, gpointer data) {
    char *text = gtk_tree_path_to_string(path);
    *static_cast<std::string *>(data) += text;
    g_free(text);
}

TEST(ItemTree, SettingAStateTellsTheViews) {
    Fixture f({-1, 0});
    std::string changed;
    g_signal_connect(f.tree, "row-changed", G_CALLBACK(count_change), &changed);
    item_tree_set_state(f.tree, &f.iters[1], true);
    EXPECT_EQ(changed, "0:0");
    gboolean state = FALSE;
    gtk_tree_model_get(f.model(), &f.iters[1], TOGGLE_LIST_COLUMNS.state, &state, -1);
    EXPECT_TRUE(state);
}

TEST(ItemTree, ColumnsReadEachMemberOfTheItem) {
    // With --item-prefix, --item-depth and --item-bottom-desc.
    const char *const checklist[] = {"0", "pre", "2", "name", "description", "on", "help"};
    const char *const menu[] = {"0", "pre", "2", "name", "description", "help"};
    Options opts{};
    reset_options(&opts);
    opts.item_prefix = opts.item_depth = opts.item_bottom_desc = true;
    for (ListKind kind : {ListKind::checklist, ListKind::menu}) {
        const ItemColumns &columns = item_columns(kind);
        const ItemArgs items =
            kind == ListKind::menu ? ItemArgs(kind, menu, &opts) : ItemArgs(kind, checklist, &opts);
        GObjectPtr<ItemTree> tree(item_tree_new(kind, items, {}, {}));
        GtkTreeModel *model = GTK_TREE_MODEL(tree.get());
        EXPECT_EQ(gtk_tree_model_get_n_columns(model), columns.count);
        GtkTreeIter iter;
        EXPECT_FALSE(item_tree_iter_of(tree.get(), 1, &iter));
        ASSERT_TRUE(item_tree_iter_of(tree.get(), 0, &iter));
        GCharPtr prefix, name, description, bottom;
        int depth = 0;
        gtk_tree_model_get(model, &iter, columns.prefix, static_cast<char **>(out(prefix)),
                           columns.depth, &depth, columns.name, static_cast<char **>(out(name)),
                           columns.description, static_cast<char **>(out(description)),
                           columns.bottom, static_cast<char **>(out(bottom)), -1);
        EXPECT_STREQ(prefix.get(), "pre");
        EXPECT_EQ(depth, 2);
        EXPECT_STREQ(name.get(), "name");
        EXPECT_STREQ(description.get(), "description");
        EXPECT_STREQ(bottom.get(), "help");
        EXPECT_EQ(gtk_tree_model_get_column_type(model, columns.depth), G_TYPE_INT);
        if (columns.state >= 0) {
            gboolean on = FALSE;
            gtk_tree_model_get(model, &iter, columns.state, &on, -1);
            EXPECT_TRUE(on);
            EXPECT_EQ(gtk_tree_model_get_column_type(model, columns.state), G_TYPE_BOOLEAN);
        }
    }
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

        item_tree_set_state(f.tree, &iter, true);
        EXPECT_EQ(log.messages.size(), 10u) << kind; // one warning per call
    }
    EXPECT_EQ(changed, "");
    EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), nullptr), 1);
    EXPECT_EQ(gtk_tree_model_iter_n_children(f.model(), &f.iters[0]), 1);
    gboolean state = TRUE;
    gtk_tree_model_get(f.model(), &f.iters[1], TOGGLE_LIST_COLUMNS.state, &state, -1);
    EXPECT_FALSE(state);
}

TEST(ItemTree, ShowsRepairedTextsButAnswersWithTheOwnName) {
    const Arguments arguments({"a", "one", "b\xff", "two\xff", "c", "three"});
    ShownRows shown;
    shown.rows.push_back({1, nullptr, "two?", nullptr});
    GObjectPtr<ItemTree> tree(
        item_tree_new(ListKind::menu, arguments.items(ListKind::menu), {}, std::move(shown)));
    GtkTreeModel *model = GTK_TREE_MODEL(tree.get());
    const char *names[] = {"a", "b\xff", "c"};
    const char *descriptions[] = {"one", "two?", "three"};
    for (size_t row = 0; row < 3; ++row) {
        GtkTreeIter iter;
        ASSERT_TRUE(item_tree_iter_of(tree.get(), row, &iter));
        GCharPtr name, description;
        gtk_tree_model_get(model, &iter, MENU_COLUMNS.name, static_cast<char **>(out(name)),
                           MENU_COLUMNS.description, static_cast<char **>(out(description)), -1);
        EXPECT_STREQ(name.get(), names[row]);
        EXPECT_STREQ(description.get(), descriptions[row]);
    }
}

TEST(ItemTree, AMenuHasNoStateToSet) {
    const Arguments arguments({"a", "b"});
    GObjectPtr<ItemTree> tree(
        item_tree_new(ListKind::menu, arguments.items(ListKind::menu), {}, {}));
    GtkTreeIter iter;
    ASSERT_TRUE(item_tree_iter_of(tree.get(), 0, &iter));
    std::string changed;
    g_signal_connect(tree.get(), "row-changed", G_CALLBACK(count_change), &changed);
    LogCapture log;
    item_tree_set_state(tree.get(), &iter, true);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_NE(log.messages[0].find("item_tree_set_state"), std::string::npos) << log.messages[0];
    EXPECT_EQ(changed, "");
}

} // namespace
