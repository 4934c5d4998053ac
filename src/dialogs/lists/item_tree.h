// The list dialogs' tree model: the items themselves, read in the columns
// of their kind (columns.h), nested under their parents. A flat list keeps
// a bit per row, its state; a nested one also keeps each row's place,
// so that a row is found from its path, and its path from the row, in time
// proportional to its depth. Rows are fixed once the model is made; only
// their states change.
#pragma once

#include <gtk/gtk.h>
#include <vector>

#include "dialogs/lists/items.h"
#include "frame/gobject_ptr.h"

G_BEGIN_DECLS
#define ITEM_TYPE_TREE (item_tree_get_type())
G_DECLARE_FINAL_TYPE(ItemTree, item_tree, ITEM, TREE, GObject)
G_END_DECLS

// The texts a view shows in place of a row's own prefix, description and
// bottom text, for a row where one of them had to be repaired.
struct ShownRow {
    size_t row;
    const char *prefix;
    const char *description;
    const char *bottom;
};

// The rows shown with other texts than their own, in row order, and the
// copies that those texts point into.
struct ShownRows {
    std::vector<ShownRow> rows;
    std::vector<GCharPtr> kept;
};

// A model of the items under their parents (for each row the index of an
// earlier row, or -1 for the top level; empty when no row nests). The items'
// texts are borrowed: the dialog's arguments must outlive the model.
ItemTree *item_tree_new(ListKind kind, ItemArgs items, std::vector<int> parents, ShownRows shown);

// The iterator of a row, numbered as the rows were given; false for none.
bool item_tree_iter_of(ItemTree *tree, size_t row, GtkTreeIter *iter);

// A member of a row's item as the command line gives it, where the view
// may show a copy repaired for display; null when the items have no such
// member.
const char *item_tree_item_text(ItemTree *tree, GtkTreeIter *iter, ItemText member);

// Checks or unchecks a row of a list with states and tells the views.
void item_tree_set_state(ItemTree *tree, GtkTreeIter *iter, bool on);

// True when some row has children.
bool item_tree_nests(ItemTree *tree);

// The level of the deepest row: 1 when every row is at the top level.
int item_tree_deepest(ItemTree *tree);
