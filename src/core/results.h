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
// The script's own buttons, --left1-button to --right3-button, in that order.
constexpr DialogResult RESULT_LEFT1 = 6;
constexpr DialogResult RESULT_RIGHT3 = 11;
constexpr int CUSTOM_BUTTONS = RESULT_RIGHT3 - RESULT_LEFT1 + 1;
constexpr DialogResult RESULT_ITEM_HELP = 12;

constexpr int EXIT_CODE_ROWS = 14;

struct ExitCodeRow {
    const char *env_name;
    int code;
};

using ExitCodeTable = std::array<ExitCodeRow, EXIT_CODE_ROWS>;

// The built-in codes with the WRENBOX_* environment variables applied; only
// clean conversions count.
ExitCodeTable exit_codes_from_env();

// Stores the value of an exit-code option for a result; like the
// environment's, a value that is not a clean number changes nothing.
void set_exit_code_from_arg(ExitCodeTable &table, DialogResult result, const char *arg);

// Whether a result answers as the Extra button does: Extra itself and the
// script's own buttons, which a script tells apart by their codes alone.
constexpr bool answers_as_extra(DialogResult result) {
    return result == RESULT_EXTRA || (result >= RESULT_LEFT1 && result <= RESULT_RIGHT3);
}

// The code of a result; one outside the table counts as an error.
int exit_code_for(const ExitCodeTable &table, DialogResult result);
