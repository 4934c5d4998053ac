// Pause: the text over a bar that counts the given seconds down, one tick a
// second, and the standard buttons; when the count has run out the dialog
// closes itself with TIMEOUT.
#include <string>

#include <gtk/gtk.h>

#include "core/diagnostics.h"
#include "core/records.h"
#include "dialogs/pause_countdown.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/text.h"

namespace {

struct PauseTimer {
    DialogWindow *dialog;
    GtkWidget *bar;
    unsigned seconds;
    unsigned long long ticks = 0;
};

gboolean on_pause_tick(PauseTimer *timer) {
    PauseTick tick = pause_tick(timer->seconds, ++timer->ticks);
    if (tick.close) {
        timer->dialog->end_with(RESULT_TIMEOUT);
        return G_SOURCE_REMOVE;
    }
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(timer->bar), tick.fraction);
    set_progress_text(timer->bar, std::to_string(tick.seconds_left).c_str());
    return G_SOURCE_CONTINUE;
}

} // namespace

DialogResult dialog_pause(const DialogRequest &request) {
    if (request.args.size() != 1)
        return unexpected_args(request, 1);

    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *bar = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(bar), TRUE);
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), 1.0);
    GCharPtr typed = display_text(request.args[0]);
    set_progress_text(bar, typed.get()); // as typed until the first tick
    dialog.label_input(bar);
    gtk_widget_show(bar);
    gtk_container_add(GTK_CONTAINER(dialog.content()), bar);

    PauseTimer timer{&dialog, bar, pause_seconds(request.args[0])};
    dialog.add_timeout<on_pause_tick>(1000, &timer);
    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog, {});
}
