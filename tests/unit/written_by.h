// What a writer of answers writes, caught on a pipe.
#pragma once

#include <string>
#include <unistd.h>

#include "core/records.h"

inline Options default_options() {
    Options opts{};
    reset_options(&opts);
    return opts;
}

// Runs write(opts) with opts.output_fd on a pipe and returns the bytes.
template <typename Write> std::string written_by(Options opts, Write write) {
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    opts.output_fd = fds[1];
    write(&opts);
    close(fds[1]);
    std::string out;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    close(fds[0]);
    return out;
}
