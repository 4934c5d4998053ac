#include "frame/help.h"

#include <string>

#include "core/i18n.h"
#include "frame/file_viewer.h"
#include "frame/gobject_ptr.h"
#include "frame/text.h"

namespace {

void show_help_message(GtkWidget *parent, const char *message) {
    GtkWidget *popup =
        gtk_message_dialog_new(GTK_WINDOW(parent), GtkDialogFlags(0), GTK_MESSAGE_QUESTION,
                               GTK_BUTTONS_CLOSE, "%s", _("Help"));
    GCharPtr shown = display_text(message);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(popup), "%s", shown.get());
    gtk_window_set_title(GTK_WINDOW(popup), _("Help"));
    gtk_dialog_run(GTK_DIALOG(popup));
    gtk_widget_hide(popup);
    gtk_widget_destroy(popup);
}

// The viewer takes nothing from the dialog's configuration: no subtitle, no
// close button, no F1 of its own, the default size, centred.
void show_help_file(const char *path) {
    DialogRequest help{};
    // A request holds its texts as the command line gives them, in the
    // locale's character set, as our messages on a terminal are.
    help.conf.title = console_text(_("Help"));
    help.text = path;
    reset_options(&help.opts);
    run_file_viewer(help, {});
}

} // namespace

HelpAction help_on_f1(const DialogConf &conf) {
    if (const char *path = conf.help_file)
        return [path](GtkWidget *) { show_help_file(path); };
    if (const char *message = conf.help_message)
        return [message](GtkWidget *parent) { show_help_message(parent, message); };
    return {};
}
