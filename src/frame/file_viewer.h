// The file viewer's dialog, which the textbox is and F1 shows a help file
// in, and the follower of a growing file (the tailbox), run or shown in the
// background.
#pragma once

#include <functional>

#include "core/records.h"
#include "frame/dialog_window.h"

// The file named by the request's text in a dialog window with one "Exit"
// button (or --exit-label's), run. Exit gives OK, Escape ESC, a file that
// cannot be opened ERROR (after an "Error" popup with the reason).
DialogResult run_file_viewer(const DialogRequest &request, HelpAction help);

// The same window following the file by its name (FileView::FollowName),
// run: Exit gives OK, Escape ESC, the timeout TIMEOUT. when_drawn, if
// given, is called once the window's first frame has been drawn.
DialogResult run_file_follower(const DialogRequest &request, HelpAction help,
                               std::function<void()> when_drawn = {});

// The following window shown without being run: the main loop serves it
// while later dialogs run. Exit, Escape or the request's timeout close it,
// and nothing else: it answers no one.
void show_file_follower(const DialogRequest &request, HelpAction help);

// Closes the windows of show_file_follower that are still up.
void close_background_followers();
