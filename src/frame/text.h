// Text handed to GTK, and the height it takes.
#pragma once

#include <gtk/gtk.h>

#include "frame/gobject_ptr.h"

// Text handed to GTK must be valid UTF-8, or Pango complains on standard
// error (our answer descriptor by default).

// A copy of text with invalid bytes replaced by U+FFFD; null stays null.
GCharPtr valid_utf8(const char *text);

// Height in pixels of one line of text in the widget's font.
int text_line_height(GtkWidget *widget);
