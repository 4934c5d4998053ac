// The list dialogs' tree model: the items themselves, read in the columns
// of their kind (columns.h), nested under their parents. A flat list keeps
// nothing per row besides its items; a nested one keeps each row's place,
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

// A model of these rows under their parents (indices of earlier rows, -1
// for the top level). The texts of the rows are borrowed: they must live as
// long as the model, as the dialog's arguments and the kept texts do.
ItemTree *item_tree_new(ListKind kind, std::vector<ItemRow> rows, std::vector<int> parents,
                        std::vector<GCharPtr> kept);

// The iterator of a row, numbered as the rows were given; false for none.
bool item_tree_iter_of(ItemTree *tree, size_t row, GtkTreeIter *iter);

// Checks or unchecks a row of a list with states and tells the views.
void item_tree_set_state(ItemTree *tree, GtkTreeIter *iter, bool on);

// True when some row has children.
bool item_tree_nests(ItemTree *tree);

// The level of the deepest row: 1 when every row is at the top level.
int item_tree_deepest(ItemTree *tree);
