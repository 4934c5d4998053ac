// A dialog drawn as active while a window that never asked for the focus
// holds it in its place.
#pragma once

#include <gtk/gtk.h>
#include <utility>
#include <vector>

// A Wayland compositor decides alone which window has the keyboard: one may
// give it to a backdrop that asked never to take it (a full-screen window,
// where the compositor offers no background layer). Keys still reach the
// modal dialog, through GTK's grab, but GTK would draw the dialog as if it
// were in the background: grey, without a focus ring or a caret. While this
// lives, the dialog is told it has the focus whenever such a window has it.
class FocusStandIn {
  public:
    // window: the dialog, about to run modally; the other windows shown now
    // are those that may hold the focus in its place. All must outlive this.
    explicit FocusStandIn(GtkWindow *window);
    ~FocusStandIn();
    FocusStandIn(const FocusStandIn &) = delete;
    FocusStandIn &operator=(const FocusStandIn &) = delete;

  private:
    static void on_change(FocusStandIn *self);
    static gboolean on_window_state(FocusStandIn *self);
    bool focus_held_for_us() const;
    void update();

    GtkWindow *window_;
    std::vector<GtkWindow *> others_;
    std::vector<std::pair<GObject *, gulong>> handlers_;
    bool standing_in_ = false;
};
