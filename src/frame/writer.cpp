#include "frame/writer.h"

#include <cstring>

#include "frame/gobject_ptr.h"

bool needs_quoting(const char *name) {
    static const char special[] = "\t\n \"$&'();<>\\`|";
    for (const char *p = name; *p != '\0'; ++p) {
        if (strchr(special, *p) != nullptr)
            return true;
    }
    return false;
}

char quote_char(const Options *opts) {
    return static_cast<char>(34 + 5 * opts->single_quoted);
}

std::string quoted_name(const char *name, char quote) {
    std::string quoted(1, quote);
    for (const char *p = name; *p != '\0'; ++p) {
        if (quote == '\'' && *p == '\'')
            quoted += "'\\''";
        else if (quote == '"' && strchr("\"\\$`", *p) != nullptr)
            quoted += {'\\', *p};
        else
            quoted += *p;
    }
    quoted += quote;
    return quoted;
}

void write_name_line(const Options *opts, const char *name) {
    if (opts->quoted && needs_quoting(name)) {
        dprintf(opts->output_fd, "%s\n", quoted_name(name, quote_char(opts)).c_str());
    } else {
        dprintf(opts->output_fd, "%s\n", name);
    }
}

void print_selected_item(const Options *opts, GtkTreeSelection *selection, GtkTreeModel *model,
                         int name_column, const char *prefix) {
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(selection, nullptr, &iter))
        return;
    char *name = nullptr;
    gtk_tree_model_get(model, &iter, name_column, &name, -1);
    GCharPtr owned(name);
    if (prefix != nullptr)
        dprintf(opts->output_fd, "%s", prefix);
    write_name_line(opts, name != nullptr ? name : "");
}

namespace {

struct FirstCheckedWriter {
    const Options *opts;
};

// Writes the row's name and stops the walk when the row is checked.
gboolean on_first_checked_row(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter,
                              gpointer data) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, ITEM_STATE_COLUMN, &checked, -1);
    if (!checked)
        return FALSE;
    char *name = nullptr;
    gtk_tree_model_get(model, iter, ITEM_NAME_COLUMN, &name, -1);
    GCharPtr owned(name);
    write_name_line(static_cast<FirstCheckedWriter *>(data)->opts, name != nullptr ? name : "");
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
    char *name = nullptr;
    gtk_tree_model_get(model, iter, ITEM_STATE_COLUMN, &checked, ITEM_NAME_COLUMN, &name, -1);
    GCharPtr owned(name);
    if (checked)
        write_checked_name(static_cast<CheckedListWriter *>(data), name != nullptr ? name : "");
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
