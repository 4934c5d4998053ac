#include "frame/writer.h"

#include <cstdio>
#include <cstring>

bool needs_quoting(const char *name) {
    static const char special[] = "\t\n \"$&'();<>\\`|";
    for (const char *p = name; *p != '\0'; ++p) {
        if (strchr(special, *p) != nullptr)
            return true;
    }
    return false;
}

char quote_char(const Options *opts) {
    return static_cast<char>(34 + 5 * opts->single_quoted);
}

std::string quoted_name(const char *name, char quote) {
    std::string quoted(1, quote);
    for (const char *p = name; *p != '\0'; ++p) {
        if (quote == '\'' && *p == '\'')
            quoted += "'\\''";
        else if (quote == '"' && strchr("\"\\$`", *p) != nullptr)
            quoted += {'\\', *p};
        else
            quoted += *p;
    }
    quoted += quote;
    return quoted;
}

void write_name_line(const Options *opts, const char *name) {
    if (opts->quoted && needs_quoting(name)) {
        dprintf(opts->output_fd, "%s\n", quoted_name(name, quote_char(opts)).c_str());
    } else {
        dprintf(opts->output_fd, "%s\n", name);
    }
}
