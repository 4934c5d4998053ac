// The list dialogs' answers: names read from the model, written with the
// quoting that every dialog shares (frame/writer).
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"
#include "dialogs/lists/items.h"

// Each writer returns 0, or the errno of the write that failed.

// The selected row's name behind prefix (which may be null); nothing at all
// when no row is selected.
int print_selected_item(const Options *opts, GtkTreeView *view, ListKind kind, const char *prefix);

// The first checked row's name, in depth-first order; nothing when no row
// is checked.
int print_first_checked_item(const Options *opts, GtkTreeModel *model);

// Every checked row, at every depth in depth-first order, joined by the
// output separator, then a newline.
int print_checked_list(const Options *opts, GtkTreeModel *model);
