#include "frame/file_view.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/i18n.h"
#include "core/unique_fd.h"
#include "frame/accessible.h"
#include "frame/dialog_text.h"
#include "frame/file_reader.h"
#include "frame/follow_rules.h"
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
    // A stream is read from a descriptor that is open already, which the
    // view does not own, to its end; text past the limit is read and
    // dropped, so that the writer is never held up.
    int stream_fd = -1;
    std::function<void(bool whole)> on_stream_end;
    bool dropping = false;
    gulong map_handler = 0;
    IOChannelPtr channel;
    Utf8Repair repair;
    std::vector<char> piece = std::vector<char>(PIECE_BYTES);
    // Following the file by its name (see "Following" below).
    bool follow = false;
    bool reading = false; // a watch reads the open file
    GtkWidget *wait_note = nullptr;
    GObjectPtr<GFileMonitor> monitor;
    // A followed regular file is read by the view, on demand, from a
    // descriptor of its own; this one tells the file's length as it changes.
    UniqueFd shown_file;
    uint64_t shown_length = 0;

    FileFeed(const char *path, const DialogConf &conf, DialogWindow &window, GtkWidget *view,
             GtkWidget *cut_note, std::function<void()> on_unreadable)
        : path(path), conf(conf), window(window), view(view), cut_note(cut_note),
          on_unreadable(std::move(on_unreadable)) {}
    FileFeed(const FileFeed &) = delete;
    FileFeed &operator=(const FileFeed &) = delete;
    ~FileFeed() {
        if (map_handler != 0)
            g_signal_handler_disconnect(window.widget(), map_handler);
        stop_following();
        close_file();
    }

    void close_file() {
        reading = false;
        shown_file.reset();
        if (!channel)
            return;
        if (stream_fd >= 0) {
            channel.reset();
            return;
        }
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
        stop_following();
        close_file();
        gtk_widget_show(cut_note);
        return FALSE;
    }

    // Followed to its end for now: the file stays open, and its monitor
    // says when there is more.
    gboolean pause_reading() {
        reading = false;
        return FALSE;
    }

    void stop_following() {
        if (!monitor)
            return;
        g_signal_handlers_disconnect_by_data(monitor.get(), this);
        g_file_monitor_cancel(monitor.get());
        monitor.reset();
    }
};

namespace {

// The file is read whenever it has data, and also on a hang-up: a FIFO
// whose writer has closed reports only that, and a watch that ignored it
// would be dispatched again and again without end.
gboolean on_file_input(GIOChannel *channel, GIOCondition condition, FileFeed *feed) {
    // A followed file that was replaced leaves the old file's watch behind.
    if (channel != feed->channel.get())
        return FALSE;
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
        return feed->follow ? feed->pause_reading() : feed->stop_reading();
    case ReadStatus::Error:
        break;
    }
    feed->stop_reading();
    feed->show_error(g_strerror(outcome.error));
    return FALSE;
}

// A stream is read whole; its end (or a read error, after its popup) is
// handed on.
gboolean on_stream_input(GIOChannel *, GIOCondition condition, FileFeed *feed) {
    ReadOutcome outcome{ReadStatus::Error, 0, 0};
    if ((condition & (G_IO_IN | G_IO_HUP)) != 0)
        outcome = read_piece(feed->stream_fd, feed->piece.data(), feed->piece.size());
    switch (outcome.status) {
    case ReadStatus::Data:
        if (feed->dropping)
            return TRUE;
        feed->append(feed->repair.push({feed->piece.data(), outcome.count}));
        if (lazy_text_view_held_bytes(feed->view) >= HELD_MIB_LIMIT * 1024 * 1024) {
            feed->dropping = true;
            gtk_widget_show(feed->cut_note);
        }
        return TRUE;
    case ReadStatus::Again:
        return TRUE;
    case ReadStatus::End:
        feed->stop_reading();
        feed->on_stream_end(true);
        return FALSE;
    case ReadStatus::Error:
        break;
    }
    feed->stop_reading();
    feed->show_error(outcome.error != 0 ? g_strerror(outcome.error) : _("Unexpected condition"));
    feed->on_stream_end(false);
    return FALSE;
}

// Below redrawing and input: a writer that floods the stream must not keep
// the window from being drawn or from answering a key.
void watch_stream(FileFeed *feed) {
    feed->channel.reset(g_io_channel_unix_new(feed->stream_fd));
    feed->window.add_watch<on_stream_input>(
        feed->channel.get(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL),
        feed, G_PRIORITY_DEFAULT_IDLE);
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
    if (feed->stream_fd >= 0) {
        watch_stream(feed);
        return FALSE;
    }
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

gboolean start_following(FileFeed *feed);

gboolean on_viewer_mapped(GtkWidget *window, GdkEvent *, FileFeed *feed) {
    g_signal_handler_disconnect(window, feed->map_handler);
    feed->map_handler = 0;
    if (feed->follow)
        feed->window.add_idle<start_following>(feed);
    else
        feed->window.add_idle<open_viewed_file>(feed);
    return FALSE;
}

GtkWidget *text_view_new(GtkWidget *content, const DialogConf &conf) {
    GtkWidget *view = lazy_text_view_new();
    fill_with_scroller(content, view, conf);
    return view;
}

// Shown under the text once the viewer has stopped reading at its limit.
GtkWidget *cut_note_new(GtkWidget *content, const char *format) {
    GCharPtr text(g_strdup_printf(format, HELD_MIB_LIMIT));
    GtkWidget *note = note_label_new(content);
    gtk_label_set_text(GTK_LABEL(note), text.get());
    return note;
}

// --- Following ---------------------------------------------------------------
//
// A followed file is read to its end, then read on whenever its monitor
// reports a change of the name: more text, a file cut short or a new file
// under the name (shown afresh from its start), or no file there any more
// (what was shown stays, with a note, until a file can be read there again).
// Between changes nothing runs.

void read_on(FileFeed *feed) {
    if (feed->reading)
        return;
    feed->reading = true;
    feed->window.add_watch<on_file_input>(
        feed->channel.get(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL),
        feed);
}

void show_waiting(FileFeed *feed, int error) {
    GCharPtr shown_path = display_text(feed->path);
    // TRANSLATORS: shown under the path of a followed file (a log) and the
    // reason it cannot be read: it does not exist yet, it is a directory...
    const char *waiting = _("Waiting for the file to become readable.");
    GCharPtr text(g_strdup_printf("%s: %s\n%s", shown_path.get(), g_strerror(error), waiting));
    gtk_label_set_text(GTK_LABEL(feed->wait_note), text.get());
    gtk_widget_show(feed->wait_note);
}

// The text is shown afresh from the file's start: what was shown goes, and
// so does a character left cut at its end.
void restart_text(FileFeed *feed) {
    lazy_text_view_clear(feed->view);
    static_cast<void>(feed->repair.finish());
}

// Files of /proc say they are empty, yet have text that only reading
// through finds.
bool has_text_without_length(int fd, const struct stat &status) {
    char byte;
    struct stat after;
    return status.st_size == 0 && pread(fd, &byte, 1, 0) == 1 && fstat(fd, &after) == 0 &&
           after.st_size == 0;
}

// A regular file of any size is read by the view about the text in sight
// (the view's end, as it follows it) rather than read through, so that a
// log larger than the viewer holds is followed on; the feed keeps a
// descriptor of its own to learn the file's length. Returns false when the
// file is to be read through instead.
bool show_followed_file(FileFeed *feed, int fd) {
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || has_text_without_length(fd, status))
        return false;
    UniqueFd for_view(fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!for_view.is_open())
        return false;
    feed->shown_file.reset(fd);
    feed->shown_length = static_cast<uint64_t>(status.st_size);
    int error = lazy_text_view_show_file(feed->view, std::move(for_view), feed->shown_length);
    if (error != 0)
        feed->show_error(g_strerror(error));
    return true;
}

// Opens the file under the name, which replaces whatever was shown.
void open_followed_file(FileFeed *feed) {
    int fd = open_for_following(feed->path);
    if (fd < 0) {
        show_waiting(feed, errno);
        return;
    }
    gtk_widget_hide(feed->wait_note);
    restart_text(feed);
    if (show_followed_file(feed, fd))
        return;
    feed->channel.reset(g_io_channel_unix_new(fd));
    read_on(feed);
}

// The view reads a shown file itself: it needs only its new length.
void follow_shown_file(FileFeed *feed, off_t length) {
    feed->shown_length = static_cast<uint64_t>(length);
    lazy_text_view_set_file_length(feed->view, feed->shown_length);
}

void follow_change(FileFeed *feed) {
    bool shown = feed->shown_file.is_open();
    if (!shown && !feed->channel) {
        open_followed_file(feed);
        return;
    }
    int fd = shown ? feed->shown_file.get() : g_io_channel_unix_get_fd(feed->channel.get());
    struct stat named;
    struct stat opened;
    bool has_name = stat(feed->path, &named) == 0;
    int name_error = errno;
    if (fstat(fd, &opened) != 0)
        return;
    off_t read_to = shown ? static_cast<off_t>(feed->shown_length) : lseek(fd, 0, SEEK_CUR);
    switch (next_follow_step(has_name ? &named : nullptr, opened, read_to)) {
    case FollowStep::unchanged:
        return;
    case FollowStep::grown:
        if (shown)
            follow_shown_file(feed, opened.st_size);
        else
            read_on(feed);
        return;
    case FollowStep::truncated:
        if (shown) {
            follow_shown_file(feed, opened.st_size);
            return;
        }
        lseek(fd, 0, SEEK_SET);
        restart_text(feed);
        read_on(feed);
        return;
    case FollowStep::replaced:
        feed->close_file();
        open_followed_file(feed);
        return;
    case FollowStep::gone:
        feed->close_file();
        show_waiting(feed, has_name ? EISDIR : name_error);
        return;
    }
}

void on_followed_file_changed(GFileMonitor *, GFile *, GFile *, GFileMonitorEvent, FileFeed *feed) {
    follow_change(feed);
}

// The monitor comes first, so that no change after the first look is
// missed. Without one (no way to watch the file system), the file is shown
// as it is.
gboolean start_following(FileFeed *feed) {
    GObjectPtr<GFile> file(g_file_new_for_path(feed->path));
    feed->monitor.reset(g_file_monitor_file(file.get(), G_FILE_MONITOR_NONE, nullptr, nullptr));
    if (feed->monitor) {
        // Changes come at most this often while the file keeps growing.
        g_file_monitor_set_rate_limit(feed->monitor.get(), 100);
        g_signal_connect(feed->monitor.get(), "changed", signal_handler<on_followed_file_changed>(),
                         feed);
    }
    open_followed_file(feed);
    return FALSE;
}

// Shown above the text while no file can be read under the name.
GtkWidget *wait_note_new(GtkWidget *content) {
    GtkWidget *note = note_label_new(content);
    gtk_box_reorder_child(GTK_BOX(content), note, 0);
    return note;
}

} // namespace

FileView::FileView(DialogWindow &window, const char *path, const DialogConf &conf,
                   std::function<void()> on_unreadable) {
    GtkWidget *content = window.content();
    GtkWidget *view = text_view_new(content, conf);
    GCharPtr shown_path = display_text(path);
    set_accessible_name(view, shown_path.get());
    // The keys (arrows, pages, Ctrl+A and Ctrl+C) must act on the text from
    // the start. GTK's own choice of a first focus follows the focus chain,
    // which the header bar's buttons may come first in.
    gtk_widget_grab_focus(view);
    GtkWidget *note = cut_note_new(
        content, _("The rest of the file was not read: the viewer holds at most %zu MiB of text."));
    feed_ = std::make_unique<FileFeed>(path, conf, window, view, note, std::move(on_unreadable));
    feed_->map_handler = g_signal_connect(window.widget(), "map-event",
                                          signal_handler<on_viewer_mapped>(), feed_.get());
}

FileView::FileView(DialogWindow &window, int fd, const DialogConf &conf,
                   std::function<void(bool whole)> on_end) {
    GtkWidget *content = window.content();
    GtkWidget *view = text_view_new(content, conf);
    gtk_widget_grab_focus(view);
    lazy_text_view_follow_end(view);
    GtkWidget *note = cut_note_new(
        content,
        // TRANSLATORS: shown under a command's output, or what a script
        // writes, once the window holds that many MiB of it.
        _("The rest of the output is not shown: the window holds at most %zu MiB of text."));
    feed_ = std::make_unique<FileFeed>("", conf, window, view, note, [] {});
    feed_->stream_fd = fd;
    feed_->on_stream_end = std::move(on_end);
    feed_->map_handler = g_signal_connect(window.widget(), "map-event",
                                          signal_handler<on_viewer_mapped>(), feed_.get());
}

FileView::~FileView() = default;

FileView::FileView(DialogWindow &window, const char *path, const DialogConf &conf, FollowName)
    : FileView(window, path, conf, std::function<void()>()) {
    feed_->follow = true;
    feed_->wait_note = wait_note_new(window.content());
    lazy_text_view_follow_end(feed_->view);
}

GtkWidget *FileView::view() const {
    return feed_->view;
}

void FileView::set_tab_len(int columns) {
    lazy_text_view_set_tab_len(feed_->view, columns);
}
