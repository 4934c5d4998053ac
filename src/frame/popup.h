// Modal popups over the dialogs.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// A modal "Error" message with a Close button, run to its end. With a
// parent GTK places it; without one conf places it as a dialog window is
// placed. conf may be null.
void show_error_popup(GtkWidget *parent, const DialogConf *conf, const char *message);
