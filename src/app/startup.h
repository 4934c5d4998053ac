// Process start-up: display check, locale, GTK, --help/--version, and the
// dialog sequence.
#pragma once

#include <cstdio>

void print_help(FILE *out);

// The whole program; main() only calls this.
int run_program(int argc, char **argv);
