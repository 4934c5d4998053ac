#include "frame/help.h"

#include "frame/file_view.h"
#include "frame/text.h"

namespace {

// F1, whatever the modifiers. The key goes on to the dialog's own handling
// in every case.
gboolean on_help_key(GtkWidget *widget, GdkEventKey *event, gpointer data) {
    if (event->keyval == GDK_KEY_F1)
        show_help(widget, static_cast<const DialogConf *>(data));
    return FALSE;
}

void show_help_message(GtkWidget *parent, const char *message) {
    GtkWidget *popup =
        gtk_message_dialog_new(GTK_WINDOW(parent), GtkDialogFlags(0), GTK_MESSAGE_QUESTION,
                               GTK_BUTTONS_CLOSE, "%s", "Help");
    GCharPtr shown = valid_utf8(message);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(popup), "%s", shown.get());
    gtk_window_set_title(GTK_WINDOW(popup), "Help");
    gtk_dialog_run(GTK_DIALOG(popup));
    gtk_widget_hide(popup);
    gtk_widget_destroy(popup);
}

} // namespace

void connect_help_key(GtkWidget *window, const DialogConf *conf) {
    if (conf->help_file == nullptr && conf->help_message == nullptr)
        return;
    g_signal_connect(window, "key-press-event", G_CALLBACK(on_help_key),
                     const_cast<DialogConf *>(conf));
}

void show_help(GtkWidget *parent, const DialogConf *conf) {
    if (conf->help_file == nullptr) {
        show_help_message(parent, conf->help_message);
        return;
    }
    // The viewer takes nothing from the dialog's configuration: no subtitle,
    // no close button, no F1 of its own, the default size, centred.
    DialogRequest help{};
    help.conf.title = "Help";
    help.text = conf->help_file;
    run_file_viewer(help);
}
