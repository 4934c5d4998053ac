// Where the file and folder choosers open, and what they answer: paths as
// the file system has them (bytes), apart from any widget.
#pragma once

#include <string>
#include <string_view>

// Where a chooser opens for the path a script gave it.
struct ChooserStart {
    std::string folder; // absolute, the nearest existing folder
    // What is typed as the name, relative to folder ("" for nothing): the
    // part of the path that does not exist yet (it may hold slashes), or
    // the name of the existing file the chooser selects.
    std::string name;
    bool name_exists = false;
};

// path (bytes, relative to cwd unless absolute; "" for cwd itself) made
// absolute and tidied, without "." and ".." parts or repeated slashes.
std::string absolute_path(std::string_view path, std::string_view cwd);

// Where to open for path: a folder opens itself; an existing entry of
// another kind (a file, a FIFO, a device, a link that leads nowhere) opens
// its folder with its name, except in a folder chooser, which opens that
// folder with nothing typed; a path that does not exist opens its nearest
// existing folder with the rest typed.
ChooserStart chooser_start(std::string_view path, std::string_view cwd, bool folders_only);

// The text GTK shows for a name (bytes of the file system), and the bytes
// such a text stands for when GTK makes a file of it again: names that are
// not valid UTF-8 do not survive the round trip.
std::string name_shown(std::string_view name);
std::string name_from_shown(std::string_view shown);

// The name in folder that GTK's file list shows as shown, or "" when there
// is none. GTK lists a name that is not valid UTF-8 with a stand-in text,
// and a name typed from that text is not the file's.
std::string name_listed_as(const std::string &folder, std::string_view shown);

// The answer for the path GTK gives on OK (absolute, bytes), as the entry
// answers: one line, the path absolute, without a trailing slash except for
// the root. Where GTK's path stands for a name that GTK could not show as
// it is (the name typed at the start, or one it lists), the answer is that
// name's own bytes.
std::string chooser_answer_line(const std::string &chosen, const ChooserStart &start);
