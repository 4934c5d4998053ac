#include "frame/file_viewer.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/i18n.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/file_view.h"

namespace {

// One button, Exit (or --exit-label's), and no close button in the header
// bar.
void add_viewer_buttons(DialogWindow &dialog, const DialogConf &conf) {
    add_labelled_button(dialog.dialog(), conf.ok_label, _("_Exit"), GTK_RESPONSE_OK);
    add_custom_buttons(dialog.dialog(), &conf);
    GtkWidget *header = gtk_dialog_get_header_bar(dialog.dialog());
    if (header != nullptr)
        gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(header), FALSE);
}

} // namespace

DialogResult run_file_viewer(const DialogRequest &request, HelpAction help) {
    DialogWindow dialog(request, std::move(help), WindowStyle::without_text);
    FileView view(dialog, request.text.c_str(), request.conf,
                  [&dialog] { dialog.end_with(RESULT_ERROR); });
    view.set_tab_len(request.opts.tab_len);
    add_viewer_buttons(dialog, request.conf);
    return run_dialog(dialog);
}

namespace {

// Calls its action once, when the window's first frame has been drawn.
struct FirstFrame {
    std::function<void()> action;
    static gboolean on_draw(GtkWidget *widget, cairo_t *, FirstFrame *self) {
        g_signal_handlers_disconnect_by_func(widget, (gpointer)untyped<on_draw>, self);
        self->action();
        return FALSE;
    }
};

} // namespace

DialogResult run_file_follower(const DialogRequest &request, HelpAction help,
                               std::function<void()> when_drawn) {
    DialogWindow dialog(request, std::move(help), WindowStyle::without_text);
    FileView view(dialog, request.text.c_str(), request.conf, FileView::FollowName{});
    view.set_tab_len(request.opts.tab_len);
    add_viewer_buttons(dialog, request.conf);
    FirstFrame first_frame{std::move(when_drawn)};
    if (first_frame.action)
        g_signal_connect_after(dialog.widget(), "draw", signal_handler<FirstFrame::on_draw>(),
                               &first_frame);
    return run_dialog(dialog);
}

namespace {

// A follower shown beside the chain's dialogs. It keeps a copy of its
// request, which its window reads for as long as it is up.
class BackgroundFollower {
  public:
    BackgroundFollower(const DialogRequest &request, HelpAction help)
        : request_(request), dialog_(request_, std::move(help), WindowStyle::without_text),
          view_(dialog_, request_.text.c_str(), request_.conf, FileView::FollowName{}) {
        // The segment's own arguments are gone once it has run.
        request_.command_line = {};
        view_.set_tab_len(request_.opts.tab_len);
        add_viewer_buttons(dialog_, request_.conf);
        g_signal_connect(dialog_.widget(), "response", signal_handler<on_response>(), this);
        if (request_.conf.timeout_ms != 0)
            dialog_.add_timeout<&BackgroundFollower::on_timeout>(request_.conf.timeout_ms, this);
        gtk_widget_show(dialog_.widget());
    }
    BackgroundFollower(const BackgroundFollower &) = delete;
    BackgroundFollower &operator=(const BackgroundFollower &) = delete;

  private:
    static void on_response(GtkDialog *, int, BackgroundFollower *self);
    gboolean on_timeout() {
        gtk_dialog_response(dialog_.dialog(), GTK_RESPONSE_NONE);
        return G_SOURCE_REMOVE;
    }

    DialogRequest request_;
    DialogWindow dialog_;
    FileView view_;
};

// The followers in the background, until they are closed or the program
// ends.
std::vector<std::unique_ptr<BackgroundFollower>> &background_followers() {
    static std::vector<std::unique_ptr<BackgroundFollower>> followers;
    return followers;
}

// Exit, Escape or the timeout close the window (GTK keeps it alive until
// its signal has been handled); they answer no one, as the chain has gone
// on without it.
void BackgroundFollower::on_response(GtkDialog *, int, BackgroundFollower *self) {
    std::erase_if(background_followers(),
                  [self](const std::unique_ptr<BackgroundFollower> &f) { return f.get() == self; });
}

} // namespace

void show_file_follower(const DialogRequest &request, HelpAction help) {
    background_followers().push_back(
        std::make_unique<BackgroundFollower>(request, std::move(help)));
}

void close_background_followers() {
    background_followers().clear();
}
