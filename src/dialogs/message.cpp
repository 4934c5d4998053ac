// Message dialogs: msgbox, yesno and infobox. Their whole answer is the
// result; nothing is written to the output descriptor.
#include "core/diagnostics.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/help.h"

namespace {

gboolean on_infobox_timeout(DialogWindow *dialog) {
    dialog->end_with(RESULT_OK);
    return FALSE;
}

unsigned infobox_interval_ms(uint32_t sleep_ms) {
    return sleep_ms == 0 ? 1000 : sleep_ms;
}

} // namespace

DialogResult dialog_msgbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    add_msgbox_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog);
}

DialogResult dialog_yesno(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    add_yesno_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog);
}

// The infobox has no buttons and closes itself after --sleep (one second by
// default). However it was closed, it answers OK; a run that failed (a
// --default-button it cannot have) stays an error.
DialogResult dialog_infobox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf), WindowStyle::message);
    dialog.add_timeout<on_infobox_timeout>(infobox_interval_ms(request.conf.sleep_ms), &dialog);
    return run_dialog(dialog) == RESULT_ERROR ? RESULT_ERROR : RESULT_OK;
}
