#include "frame/file_view.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "core/i18n.h"
#include "core/unique_fd.h"
#include "frame/accessible.h"
#include "frame/file_reader.h"
#include "frame/gobject_ptr.h"
#include "frame/lazy_text_view.h"
#include "frame/popup.h"
#include "frame/text.h"
#include "frame/utf8_stream.h"

namespace {

// Bytes read per dispatch of the watch: large enough that a big file costs
// few dispatches, small enough that inserting one piece keeps the window
// responsive.
constexpr size_t PIECE_BYTES = 64 * 1024;

// The viewer stops reading once it holds this much text (with its
// paragraphs' records): far more than any log a script shows in a dialog,
// yet a bound on memory when the file never ends (/dev/zero, a device, a
// FIFO that is fed forever).
constexpr size_t HELD_MIB_LIMIT = 256;

} // namespace

// What the viewer's sources share.
struct FileFeed {
    const char *path;
    const DialogConf &conf;
    DialogWindow &window;
    GtkWidget *view;
    GtkWidget *cut_note;
    std::function<void()> on_unreadable;
    gulong map_handler = 0;
    IOChannelPtr channel;
    Utf8Repair repair;
    std::vector<char> piece = std::vector<char>(PIECE_BYTES);

    FileFeed(const char *path, const DialogConf &conf, DialogWindow &window, GtkWidget *view,
             GtkWidget *cut_note, std::function<void()> on_unreadable)
        : path(path), conf(conf), window(window), view(view), cut_note(cut_note),
          on_unreadable(std::move(on_unreadable)) {}
    FileFeed(const FileFeed &) = delete;
    FileFeed &operator=(const FileFeed &) = delete;
    ~FileFeed() {
        if (map_handler != 0)
            g_signal_handler_disconnect(window.widget(), map_handler);
        close_file();
    }

    void close_file() {
        if (!channel)
            return;
        // The watch keeps its own reference to the channel until it is
        // removed, so the descriptor is closed here rather than on the unref.
        g_io_channel_shutdown(channel.get(), FALSE, nullptr);
        channel.reset();
    }

    // Text always goes at the end, so pieces appear in file order.
    void append(const std::string &text) { lazy_text_view_append(view, text); }

    void show_error(const char *message) const {
        show_error_popup(window.widget(), &conf, message);
    }

    // Reading is over: a character left cut at the end becomes U+FFFD.
    gboolean stop_reading() {
        append(repair.finish());
        close_file();
        return FALSE;
    }

    // The text is as long as the viewer holds: the rest is not read, and
    // the window says so.
    gboolean stop_at_limit() {
        close_file();
        gtk_widget_show(cut_note);
        return FALSE;
    }
};

namespace {

// The file is read whenever it has data, and also on a hang-up: a FIFO
// whose writer has closed reports only that, and a watch that ignored it
// would be dispatched again and again without end.
gboolean on_file_input(GIOChannel *, GIOCondition condition, FileFeed *feed) {
    if ((condition & (G_IO_IN | G_IO_HUP)) == 0) {
        feed->show_error(_("Unexpected condition"));
        return feed->stop_reading();
    }
    int fd = g_io_channel_unix_get_fd(feed->channel.get());
    ReadOutcome outcome = read_piece(fd, feed->piece.data(), feed->piece.size());
    switch (outcome.status) {
    case ReadStatus::Data:
        feed->append(feed->repair.push({feed->piece.data(), outcome.count}));
        if (lazy_text_view_held_bytes(feed->view) >= HELD_MIB_LIMIT * 1024 * 1024)
            return feed->stop_at_limit();
        return TRUE;
    case ReadStatus::Again:
        return TRUE;
    case ReadStatus::End:
        return feed->stop_reading();
    case ReadStatus::Error:
        break;
    }
    feed->stop_reading();
    feed->show_error(g_strerror(outcome.error));
    return FALSE;
}

// A regular file is read from on demand, only about the text in sight, so
// that it may be of any size: it is neither read whole nor held to the
// viewer's limit. One that says it is empty is read through instead, as
// the files of /proc have their text without a length.
gboolean show_regular_file(FileFeed *feed, int fd, uint64_t length) {
    int error = lazy_text_view_show_file(feed->view, UniqueFd(fd), length);
    if (error != 0)
        feed->show_error(g_strerror(error));
    return FALSE;
}

// Runs once the window is on screen, so that a slow or missing file never
// keeps the window from showing, and an error popup comes up over it.
gboolean open_viewed_file(FileFeed *feed) {
    int fd = open_for_viewing(feed->path);
    if (fd < 0) {
        GCharPtr shown_path = display_text(feed->path);
        GCharPtr message(g_strdup_printf("%s: %s", shown_path.get(), g_strerror(errno)));
        feed->show_error(message.get());
        feed->on_unreadable();
        return FALSE;
    }
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
        return show_regular_file(feed, fd, static_cast<uint64_t>(status.st_size));
    feed->channel.reset(g_io_channel_unix_new(fd));
    feed->window.add_watch<on_file_input>(
        feed->channel.get(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL),
        feed);
    return FALSE;
}

gboolean on_viewer_mapped(GtkWidget *window, GdkEvent *, FileFeed *feed) {
    g_signal_handler_disconnect(window, feed->map_handler);
    feed->map_handler = 0;
    feed->window.add_idle<open_viewed_file>(feed);
    return FALSE;
}

GtkWidget *text_view_new(GtkWidget *content, const char *path, const DialogConf &conf) {
    GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    if (!conf.shadow)
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);
    GtkWidget *view = lazy_text_view_new();
    GCharPtr shown_path = display_text(path);
    set_accessible_name(view, shown_path.get());
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    gtk_box_pack_start(GTK_BOX(content), scrolled, TRUE, TRUE, 0);
    gtk_widget_show_all(scrolled);
    return view;
}

// Shown under the text once the viewer has stopped reading at its limit.
GtkWidget *cut_note_new(GtkWidget *content) {
    GCharPtr text(g_strdup_printf(
        _("The rest of the file was not read: the viewer holds at most %zu MiB of text."),
        HELD_MIB_LIMIT));
    GtkWidget *note = gtk_label_new(text.get());
    gtk_label_set_line_wrap(GTK_LABEL(note), TRUE);
    gtk_label_set_xalign(GTK_LABEL(note), 0);
    gtk_box_pack_start(GTK_BOX(content), note, FALSE, FALSE, 0);
    return note;
}

} // namespace

FileView::FileView(DialogWindow &window, const char *path, const DialogConf &conf,
                   std::function<void()> on_unreadable) {
    GtkWidget *content = window.content();
    GtkWidget *view = text_view_new(content, path, conf);
    // The keys (arrows, pages, Ctrl+A and Ctrl+C) must act on the text from
    // the start. GTK's own choice of a first focus follows the focus chain,
    // which the header bar's buttons may come first in.
    gtk_widget_grab_focus(view);
    feed_ = std::make_unique<FileFeed>(path, conf, window, view, cut_note_new(content),
                                       std::move(on_unreadable));
    feed_->map_handler = g_signal_connect(window.widget(), "map-event",
                                          signal_handler<on_viewer_mapped>(), feed_.get());
}

FileView::~FileView() = default;
