// Message dialogs: msgbox, yesno and infobox. Their whole answer is the
// result; nothing is written to the output descriptor.
#include "core/diagnostics.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/window.h"

namespace {

gboolean on_infobox_timeout(gpointer data) {
    static_cast<DialogWindow *>(data)->end_with(RESULT_OK);
    return FALSE;
}

unsigned infobox_interval_ms(uint32_t sleep_ms) {
    return sleep_ms == 0 ? 1000 : sleep_ms;
}

} // namespace

DialogResult dialog_msgbox(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                           Options *opts) {
    if (argc > 0)
        return unexpected_args(opts, argc, args);
    DialogWindow dialog(conf, opts, text, rows, cols);
    add_msgbox_buttons(dialog.dialog(), conf);
    return run_dialog(dialog);
}

DialogResult dialog_yesno(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                          Options *opts) {
    if (argc > 0)
        return unexpected_args(opts, argc, args);
    DialogWindow dialog(conf, opts, text, rows, cols);
    add_yesno_buttons(dialog.dialog(), conf);
    return run_dialog(dialog);
}

// The infobox has no buttons and closes itself after --sleep (one second by
// default). However it was closed, it answers OK.
DialogResult dialog_infobox(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                            Options *opts) {
    if (argc > 0)
        return unexpected_args(opts, argc, args);
    DialogWindow dialog(message_window_new(conf, opts, text, rows, cols), conf);
    dialog.add_timeout(infobox_interval_ms(conf->sleep_ms), on_infobox_timeout, &dialog);
    run_dialog(dialog);
    return RESULT_OK;
}
