// Following a file by its name, as a log is followed through rotation:
// what to do next, decided from what the name and the open file are now.
// No widgets.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

enum class FollowStep {
    unchanged, // nothing new to read
    grown,     // read on from where reading stopped
    truncated, // the file was cut short: show it again from its start
    replaced,  // the name leads to another file now: show that one from its start
    gone,      // the name leads to no file that can be shown: keep what is shown, and wait
};

// named: what the name leads to (null when it leads nowhere), opened: the
// file being read, read_to: how far it has been read.
FollowStep next_follow_step(const struct stat *named, const struct stat &opened, off_t read_to);

// Opens path for following without blocking (see open_for_viewing). A
// directory cannot be shown: it fails with EISDIR. Returns the descriptor,
// or -1 with errno set.
int open_for_following(const char *path);
