// What screen readers are told about a dialog's widgets.
#pragma once

#include <gtk/gtk.h>

// Tells screen readers that label asks for input: the label is announced
// with the widget (the label's "label for" and the widget's "labelled by"
// relations), and the label's mnemonic, if it has one, moves focus there.
void relate_label(GtkWidget *label, GtkWidget *input);

// Relates every label inside text (the label itself, or a container of
// labels) to input.
void relate_text(GtkWidget *text, GtkWidget *input);

// Tells screen readers that control (a check button, say) acts on target.
void relate_control(GtkWidget *control, GtkWidget *target);

// The name screen readers announce for a widget that has no label of its own.
void set_accessible_name(GtkWidget *widget, const char *name);

// Shows text on a progress bar. GTK's bar does not tell screen readers its
// text, so it becomes the bar's name as well.
void set_progress_text(GtkWidget *bar, const char *text);
