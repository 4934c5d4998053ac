#include "frame/buttons.h"

#include "core/i18n.h"
#include "frame/text.h"

// Widest button label drawn, in characters; a longer one ends in an
// ellipsis, so that a huge label cannot make the window wider than X11 can
// map.
constexpr int BUTTON_LABEL_MAX_CHARS = 80;

void add_labelled_button(GtkDialog *dialog, const char *label, const char *fallback, int response) {
    GCharPtr text = label != nullptr ? display_text(label) : valid_utf8(fallback);
    GtkWidget *button = gtk_dialog_add_button(dialog, text.get(), response);
    GtkWidget *child = gtk_bin_get_child(GTK_BIN(button));
    if (GTK_IS_LABEL(child)) {
        gtk_label_set_ellipsize(GTK_LABEL(child), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(child), BUTTON_LABEL_MAX_CHARS);
    }
}

// Cancel, Extra, OK, Help. The message box shows Cancel only when it was
// given a label; every other dialog shows it unless --no-cancel.
static void add_ok_cancel_bar(GtkDialog *dialog, const DialogConf *conf, bool cancel_needs_label) {
    const bool has_cancel =
        !conf->no_cancel && (!cancel_needs_label || conf->cancel_label != nullptr);
    if (has_cancel)
        add_labelled_button(dialog, conf->cancel_label, _("_Cancel"), GTK_RESPONSE_CANCEL);
    if (conf->extra_button)
        // TRANSLATORS: the button that --extra-button adds. Every button label
        // has one mnemonic, marked by the underscore.
        add_labelled_button(dialog, conf->extra_label, _("_Extra"), RESPONSE_EXTRA);
    if (!conf->no_ok)
        add_labelled_button(dialog, conf->ok_label, _("_OK"), GTK_RESPONSE_OK);
    if (conf->help_button)
        add_labelled_button(dialog, conf->help_label, _("_Help"), GTK_RESPONSE_HELP);
    gtk_dialog_set_default_response(dialog, has_cancel && conf->default_no ? GTK_RESPONSE_CANCEL
                                                                           : GTK_RESPONSE_OK);
}

void add_standard_buttons(GtkDialog *dialog, const DialogConf *conf) {
    add_ok_cancel_bar(dialog, conf, false);
}

void add_msgbox_buttons(GtkDialog *dialog, const DialogConf *conf) {
    add_ok_cancel_bar(dialog, conf, true);
}

void add_yesno_buttons(GtkDialog *dialog, const DialogConf *conf) {
    if (!conf->no_ok)
        add_labelled_button(dialog, conf->ok_label, _("_Yes"), GTK_RESPONSE_YES);
    if (!conf->no_cancel)
        add_labelled_button(dialog, conf->cancel_label, _("_No"), GTK_RESPONSE_NO);
    if (conf->extra_button)
        // TRANSLATORS: the button that --extra-button adds.
        add_labelled_button(dialog, conf->extra_label, _("_Extra"), RESPONSE_EXTRA);
    if (conf->help_button)
        add_labelled_button(dialog, conf->help_label, _("_Help"), GTK_RESPONSE_HELP);
    gtk_dialog_set_default_response(dialog, conf->default_no ? GTK_RESPONSE_NO : GTK_RESPONSE_YES);
}

// Indexed by response id + 11.
static const DialogResult response_map[15] = {
    RESULT_HELP,   // -11 GTK_RESPONSE_HELP
    RESULT_ERROR,  // -10 GTK_RESPONSE_APPLY
    RESULT_CANCEL, // -9 GTK_RESPONSE_NO
    RESULT_OK,     // -8 GTK_RESPONSE_YES
    RESULT_ESC,    // -7 GTK_RESPONSE_CLOSE
    RESULT_CANCEL, // -6 GTK_RESPONSE_CANCEL
    RESULT_OK,     // -5 GTK_RESPONSE_OK
    RESULT_ESC,    // -4 GTK_RESPONSE_DELETE_EVENT
    RESULT_ERROR,  // -3 GTK_RESPONSE_ACCEPT
    RESULT_ERROR,  // -2 GTK_RESPONSE_REJECT
    RESULT_ERROR,  // -1 GTK_RESPONSE_NONE
    RESULT_ERROR,  // 0
    RESULT_ERROR,  // 1
    RESULT_ERROR,  // 2
    RESULT_EXTRA,  // 3, the Extra button
};

DialogResult response_to_result(int response) {
    int index = response + 11;
    if (index < 0 || index >= 15)
        return RESULT_ERROR;
    return response_map[index];
}
