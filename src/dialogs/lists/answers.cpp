#include "dialogs/lists/answers.h"

#include <cstdio>

#include "dialogs/lists/columns.h"
#include "frame/gobject_ptr.h"
#include "frame/writer.h"

void print_selected_item(const Options *opts, GtkTreeView *view, ListKind kind,
                         const char *prefix) {
    GtkTreeModel *model = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), &model, &iter))
        return;
    GCharPtr name;
    gtk_tree_model_get(model, &iter, item_columns(kind).name, static_cast<char **>(out(name)), -1);
    if (prefix != nullptr)
        dprintf(opts->output_fd, "%s", prefix);
    write_name_line(opts, name ? name.get() : "");
}

namespace {

struct FirstCheckedWriter {
    const Options *opts;
};

// Writes the row's name and stops the walk when the row is checked.
gboolean on_first_checked_row(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter,
                              gpointer data) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.state, &checked, -1);
    if (!checked)
        return FALSE;
    GCharPtr name;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.name, static_cast<char **>(out(name)), -1);
    write_name_line(static_cast<FirstCheckedWriter *>(data)->opts, name ? name.get() : "");
    return TRUE;
}

struct CheckedListWriter {
    const Options *opts;
    const char *separator;
};

const char *later_separator(const Options *opts) {
    if (opts->output_separator != nullptr)
        return opts->output_separator;
    return opts->separate_output ? "\n" : " ";
}

void write_checked_name(CheckedListWriter *writer, const char *name) {
    const Options *opts = writer->opts;
    const bool quote = !opts->separate_output || (opts->quoted && needs_quoting(name));
    if (quote) {
        dprintf(opts->output_fd, "%s%s", writer->separator,
                quoted_name(name, quote_char(opts)).c_str());
    } else {
        dprintf(opts->output_fd, "%s%s", writer->separator, name);
    }
    writer->separator = later_separator(opts);
}

// A checked row nested under another is part of the answer as much as a
// top-level one, so the walk visits every row in depth-first order.
gboolean on_checked_list_row(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter, gpointer data) {
    gboolean checked = FALSE;
    GCharPtr name;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.state, &checked, TOGGLE_LIST_COLUMNS.name,
                       static_cast<char **>(out(name)), -1);
    if (checked)
        write_checked_name(static_cast<CheckedListWriter *>(data), name ? name.get() : "");
    return FALSE;
}

} // namespace

void print_first_checked_item(const Options *opts, GtkTreeModel *model) {
    FirstCheckedWriter writer{opts};
    gtk_tree_model_foreach(model, on_first_checked_row, &writer);
}

void print_checked_list(const Options *opts, GtkTreeModel *model) {
    CheckedListWriter writer{opts, ""};
    gtk_tree_model_foreach(model, on_checked_list_row, &writer);
    dprintf(opts->output_fd, "\n");
}
