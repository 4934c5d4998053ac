// Menu (the answer is the selected row) and treeview (a nested list with
// the radiolist's behaviour, whose names are written but never shown).
#include "dialogs/dialogs.h"
#include "dialogs/list_model.h"
#include "frame/buttons.h"
#include "frame/writer.h"

namespace {

// Connected swapped: the data is the dialog window.
void on_menu_row_activated(GtkWidget *dialog) {
    gtk_window_activate_default(GTK_WINDOW(dialog));
}

} // namespace

DialogResult dialog_menu(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                         Options *opts) {
    ListDialog list = list_dialog_new(ListKind::menu, conf, text, rows, cols, argc, args, opts);
    g_signal_connect_swapped(list.view, "row-activated", G_CALLBACK(on_menu_row_activated),
                             list.dialog);

    DialogResult result = response_to_result(run_list_dialog(list, conf));
    GtkTreeSelection *selection = gtk_tree_view_get_selection(list.view);
    const int column = name_column(ListKind::menu);
    if (result == RESULT_OK || result == RESULT_EXTRA)
        print_selected_item(opts, selection, list.model.get(), column, nullptr);
    else if (result == RESULT_HELP)
        print_selected_item(opts, selection, list.model.get(), column, "HELP ");
    gtk_widget_destroy(list.dialog);
    return result;
}

DialogResult dialog_treeview(DialogConf *conf, char *text, int rows, int cols, int argc,
                             char **args, Options *opts) {
    ListDialog list = list_dialog_new(ListKind::treeview, conf, text, rows, cols, argc, args, opts);
    connect_radio_handlers(list);

    DialogResult result = response_to_result(run_list_dialog(list, conf));
    GtkTreeModel *model = list.model.get();
    if (result == RESULT_OK || result == RESULT_EXTRA)
        gtk_tree_model_foreach(model, print_checked_item, opts);
    else if (result == RESULT_HELP)
        print_selected_item(opts, gtk_tree_view_get_selection(list.view), model, ITEM_NAME_COLUMN,
                            "HELP ");
    gtk_widget_destroy(list.dialog);
    return result;
}
