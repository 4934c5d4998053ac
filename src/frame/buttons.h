// The standard button bar and the mapping of GTK responses to results.
#pragma once

#include <gtk/gtk.h>

#include "options/records.h"

// The Extra button's response id.
constexpr int RESPONSE_EXTRA = 3;

// Cancel, Extra, OK, Help as configured, and the default response.
void add_standard_buttons(GtkDialog *dialog, const DialogConf *conf);

// ResponseMap: GTK response id to DialogResult.
DialogResult response_to_result(int response);

// A button label for GTK: the configured one (used verbatim, even empty) or
// the fallback.
void add_labelled_button(GtkDialog *dialog, const char *label, const char *fallback, int response);

// The first steps of the standard finish: runs the dialog modally, stores
// its size for --print-size, hides it and maps the response. The caller
// reads its answer and destroys the dialog.
DialogResult run_dialog(GtkWidget *dialog, const DialogConf *conf);
