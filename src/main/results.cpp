#include "main/results.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

#include "main/startup.h"

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

ExitCodeTable exit_code_table = default_exit_codes;

void reset_exit_code_table() {
    exit_code_table = default_exit_codes;
}

void apply_exit_code_env() {
    for (ExitCodeRow &row : exit_code_table) {
        const char *value = getenv(row.env_name);
        if (value == nullptr)
            continue;
        // Only a clean conversion counts. A value beyond long gives ERANGE;
        // one without digits ("", "abc") is caught through the end pointer,
        // since glibc does not report it through errno.
        errno = 0;
        char *end = nullptr;
        long code = strtol(value, &end, 10);
        if (errno == 0 && end != value)
            row.code = static_cast<int>(code);
    }
}

void set_exit_code_from_arg(DialogResult result, const char *arg) {
    exit_code_table[result + 1].code = static_cast<int>(strtol(arg, nullptr, 10));
}

int exit_code_for(DialogResult result) {
    if (result < RESULT_ERROR || result > RESULT_ITEM_HELP)
        result = RESULT_ERROR;
    return exit_code_table[result + 1].code;
}

void fail_unexpected_args(const char *dialog_name, int count, char **args) {
    printf("Error: %s unexpected argument%s:", dialog_name, count >= 2 ? "s" : "");
    for (int i = 0; i < count; ++i)
        printf(" \"%s\"", args[i]);
    puts(".\n");
    printf("See '%s --help' or 'man 1 %s' ", PROGRAM_NAME, TERMINAL_UTILITY);
    puts("for more information.");
    exit(exit_code_for(RESULT_ERROR));
}

int warn_msg(int ret, const char *format, ...) {
    fprintf(stderr, "%s: ", PROGRAM_NAME);
    va_list ap;
    va_start(ap, format);
    vfprintf(stderr, format, ap);
    va_end(ap);
    fputc('\n', stderr);
    return ret;
}

void seed_random() {
    uint32_t seed = static_cast<uint32_t>(getpid()) ^ static_cast<uint32_t>(getuid()) ^
                    static_cast<uint32_t>(time(nullptr));
    srandom(seed);
}
