// Message dialogs: msgbox, yesno and infobox. Their whole answer is the
// result; nothing is written to the output descriptor.
#include <climits>

#include "dialogs/dialogs.h"
#include "frame/buttons.h"
#include "frame/text.h"
#include "frame/window.h"

namespace {

void check_no_args(int argc, char **args, const Options *opts) {
    if (argc > 0)
        fail_unexpected_args(opts->dialog_name, argc, args);
}

// The standard finish for dialogs that answer only through the result.
DialogResult run_and_finish(GtkWidget *dialog, const DialogConf *conf) {
    DialogResult result = run_dialog(dialog, conf);
    gtk_widget_destroy(dialog);
    return result;
}

struct InfoboxTimer {
    GtkWidget *dialog;
    unsigned timer_id;
};

gboolean on_infobox_timeout(gpointer data) {
    InfoboxTimer *timer = static_cast<InfoboxTimer *>(data);
    gtk_dialog_response(GTK_DIALOG(timer->dialog), GTK_RESPONSE_CLOSE);
    timer->timer_id = 0;
    return FALSE;
}

unsigned infobox_interval_ms(uint32_t sleep_ms) {
    if (sleep_ms == 0)
        return 1000;
    return sleep_ms >= INT_MAX ? INT_MAX : sleep_ms;
}

} // namespace

DialogResult dialog_msgbox(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                           Options *opts) {
    check_no_args(argc, args, opts);
    GtkWidget *dialog = dialog_window_new(conf, opts, text, rows, cols);
    GtkDialog *box = GTK_DIALOG(dialog);

    // The cancel button exists only when it was given a label.
    const bool has_cancel = !conf->no_cancel && conf->cancel_label != nullptr;
    if (has_cancel)
        add_labelled_button(box, conf->cancel_label, nullptr, GTK_RESPONSE_CANCEL);
    if (conf->extra_button)
        add_labelled_button(box, conf->extra_label, "Extra", RESPONSE_EXTRA);
    if (!conf->no_ok)
        add_labelled_button(box, conf->ok_label, "OK", GTK_RESPONSE_OK);
    if (conf->help_button)
        add_labelled_button(box, conf->help_label, "Help", GTK_RESPONSE_HELP);
    gtk_dialog_set_default_response(box, has_cancel && conf->default_no ? GTK_RESPONSE_CANCEL
                                                                        : GTK_RESPONSE_OK);

    return run_and_finish(dialog, conf);
}

DialogResult dialog_yesno(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                          Options *opts) {
    check_no_args(argc, args, opts);
    GtkWidget *dialog = dialog_window_new(conf, opts, text, rows, cols);
    GtkDialog *box = GTK_DIALOG(dialog);

    if (!conf->no_ok)
        add_labelled_button(box, conf->ok_label, "Yes", GTK_RESPONSE_YES);
    if (!conf->no_cancel)
        add_labelled_button(box, conf->cancel_label, "No", GTK_RESPONSE_NO);
    if (conf->extra_button)
        add_labelled_button(box, conf->extra_label, "Extra", RESPONSE_EXTRA);
    if (conf->help_button)
        add_labelled_button(box, conf->help_label, "Help", GTK_RESPONSE_HELP);
    gtk_dialog_set_default_response(box, conf->default_no ? GTK_RESPONSE_NO : GTK_RESPONSE_YES);

    return run_and_finish(dialog, conf);
}

DialogResult dialog_infobox(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                            Options *opts) {
    check_no_args(argc, args, opts);
    InfoboxTimer timer{};
    timer.timer_id = g_timeout_add(infobox_interval_ms(conf->sleep_ms), on_infobox_timeout, &timer);

    GtkWidget *dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_USE_HEADER_BAR, GTK_MESSAGE_INFO,
                                               GTK_BUTTONS_NONE, "%s", "Information");
    timer.dialog = dialog;
    GCharPtr shown = valid_utf8(text);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", shown.get());

    if (rows != 0 && cols != 0) {
        GtkWidget *content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
        request_cell_size(content, rows, cols, char_unit_pixels(gdk_screen_get_default()));
    }
    if (!conf->deletable)
        gtk_window_set_deletable(GTK_WINDOW(dialog), FALSE);
    GCharPtr title = valid_utf8(conf->title != nullptr ? conf->title : "Information");
    gtk_window_set_title(GTK_WINDOW(dialog), title.get());
    GtkWidget *header = gtk_dialog_get_header_bar(GTK_DIALOG(dialog));
    if (conf->subtitle != nullptr && header != nullptr) {
        GCharPtr subtitle = valid_utf8(conf->subtitle);
        gtk_header_bar_set_subtitle(GTK_HEADER_BAR(header), subtitle.get());
    }
    place_window(GTK_WINDOW(dialog), conf, opts);

    gtk_dialog_run(GTK_DIALOG(dialog));
    store_dialog_size(dialog, conf);
    gtk_widget_hide(dialog);
    if (timer.timer_id != 0)
        g_source_remove(timer.timer_id);
    gtk_widget_destroy(dialog);
    return RESULT_OK;
}
