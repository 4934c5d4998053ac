// The file viewer's page: a read-only, scrolling view of a file that is
// opened once the window is up and read in the background. The textbox and
// the help file of F1 both show a file this way (run_file_viewer).
#pragma once

#include <functional>
#include <gtk/gtk.h>
#include <memory>

#include "core/records.h"
#include "frame/dialog_window.h"

struct FileFeed;

// Fills window's content area with the view of the file at path, and reads
// it while the window is up. Reading stops at the end of the file, on an
// error (after an "Error" popup), or at the viewer's limit (with a note under
// the text); the file is closed then, or when the FileView goes. A regular
// file is not read through: the view reads from it on demand, holding it
// open, whatever its size. A file that
// cannot be opened gets an "Error" popup with the reason, then on_unreadable
// runs. The main-loop sources that read are the window's; the FileView must
// outlive the window's modal run.
class FileView {
  public:
    FileView(DialogWindow &window, const char *path, const DialogConf &conf,
             std::function<void()> on_unreadable);
    // Follows the file by its name instead, as a log is followed: the view
    // shows what is appended and stays at the end unless scrolled away; a
    // file cut short or replaced under the name (rotated) is shown afresh,
    // and while no file can be read there (not made yet, removed, a
    // directory) a note says so and the view waits for one. It reads only
    // when the file changes; a regular file is read on demand, as above,
    // whatever its size.
    struct FollowName {};
    FileView(DialogWindow &window, const char *path, const DialogConf &conf, FollowName);
    // Shows what is read from fd (standard input, a pipe from a command),
    // which stays open and the caller's, as it arrives, staying at its end
    // while the user has not scrolled away. Input past the viewer's limit
    // is read to its end but not shown (with a note under the text).
    // on_end runs at the end of input, or after a read error and its
    // popup (whole false). Reading starts once the window is on screen.
    FileView(DialogWindow &window, int fd, const DialogConf &conf,
             std::function<void(bool whole)> on_end);
    ~FileView();

    // The text view, to name for screen readers.
    GtkWidget *view() const;
    // Tabs stop at multiples of columns.
    void set_tab_len(int columns);
    FileView(const FileView &) = delete;
    FileView &operator=(const FileView &) = delete;

  private:
    std::unique_ptr<FileFeed> feed_;
};
