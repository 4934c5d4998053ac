// The dialog text above a dialog's own widgets: a wrapping label, or, for a
// text that may be taller than the screen, a label or a read-only text view
// that scrolls inside the window.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// The label of a dialog text (as shown: UTF-8): wrapping, at most rows
// lines when rows > 0, not shown yet. The gauge and the mixedgauge place their own.
GtkWidget *text_label_new(const char *text, int rows);

// Changes the text of a label made by text_label_new (valid UTF-8 or null).
void set_label_text(GtkWidget *label, const char *text);

// Puts a label made by text_label_new in a box that scrolls once the label
// is taller than max_height pixels, and returns the box; cols and unit are
// the content area's width in character cells and a cell's width in pixels.
GtkWidget *label_scroller_new(GtkWidget *label, int cols, double unit, int max_height);

// An empty note beside a dialog's main widget: a wrapping label aligned to
// the start, packed at the end of box, shown once it is given a text.
GtkWidget *note_label_new(GtkWidget *box);

// child in a scroller that fills box, scrolling both ways and framed unless
// --no-shadow asks otherwise; both shown. Returns the scroller.
GtkWidget *fill_with_scroller(GtkWidget *box, GtkWidget *child, const DialogConf &conf);

// Shows text at the start of a dialog's content area and returns the widget
// that shows it. A text that may be taller than the screen scrolls once it
// is taller than max_height pixels (the content of a dialog of the default
// size); cols and unit are the content area's width in character cells and
// a cell's width in pixels.
GtkWidget *add_dialog_text(GtkWidget *content, const char *text, int rows, int cols, double unit,
                           int max_height);
