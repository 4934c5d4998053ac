#include "core/diagnostics.h"

#include <algorithm>
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

DialogResult unexpected_args(const DialogRequest &request, size_t first) {
    std::span<const char *const> surplus =
        request.args.subspan(std::min(first, request.args.size()));
    printf("Error: %s unexpected argument%s:", request.opts.dialog_name,
           surplus.size() >= 2 ? "s" : "");
    for (const char *arg : surplus)
        printf(" \"%s\"", arg);
    puts(".\n");
    printf("See '%s --help' or 'man 1 %s' ", PROGRAM_NAME, TERMINAL_UTILITY);
    puts("for more information.");
    return RESULT_ERROR;
}
