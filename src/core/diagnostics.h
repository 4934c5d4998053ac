// The program's two kinds of complaint: a diagnostic line on standard error,
// and the report of surplus dialog arguments on standard output.
#pragma once

#include <cstddef>

#include "core/records.h"

// Writes "wrenpane: <message>\n" to standard error and returns ret.
int warn_msg(int ret, const char *format, ...) __attribute__((format(printf, 2, 3)));

// Reports the dialog's arguments from index first on as surplus, on
// standard output, and returns RESULT_ERROR, which ends the run with the
// ERROR exit code.
DialogResult unexpected_args(const DialogRequest &request, size_t first = 0);
