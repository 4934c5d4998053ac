// Text handed to GTK, text taken from it, and the height it takes.
#pragma once

#include <gtk/gtk.h>
#include <string>

#include "frame/gobject_ptr.h"

// Text handed to GTK must be valid UTF-8, or Pango complains on standard
// error (our answer descriptor by default). Text from the command line, a
// file or the C library comes in the locale's character set, and answers go
// out in it.

// A copy of UTF-8 text (our catalogue's, GLib's) with invalid bytes
// replaced by U+FFFD; null stays null.
GCharPtr valid_utf8(const char *text);

// Text in the locale's character set as GTK shows it: converted to UTF-8
// where the locale's character set is another; bytes that are not text in
// it become U+FFFD. Null stays null.
GCharPtr display_text(const char *bytes);

// Whether display_text(bytes) is bytes itself, so that GTK may be given
// bytes without a copy.
bool displayed_as_is(const char *bytes);

// Text from GTK (typed by the user) as an answer gives it: in the locale's
// character set.
std::string answer_text(const char *utf8);

// Height in pixels of one line of text in the widget's font.
int text_line_height(GtkWidget *widget);
