// The common dialog window, sized in character cells.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// A hidden GtkDialog with a header bar, title, subtitle, size request and
// (when text is given) the text label. opts may be null only with no text.
GtkWidget *dialog_window_new(DialogConf *conf, Options *opts, const char *text, int rows, int cols);

// The infobox's window: a message dialog headed "Information" with text as
// its secondary text, titled, placed and sized like the standard window.
GtkWidget *message_window_new(DialogConf *conf, Options *opts, const char *text, int rows,
                              int cols);

// Pixel width of one character cell; a row is two cells high.
double char_unit_pixels(GdkScreen *screen);

// Usable area of the primary monitor (the first monitor when none is primary).
void primary_workarea(GdkScreen *screen, GdkRectangle *area);

// Default rows and columns for a size of 0 (what --print-maxsize reports).
int default_rows(double unit, const GdkRectangle &area);
int default_cols(double unit, const GdkRectangle &area);

// Size request of a content area of rows x cols character cells.
void request_cell_size(GtkWidget *widget, int rows, int cols, double unit);

// Places a window by --begin-x/--begin-y: fullscreen, positioned, or moved.
void place_window(GtkWindow *window, const DialogConf *conf, const Options *opts);

// The --print-size step, run after the modal run and before hiding.
void store_dialog_size(GtkWidget *dialog, const DialogConf *conf);
