#include "frame/buttons.h"

#include <cstring>

#include "core/i18n.h"
#include "frame/text.h"

// Widest button label drawn, in characters; a longer one ends in an
// ellipsis, so that a huge label cannot make the window wider than X11 can
// map.
constexpr int BUTTON_LABEL_MAX_CHARS = 80;

GtkWidget *add_labelled_button(GtkDialog *dialog, const char *label, const char *fallback,
                               int response) {
    GCharPtr text = label != nullptr ? display_text(label) : valid_utf8(fallback);
    GtkWidget *button = gtk_dialog_add_button(dialog, text.get(), response);
    GtkWidget *child = gtk_bin_get_child(GTK_BIN(button));
    if (GTK_IS_LABEL(child)) {
        gtk_label_set_ellipsize(GTK_LABEL(child), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(child), BUTTON_LABEL_MAX_CHARS);
    }
    return button;
}

// A header bar lays out its start children from its start and its end
// children from its end, each in the order of its list; a dialog without
// one (in full screen) has an action area, whose secondary children stand at
// its start.
static void move_to_start(GtkDialog *dialog, GtkWidget *button, int position) {
    if (GtkWidget *header = gtk_dialog_get_header_bar(dialog)) {
        gtk_container_child_set(GTK_CONTAINER(header), button, "pack-type", GTK_PACK_START,
                                "position", position, nullptr);
        return;
    }
    GtkWidget *area = gtk_widget_get_parent(button);
    gtk_button_box_set_child_secondary(GTK_BUTTON_BOX(area), button, TRUE);
    gtk_box_reorder_child(GTK_BOX(area), button, position);
}

// Called in the order of the buttons' numbers, so that the last one called
// ends the bar.
static void move_to_end(GtkDialog *dialog, GtkWidget *button) {
    if (GtkWidget *header = gtk_dialog_get_header_bar(dialog)) {
        gtk_container_child_set(GTK_CONTAINER(header), button, "pack-type", GTK_PACK_END,
                                "position", 0, nullptr);
        return;
    }
    gtk_box_reorder_child(GTK_BOX(gtk_widget_get_parent(button)), button, -1);
}

void add_custom_buttons(GtkDialog *dialog, const DialogConf *conf) {
    int at_start = 0;
    for (int i = 0; i < CUSTOM_BUTTONS; ++i) {
        const char *label = conf->custom_labels[i];
        if (label == nullptr)
            continue;
        GtkWidget *button = add_labelled_button(dialog, label, "", RESPONSE_LEFT1 + i);
        if (i < CUSTOM_BUTTONS / 2)
            move_to_start(dialog, button, at_start++);
        else
            move_to_end(dialog, button);
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
    add_custom_buttons(dialog, conf);
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
    add_custom_buttons(dialog, conf);
    gtk_dialog_set_default_response(dialog, conf->default_no ? GTK_RESPONSE_NO : GTK_RESPONSE_YES);
}

namespace {

// A button as --default-button names it, and the responses it may carry:
// OK and Yes are the one button that --ok-label and --yes-label both label,
// and Cancel and No likewise.
struct NamedButton {
    const char *name;
    int responses[2];
};

constexpr NamedButton named_buttons[] = {
    {"ok", {GTK_RESPONSE_OK, GTK_RESPONSE_YES}},
    {"yes", {GTK_RESPONSE_YES, GTK_RESPONSE_OK}},
    {"exit", {GTK_RESPONSE_OK, GTK_RESPONSE_OK}},
    {"cancel", {GTK_RESPONSE_CANCEL, GTK_RESPONSE_NO}},
    {"no", {GTK_RESPONSE_NO, GTK_RESPONSE_CANCEL}},
    {"extra", {RESPONSE_EXTRA, RESPONSE_EXTRA}},
    {"help", {GTK_RESPONSE_HELP, GTK_RESPONSE_HELP}},
    {"left1", {RESPONSE_LEFT1, RESPONSE_LEFT1}},
    {"left2", {RESPONSE_LEFT1 + 1, RESPONSE_LEFT1 + 1}},
    {"left3", {RESPONSE_LEFT1 + 2, RESPONSE_LEFT1 + 2}},
    {"right1", {RESPONSE_LEFT1 + 3, RESPONSE_LEFT1 + 3}},
    {"right2", {RESPONSE_LEFT1 + 4, RESPONSE_LEFT1 + 4}},
    {"right3", {RESPONSE_RIGHT3, RESPONSE_RIGHT3}},
};

// Typing is what a text field is for, and Enter there activates the default
// already; anywhere else the chosen button takes the focus, so that Enter
// presses it. GTK has picked its own focus by the time this runs.
void focus_default_outside_text_fields(GtkWidget *window, gpointer) {
    GtkWidget *default_widget = gtk_window_get_default_widget(GTK_WINDOW(window));
    if (!GTK_IS_ENTRY(gtk_window_get_focus(GTK_WINDOW(window))) && default_widget != nullptr)
        gtk_widget_grab_focus(default_widget);
}

} // namespace

bool choose_default_button(GtkDialog *dialog, const char *name) {
    for (const NamedButton &button : named_buttons) {
        if (strcmp(button.name, name) != 0)
            continue;
        for (int response : button.responses) {
            if (gtk_dialog_get_widget_for_response(dialog, response) == nullptr)
                continue;
            gtk_dialog_set_default_response(dialog, response);
            g_signal_connect_after(dialog, "map", G_CALLBACK(focus_default_outside_text_fields),
                                   nullptr);
            return true;
        }
    }
    return false;
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
    if (response >= RESPONSE_LEFT1 && response <= RESPONSE_RIGHT3)
        return response;
    int index = response + 11;
    if (index < 0 || index >= 15)
        return RESULT_ERROR;
    return response_map[index];
}
