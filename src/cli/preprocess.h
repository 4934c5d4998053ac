// Turns a dialog text argument into the text shown (line breaks, tabs,
// blanks), following --cr-wrap, --tab-escape and --text-unchanged.
#pragma once

#include "core/records.h"

// dest must hold at least strlen(src) + 1 bytes.
void preprocess_text(const Options *opts, const char *src, char *dest);
