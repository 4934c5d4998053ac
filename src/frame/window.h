// Sizes in character cells and the placement of dialog windows.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// Pixel width of one character cell; a row is two cells high.
double char_unit_pixels(GdkScreen *screen);

// The primary monitor, or the first when none is primary (Wayland names
// none); null without monitors.
GdkMonitor *primary_monitor(GdkDisplay *display);

// Usable area of primary_monitor.
void primary_workarea(GdkScreen *screen, GdkRectangle *area);

// Default rows and columns for a size of 0 (what --print-maxsize reports).
int default_rows(double unit, const GdkRectangle &area);
int default_cols(double unit, const GdkRectangle &area);

// Pixels for a length that GTK takes as a size request: -1 (natural size)
// for anything negative, and never more than a window can be.
int size_request_pixels(double pixels);

// Size request of a content area of rows x cols character cells.
void request_cell_size(GtkWidget *widget, int rows, int cols, double unit);

// Places a window by --begin-x/--begin-y: fullscreen, centred, or moved.
void place_window(GtkWindow *window, const DialogConf &conf);
