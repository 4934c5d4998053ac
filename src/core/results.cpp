#include "core/results.h"

#include <cerrno>
#include <cstdlib>

#include "core/numbers.h"

static constexpr ExitCodeTable default_exit_codes = {{
    {"WRENBOX_ERROR", 255},
    {"WRENBOX_OK", 0},
    {"WRENBOX_CANCEL", 1},
    {"WRENBOX_HELP", 2},
    {"WRENBOX_EXTRA", 3},
    {"WRENBOX_TIMEOUT", 4},
    {"WRENBOX_ESC", 5},
    {"WRENBOX_LEFT1", 6},
    {"WRENBOX_LEFT2", 7},
    {"WRENBOX_LEFT3", 8},
    {"WRENBOX_RIGHT1", 9},
    {"WRENBOX_RIGHT2", 10},
    {"WRENBOX_RIGHT3", 11},
    {"WRENBOX_ITEM_HELP", 2},
}};

// Only a number within a long counts; trailing text after its digits is
// ignored, and the code is its low 32 bits.
static bool parse_exit_code(const char *value, int *code) {
    std::optional<long> parsed = checked_long(value);
    if (!parsed)
        return false;
    *code = static_cast<int>(*parsed);
    return true;
}

ExitCodeTable exit_codes_from_env() {
    ExitCodeTable table = default_exit_codes;
    for (ExitCodeRow &row : table) {
        const char *value = getenv(row.env_name);
        if (value != nullptr)
            parse_exit_code(value, &row.code);
    }
    return table;
}

// A typo must not turn a code into 0, the code of OK: a value that is not a
// number keeps the code as it was, as in the environment.
void set_exit_code_from_arg(ExitCodeTable &table, DialogResult result, const char *arg) {
    parse_exit_code(arg, &table[result + 1].code);
}

int exit_code_for(const ExitCodeTable &table, DialogResult result) {
    if (result < RESULT_ERROR || result > RESULT_ITEM_HELP)
        result = RESULT_ERROR;
    return table[result + 1].code;
}
