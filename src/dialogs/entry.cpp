// Text-entry dialogs: inputbox and passwordbox. The answer is the typed text,
// unquoted, on a line of its own.
#include "core/diagnostics.h"
#include "core/i18n.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/dialog_window.h"
#include "frame/entry_field.h"
#include "frame/help.h"
#include "frame/window.h"
#include "frame/writer.h"

namespace {

// Limits shared by both dialogs: --max-input and the width in columns.
void limit_entry(GtkWidget *entry, int cols, const Options &opts) {
    limit_entry_length(GTK_ENTRY(entry), opts.max_input);
    if (cols > 0) {
        double unit = char_unit_pixels(gdk_screen_get_default());
        gtk_entry_set_width_chars(GTK_ENTRY(entry), entry_width_chars(cols, unit));
    }
}

void on_show_password_toggled(GtkToggleButton *toggle, GtkEntry *entry) {
    gtk_entry_set_visibility(entry, gtk_toggle_button_get_active(toggle));
}

} // namespace

DialogResult dialog_inputbox(const DialogRequest &request) {
    if (request.args.size() >= 2)
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *content = dialog.content();

    EntryField field = entry_field_new(request.args.empty() ? nullptr : request.args[0]);
    GtkWidget *entry = entry_new(field.buffer.get(), &request.conf);
    limit_entry(entry, request.cols, request.opts);
    if (request.conf.insecure)
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    dialog.label_input(entry);
    gtk_widget_show(entry);
    gtk_container_add(GTK_CONTAINER(content), entry);

    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(
        dialog, {[&] { return write_all(request.opts.output_fd, entry_answer_line(field)); }});
}

DialogResult dialog_passwordbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *content = dialog.content();

    EntryField field = entry_field_new(nullptr);
    GtkWidget *entry = entry_new(field.buffer.get(), &request.conf);
    limit_entry(entry, request.cols, request.opts);
    gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    dialog.label_input(entry);
    gtk_box_pack_start(GTK_BOX(content), entry, FALSE, TRUE, 4);

    GtkWidget *show = gtk_check_button_new_with_mnemonic(_("_Show password"));
    g_signal_connect(show, "toggled", signal_handler<on_show_password_toggled>(), GTK_ENTRY(entry));
    relate_control(show, entry);
    gtk_container_add(GTK_CONTAINER(content), show);

    gtk_widget_show_all(content);
    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(
        dialog, {[&] { return write_all(request.opts.output_fd, entry_answer_line(field)); }});
}
