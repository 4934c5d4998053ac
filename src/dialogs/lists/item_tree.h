// The list dialogs' tree model. GtkTreeStore finds a row by walking its
// siblings, so filling and showing a long list costs time quadratic in its
// length; this model keeps every row's children in an array and its place
// among them, so a row is found from its path, and its path from the row,
// in time proportional to its depth.
#pragma once

#include <cstddef>
#include <gtk/gtk.h>

G_BEGIN_DECLS
#define ITEM_TYPE_TREE (item_tree_get_type())
G_DECLARE_FINAL_TYPE(ItemTree, item_tree, ITEM, TREE, GObject)
G_END_DECLS

// A new empty model with the given column types.
ItemTree *item_tree_new(int n_columns, const GType *types);

// Makes room for rows in all, so that appending them moves nothing.
void item_tree_reserve(ItemTree *tree, size_t rows);

// Appends a row as the last child of parent (null: the last top-level row)
// and sets its first count columns from values, which it copies. iter (may
// be null) receives the new row; iterators stay valid as rows are added.
void item_tree_append(ItemTree *tree, GtkTreeIter *parent, const GValue *values, int count,
                      GtkTreeIter *iter);

// Sets one column of a row and tells the views.
void item_tree_set_value(ItemTree *tree, GtkTreeIter *iter, int column, const GValue *value);

// True when some row has children.
bool item_tree_nests(ItemTree *tree);
