#include "dialogs/lists/list_view.h"

#include <optional>
#include <vector>

#include "dialogs/lists/columns.h"
#include "dialogs/lists/item_model.h"
#include "dialogs/lists/item_tree.h"
#include "frame/buttons.h"

namespace {

void on_name_cell_data(GtkTreeViewColumn *, GtkCellRenderer *cell, GtkTreeModel *model,
                       GtkTreeIter *iter, gpointer data) {
    GCharPtr name;
    gtk_tree_model_get(model, iter, GPOINTER_TO_INT(data), static_cast<char **>(out(name)), -1);
    ShownText shown = shown_text(name.get());
    g_object_set(cell, "text", shown.text, nullptr);
}

// Type-ahead compares the key with the text the column shows, so that a
// name that is not valid UTF-8 is found by its repaired form. Returns FALSE
// for a match, as GTK expects.
gboolean on_search_equal(GtkTreeModel *model, int column, const char *key, GtkTreeIter *iter,
                         gpointer) {
    GCharPtr text;
    gtk_tree_model_get(model, iter, column, static_cast<char **>(out(text)), -1);
    ShownText shown = shown_text(text.get());
    if (shown.text == nullptr)
        return TRUE;
    GCharPtr row(g_utf8_normalize(shown.text, -1, G_NORMALIZE_ALL));
    GCharPtr typed(g_utf8_normalize(key, -1, G_NORMALIZE_ALL));
    if (row == nullptr || typed == nullptr)
        return TRUE;
    GCharPtr row_folded(g_utf8_casefold(row.get(), -1));
    GCharPtr typed_folded(g_utf8_casefold(typed.get(), -1));
    return !g_str_has_prefix(row_folded.get(), typed_folded.get());
}

void append_text_column(GtkTreeView *view, int model_column, bool expand) {
    GtkCellRenderer *cell = gtk_cell_renderer_text_new();
    GtkTreeViewColumn *column =
        gtk_tree_view_column_new_with_attributes("", cell, "text", model_column, nullptr);
    gtk_tree_view_column_set_expand(column, expand);
    gtk_tree_view_append_column(view, column);
}

GtkCellRenderer *append_toggle_column(GtkTreeView *view, bool radio) {
    GtkCellRenderer *cell = gtk_cell_renderer_toggle_new();
    gtk_cell_renderer_toggle_set_radio(GTK_CELL_RENDERER_TOGGLE(cell), radio);
    GtkTreeViewColumn *column = gtk_tree_view_column_new_with_attributes(
        "", cell, "active", TOGGLE_LIST_COLUMNS.state, nullptr);
    gtk_tree_view_append_column(view, column);
    return cell;
}

void append_name_column(GtkTreeView *view, int model_column) {
    GtkCellRenderer *cell = gtk_cell_renderer_text_new();
    GtkTreeViewColumn *column = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(column, "");
    gtk_tree_view_column_pack_start(column, cell, TRUE);
    gtk_tree_view_column_set_cell_data_func(column, cell, on_name_cell_data,
                                            GINT_TO_POINTER(model_column), nullptr);
    gtk_tree_view_append_column(view, column);
}

// Prefix, toggle, name and description, as far as the dialog shows them.
// Returns the toggle's renderer, or null for the menu.
GtkCellRenderer *add_view_columns(GtkTreeView *view, ListKind kind, const DialogConf *conf,
                                  const Options *opts) {
    const ItemColumns &columns = item_columns(kind);
    if (opts->item_prefix)
        append_text_column(view, columns.prefix, false);
    GtkCellRenderer *toggle = nullptr;
    if (kind != ListKind::menu)
        toggle = append_toggle_column(view, kind != ListKind::checklist);
    const bool shows_names = kind != ListKind::treeview && !conf->no_names;
    if (shows_names)
        append_name_column(view, columns.name);
    if (!conf->no_descriptions)
        append_text_column(view, columns.description, true);

    // Type-ahead finds items by what the user sees.
    gtk_tree_view_set_search_column(view, shows_names ? columns.name : columns.description);
    gtk_tree_view_set_search_equal_func(view, on_search_equal, nullptr, nullptr);
    return toggle;
}

bool lookup_row(GtkTreeModel *model, const char *path_string, GtkTreeIter *iter) {
    TreePathPtr path(gtk_tree_path_new_from_string(path_string));
    return path != nullptr && gtk_tree_model_get_iter(model, iter, path.get());
}

void on_check_toggled(GtkCellRendererToggle *cell, char *path_string, gpointer data) {
    GtkTreeModel *model = GTK_TREE_MODEL(data);
    GtkTreeIter iter;
    if (lookup_row(model, path_string, &iter))
        set_item_state(model, &iter, !gtk_cell_renderer_toggle_get_active(cell));
}

void on_check_row_activated(GtkTreeView *view, GtkTreePath *path, GtkTreeViewColumn *, gpointer) {
    GtkTreeModel *model = gtk_tree_view_get_model(view);
    GtkTreeIter iter;
    if (!gtk_tree_model_get_iter(model, &iter, path))
        return;
    set_item_state(model, &iter, !item_checked(model, &iter));
}

// gtk_tree_model_foreach callback: turns the first checked row off.
gboolean clear_first_checked(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter, gpointer) {
    const bool checked = item_checked(model, iter);
    if (checked)
        set_item_state(model, iter, false);
    return checked;
}

// The mark moves: the row that is on goes off, then the chosen row goes on.
void on_radio_toggled(GtkCellRendererToggle *, char *path_string, gpointer data) {
    GtkTreeModel *model = GTK_TREE_MODEL(data);
    TreePathPtr path(gtk_tree_path_new_from_string(path_string));
    if (path == nullptr)
        return;
    gtk_tree_model_foreach(model, clear_first_checked, nullptr);
    GtkTreeIter iter;
    if (gtk_tree_model_get_iter(model, &iter, path.get()))
        set_item_state(model, &iter, true);
}

void on_radio_row_activated(GtkTreeView *view, GtkTreePath *path, GtkTreeViewColumn *, gpointer) {
    GtkTreeModel *model = gtk_tree_view_get_model(view);
    gtk_tree_model_foreach(model, clear_first_checked, nullptr);
    GtkTreeIter iter;
    if (gtk_tree_model_get_iter(model, &iter, path))
        set_item_state(model, &iter, true);
}

} // namespace

ListView list_view_new(DialogWindow &dialog, ListKind kind, const DialogRequest &request) {
    const DialogConf *conf = &request.conf;
    const Options *opts = &request.opts;
    std::vector<ItemRow> items = parse_item_rows(kind, request.args, opts);
    std::vector<int> parents = item_parents(kind, items, opts);
    std::optional<GtkTreeIter> default_row;
    GtkTreeModel *model =
        item_model_new(kind, std::move(items), std::move(parents), opts->default_item, default_row);

    GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    if (!conf->shadow)
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);

    GtkTreeView *view = GTK_TREE_VIEW(gtk_tree_view_new());
    dialog.label_input(GTK_WIDGET(view));
    gtk_tree_view_set_headers_visible(view, FALSE);
    if (opts->item_bottom_desc)
        gtk_tree_view_set_tooltip_column(view, item_columns(kind).bottom);
    GtkTreeSelection *selection = gtk_tree_view_get_selection(view);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_BROWSE);
    GtkCellRenderer *toggle = add_view_columns(view, kind, conf, opts);
    gtk_tree_view_set_model(view, model);

    // Expanded before selecting, so that a default item nested under
    // another row can be selected too.
    if (item_tree_nests(ITEM_TREE(model)))
        gtk_tree_view_expand_all(view);
    if (default_row) {
        gtk_tree_selection_select_iter(selection, &*default_row);
        // Deferred by GTK until the view is laid out, so that the row the
        // user answers with is in sight.
        TreePathPtr path(gtk_tree_model_get_path(model, &*default_row));
        gtk_tree_view_scroll_to_cell(view, path.get(), nullptr, TRUE, 0.5, 0.0);
    }

    gtk_container_add(GTK_CONTAINER(scrolled), GTK_WIDGET(view));
    gtk_box_pack_start(GTK_BOX(dialog.content()), scrolled, TRUE, TRUE, 0);
    gtk_widget_show_all(scrolled);
    add_standard_buttons(dialog.dialog(), conf);
    return ListView{view, GObjectPtr<GtkTreeModel>(model), toggle};
}

void connect_check_handlers(ListView &list) {
    g_signal_connect(list.toggle, "toggled", G_CALLBACK(on_check_toggled), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_check_row_activated), nullptr);
}

void connect_radio_handlers(ListView &list) {
    g_signal_connect(list.toggle, "toggled", G_CALLBACK(on_radio_toggled), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_radio_row_activated), nullptr);
}
