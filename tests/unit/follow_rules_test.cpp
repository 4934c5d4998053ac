#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "frame/follow_rules.h"

namespace {

struct stat file_info(ino_t inode, off_t size, mode_t type = S_IFREG) {
    struct stat info {};
    info.st_dev = 7;
    info.st_ino = inode;
    info.st_size = size;
    info.st_mode = type | 0644;
    return info;
}

struct FollowCase {
    const char *what;
    bool name_leads_somewhere;
    struct stat named;
    struct stat opened;
    off_t read_to;
    FollowStep expected;
};

TEST(FollowRules, DecidesFromTheNameAndTheOpenFile) {
    const FollowCase cases[] = {
        {"nothing new", true, file_info(1, 100), file_info(1, 100), 100, FollowStep::unchanged},
        {"appended to", true, file_info(1, 150), file_info(1, 150), 100, FollowStep::grown},
        {"cut short", true, file_info(1, 10), file_info(1, 10), 100, FollowStep::truncated},
        {"emptied", true, file_info(1, 0), file_info(1, 0), 100, FollowStep::truncated},
        // Rotation: the name leads to a new file, whatever its size.
        {"rotated", true, file_info(2, 500), file_info(1, 100), 100, FollowStep::replaced},
        {"rotated to an empty file", true, file_info(2, 0), file_info(1, 100), 100,
         FollowStep::replaced},
        {"renamed away", false, {}, file_info(1, 100), 100, FollowStep::gone},
        {"a directory now", true, file_info(2, 4096, S_IFDIR), file_info(1, 100), 100,
         FollowStep::gone},
        // A FIFO's size says nothing: it is read for what it has.
        {"a FIFO", true, file_info(1, 0, S_IFIFO), file_info(1, 0, S_IFIFO), 100,
         FollowStep::grown},
    };
    for (const FollowCase &c : cases) {
        const struct stat *named = c.name_leads_somewhere ? &c.named : nullptr;
        EXPECT_EQ(next_follow_step(named, c.opened, c.read_to), c.expected) << c.what;
    }
}

TEST(FollowRules, ADirectoryIsNotOpenedForFollowing) {
    char name[] = "/tmp/follow_rules_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    errno = 0;
    EXPECT_EQ(open_for_following(name), -1);
    EXPECT_EQ(errno, EISDIR);
    std::string missing = std::string(name) + "/missing";
    EXPECT_EQ(open_for_following(missing.c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    rmdir(name);
}

} // namespace
