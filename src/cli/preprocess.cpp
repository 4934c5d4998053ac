#include "cli/preprocess.h"

#include <cstring>

void preprocess_text(const Options *opts, const char *src, char *dest) {
    // A text that marks its line breaks with backslash-n is taken to use real
    // newlines only for source formatting, and its blanks are meant as typed.
    const bool has_escaped_newline = strstr(src, "\\n") != nullptr;
    const bool newline_kept = !has_escaped_newline || opts->cr_wrap || opts->text_unchanged;
    const bool collapse = !has_escaped_newline && !opts->text_unchanged;

    const char *in = src;
    char *out = dest;
    while (*in != '\0') {
        char c = *in;
        if (c == '\n') {
            *out = newline_kept ? '\n' : ' ';
            in += 1;
        } else if (c == '\t') {
            *out = opts->text_unchanged ? '\t' : ' ';
            in += 1;
        } else if (c == '\\' && in[1] == 't') {
            if (opts->tab_escape) {
                *out = '\t';
            } else {
                *out++ = '\\';
                *out = 't';
            }
            in += 2;
        } else if (c == '\\' && in[1] == 'n') {
            *out = '\n';
            in += (in[2] == '\n') ? 3 : 2;
        } else {
            *out = c;
            in += 1;
        }
        // Shorten runs of blanks to one; only the byte just written is tested.
        if (collapse && *out == ' ' && out > dest && out[-1] == ' ')
            continue;
        out += 1;
    }
    *out = '\0';
}
