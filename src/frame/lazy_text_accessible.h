// The lazy view's accessible, which gives screen readers its text (AtkText)
// by characters, words, sentences, lines and paragraphs, its selection, and
// a caret at the selection's end.
#pragma once

#include <cstddef>
#include <gtk/gtk.h>

GType lazy_text_accessible_get_type();

namespace lazy_view {

// Tells screen readers that the caret (the selection's moving end) or the
// selection changed, from what they were.
void announce_selection(GtkWidget *widget, size_t old_anchor, size_t old_end);

} // namespace lazy_view
