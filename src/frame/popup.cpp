#include "frame/popup.h"

#include "core/i18n.h"
#include "frame/text.h"
#include "frame/window.h"

void show_error_popup(GtkWidget *parent, const DialogConf *conf, const char *message) {
    GtkWidget *popup = gtk_message_dialog_new(parent != nullptr ? GTK_WINDOW(parent) : nullptr,
                                              GTK_DIALOG_USE_HEADER_BAR, GTK_MESSAGE_ERROR,
                                              GTK_BUTTONS_CLOSE, "%s", _("Error"));
    GCharPtr shown = valid_utf8(message);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(popup), "%s", shown.get());
    gtk_window_set_title(GTK_WINDOW(popup), _("Error"));
    if (parent == nullptr && conf != nullptr)
        place_window(GTK_WINDOW(popup), *conf,
                     dialog_monitor(gtk_widget_get_display(popup), *conf));
    // Asks the window manager for the focus: a popup that comes up while its
    // parent is still being mapped would otherwise leave the focus there,
    // where the modal popup makes every key go nowhere.
    gtk_window_present(GTK_WINDOW(popup));
    gtk_dialog_run(GTK_DIALOG(popup));
    gtk_widget_destroy(popup);
}
