// The table of every dialog the program knows, in the order of the help
// text. The option table, the dispatch and the help text come from it.
#pragma once

#include <span>

#include "core/records.h"

std::span<const DialogEntry> dialog_catalog();

// True in the process that a --no-kill tailboxbg has left running: that
// process shows the one window and outlives the script, so it puts up no
// backdrop, which would cover the desktop long after the script has ended.
bool runs_a_window_left_running();
