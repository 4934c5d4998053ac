#include "core/diagnostics.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "core/i18n.h"
#include "core/version.h"

int warn_msg(int ret, const char *format, ...) {
    fprintf(stderr, "%s: ", PROGRAM_NAME);
    va_list ap;
    va_start(ap, format);
    vfprintf(stderr, console_text(format), ap);
    va_end(ap);
    fputc('\n', stderr);
    return ret;
}

DialogResult unexpected_args(const DialogRequest &request, size_t first) {
    std::span<const char *const> surplus =
        request.args.subspan(std::min(first, request.args.size()));
    // None at all reads as the singular, as it always has.
    // TRANSLATORS: %s is the dialog option, e.g. "--msgbox"; the arguments
    // follow in quotes.
    printf(
        console_text(ngettext("Error: %s unexpected argument:", "Error: %s unexpected arguments:",
                              std::max<size_t>(surplus.size(), 1))),
        request.dialog->option);
    for (const char *arg : surplus)
        printf(" \"%s\"", arg);
    puts(".\n");
    // TRANSLATORS: the program name, then the manual of its terminal counterpart.
    printf(console_text(_("See '%s --help' or 'man 1 %s' for more information.\n")), PROGRAM_NAME,
           TERMINAL_UTILITY);
    return RESULT_ERROR;
}
