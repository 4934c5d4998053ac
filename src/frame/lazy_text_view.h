// A read-only text view that stays quick with texts of any size. GTK's own
// text view lays out every line of its text in the background to learn its
// height, which for a file of many megabytes costs seconds of full CPU.
// This view lays out only the paragraphs in sight (a long one in sections),
// and estimates the height of the others (see text_store.h) for its scroll
// bar. It wraps at word and
// then character boundaries, looks like GTK's view, scrolls by mouse, scroll
// bar and keyboard, and gives screen readers its text by characters, words,
// sentences, lines and paragraphs, its selection, and a caret at the
// selection's end.
#pragma once

#include <cstdint>
#include <gtk/gtk.h>
#include <string_view>

#include "core/unique_fd.h"

// An empty view, to be put in a GtkScrolledWindow.
GtkWidget *lazy_text_view_new();

// Appends valid UTF-8 text at the end of the view.
void lazy_text_view_append(GtkWidget *view, std::string_view text);

// Bytes the view holds for its text (see TextStore::held_bytes).
size_t lazy_text_view_held_bytes(GtkWidget *view);

// Shows the regular file open on fd, taken to be length bytes long, read
// from the file on demand (file_text.h) rather than appended: the text at
// hand, which screen readers and the selection see, is the window read
// about the text in sight. Called again (with the file replaced), the view
// starts over. Returns 0, or errno when the file could not be read.
int lazy_text_view_show_file(GtkWidget *view, UniqueFd fd, uint64_t length);

// The file shown is now length bytes long: what it grew by is shown when
// the window at hand reached its end, and the scroll range grows; a file
// shorter than before was truncated, and is shown again from its start.
void lazy_text_view_set_file_length(GtkWidget *view, uint64_t length);
