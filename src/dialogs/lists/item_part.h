// One of the buildlist's lists as a tree model: the rows of the item model
// (an ItemTree, flat) whose state is that of the list, in item order, with
// the item model's columns. The two lists share one PartIndex, so that a
// row's place in either, and moving it across, take time logarithmic in
// the number of items, and the lists keep nothing per row themselves.
#pragma once

#include <gtk/gtk.h>
#include <memory>

#include "dialogs/lists/part_index.h"

G_BEGIN_DECLS
#define ITEM_TYPE_PART (item_part_get_type())
G_DECLARE_FINAL_TYPE(ItemPart, item_part, ITEM, PART, GObject)
G_END_DECLS

// The rows of items that are on (or off), as index has them.
ItemPart *item_part_new(GtkTreeModel *items, std::shared_ptr<PartIndex> index, bool on);

// The list's iterator of an item model's row; false when the row is not
// in the list.
bool item_part_iter_of(ItemPart *part, GtkTreeIter *item, GtkTreeIter *iter);

// Moves a row of from (given by its iterator there) to to, the other list
// of the same items, and sets its state in the item model to to's. moved
// is then its iterator in to. False, and nothing moved, when iter is not
// one of from's rows.
bool item_part_move(ItemPart *from, ItemPart *to, GtkTreeIter *iter, GtkTreeIter *moved);
