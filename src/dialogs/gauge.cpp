// Gauge: a progress bar under a text, both changed by the calling script
// through standard input while the dialog is up (see dialogs/gauge_protocol.h).
#include <string>
#include <unistd.h>

#include <gtk/gtk.h>

#include "core/diagnostics.h"
#include "core/records.h"
#include "dialogs/gauge_protocol.h"
#include "frame/accessible.h"
#include "frame/dialog_text.h"
#include "frame/dialog_window.h"
#include "frame/file_reader.h"
#include "frame/popup.h"
#include "frame/utf8_stream.h"

namespace {

// Bytes taken per wake-up: enough to keep up with any writer, little enough
// that key presses and redraws are never held up for long.
constexpr size_t read_size = 64 * 1024;

struct GaugeWatch {
    DialogWindow *dialog;
    const DialogConf *conf;
    GtkWidget *label;
    GtkWidget *bar;
    GaugeProtocol protocol;
    Utf8Repair repair;
    bool frame_pending = false;
};

void show_percent(GtkWidget *bar, unsigned percent) {
    std::string text = gauge_percent_text(percent);
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), percent / 100.0);
    set_progress_text(bar, text.c_str());
}

// Input may change the state many times between two frames; only the state
// at frame time is shown.
gboolean on_gauge_frame(GtkWidget *, GdkFrameClock *, gpointer data) {
    auto *watch = static_cast<GaugeWatch *>(data);
    watch->frame_pending = false;
    if (watch->protocol.take_percent_change())
        show_percent(watch->bar, watch->protocol.percent());
    if (watch->protocol.take_label_change())
        gtk_label_set_text(GTK_LABEL(watch->label), watch->protocol.label().c_str());
    return G_SOURCE_REMOVE;
}

void request_frame(GaugeWatch *watch) {
    if (watch->frame_pending)
        return;
    watch->frame_pending = true;
    gtk_widget_add_tick_callback(watch->dialog->widget(), on_gauge_frame, watch, nullptr);
}

gboolean end_gauge(GaugeWatch *watch) {
    gtk_dialog_response(watch->dialog->dialog(), GTK_RESPONSE_CLOSE);
    return G_SOURCE_REMOVE;
}

// Standard input is read only when the watch reports it readable (or at its
// end), so it never needs O_NONBLOCK: the calling script shares the
// descriptor and keeps reading it after the gauge.
gboolean on_gauge_input(GIOChannel *channel, GIOCondition, gpointer data) {
    auto *watch = static_cast<GaugeWatch *>(data);
    char buffer[read_size];
    ReadOutcome outcome = read_piece(g_io_channel_unix_get_fd(channel), buffer, sizeof buffer);
    switch (outcome.status) {
    case ReadStatus::Again:
        return G_SOURCE_CONTINUE;
    case ReadStatus::Error:
        show_error_popup(watch->dialog->widget(), watch->conf, g_strerror(outcome.error));
        return end_gauge(watch);
    case ReadStatus::End:
        watch->protocol.push(watch->repair.finish());
        watch->protocol.finish();
        return end_gauge(watch);
    case ReadStatus::Data:
        break;
    }
    watch->protocol.push(watch->repair.push(std::string_view(buffer, outcome.count)));
    if (watch->protocol.ended())
        return end_gauge(watch);
    request_frame(watch);
    return G_SOURCE_CONTINUE;
}

} // namespace

DialogResult dialog_gauge(const DialogRequest &request) {
    if (request.args.size() > 1)
        return unexpected_args(request, 1);
    unsigned percent = request.args.size() == 1 ? gauge_initial_percent(request.args[0]) : 0;

    DialogWindow dialog(request, WindowStyle::without_text);
    GtkWidget *content = dialog.content();
    GtkWidget *label = text_label_new(request.text.c_str(), request.rows);
    gtk_widget_show(label);
    gtk_box_pack_start(GTK_BOX(content), label, FALSE, TRUE, 4);
    GtkWidget *bar = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(bar), TRUE);
    show_percent(bar, percent);
    relate_label(label, bar);
    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_box_pack_start(GTK_BOX(box), bar, FALSE, TRUE, 0);
    gtk_widget_show_all(box);
    gtk_container_add(GTK_CONTAINER(content), box);

    GaugeWatch watch{&dialog, &request.conf, label, bar, GaugeProtocol(percent), {}};
    GIOChannel *input = g_io_channel_unix_new(STDIN_FILENO);
    // The end of the input and errors are watched too: a watch for input
    // alone never wakes up when the writer goes away.
    dialog.add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL), on_gauge_input,
                     &watch, G_PRIORITY_DEFAULT_IDLE);
    g_io_channel_unref(input);
    return run_dialog(dialog, {});
}
