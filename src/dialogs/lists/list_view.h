// The list of a list dialog: its view in a scroller, filled from the
// request's items, and what its rows do when toggled or activated.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"
#include "dialogs/lists/items.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"

// toggle is null for the menu, descriptions when the column is hidden.
struct ListView {
    GtkTreeView *view;
    GObjectPtr<GtkTreeModel> model;
    GtkCellRenderer *toggle;
    GtkTreeViewColumn *descriptions;
};

// Fills the dialog (whose arguments list_args_ok accepted) with the filled
// model and its view, the default item selected, and the standard buttons.
// The caller connects its handlers.
ListView list_view_new(DialogWindow &dialog, ListKind kind, const DialogRequest &request);

// Each row's mark turns on and off by itself (checklist).
void connect_check_handlers(ListView &list);

// At most one row is marked, and choosing a row moves the mark there
// (radiolist and treeview).
void connect_radio_handlers(ListView &list);
