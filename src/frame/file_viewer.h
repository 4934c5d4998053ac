// The file viewer's dialog, which the textbox is and F1 shows a help file
// in.
#pragma once

#include "core/records.h"
#include "frame/dialog_window.h"

// The file named by the request's text in a dialog window with one "Exit"
// button, run. Exit gives OK, Escape ESC, a file that cannot be opened
// ERROR (after an "Error" popup with the reason).
DialogResult run_file_viewer(const DialogRequest &request, HelpAction help);
