#pragma once

// Text a user reads (labels, titles, messages) goes through the message
// catalogue. Answers, option names, --help and --version never do: scripts
// read and compare them.
#include <libintl.h>

#define _(text) gettext(text)
