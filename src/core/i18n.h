#pragma once

// Text a user reads (labels, titles, messages) goes through the message
// catalogue. Answers, option names, --help and --version never do: scripts
// read and compare them.
#include <libintl.h>

#define _(text) gettext(text)

// The catalogue gives UTF-8, which is what GTK takes. A terminal takes the
// locale's character set, as the C library's own messages (strerror) come:
// utf8 converted to it, characters it lacks approximated or shown as "?"
// (the C locale's ASCII excepted: there texts go out as they are).
// The text stays valid until the program ends.
const char *console_text(const char *utf8) __attribute__((format_arg(1)));
