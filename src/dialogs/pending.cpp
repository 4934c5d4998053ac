// Dialogs that are not built yet: they say so and end with ERROR.
#include "dialogs/dialogs.h"

static DialogResult not_available(const Options *opts) {
    return warn_msg(RESULT_ERROR, "%s is not available yet", opts->dialog_name);
}

#define PENDING_DIALOG(name)                                                                       \
    DialogResult name(DialogConf *, char *, int, int, int, char **, Options *opts) {               \
        return not_available(opts);                                                                \
    }

PENDING_DIALOG(dialog_calendar)
PENDING_DIALOG(dialog_datebox)
PENDING_DIALOG(dialog_form)
PENDING_DIALOG(dialog_gauge)
PENDING_DIALOG(dialog_inputbox)
PENDING_DIALOG(dialog_mixedform)
PENDING_DIALOG(dialog_mixedgauge)
PENDING_DIALOG(dialog_passwordbox)
PENDING_DIALOG(dialog_passwordform)
PENDING_DIALOG(dialog_pause)
PENDING_DIALOG(dialog_rangebox)
PENDING_DIALOG(dialog_textbox)
PENDING_DIALOG(dialog_timebox)
