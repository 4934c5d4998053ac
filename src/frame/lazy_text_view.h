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

// Removes the whole text, and the file shown, if any (a file that was cut
// short or replaced).
void lazy_text_view_clear(GtkWidget *view);

// Bytes the view holds for its text (see TextStore::held_bytes).
size_t lazy_text_view_held_bytes(GtkWidget *view);

// Tabs stop at multiples of columns spaces of the view's font (8 unless
// changed).
void lazy_text_view_set_tab_len(GtkWidget *view, int columns);

// From now on the view stays at the end of its text as text is appended,
// while the user has not scrolled away from the end; scrolling back to the
// end (or End) follows it again.
void lazy_text_view_follow_end(GtkWidget *view);

// Shows the regular file open on fd, taken to be length bytes long, read
// from the file on demand (file_text.h) rather than appended: the text at
// hand, which screen readers and the selection see, is the window read
// about the text in sight. Called again (with the file replaced), the view
// starts over. A view that follows its end starts at the file's end.
// Returns 0, or errno when the file could not be read.
int lazy_text_view_show_file(GtkWidget *view, UniqueFd fd, uint64_t length);

// The file shown is now length bytes long: what it grew by is shown when
// the window at hand reached its end, and the scroll range grows; a file
// shorter than before was truncated, and is shown again from its start
// (from its end, in a view that follows its end).
void lazy_text_view_set_file_length(GtkWidget *view, uint64_t length);
