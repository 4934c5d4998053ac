// Checklist and radiolist: a toggle per item; the answer is the checked
// names. The radio behaviour here is the treeview's as well.
#include "core/diagnostics.h"
#include "dialogs/lists/list_model.h"
#include "frame/buttons.h"
#include "frame/writer.h"

namespace {

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
    gboolean checked = FALSE;
    gtk_tree_model_get(model, &iter, ITEM_STATE_COLUMN, &checked, -1);
    set_item_state(model, &iter, !checked);
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

// OK and EXTRA answer with the checked names, HELP with the selected one.
DialogResult run_toggle_list(DialogWindow &dialog, ListView &list, const Options *opts,
                             bool radio) {
    GtkTreeModel *model = list.model.get();
    DialogAnswer answer;
    if (radio)
        answer.write = [&] { print_first_checked_item(opts, model); };
    else
        answer.write = [&] { print_checked_list(opts, model); };
    answer.write_help = [&] {
        print_selected_item(opts, gtk_tree_view_get_selection(list.view), model, ITEM_NAME_COLUMN,
                            "HELP ");
    };
    return run_dialog(dialog, answer);
}

} // namespace

gboolean clear_first_checked(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter, gpointer) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, ITEM_STATE_COLUMN, &checked, -1);
    if (checked)
        set_item_state(model, iter, false);
    return checked;
}

void connect_radio_handlers(ListView &list) {
    g_signal_connect(list.toggle, "toggled", G_CALLBACK(on_radio_toggled), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_radio_row_activated), nullptr);
}

DialogResult dialog_checklist(const DialogRequest &request) {
    if (!list_args_ok(ListKind::checklist, request.args, request.opts))
        return unexpected_args(request);
    DialogWindow dialog(request);
    ListView list = list_view_new(dialog, ListKind::checklist, request);
    g_signal_connect(list.toggle, "toggled", G_CALLBACK(on_check_toggled), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_check_row_activated), nullptr);
    return run_toggle_list(dialog, list, &request.opts, false);
}

DialogResult dialog_radiolist(const DialogRequest &request) {
    if (!list_args_ok(ListKind::radiolist, request.args, request.opts))
        return unexpected_args(request);
    DialogWindow dialog(request);
    ListView list = list_view_new(dialog, ListKind::radiolist, request);
    connect_radio_handlers(list);
    return run_toggle_list(dialog, list, &request.opts, true);
}
