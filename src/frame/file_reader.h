// Reading a file or a stream piece by piece without blocking the main loop:
// the file viewer's file and the gauge's standard input.
#pragma once

#include <cstddef>

// Opens path for reading without blocking: a FIFO that has no writer yet
// must not freeze the window. Returns the descriptor, or -1 with errno set.
int open_for_viewing(const char *path);

enum class ReadStatus { Data, Again, End, Error };

struct ReadOutcome {
    ReadStatus status;
    size_t count; // bytes read, for Data
    int error;    // errno, for Error
};

// One read of up to size bytes; interrupted reads are retried.
ReadOutcome read_piece(int fd, char *buffer, size_t size);
