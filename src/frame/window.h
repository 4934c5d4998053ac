// Sizes in character cells and the placement of dialog windows.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// Pixel width of one character cell; a row is two cells high. Measured in
// the screen's style, which is made once and follows later changes.
double char_unit_pixels(GdkScreen *screen);

// The primary monitor, or the first when none is primary (Wayland names
// none); null without monitors.
GdkMonitor *primary_monitor(GdkDisplay *display);

// Whether --begin-x/--begin-y ask for a full-screen window.
bool is_full_screen(const DialogConf &conf);

// The monitor that a dialog placed by conf shows on, which its default size
// must fit: on X11 the one GTK centres it on (the pointer's), or the one at
// the point it is moved to; on Wayland, where the compositor places every
// window, the one it puts a new window on. Null without monitors.
GdkMonitor *dialog_monitor(GdkDisplay *display, const DialogConf &conf);

// Usable area of a monitor (all 0 for none).
GdkRectangle monitor_workarea(GdkMonitor *monitor);

// A size in character cells.
struct CellSize {
    int rows;
    int cols;
};

// The default size on a work area: what a size of 0 stands for, and what
// --print-maxsize reports.
CellSize default_cell_size(double unit, const GdkRectangle &area);

// The size that rows and cols ask for: 0, and only 0, stands for the
// default; any other number, a negative one too, is taken as given.
CellSize asked_cell_size(int rows, int cols, double unit, const GdkRectangle &area);

// The size that rows and cols ask for, but no larger than the default in
// either direction: for a dialog that must show whole on the monitor.
CellSize fitted_cell_size(int rows, int cols, double unit, const GdkRectangle &area);

// Pixels for a length that GTK takes as a size request: -1 (natural size)
// for anything negative, and never more than a window can be.
int size_request_pixels(double pixels);

// Size request of a content area of rows x cols character cells.
void request_cell_size(GtkWidget *widget, int rows, int cols, double unit);

// Places a window by --begin-x/--begin-y: full screen on monitor (that of
// dialog_monitor), centred, or moved. A full-screen window shows what it
// holds in the middle of the screen, as its own size.
void place_window(GtkWindow *window, const DialogConf &conf, GdkMonitor *monitor);
