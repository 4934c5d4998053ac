// Gauge: a progress bar under a text, both changed by the calling script
// through standard input while the dialog is up (see dialogs/gauge_protocol.h).
#include <algorithm>
#include <string>
#include <unistd.h>

#include <gtk/gtk.h>

#include "core/diagnostics.h"
#include "core/records.h"
#include "dialogs/gauge_protocol.h"
#include "frame/accessible.h"
#include "frame/callbacks.h"
#include "frame/dialog_text.h"
#include "frame/dialog_window.h"
#include "frame/file_reader.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/popup.h"
#include "frame/text.h"
#include "frame/utf8_stream.h"
#include "frame/window.h"

namespace {

// Bytes taken per wake-up: enough to keep up with any writer, little enough
// that key presses and redraws are never held up for long.
constexpr size_t read_size = 64 * 1024;

// Room above and below the text.
constexpr int text_padding = 4;

// No character that shows is narrower than a quarter of a character cell.
constexpr size_t chars_per_cell = 4;

struct GaugeWatch {
    DialogWindow *dialog;
    const DialogConf *conf;
    GtkWidget *label;
    GtkWidget *bar;
    GaugeProtocol protocol;
    Utf8Repair repair;
    // The tick callback that shows the next frame, while one is pending:
    // the watch owns it, as the callback works on the watch.
    guint frame_callback = 0;

    ~GaugeWatch() {
        if (frame_callback != 0)
            gtk_widget_remove_tick_callback(dialog->widget(), frame_callback);
    }
};

void show_percent(GtkWidget *bar, unsigned percent) {
    std::string text = gauge_percent_text(percent);
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), percent / 100.0);
    set_progress_text(bar, text.c_str());
}

// Input may change the state many times between two frames; only the state
// at frame time is shown.
gboolean on_gauge_frame(GtkWidget *, GdkFrameClock *, GaugeWatch *watch) {
    watch->frame_callback = 0;
    if (watch->protocol.take_percent_change())
        show_percent(watch->bar, watch->protocol.percent());
    if (watch->protocol.take_label_change())
        set_label_text(watch->label, watch->protocol.label().c_str());
    return G_SOURCE_REMOVE;
}

void request_frame(GaugeWatch *watch) {
    if (watch->frame_callback != 0)
        return;
    watch->frame_callback = gtk_widget_add_tick_callback(watch->dialog->widget(),
                                                         untyped<on_gauge_frame>, watch, nullptr);
}

gboolean end_gauge(GaugeWatch *watch) {
    gtk_dialog_response(watch->dialog->dialog(), GTK_RESPONSE_CLOSE);
    return G_SOURCE_REMOVE;
}

// Standard input is read only when the watch reports it readable (or at its
// end), so it never needs O_NONBLOCK: the calling script shares the
// descriptor and keeps reading it after the gauge.
gboolean on_gauge_input(GIOChannel *channel, GIOCondition, GaugeWatch *watch) {
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

// The dialog's rows and columns, or those of a dialog of the default size
// where they give none. The text needs room of its own: where a negative
// size leaves the window its natural size, the text takes that of the
// default size too.
struct GaugeCells {
    int rows;
    int cols;
    double unit;
};

GaugeCells gauge_cells(const GdkRectangle &area, int rows, int cols) {
    double unit = char_unit_pixels(gdk_screen_get_default());
    CellSize size = asked_cell_size(std::max(rows, 0), std::max(cols, 0), unit, area);
    return {size.rows, size.cols, unit};
}

// The text takes what the dialog's rows leave beside the bar, so that the
// bar always shows; a taller text scrolls.
int text_height(const GaugeCells &cells, GtkWidget *bar_box) {
    int bar_height = 0;
    gtk_widget_get_preferred_height(bar_box, nullptr, &bar_height);
    return static_cast<int>(cells.rows * cells.unit * 2) - bar_height - 2 * text_padding;
}

// What could never be seen in that height is not kept: each line of the text
// takes a line of the window at least, and no more characters fit in a line
// than its cells can hold at their narrowest.
GaugeTextLimit text_limit(const GaugeCells &cells, int lines) {
    size_t kept_lines = static_cast<size_t>(std::max(lines, 1));
    return {kept_lines, kept_lines * static_cast<size_t>(std::max(cells.cols, 1)) * chars_per_cell};
}

// The text keeps its height whatever it holds, so that the bar stays in
// place and the window never grows with the text.
GtkWidget *text_area_new(GtkWidget *label, const GaugeCells &cells, int height) {
    gtk_widget_set_valign(label, GTK_ALIGN_START);
    GtkWidget *scroller = label_scroller_new(label, cells.cols, cells.unit, height);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(scroller), height);
    return scroller;
}

std::string initial_text(const char *text, GaugeTextLimit limit) {
    GaugeText shown(limit);
    if (GCharPtr valid = display_text(text))
        shown.append(valid.get());
    return shown.shown();
}

} // namespace

DialogResult dialog_gauge(const DialogRequest &request) {
    if (request.args.size() > 1)
        return unexpected_args(request, 1);
    unsigned percent = request.args.size() == 1 ? gauge_initial_percent(request.args[0]) : 0;

    DialogWindow dialog(request, help_on_f1(request.conf), WindowStyle::without_text);
    GtkWidget *content = dialog.content();
    GtkWidget *bar = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(bar), TRUE);
    show_percent(bar, percent);
    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_box_pack_start(GTK_BOX(box), bar, FALSE, TRUE, 0);
    gtk_widget_show_all(box);

    GaugeCells cells = gauge_cells(dialog.workarea(), request.rows, request.cols);
    int line_height = std::max(text_line_height(content), 1);
    int height = std::max(text_height(cells, box), line_height);
    GaugeTextLimit limit = text_limit(cells, height / line_height);
    GtkWidget *label =
        text_label_new(initial_text(request.text.c_str(), limit).c_str(), request.rows);
    GtkWidget *scroller = text_area_new(label, cells, height);
    gtk_widget_show_all(scroller);
    gtk_box_pack_start(GTK_BOX(content), scroller, FALSE, TRUE, text_padding);
    gtk_container_add(GTK_CONTAINER(content), box);
    relate_label(label, bar);

    GaugeWatch watch{&dialog, &request.conf, label, bar, GaugeProtocol(percent, limit), {}};
    IOChannelPtr input(g_io_channel_unix_new(STDIN_FILENO));
    // The end of the input and errors are watched too: a watch for input
    // alone never wakes up when the writer goes away.
    dialog.add_watch<on_gauge_input>(input.get(),
                                     GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL),
                                     &watch, G_PRIORITY_DEFAULT_IDLE);
    return run_dialog(dialog, {});
}
