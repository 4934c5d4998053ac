// Process start-up: display check, locale, GTK, --help/--version, and the
// dialog sequence.
#pragma once

#include <cstdio>

constexpr const char *PROGRAM_NAME = "wrenpane";
constexpr const char *PROGRAM_VERSION = "0.9.1";
constexpr const char *TERMINAL_LIBRARY_VERSION = "0.4.1";
constexpr const char *TERMINAL_UTILITY = "wrenbox";

void print_help(FILE *out);

// The whole program; main() only calls this.
int run_program(int argc, char **argv);
