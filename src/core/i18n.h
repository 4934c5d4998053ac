#pragma once

// Text a user reads (labels, titles, messages) goes through the message
// catalogue. Answers, option names, --help and --version never do: scripts
// read and compare them.
#include <libintl.h>

#define _(text) gettext(text)
// Marks text for the catalogue where it is only translated later.
#define N_(text) text
