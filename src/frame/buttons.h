// The standard button bar and the mapping of GTK responses to results.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// The Extra button's response id.
constexpr int RESPONSE_EXTRA = 3;

// Cancel, Extra, OK, Help as configured, and the default response.
void add_standard_buttons(GtkDialog *dialog, const DialogConf *conf);

// The message box's bar: a Cancel button only when it was given a label.
void add_msgbox_buttons(GtkDialog *dialog, const DialogConf *conf);

// The yes/no question's bar: Yes, No, Extra, Help.
void add_yesno_buttons(GtkDialog *dialog, const DialogConf *conf);

// ResponseMap: GTK response id to DialogResult.
DialogResult response_to_result(int response);

// A button label for GTK: the configured one (used verbatim, even empty) or
// the fallback.
void add_labelled_button(GtkDialog *dialog, const char *label, const char *fallback, int response);
