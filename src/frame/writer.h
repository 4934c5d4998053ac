// Writing list answers: item names, shell-quoted where the caller asks.
#pragma once

#include <gtk/gtk.h>
#include <string>

#include "core/records.h"

// The item models' columns that the writers read.
constexpr int ITEM_STATE_COLUMN = 1;
constexpr int ITEM_NAME_COLUMN = 3;

// True when name holds a byte that a POSIX shell treats specially.
bool needs_quoting(const char *name);

// The quote character: ' with --single-quoted, " otherwise.
char quote_char(const Options *opts);

// name between quote characters, escaped so that a shell reading it back
// gets name again: inside double quotes a backslash goes before ", \, $ and
// the backquote; inside single quotes each ' becomes '\''.
std::string quoted_name(const char *name, char quote);

// One name and a newline, between quote characters under --quoted when the
// name needs it.
void write_name_line(const Options *opts, const char *name);

// The selected row's name behind prefix (which may be null); nothing at all
// when no row is selected.
void print_selected_item(const Options *opts, GtkTreeSelection *selection, GtkTreeModel *model,
                         int name_column, const char *prefix);

// The first checked row's name, in depth-first order; nothing when no row
// is checked.
void print_first_checked_item(const Options *opts, GtkTreeModel *model);

// Every checked row, at every depth in depth-first order, joined by the
// output separator, then a newline.
void print_checked_list(const Options *opts, GtkTreeModel *model);
