// How a dialog was closed, and the exit codes the caller sees for it.
#pragma once

#include <array>

// A dialog's result is a plain int; the exit-code table row of a result is
// result + 1.
using DialogResult = int;

constexpr DialogResult RESULT_ERROR = -1;
constexpr DialogResult RESULT_OK = 0;
constexpr DialogResult RESULT_CANCEL = 1;
constexpr DialogResult RESULT_HELP = 2;
constexpr DialogResult RESULT_EXTRA = 3;
constexpr DialogResult RESULT_TIMEOUT = 4;
constexpr DialogResult RESULT_ESC = 5;
// 6 to 11 (LEFT1 to RIGHT3) have exit codes but no dialog returns them.
constexpr DialogResult RESULT_ITEM_HELP = 12;

constexpr int EXIT_CODE_ROWS = 14;

struct ExitCodeRow {
    const char *env_name;
    int code;
};

using ExitCodeTable = std::array<ExitCodeRow, EXIT_CODE_ROWS>;

// Process-wide and never reset between the dialogs of a chain.
extern ExitCodeTable exit_code_table;

// Restores the built-in defaults (for tests; the process starts with them).
void reset_exit_code_table();

// Reads the WRENBOX_* environment variables; only clean conversions count.
void apply_exit_code_env();

// Stores the value of an exit-code option for a result; like the
// environment's, a value that is not a clean number changes nothing.
void set_exit_code_from_arg(DialogResult result, const char *arg);

int exit_code_for(DialogResult result);
