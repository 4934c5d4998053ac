// One dialog on screen and the standard way to run it: the modal run, the
// --print-size step, the mapping of the response, the answer, the clean-up.
#pragma once

#include <functional>
#include <gtk/gtk.h>
#include <optional>
#include <vector>

#include "core/records.h"
#include "frame/callbacks.h"
#include "frame/gobject_ptr.h"

// How a dialog's window looks.
enum class WindowStyle {
    standard,     // a header bar, and the dialog text above the content
    without_text, // the same, but the dialog shows its text itself, if any
    message,      // an information message with the text (the infobox)
};

// What F1 does in a dialog window, run over it (its parent) once the key
// has been handled. Empty when F1 does nothing.
using HelpAction = std::function<void(GtkWidget *parent)>;

// A hidden dialog window, titled, sized in character cells and placed as the
// request says, together with the main-loop sources that serve it (timers,
// idle work, watches on descriptors), none of which may outlive it. F1 runs
// the help action, if any. A window that waits for the user (any but the
// infobox's message) ends with TIMEOUT after the request's timeout. The
// request must outlive the window.
class DialogWindow {
  public:
    DialogWindow(const DialogRequest &request, HelpAction help,
                 WindowStyle style = WindowStyle::standard);
    ~DialogWindow();
    DialogWindow(const DialogWindow &) = delete;
    DialogWindow &operator=(const DialogWindow &) = delete;

    GtkWidget *widget() const { return window_; }
    GtkDialog *dialog() const { return GTK_DIALOG(window_); }
    GtkWidget *content() const { return gtk_dialog_get_content_area(dialog()); }
    // The usable area of the monitor that the window shows on, which a
    // dialog of the default size fills.
    const GdkRectangle &workarea() const { return workarea_; }

    // Keeps the content area within the largest size that fits the monitor,
    // for a dialog that cannot show its content in less than it asks for:
    // one asked to be larger gets that size instead.
    void fit_monitor() const;

    // Names input as what the dialog's text asks for, for screen readers.
    // Does nothing for a dialog made without a text.
    void label_input(GtkWidget *input) const;

    // Sources owned by the dialog, which call F with data (see
    // callbacks.h). F may end its source by returning FALSE; whatever is
    // still installed when the modal run ends is removed then.
    template <auto F> void add_timeout(unsigned interval_ms, CallbackData<F> data) {
        own_source(attach_source<F>(g_timeout_source_new(interval_ms), data));
    }
    template <auto F> void add_idle(CallbackData<F> data) {
        own_source(attach_source<F>(g_idle_source_new(), data));
    }
    // A watch that may be ready all the time (a flooding pipe) runs at a
    // priority below redrawing, or the window would never be repainted.
    template <auto F>
    void add_watch(GIOChannel *channel, GIOCondition condition, CallbackData<F> data,
                   int priority = G_PRIORITY_DEFAULT) {
        GSource *watch = g_io_create_watch(channel, condition);
        g_source_set_priority(watch, priority);
        own_source(attach_source<F>(watch, data));
    }

    // A watch on a child process, which GLib reaps when it ends.
    template <auto F> void add_child_watch(GPid pid, CallbackData<F> data) {
        own_source(attach_source<F>(g_child_watch_source_new(pid), data));
    }

    // Ends the modal run from inside it with this result, whatever the
    // response (a timer running out, a file that cannot be opened).
    void end_with(DialogResult result);

    // Runs the window modally (until the timeout, if any), measures it for
    // --print-size, hides it, removes its sources and returns the result of
    // the response.
    DialogResult run();

    // The "DialogSize" line of --print-size, when it was asked for. Returns
    // 0, or the errno of the write that failed.
    int write_size_line() const;

    int output_fd() const { return request_.opts.output_fd; }

  private:
    struct Size {
        int height;
        int width;
    };

    void own_source(GSourcePtr source);
    static gboolean on_help_key(GtkWidget *window, GdkEventKey *event, DialogWindow *self);
    gboolean on_help_idle();
    gboolean on_timeout();

    const DialogRequest &request_;
    HelpAction help_;
    bool waits_for_user_;
    GdkMonitor *monitor_;
    GdkRectangle workarea_;
    GtkWidget *window_;
    GtkWidget *text_ = nullptr; // what shows the dialog text, if the window does
    // The attached sources. Letting one go removes it from the main loop,
    // which does nothing to one that already ended by itself: the reference
    // kept since it was attached makes that safe.
    std::vector<GSourcePtr> sources_;
    std::optional<DialogResult> forced_result_;
    std::optional<Size> size_;
};

// How a dialog writes its answer: write for OK, EXTRA and the script's own
// buttons, write_help (the list dialogs) for HELP. Either may be left empty;
// each returns 0, or the errno of the write that failed.
struct DialogAnswer {
    std::function<int()> write = {};
    std::function<int()> write_help = {};
};

// The standard finish: runs the dialog, then writes the answer its result
// calls for and, unless the dialog failed, the --print-size line. Returns
// the result, or ERROR when any of that could not be written.
DialogResult run_dialog(DialogWindow &dialog, const DialogAnswer &answer = {});
