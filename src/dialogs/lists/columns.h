// The columns of a list dialog's model: the one place that says which
// column holds what. The model, the view and the answer writers all read
// their columns from here.
#pragma once

#include "dialogs/lists/items.h"

// Where each member of an item sits in the model; -1 for none.
struct ItemColumns {
    int prefix;      // text
    int state;       // boolean: checked
    int depth;       // integer
    int name;        // text, the answer
    int description; // text
    int bottom;      // markup, the row's tooltip
    int count;
};

// Checklist, radiolist and treeview.
constexpr ItemColumns TOGGLE_LIST_COLUMNS{
    .prefix = 0, .state = 1, .depth = 2, .name = 3, .description = 4, .bottom = 5, .count = 6};

// The menu has no state.
constexpr ItemColumns MENU_COLUMNS{
    .prefix = 0, .state = -1, .depth = 1, .name = 2, .description = 3, .bottom = 4, .count = 5};

constexpr const ItemColumns &item_columns(ListKind kind) {
    return kind == ListKind::menu ? MENU_COLUMNS : TOGGLE_LIST_COLUMNS;
}
