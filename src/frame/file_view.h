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
    ~FileView();
    FileView(const FileView &) = delete;
    FileView &operator=(const FileView &) = delete;

  private:
    std::unique_ptr<FileFeed> feed_;
};
