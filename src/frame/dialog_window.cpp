#include "frame/dialog_window.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/dialog_text.h"
#include "frame/focus_stand_in.h"
#include "frame/gobject_ptr.h"
#include "frame/text.h"
#include "frame/window.h"
#include "frame/writer.h"

// A dialog with nothing to type or choose in starts on its default button,
// so that keyboard users know where they are. GTK has picked its own focus
// by the time this runs.
static void focus_default_when_unfocused(GtkWidget *window, gpointer) {
    GtkWidget *default_widget = gtk_window_get_default_widget(GTK_WINDOW(window));
    if (gtk_window_get_focus(GTK_WINDOW(window)) == nullptr && default_widget != nullptr)
        gtk_widget_grab_focus(default_widget);
}

namespace {

// The title bar: title (as shown, may be null), subtitle and whether it
// offers to close the window. A message dialog has no header bar, so no
// subtitle either.
void set_heading(GtkWindow *window, const DialogConf &conf, const char *shown_title) {
    if (shown_title != nullptr)
        gtk_window_set_title(window, shown_title);
    GtkWidget *header = gtk_dialog_get_header_bar(GTK_DIALOG(window));
    if (!conf.deletable) {
        gtk_window_set_deletable(window, FALSE);
        if (header != nullptr)
            gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(header), FALSE);
    }
    if (conf.subtitle != nullptr && header != nullptr) {
        GCharPtr subtitle = display_text(conf.subtitle);
        gtk_header_bar_set_subtitle(GTK_HEADER_BAR(header), subtitle.get());
    }
}

// A GtkDialog whose content area is rows x cols character cells (0: the
// default for the work area), with the dialog text at its top when asked.
// Its buttons go in a header bar, except in full screen, which hides the
// header bar: there they go below the content. Returns the window and what
// shows the text.
std::pair<GtkWidget *, GtkWidget *> standard_window_new(const DialogRequest &request,
                                                        bool with_text, const GdkRectangle &area) {
    GtkDialogFlags flags =
        is_full_screen(request.conf) ? GtkDialogFlags(0) : GTK_DIALOG_USE_HEADER_BAR;
    GtkWidget *window = gtk_dialog_new_with_buttons(nullptr, nullptr, flags, nullptr, nullptr);
    set_heading(GTK_WINDOW(window), request.conf, display_text(request.conf.title).get());

    double unit = char_unit_pixels(gdk_screen_get_default());
    CellSize size = asked_cell_size(request.rows, request.cols, unit, area);

    GtkWidget *content = gtk_dialog_get_content_area(GTK_DIALOG(window));
    request_cell_size(content, size.rows, size.cols, unit);
    GtkWidget *text = nullptr;
    if (with_text) {
        int max_height = size_request_pixels(default_cell_size(unit, area).rows * unit * 2);
        text = add_dialog_text(content, request.text.c_str(), size.rows, size.cols, unit,
                               std::max(max_height, 1));
    }
    return {window, text};
}

// The infobox's window: a message dialog headed "Information" with the text
// as its secondary text, sized only when both rows and cols are given.
GtkWidget *message_window_new(const DialogRequest &request) {
    GtkWidget *window = gtk_message_dialog_new(nullptr, GTK_DIALOG_USE_HEADER_BAR, GTK_MESSAGE_INFO,
                                               GTK_BUTTONS_NONE, "%s", _("Information"));
    GCharPtr shown = display_text(request.text.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(window), "%s", shown.get());
    if (request.rows != 0 && request.cols != 0) {
        GtkWidget *content = gtk_dialog_get_content_area(GTK_DIALOG(window));
        request_cell_size(content, request.rows, request.cols,
                          char_unit_pixels(gdk_screen_get_default()));
    }
    GCharPtr title = request.conf.title != nullptr ? display_text(request.conf.title)
                                                   : GCharPtr(g_strdup(_("Information")));
    set_heading(GTK_WINDOW(window), request.conf, title.get());
    return window;
}

} // namespace

DialogWindow::DialogWindow(const DialogRequest &request, HelpAction help, WindowStyle style)
    : request_(request), help_(std::move(help)),
      // The infobox answers no one: --sleep alone says when it goes.
      waits_for_user_(style != WindowStyle::message),
      monitor_(dialog_monitor(gdk_display_get_default(), request.conf)),
      workarea_(monitor_workarea(monitor_)) {
    if (style == WindowStyle::message)
        window_ = message_window_new(request);
    else
        std::tie(window_, text_) =
            standard_window_new(request, style == WindowStyle::standard, workarea_);
    place_window(GTK_WINDOW(window_), request.conf, monitor_);
    if (help_)
        g_signal_connect(window_, "key-press-event", signal_handler<on_help_key>(), this);
}

DialogWindow::~DialogWindow() {
    sources_.clear();
    gtk_widget_destroy(window_);
}

void DialogWindow::fit_monitor() const {
    double unit = char_unit_pixels(gdk_screen_get_default());
    CellSize size = fitted_cell_size(request_.rows, request_.cols, unit, workarea_);
    request_cell_size(content(), size.rows, size.cols, unit);
}

void DialogWindow::label_input(GtkWidget *input) const {
    if (text_ != nullptr)
        relate_text(text_, input);
}

// F1, whatever the modifiers. The key goes on to the dialog's own handling in
// every case, and the help opens only once that is done. Run from inside the
// handler, the help's own loop would return to a press whose key code GTK
// reads again with the keymap of that moment: on Wayland each keyboard has a
// keymap of its own, and when the help was closed from another one (a second
// keyboard, an on-screen one), F1's code can be the very key that closed it,
// which would then cancel or accept the dialog as well.
gboolean DialogWindow::on_help_key(GtkWidget *, GdkEventKey *event, DialogWindow *self) {
    if (event->keyval == GDK_KEY_F1)
        self->add_idle<&DialogWindow::on_help_idle>(self);
    return FALSE;
}

gboolean DialogWindow::on_help_idle() {
    help_(window_);
    return G_SOURCE_REMOVE;
}

gboolean DialogWindow::on_timeout() {
    end_with(RESULT_TIMEOUT);
    return G_SOURCE_REMOVE;
}

void DialogWindow::own_source(GSourcePtr source) {
    // Let go of sources that have ended, so that a dialog which keeps
    // adding short-lived ones does not pile them up.
    std::erase_if(sources_, [](const GSourcePtr &old) { return g_source_is_destroyed(old.get()); });
    sources_.push_back(std::move(source));
}

void DialogWindow::end_with(DialogResult result) {
    forced_result_ = result;
    gtk_dialog_response(dialog(), GTK_RESPONSE_NONE);
}

DialogResult DialogWindow::run() {
    const char *default_button = request_.conf.default_button;
    if (default_button != nullptr && !choose_default_button(dialog(), default_button))
        // TRANSLATORS: %s is the value given to --default-button, e.g. "help"
        // for a dialog without a Help button.
        return warn_msg(RESULT_ERROR, _("--default-button %s: this dialog has no such button"),
                        default_button);
    g_signal_connect_after(window_, "map", G_CALLBACK(focus_default_when_unfocused), nullptr);
    if (waits_for_user_ && request_.conf.timeout_ms != 0)
        add_timeout<&DialogWindow::on_timeout>(request_.conf.timeout_ms, this);
    int response;
    {
        FocusStandIn stand_in(GTK_WINDOW(window_));
        response = gtk_dialog_run(dialog());
    }
    if (request_.conf.print_size) {
        Size size;
        gtk_window_get_size(GTK_WINDOW(window_), &size.width, &size.height);
        size_ = size;
    }
    gtk_widget_hide(window_);
    sources_.clear();
    return forced_result_ ? *forced_result_ : response_to_result(response);
}

int DialogWindow::write_size_line() const {
    if (!size_)
        return 0;
    return write_all(output_fd(), "DialogSize: " + std::to_string(size_->height) + ", " +
                                      std::to_string(size_->width) + "\n");
}

DialogResult run_dialog(DialogWindow &dialog, const DialogAnswer &answer) {
    DialogResult result = dialog.run();
    int error = 0;
    if ((result == RESULT_OK || answers_as_extra(result)) && answer.write)
        error = answer.write();
    else if (result == RESULT_HELP && answer.write_help)
        error = answer.write_help();
    if (error == 0 && result != RESULT_ERROR)
        error = dialog.write_size_line();
    return error != 0 ? answer_write_failed(dialog.output_fd(), error) : result;
}
