// The long-option table and the effect of each option.
#pragma once

#include <getopt.h>

#include "options/records.h"

extern const struct option option_table[];

// Applies one option returned by getopt_long (its code and optarg).
// Returns 0, or -1 after writing the error through warn_msg.
int apply_option(RunState *state, int code, const char *arg);
