// The backdrop: one plain window over each monitor, behind the dialogs, with
// the back title in large type on the primary monitor's window (the first
// monitor's when none is primary).
#pragma once

#include <gtk/gtk.h>
#include <string_view>
#include <vector>

// What a build shows; read afresh at every build.
struct BackdropLook {
    const char *backtitle; // may be null: an empty title
    bool bikeshed;         // random colours instead of the theme's
    bool no_lines;         // no rule under the title
};

struct BackdropWindows {
    std::vector<GtkWidget *> windows;
    GtkWidget *backtitle_label = nullptr; // null without a monitor
};

// Destroys the windows of *backdrop and makes new ones for the monitors that
// screen has now.
void build_backdrop_windows(GdkScreen *screen, const BackdropLook &look, BackdropWindows *backdrop);

// Shows bytes (a relayed title, not necessarily valid UTF-8) as the back
// title, when there is a title label.
void show_backtitle(BackdropWindows *backdrop, std::string_view bytes);
