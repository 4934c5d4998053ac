// F1 help: --hmsg's message in a popup over the dialog, or --hfile's file in
// the file viewer.
#pragma once

#include "core/records.h"
#include "frame/dialog_window.h"

// The help that F1 shows in a dialog configured by conf: the help file when
// there is one, else the help message; nothing when there is neither.
HelpAction help_on_f1(const DialogConf &conf);
