// The editbox: a file's text edited in the dialog, answered whole on OK.
// Nothing is lost: unedited, the answer is the file's own bytes; a file whose
// bytes the editor cannot hold faithfully is shown read-only, with a note
// that says why, and answered unchanged. The file itself is never written.
#include <cerrno>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/locale_text.h"
#include "dialogs/edit_text.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/dialog_text.h"
#include "frame/dialog_window.h"
#include "frame/file_reader.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/popup.h"
#include "frame/text.h"
#include "frame/writer.h"

namespace {

// The largest file the editbox takes. GTK's text view holds several times
// a file's size while it edits it; beyond this the memory it takes, and the
// time it takes to lay the text out, are past what a dialog should cost.
constexpr size_t MAX_MIB = 64;
constexpr size_t MAX_BYTES = MAX_MIB * 1024 * 1024;

// The file is only gathered while it is read, so pieces can be large.
constexpr size_t PIECE_BYTES = 1024 * 1024;

// Text put into the view at a time: well under the 100 ms in which a
// window should answer a key.
constexpr size_t INSERTED_PIECE_BYTES = 256 * 1024;

// Characters of the buffer answered at a time.
constexpr int ANSWERED_PIECE_CHARS = 1024 * 1024;

// The responses that write the answer, which wait until the file is read.
constexpr int ANSWERING_RESPONSES[] = {GTK_RESPONSE_OK, RESPONSE_EXTRA};

struct EditFeed {
    const DialogRequest &request;
    DialogWindow &window;
    GtkTextView *view;
    GtkWidget *note;
    gulong map_handler = 0;
    IOChannelPtr channel;
    std::vector<char> piece = std::vector<char>(PIECE_BYTES);
    // The file's bytes, the unedited answer. When the view shows them as they
    // are (shows_bytes), they are let go once the buffer holds them, and the
    // buffer answers: a large file is not held twice while it is edited.
    std::string bytes;
    // The text for the view, while it goes in, unless it is the bytes
    // themselves (shows_bytes), and how much of it has gone in.
    std::string shown;
    bool shows_bytes = false;
    size_t inserted = 0;
    GObjectPtr<GtkTextBuffer> filling{gtk_text_buffer_new(nullptr)};
    NotEditable not_editable = NotEditable::no;
    bool editable = false;
    // Whether the view keeps the cursor in sight while the text is laid out
    // (see on_layout_grown).
    bool follow_cursor = false;
    // What calls the feed's signal handlers, besides the window.
    std::vector<gpointer> signalling;

    EditFeed(const DialogRequest &request, DialogWindow &window, GtkTextView *view, GtkWidget *note)
        : request(request), window(window), view(view), note(note) {}
    EditFeed(const EditFeed &) = delete;
    EditFeed &operator=(const EditFeed &) = delete;
    ~EditFeed() {
        if (map_handler != 0)
            g_signal_handler_disconnect(window.widget(), map_handler);
        // The window outlives the feed, and its widgets may still signal
        // while it is destroyed.
        for (gpointer instance : signalling)
            g_signal_handlers_disconnect_by_data(instance, this);
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

    // The file cannot be edited at all: the "Error" popup says why, then
    // the dialog ends with ERROR, as the textbox does with a file it cannot
    // open. Half a file is never offered as the answer.
    gboolean fail(const char *reason) {
        close_file();
        GCharPtr shown_path = display_text(request.text.c_str());
        GCharPtr message(g_strdup_printf("%s: %s", shown_path.get(), reason));
        show_error_popup(window.widget(), &request.conf, message.get());
        window.end_with(RESULT_ERROR);
        return FALSE;
    }

    gboolean too_large() {
        // TRANSLATORS: why a file cannot be edited, after its name and a colon;
        // %zu is a number of mebibytes.
        GCharPtr reason(
            g_strdup_printf(_("the file is too large to edit here (more than %zu MiB)"), MAX_MIB));
        return fail(reason.get());
    }

    std::string_view text_for_view() const { return shows_bytes ? bytes : shown; }

    gboolean finish_reading();
    void text_in();
    void set_answer_allowed(bool allowed) const;
};

gboolean insert_piece(EditFeed *feed);
void on_mark_set(GtkTextBuffer *buffer, GtkTextIter *, GtkTextMark *mark, EditFeed *feed);

// The note under a text that is shown read-only.
GCharPtr not_editable_note(NotEditable why) {
    if (why == NotEditable::nul_byte)
        // TRANSLATORS: shown under the text of a file that the edit box shows
        // but cannot edit; OK is the OK button.
        return GCharPtr(g_strdup(_("The file holds a NUL byte and cannot be edited. It is shown "
                                   "read-only, and OK answers it unchanged.")));
    const char *charset = converted_charset();
    return GCharPtr(g_strdup_printf(
        // TRANSLATORS: %s is the name of a character set, such as UTF-8 or
        // ISO-8859-1; OK is the OK button.
        _("The file holds bytes that are not text in %s and cannot be edited. It is shown "
          "read-only, and OK answers it unchanged."),
        charset == nullptr ? "UTF-8" : charset));
}

void EditFeed::set_answer_allowed(bool allowed) const {
    for (int response : ANSWERING_RESPONSES)
        gtk_dialog_set_response_sensitive(window.dialog(), response, allowed);
    for (int response = RESPONSE_LEFT1; response <= RESPONSE_RIGHT3; ++response)
        gtk_dialog_set_response_sensitive(window.dialog(), response, allowed);
}

gboolean EditFeed::finish_reading() {
    close_file();
    std::vector<char>().swap(piece);
    EditableText text = editable_text(bytes, converted_charset());
    shown = std::move(text.shown);
    shows_bytes = text.shows_bytes;
    not_editable = text.not_editable;
    window.add_idle<insert_piece>(this);
    return FALSE;
}

// The text goes into a buffer of its own a piece at a time: a large text in
// one go would keep the window from answering (Escape) for as long as that
// takes. The view gets the buffer once it is full: a view shown a buffer
// that grows lays it out again and again, which takes twice as long.
gboolean insert_piece(EditFeed *feed) {
    GtkTextBuffer *buffer = feed->filling.get();
    std::string_view text = feed->text_for_view();
    size_t end = text_piece_end(text, feed->inserted, INSERTED_PIECE_BYTES);
    GtkTextIter at;
    gtk_text_buffer_get_end_iter(buffer, &at);
    gtk_text_buffer_insert(buffer, &at, text.data() + feed->inserted,
                           static_cast<int>(end - feed->inserted));
    feed->inserted = end;
    if (end < text.size())
        return TRUE;
    feed->shown = std::string();
    if (feed->shows_bytes)
        std::string().swap(feed->bytes);
    feed->text_in();
    return FALSE;
}

void EditFeed::text_in() {
    GtkTextBuffer *buffer = filling.get();
    gtk_text_view_set_buffer(view, buffer);
    gtk_text_buffer_set_modified(buffer, FALSE);
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_place_cursor(buffer, &start);
    // Only a cursor the user moves is followed.
    follow_cursor = false;
    g_signal_connect(buffer, "mark-set", signal_handler<on_mark_set>(), this);
    editable = not_editable == NotEditable::no;
    gtk_text_view_set_editable(view, editable);
    gtk_widget_set_sensitive(GTK_WIDGET(view), TRUE);
    gtk_widget_grab_focus(GTK_WIDGET(view));
    if (!editable) {
        GCharPtr note_text = not_editable_note(not_editable);
        gtk_label_set_text(GTK_LABEL(note), note_text.get());
        atk_object_set_description(gtk_widget_get_accessible(GTK_WIDGET(view)), note_text.get());
        gtk_widget_show(note);
    }
    set_answer_allowed(true);
}

// GTK lays a long text out in the background and counts the lines not laid
// out yet as of no height: Ctrl+End scrolls to where the last line stands at
// that moment, which then drifts out of sight as the lines above it get
// their height. Until the user scrolls away, the view follows the cursor
// while the layout grows.
void on_layout_grown(GtkAdjustment *, EditFeed *feed) {
    if (feed->follow_cursor)
        gtk_text_view_scroll_mark_onscreen(
            feed->view, gtk_text_buffer_get_insert(gtk_text_view_get_buffer(feed->view)));
}

void on_mark_set(GtkTextBuffer *buffer, GtkTextIter *, GtkTextMark *mark, EditFeed *feed) {
    if (mark == gtk_text_buffer_get_insert(buffer))
        feed->follow_cursor = true;
}

gboolean on_view_scrolled(GtkWidget *, GdkEvent *, EditFeed *feed) {
    feed->follow_cursor = false;
    return FALSE;
}

void follow_the_cursor(EditFeed &feed) {
    GtkWidget *view = GTK_WIDGET(feed.view);
    GtkAdjustment *vertical = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
    GtkWidget *scrollbar =
        gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(gtk_widget_get_parent(view)));
    g_signal_connect(view, "scroll-event", signal_handler<on_view_scrolled>(), &feed);
    g_signal_connect(scrollbar, "button-press-event", signal_handler<on_view_scrolled>(), &feed);
    g_signal_connect(vertical, "changed", signal_handler<on_layout_grown>(), &feed);
    feed.signalling = {feed.filling.get(), view, scrollbar, vertical};
}

gboolean on_file_input(GIOChannel *, GIOCondition condition, EditFeed *feed) {
    if ((condition & (G_IO_IN | G_IO_HUP)) == 0)
        return feed->fail(_("Unexpected condition"));
    int fd = g_io_channel_unix_get_fd(feed->channel.get());
    ReadOutcome outcome = read_piece(fd, feed->piece.data(), feed->piece.size());
    switch (outcome.status) {
    case ReadStatus::Data:
        if (feed->bytes.size() + outcome.count > MAX_BYTES)
            return feed->too_large();
        feed->bytes.append(feed->piece.data(), outcome.count);
        return TRUE;
    case ReadStatus::Again:
        return TRUE;
    case ReadStatus::End:
        return feed->finish_reading();
    case ReadStatus::Error:
        break;
    }
    return feed->fail(g_strerror(outcome.error));
}

// Runs once the window is on screen, so that a slow or missing file never
// keeps the window from showing, and an error popup comes up over it.
gboolean open_edited_file(EditFeed *feed) {
    int fd = open_for_viewing(feed->request.text.c_str());
    if (fd < 0)
        return feed->fail(g_strerror(errno));
    feed->channel.reset(g_io_channel_unix_new(fd));
    struct stat info;
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (regular && static_cast<size_t>(info.st_size) > MAX_BYTES)
        return feed->too_large();
    if (regular)
        feed->bytes.reserve(static_cast<size_t>(info.st_size));
    feed->window.add_watch<on_file_input>(
        feed->channel.get(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL),
        feed);
    return FALSE;
}

gboolean on_editbox_mapped(GtkWidget *window, GdkEvent *, EditFeed *feed) {
    g_signal_handler_disconnect(window, feed->map_handler);
    feed->map_handler = 0;
    feed->window.add_idle<open_edited_file>(feed);
    return FALSE;
}

// The text view in its scroller, with the textbox's wrapping. It takes no
// keys until the file is in: keys typed into a text still being read
// would be lost.
GtkTextView *edit_view_new(GtkWidget *content, const DialogRequest &request) {
    GtkWidget *view = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_widget_set_sensitive(view, FALSE);
    GCharPtr shown_path = display_text(request.text.c_str());
    set_accessible_name(view, shown_path.get());
    fill_with_scroller(content, view, request.conf);
    return GTK_TEXT_VIEW(view);
}

// The buffer's text a piece at a time, so that answering a large text
// takes no second copy of it.
int write_buffer_text(GtkTextBuffer *buffer, int fd) {
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    while (!gtk_text_iter_is_end(&start)) {
        GtkTextIter end = start;
        gtk_text_iter_forward_chars(&end, ANSWERED_PIECE_CHARS);
        GCharPtr text(gtk_text_buffer_get_text(buffer, &start, &end, TRUE));
        if (int error = write_all(fd, answer_text(text.get())); error != 0)
            return error;
        start = end;
    }
    return 0;
}

int write_answer(const EditFeed &feed) {
    GtkTextBuffer *buffer = gtk_text_view_get_buffer(feed.view);
    const int fd = feed.request.opts.output_fd;
    if (!feed.shows_bytes && (!feed.editable || !gtk_text_buffer_get_modified(buffer)))
        return write_all(fd, feed.bytes);
    return write_buffer_text(buffer, fd);
}

} // namespace

DialogResult dialog_editbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf), WindowStyle::without_text);
    GtkWidget *content = dialog.content();
    GtkTextView *view = edit_view_new(content, request);
    EditFeed feed(request, dialog, view, note_label_new(content));
    add_standard_buttons(dialog.dialog(), &request.conf);
    feed.set_answer_allowed(false);
    follow_the_cursor(feed);
    feed.map_handler =
        g_signal_connect(dialog.widget(), "map-event", signal_handler<on_editbox_mapped>(), &feed);
    return run_dialog(dialog, {[&feed] { return write_answer(feed); }});
}
