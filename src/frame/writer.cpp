#include "frame/writer.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "core/diagnostics.h"
#include "core/i18n.h"

int write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = write(fd, text.data(), text.size());
        if (written > 0) {
            text.remove_prefix(static_cast<size_t>(written));
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The descriptor is shared with the caller, who may have made it
            // non-blocking: wait until the reader has made room.
            pollfd room{fd, POLLOUT, 0};
            poll(&room, 1, -1);
        } else if (written < 0 && errno != EINTR) {
            return errno;
        } else if (written == 0) {
            // Nothing written and no error: trying again could go on forever.
            return EIO;
        }
    }
    return 0;
}

DialogResult answer_write_failed(int fd, int error) {
    if (fd == STDERR_FILENO)
        return RESULT_ERROR;
    // TRANSLATORS: the answer is what a dialog writes for the script that
    // called it (the typed text, the chosen items); %s is the system's
    // reason, such as "No space left on device".
    return warn_msg(RESULT_ERROR, _("cannot write the answer: %s"), strerror(error));
}

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

std::string name_line(const Options *opts, const char *name) {
    std::string line =
        opts->quoted && needs_quoting(name) ? quoted_name(name, quote_char(opts)) : name;
    line += '\n';
    return line;
}
