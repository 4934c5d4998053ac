// Writing answers: the whole of each line, or the reason it could not be
// written; names, shell-quoted where the caller asks.
#pragma once

#include <string>
#include <string_view>

#include "core/records.h"

// Writes the whole of text to fd. A write cut short (by a signal, or by a
// full pipe the caller left non-blocking) goes on where it stopped. Returns
// 0, or the errno of the write that failed.
int write_all(int fd, std::string_view text);

// What a dialog whose answer could not be written returns: ERROR, after a
// line on standard error that says why (unless the answer was meant for
// standard error). error is an errno value.
DialogResult answer_write_failed(int fd, int error);

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
std::string name_line(const Options *opts, const char *name);
