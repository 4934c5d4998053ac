// Checklist and radiolist: a toggle per item; the answer is the checked
// names. The radio behaviour here is the treeview's as well.
#include "dialogs/dialogs.h"
#include "dialogs/list_model.h"
#include "frame/buttons.h"
#include "frame/writer.h"

namespace {

bool lookup_row(GtkTreeModel *model, const char *path_string, GtkTreeIter *iter) {
    GtkTreePath *path = gtk_tree_path_new_from_string(path_string);
    if (path == nullptr)
        return false;
    bool found = gtk_tree_model_get_iter(model, iter, path);
    gtk_tree_path_free(path);
    return found;
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
    GtkTreePath *path = gtk_tree_path_new_from_string(path_string);
    if (path == nullptr)
        return;
    gtk_tree_model_foreach(model, clear_first_checked, nullptr);
    GtkTreeIter iter;
    bool found = gtk_tree_model_get_iter(model, &iter, path);
    gtk_tree_path_free(path);
    if (found)
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
DialogResult finish_toggle_list(ListDialog &list, const DialogConf *conf, const Options *opts,
                                bool radio) {
    DialogResult result = response_to_result(run_list_dialog(list, conf));
    GtkTreeModel *model = list.model.get();
    if (result == RESULT_OK || result == RESULT_EXTRA) {
        if (radio)
            gtk_tree_model_foreach(model, print_checked_item, const_cast<Options *>(opts));
        else
            print_checked_list(opts, model);
    } else if (result == RESULT_HELP) {
        print_selected_item(opts, gtk_tree_view_get_selection(list.view), model, ITEM_NAME_COLUMN,
                            "HELP ");
    }
    gtk_widget_destroy(list.dialog);
    return result;
}

} // namespace

gboolean clear_first_checked(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter, gpointer) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, ITEM_STATE_COLUMN, &checked, -1);
    if (checked)
        set_item_state(model, iter, false);
    return checked;
}

void connect_radio_handlers(ListDialog &list) {
    g_signal_connect(list.toggle, "toggled", G_CALLBACK(on_radio_toggled), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_radio_row_activated), nullptr);
}

DialogResult dialog_checklist(DialogConf *conf, char *text, int rows, int cols, int argc,
                              char **args, Options *opts) {
    ListDialog list =
        list_dialog_new(ListKind::checklist, conf, text, rows, cols, argc, args, opts);
    g_signal_connect(list.toggle, "toggled", G_CALLBACK(on_check_toggled), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_check_row_activated), nullptr);
    return finish_toggle_list(list, conf, opts, false);
}

DialogResult dialog_radiolist(DialogConf *conf, char *text, int rows, int cols, int argc,
                              char **args, Options *opts) {
    ListDialog list =
        list_dialog_new(ListKind::radiolist, conf, text, rows, cols, argc, args, opts);
    connect_radio_handlers(list);
    return finish_toggle_list(list, conf, opts, true);
}
