// Text handed to GTK must be valid UTF-8, or Pango complains on standard
// error (our answer descriptor by default).
#pragma once

#include "frame/gobject_ptr.h"

// A copy of text with invalid bytes replaced by U+FFFD; null stays null.
GCharPtr valid_utf8(const char *text);
