#include "core/descriptors.h"

#include <bitset>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

// Descriptors below this are recorded. Shell redirections name small
// numbers; the program's own descriptors take the lowest free numbers, so
// one beyond the range would need a thousand descriptors open before it.
constexpr int RECORDED_DESCRIPTORS = 1024;

std::optional<std::bitset<RECORDED_DESCRIPTORS>> startup_open;

bool is_open(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace

void open_closed_standard_descriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (is_open(fd))
            continue;
        // The lower ones are open by now, so this takes fd itself.
        int null_fd = open("/dev/null", O_RDWR);
        if (null_fd >= 0 && null_fd != fd) {
            dup2(null_fd, fd);
            close(null_fd);
        }
    }
}

void record_startup_descriptors() {
    std::bitset<RECORDED_DESCRIPTORS> open_now;
    for (int fd = 0; fd < RECORDED_DESCRIPTORS; ++fd)
        open_now[fd] = is_open(fd);
    startup_open = open_now;
}

int answer_descriptor(int fd) {
    if (!startup_open || fd < 0 || fd >= RECORDED_DESCRIPTORS)
        return fd;
    return (*startup_open)[fd] ? fd : -1;
}
