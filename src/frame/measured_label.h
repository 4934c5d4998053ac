// A wrapping label that measures its size once. GTK asks a label for its
// width again after every style update (the window's realize and map bring
// several), and a wrapping label answers by laying out its whole text twice:
// on one line, and as narrow as it can go. For a long text that is most of
// the time the window takes to show, so this label keeps its answer for as
// long as its font and its properties (its text among them) stay the same.
#pragma once

#include <gtk/gtk.h>

// A label with the given text, otherwise as gtk_label_new makes it.
GtkWidget *measured_label_new(const char *text);
