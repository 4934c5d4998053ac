// The file viewer: a read-only, scrolling view of a file that is opened once
// the window is up and read in the background. The textbox and the help file
// of F1 are both this viewer.
#pragma once

#include "core/records.h"

// Shows the file named by the request's text in a dialog window with one
// "Exit" button and runs it. Exit gives OK, Escape ESC, a file that cannot
// be opened ERROR (after an "Error" popup with the reason).
DialogResult run_file_viewer(const DialogRequest &request);
