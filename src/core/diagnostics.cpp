#include "core/diagnostics.h"

#include <cstdarg>
#include <cstdio>

#include "core/version.h"

int warn_msg(int ret, const char *format, ...) {
    fprintf(stderr, "%s: ", PROGRAM_NAME);
    va_list ap;
    va_start(ap, format);
    vfprintf(stderr, format, ap);
    va_end(ap);
    fputc('\n', stderr);
    return ret;
}

DialogResult unexpected_args(const Options *opts, int count, char **args) {
    printf("Error: %s unexpected argument%s:", opts->dialog_name, count >= 2 ? "s" : "");
    for (int i = 0; i < count; ++i)
        printf(" \"%s\"", args[i]);
    puts(".\n");
    printf("See '%s --help' or 'man 1 %s' ", PROGRAM_NAME, TERMINAL_UTILITY);
    puts("for more information.");
    return RESULT_ERROR;
}
