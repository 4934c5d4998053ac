// Every dialog builder; each has the DialogBuilder signature.
#pragma once

#include "options/records.h"

#define WRENPANE_BUILDER(name)                                                                     \
    DialogResult name(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,     \
                      Options *opts)

WRENPANE_BUILDER(dialog_calendar);
WRENPANE_BUILDER(dialog_checklist);
WRENPANE_BUILDER(dialog_datebox);
WRENPANE_BUILDER(dialog_form);
WRENPANE_BUILDER(dialog_gauge);
WRENPANE_BUILDER(dialog_infobox);
WRENPANE_BUILDER(dialog_inputbox);
WRENPANE_BUILDER(dialog_menu);
WRENPANE_BUILDER(dialog_mixedform);
WRENPANE_BUILDER(dialog_mixedgauge);
WRENPANE_BUILDER(dialog_msgbox);
WRENPANE_BUILDER(dialog_passwordbox);
WRENPANE_BUILDER(dialog_passwordform);
WRENPANE_BUILDER(dialog_pause);
WRENPANE_BUILDER(dialog_radiolist);
WRENPANE_BUILDER(dialog_rangebox);
WRENPANE_BUILDER(dialog_textbox);
WRENPANE_BUILDER(dialog_timebox);
WRENPANE_BUILDER(dialog_treeview);
WRENPANE_BUILDER(dialog_yesno);
