// What the lazy view and its accessible share, and no one else sees: the
// view's state and the few of its steps that the accessible takes too.
#pragma once

#include <gtk/gtk.h>
#include <memory>
#include <unordered_map>

#include "frame/file_text.h"
#include "frame/gobject_ptr.h"
#include "frame/text_store.h"

namespace lazy_view {

// Everything the view keeps besides its GObject parts.
struct ViewState {
    // The text in the view: all of it, or the window at hand of a file
    // read on demand.
    TextStore store;
    // The file read on demand, when the view shows one; the scroll range
    // then covers the whole file, the parts above and below the window
    // estimated by their bytes.
    std::unique_ptr<FileText> file;
    // Set while the view puts a new window in place, when the changes of
    // scroll position that this makes must not read another.
    bool placing = false;
    GObjectPtr<GtkAdjustment> hadjustment;
    GObjectPtr<GtkAdjustment> vadjustment;
    GtkScrollablePolicy hscroll_policy = GTK_SCROLL_MINIMUM;
    GtkScrollablePolicy vscroll_policy = GTK_SCROLL_MINIMUM;
    // The scroll position, held as the section at the top of the view and
    // the pixels of it scrolled past, so that the text in sight stays put
    // when estimated heights above it are replaced by measured ones.
    size_t top_section = 0;
    int top_offset = 0;
    // Laid-out sections by index, each made from its section's text at a
    // revision of the store, and the bytes of text they hold.
    struct CachedLayout {
        size_t revision;
        GObjectPtr<PangoLayout> layout;
    };
    std::unordered_map<size_t, CachedLayout> layouts;
    size_t layout_bytes = 0;
    // Tabs stop at multiples of this many spaces' width.
    int tab_len = 8;
    // Whether the view keeps to the end of the text as it grows, and is
    // there now (the user has not scrolled away), and the tick callback that
    // takes it there at the next frame, if one is pending.
    bool follows_end = false;
    bool at_end = true;
    guint follow_tick = 0;
    // The font's character widths and line height, for the estimates.
    CharWidths widths;
    int line_height = 0;
    // The selection, as byte offsets into the text: from where the mouse
    // went down to where it is now (either may come first).
    size_t selection_anchor = 0;
    size_t selection_end = 0;
    bool selecting = false;
    // The search for the direction of the paragraph last laid out: its
    // first strong character decides, and the search goes section by
    // section from the paragraph's start, so that a paragraph of many
    // sections is read once however it is scrolled through.
    struct DirectionSearch {
        size_t paragraph = SIZE_MAX;
        size_t next_section = 0;   // the first section not searched yet
        size_t strong_section = 0; // where the direction was found
        PangoDirection direction = PANGO_DIRECTION_NEUTRAL;
    } direction_search;
};

// The state of a lazy text view.
ViewState &state_of(GtkWidget *widget);

// The layout of the section at index, made when it is not at hand.
PangoLayout *section_layout(GtkWidget *widget, size_t index);

// The byte offset of the text at a point of the view.
size_t text_offset_at(GtkWidget *widget, double x, double y);

// Puts the selected text on clipboard.
void copy_selection(GtkWidget *widget, GdkAtom clipboard);

// Selects from anchor to end (byte offsets), and tells screen readers.
void select(GtkWidget *widget, size_t anchor, size_t end);

} // namespace lazy_view
