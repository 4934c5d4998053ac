// Menu (the answer is the selected row) and treeview (a nested list with
// the radiolist's behaviour, whose names are written but never shown).
#include "core/diagnostics.h"
#include "dialogs/lists/list_model.h"
#include "frame/buttons.h"
#include "frame/writer.h"

namespace {

// Connected swapped: the data is the dialog window.
void on_menu_row_activated(GtkWidget *dialog) {
    gtk_window_activate_default(GTK_WINDOW(dialog));
}

} // namespace

DialogResult dialog_menu(const DialogRequest &request) {
    if (!list_args_ok(ListKind::menu, request.args, request.opts))
        return unexpected_args(request);
    DialogWindow dialog(request);
    ListView list = list_view_new(dialog, ListKind::menu, request);
    g_signal_connect_swapped(list.view, "row-activated", G_CALLBACK(on_menu_row_activated),
                             dialog.widget());
    GtkTreeSelection *selection = gtk_tree_view_get_selection(list.view);
    GtkTreeModel *model = list.model.get();
    const int column = name_column(ListKind::menu);
    return run_dialog(
        dialog, {[&] { print_selected_item(&request.opts, selection, model, column, nullptr); },
                 [&] { print_selected_item(&request.opts, selection, model, column, "HELP "); }});
}

DialogResult dialog_treeview(const DialogRequest &request) {
    if (!list_args_ok(ListKind::treeview, request.args, request.opts))
        return unexpected_args(request);
    DialogWindow dialog(request);
    ListView list = list_view_new(dialog, ListKind::treeview, request);
    connect_radio_handlers(list);
    GtkTreeModel *model = list.model.get();
    return run_dialog(dialog, {[&] { print_first_checked_item(&request.opts, model); },
                               [&] {
                                   print_selected_item(&request.opts,
                                                       gtk_tree_view_get_selection(list.view),
                                                       model, ITEM_NAME_COLUMN, "HELP ");
                               }});
}
