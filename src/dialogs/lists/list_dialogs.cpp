// The list dialogs' builders. Checklist and radiolist: a toggle per item,
// the answer is the checked names. Menu: the answer is the selected row.
// Treeview: a nested list with the radiolist's behaviour, whose names are
// written but never shown.
#include "core/diagnostics.h"
#include "dialogs/lists/answers.h"
#include "dialogs/lists/list_view.h"
#include "frame/help.h"

namespace {

// Checklist, radiolist and treeview: a toggle per row. OK and EXTRA answer
// with the checked names (one of them at most for a radio list), HELP with
// the selected one.
DialogResult run_toggle_list(const DialogRequest &request, ListKind kind) {
    if (!list_args_ok(kind, request.args, request.opts))
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    ListView list = list_view_new(dialog, kind, request);
    if (kind == ListKind::checklist)
        connect_check_handlers(list);
    else
        connect_radio_handlers(list);

    const Options *opts = &request.opts;
    GtkTreeModel *model = list.model.get();
    DialogAnswer answer;
    if (kind == ListKind::checklist)
        answer.write = [&] { return print_checked_list(opts, model); };
    else
        answer.write = [&] { return print_first_checked_item(opts, model); };
    answer.write_help = [&] { return print_selected_item(opts, list.view, kind, "HELP "); };
    return run_dialog(dialog, answer);
}

// Connected swapped: the data is the dialog window.
void on_menu_row_activated(GtkWidget *dialog) {
    gtk_window_activate_default(GTK_WINDOW(dialog));
}

} // namespace

DialogResult dialog_checklist(const DialogRequest &request) {
    return run_toggle_list(request, ListKind::checklist);
}

DialogResult dialog_radiolist(const DialogRequest &request) {
    return run_toggle_list(request, ListKind::radiolist);
}

DialogResult dialog_treeview(const DialogRequest &request) {
    return run_toggle_list(request, ListKind::treeview);
}

DialogResult dialog_menu(const DialogRequest &request) {
    if (!list_args_ok(ListKind::menu, request.args, request.opts))
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    ListView list = list_view_new(dialog, ListKind::menu, request);
    g_signal_connect_swapped(list.view, "row-activated", G_CALLBACK(on_menu_row_activated),
                             dialog.widget());
    const Options *opts = &request.opts;
    return run_dialog(
        dialog, {[&] { return print_selected_item(opts, list.view, ListKind::menu, nullptr); },
                 [&] { return print_selected_item(opts, list.view, ListKind::menu, "HELP "); }});
}
