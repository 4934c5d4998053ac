// A list dialog's model: its items as rows of an ItemTree, in the columns
// of its kind, nested under their parents.
#pragma once

#include <gtk/gtk.h>
#include <optional>
#include <vector>

#include "dialogs/lists/items.h"
#include "frame/gobject_ptr.h"

// Text for a column that GTK only displays: the original when it is valid
// UTF-8, a repaired copy otherwise.
struct ShownText {
    GCharPtr copy;
    const char *text;
};

ShownText shown_text(const char *text);

// A new model holding the items under their parents (as item_tree_new
// takes them), their texts repaired for display; default_row is the last
// row named default_item.
GtkTreeModel *item_model_new(ListKind kind, const ItemArgs &items, std::vector<int> parents,
                             const char *default_item, std::optional<GtkTreeIter> &default_row);

// The state of a row of a checklist, radiolist or treeview model.
bool item_checked(GtkTreeModel *model, GtkTreeIter *iter);
void set_item_state(GtkTreeModel *model, GtkTreeIter *iter, bool on);
