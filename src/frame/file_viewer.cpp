#include "frame/file_viewer.h"

#include <utility>

#include "core/i18n.h"
#include "frame/buttons.h"
#include "frame/file_view.h"

DialogResult run_file_viewer(const DialogRequest &request, HelpAction help) {
    DialogWindow dialog(request, std::move(help), WindowStyle::without_text);
    FileView view(dialog, request.text.c_str(), request.conf,
                  [&dialog] { dialog.end_with(RESULT_ERROR); });
    view.set_tab_len(request.opts.tab_len);
    gtk_dialog_add_button(dialog.dialog(), _("_Exit"), GTK_RESPONSE_OK);
    add_custom_buttons(dialog.dialog(), &request.conf);
    GtkWidget *header = gtk_dialog_get_header_bar(dialog.dialog());
    if (header != nullptr)
        gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(header), FALSE);
    return run_dialog(dialog);
}
