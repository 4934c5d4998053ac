// One dialog on screen and the standard way to run it: the modal run, the
// --print-size step, the mapping of the response, the answer, the clean-up.
#pragma once

#include <functional>
#include <gtk/gtk.h>
#include <optional>
#include <vector>

#include "core/records.h"

// A dialog window together with the main-loop sources that serve it
// (timers, idle work, watches on descriptors), none of which may outlive it.
// Either way it is made, F1 shows the help when conf has --hmsg or --hfile.
class DialogWindow {
  public:
    // The standard window (see dialog_window_new).
    DialogWindow(DialogConf *conf, Options *opts, const char *text, int rows, int cols);
    // Takes over a window built otherwise, such as the infobox's.
    DialogWindow(GtkWidget *window, const DialogConf *conf);
    ~DialogWindow();
    DialogWindow(const DialogWindow &) = delete;
    DialogWindow &operator=(const DialogWindow &) = delete;

    GtkWidget *widget() const { return window_; }
    GtkDialog *dialog() const { return GTK_DIALOG(window_); }
    GtkWidget *content() const { return gtk_dialog_get_content_area(dialog()); }

    // Sources owned by the dialog. A callback may end its source by
    // returning FALSE; whatever is still installed when the modal run ends
    // is removed then.
    void add_timeout(unsigned interval_ms, GSourceFunc callback, gpointer data);
    void add_idle(GSourceFunc callback, gpointer data);
    // A watch that may be ready all the time (a flooding pipe) runs at a
    // priority below redrawing, or the window would never be repainted.
    void add_watch(GIOChannel *channel, GIOCondition condition, GIOFunc callback, gpointer data,
                   int priority = G_PRIORITY_DEFAULT);

    // Ends the modal run from inside it with this result, whatever the
    // response (a timer running out, a file that cannot be opened).
    void end_with(DialogResult result);

    // Runs the window modally, stores its size for --print-size, hides it,
    // removes its sources and returns the result of the response.
    DialogResult run();

  private:
    void own_source(GSource *source);
    void remove_sources();

    GtkWidget *window_;
    const DialogConf *conf_;
    std::vector<GSource *> sources_;
    std::optional<DialogResult> forced_result_;
};

// How a dialog writes its answer: write for OK and EXTRA, write_help (the
// list dialogs) for HELP. Either may be left empty.
struct DialogAnswer {
    std::function<void()> write = {};
    std::function<void()> write_help = {};
};

// The standard finish: runs the dialog, then writes the answer its result
// calls for. Returns the result.
DialogResult run_dialog(DialogWindow &dialog, const DialogAnswer &answer = {});
