// Writing answers: names, shell-quoted where the caller asks.
#pragma once

#include <string>

#include "core/records.h"

// True when name holds a byte that a POSIX shell treats specially.
bool needs_quoting(const char *name);

// The quote character: ' with --single-quoted, " otherwise.
char quote_char(const Options *opts);

// name between quote characters, escaped so that a shell reading it back
// gets name again: inside double quotes a backslash goes before ", \, $ and
// the backquote; inside single quotes each ' becomes '\''.
std::string quoted_name(const char *name, char quote);

// One name and a newline, between quote characters under --quoted when the
// name needs it.
void write_name_line(const Options *opts, const char *name);
