#include "frame/follow_rules.h"

#include <cerrno>
#include <unistd.h>

#include "frame/file_reader.h"

FollowStep next_follow_step(const struct stat *named, const struct stat &opened, off_t read_to) {
    if (named == nullptr || S_ISDIR(named->st_mode))
        return FollowStep::gone;
    if (named->st_dev != opened.st_dev || named->st_ino != opened.st_ino)
        return FollowStep::replaced;
    // Only a regular file has a size to compare: a FIFO or a device is
    // read for whatever it has.
    if (!S_ISREG(opened.st_mode))
        return FollowStep::grown;
    if (opened.st_size < read_to)
        return FollowStep::truncated;
    return opened.st_size > read_to ? FollowStep::grown : FollowStep::unchanged;
}

int open_for_following(const char *path) {
    int fd = open_for_viewing(path);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}
