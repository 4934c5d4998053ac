#include "dialogs/lists/answers.h"

#include <string>

#include "dialogs/lists/columns.h"
#include "frame/callbacks.h"
#include "frame/gobject_ptr.h"
#include "frame/writer.h"

int print_selected_item(const Options *opts, GtkTreeView *view, ListKind kind, const char *prefix) {
    GtkTreeModel *model = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(view), &model, &iter))
        return 0;
    GCharPtr name;
    gtk_tree_model_get(model, &iter, item_columns(kind).name, static_cast<char **>(out(name)), -1);
    std::string answer = prefix != nullptr ? prefix : "";
    answer += name_line(opts, name ? name.get() : "");
    return write_all(opts->output_fd, answer);
}

namespace {

struct FirstChecked {
    bool found;
    GCharPtr name;
};

// Takes the row's name and stops the walk when the row is checked.
gboolean on_first_checked_row(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter,
                              FirstChecked *first) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.state, &checked, -1);
    if (!checked)
        return FALSE;
    first->found = true;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.name,
                       static_cast<char **>(out(first->name)), -1);
    return TRUE;
}

struct CheckedList {
    const Options *opts;
    const char *separator;
    std::string answer;
};

const char *later_separator(const Options *opts) {
    if (opts->output_separator != nullptr)
        return opts->output_separator;
    return opts->separate_output ? "\n" : " ";
}

void add_checked_name(CheckedList *list, const char *name) {
    const Options *opts = list->opts;
    const bool quote = !opts->separate_output || (opts->quoted && needs_quoting(name));
    list->answer += list->separator;
    list->answer += quote ? quoted_name(name, quote_char(opts)) : name;
    list->separator = later_separator(opts);
}

// A checked row nested under another is part of the answer as much as a
// top-level one, so the walk visits every row in depth-first order.
gboolean on_checked_list_row(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter,
                             CheckedList *list) {
    gboolean checked = FALSE;
    GCharPtr name;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.state, &checked, TOGGLE_LIST_COLUMNS.name,
                       static_cast<char **>(out(name)), -1);
    if (checked)
        add_checked_name(list, name ? name.get() : "");
    return FALSE;
}

} // namespace

int print_first_checked_item(const Options *opts, GtkTreeModel *model) {
    FirstChecked first{false, {}};
    gtk_tree_model_foreach(model, untyped<on_first_checked_row>, &first);
    if (!first.found)
        return 0;
    return write_all(opts->output_fd, name_line(opts, first.name ? first.name.get() : ""));
}

// The whole answer is gathered first: one write to check, not one per name.
int print_checked_list(const Options *opts, GtkTreeModel *model) {
    CheckedList list{opts, "", {}};
    gtk_tree_model_foreach(model, untyped<on_checked_list_row>, &list);
    list.answer += '\n';
    return write_all(opts->output_fd, list.answer);
}
