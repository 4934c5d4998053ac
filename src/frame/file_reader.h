// Reading a file piece by piece for the file viewer, without ever blocking
// the main loop.
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
