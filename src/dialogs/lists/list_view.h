// The list of a list dialog: its view in a scroller, filled from the
// request's items, and what its rows do when toggled or activated.
#pragma once

#include <gtk/gtk.h>
#include <span>

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

// One of the lists of a dialog that shows its items in more than one list,
// each list a part of them (the buildlist): its view, with the dialog's
// columns and a row selected at a time, in its scroller, and no model yet.
struct PartView {
    GtkWidget *scroller;
    GtkTreeView *view;
};

PartView part_view_new(ListKind kind, const DialogRequest &request);

// Gives each view, in the window by now (whose style sets the font), its
// model: models[i], which shows a part of tree (the dialog's item model).
// Each view's rows and columns fit every item of tree.
void set_part_models(std::span<const PartView> parts, std::span<GtkTreeModel *const> models,
                     GtkTreeModel *tree, ListKind kind, const DialogRequest &request);
