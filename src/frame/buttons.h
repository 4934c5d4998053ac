// The standard button bar and the mapping of GTK responses to results.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// The Extra button's response id, and those of the script's own buttons:
// each the result it maps to.
constexpr int RESPONSE_EXTRA = RESULT_EXTRA;
constexpr int RESPONSE_LEFT1 = RESULT_LEFT1;
constexpr int RESPONSE_RIGHT3 = RESULT_RIGHT3;

// Cancel, Extra, OK, Help as configured, and the default response.
void add_standard_buttons(GtkDialog *dialog, const DialogConf *conf);

// The message box's bar: a Cancel button only when it was given a label.
void add_msgbox_buttons(GtkDialog *dialog, const DialogConf *conf);

// The yes/no question's bar: Yes, No, Extra, Help.
void add_yesno_buttons(GtkDialog *dialog, const DialogConf *conf);

// The script's own buttons that were asked for: left1 to left3 at the start
// of the bar, right1 to right3 at its end, each side in the order of its
// numbers. Added after the dialog's other buttons.
void add_custom_buttons(GtkDialog *dialog, const DialogConf *conf);

// Makes the button called name ("ok", "cancel", "left1", ...) the default,
// and gives it the focus when the window maps unless a text field has it
// (Enter there activates the default). False when the dialog shows no such
// button.
bool choose_default_button(GtkDialog *dialog, const char *name);

// ResponseMap: GTK response id to DialogResult.
DialogResult response_to_result(int response);

// A button label for GTK: the configured one (used verbatim, even empty) or
// the fallback.
GtkWidget *add_labelled_button(GtkDialog *dialog, const char *label, const char *fallback,
                               int response);
