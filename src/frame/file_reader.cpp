#include "frame/file_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int open_for_viewing(const char *path) {
    return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

ReadOutcome read_piece(int fd, char *buffer, size_t size) {
    for (;;) {
        ssize_t n = read(fd, buffer, size);
        if (n > 0)
            return {ReadStatus::Data, static_cast<size_t>(n), 0};
        if (n == 0)
            return {ReadStatus::End, 0, 0};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {ReadStatus::Again, 0, 0};
        return {ReadStatus::Error, 0, errno};
    }
}
