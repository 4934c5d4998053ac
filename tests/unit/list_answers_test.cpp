#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/lists/answers.h"
#include "dialogs/lists/item_model.h"
#include "written_by.h"

namespace {

struct Item {
    const char *name;
    bool checked;
    std::vector<Item> children = {};
};

// A checklist's model holding the items, nested as given. Its arguments
// live as long as the test program, as a dialog's do while it runs.
GtkTreeModel *item_model(const std::vector<Item> &items) {
    static std::vector<std::vector<const char *>> all_args;
    std::vector<const char *> &args = all_args.emplace_back(std::vector<const char *>{"0"});
    std::vector<int> parents;
    struct Flattener {
        std::vector<const char *> &args;
        std::vector<int> &parents;
        void add(const std::vector<Item> &items, int parent) {
            for (const Item &item : items) {
                const int row = static_cast<int>(parents.size());
                args.insert(args.end(), {item.name, "", item.checked ? "on" : "off"});
                parents.push_back(parent);
                add(item.children, row);
            }
        }
    } flattener{args, parents};
    flattener.add(items, -1);
    Options opts{};
    reset_options(&opts);
    std::optional<GtkTreeIter> no_default;
    return item_model_new(ListKind::checklist, ItemArgs(ListKind::checklist, args, &opts), parents,
                          nullptr, no_default);
}

const std::vector<Item> alpha_beta_gamma = {
    {"alpha", true}, {"beta", false}, {"gamma delta", true}};

TEST(Writers, CheckedListFollowsTheQuotingAndSeparatorRules) {
    struct {
        bool quoted, single_quoted, separate_output;
        const char *separator;
        const char *expected;
    } cases[] = {
        {false, false, false, nullptr, "\"alpha\" \"gamma delta\"\n"},
        {false, true, false, nullptr, "'alpha' 'gamma delta'\n"},
        {false, false, true, nullptr, "alpha\ngamma delta\n"},
        {true, false, true, nullptr, "alpha\n\"gamma delta\"\n"},
        {true, true, true, nullptr, "alpha\n'gamma delta'\n"},
        {false, false, false, ",", "\"alpha\",\"gamma delta\"\n"},
        {false, false, true, "::", "alpha::gamma delta\n"},
        {true, false, false, nullptr, "\"alpha\" \"gamma delta\"\n"},
    };
    GtkTreeModel *model = item_model(alpha_beta_gamma);
    for (const auto &c : cases) {
        Options opts = default_options();
        opts.quoted = c.quoted;
        opts.single_quoted = c.single_quoted;
        opts.separate_output = c.separate_output;
        opts.output_separator = c.separator;
        EXPECT_EQ(written_by(opts, [&](Options *o) { print_checked_list(o, model); }), c.expected)
            << "quoted " << c.quoted << " single " << c.single_quoted << " separate "
            << c.separate_output;
    }
    g_object_unref(model);
}

TEST(Writers, CheckedListWithNothingCheckedIsOneNewline) {
    GtkTreeModel *model = item_model({{"alpha", false}, {"beta", false}});
    GtkTreeModel *empty = item_model({});
    for (GtkTreeModel *m : {model, empty})
        EXPECT_EQ(written_by(default_options(), [&](Options *o) { print_checked_list(o, m); }),
                  "\n");
    g_object_unref(model);
    g_object_unref(empty);
}

TEST(Writers, CheckedListWritesNestedRowsInDepthFirstOrder) {
    GtkTreeModel *model = item_model({{"top", false, {{"child", true, {{"grandchild", true}}}}},
                                      {"next", true, {{"inner", false}}}});
    EXPECT_EQ(written_by(default_options(), [&](Options *o) { print_checked_list(o, model); }),
              "\"child\" \"grandchild\" \"next\"\n");
    g_object_unref(model);
}

TEST(Writers, CheckedItemWritesTheFirstCheckedRowOnly) {
    GtkTreeModel *model = item_model({{"off", false, {{"a b", true}}}, {"later", true}});
    GtkTreeModel *unchecked = item_model({{"off", false}});
    Options opts = default_options();
    opts.quoted = true;
    EXPECT_EQ(written_by(opts,
                         [&](Options *o) {
                             print_first_checked_item(o, model);
                             print_first_checked_item(o, unchecked);
                         }),
              "\"a b\"\n");
    g_object_unref(model);
    g_object_unref(unchecked);
}

} // namespace
