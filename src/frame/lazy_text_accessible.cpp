#include "frame/lazy_text_accessible.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "frame/lazy_text_view_private.h"
#include "frame/text_boundaries.h"

using namespace lazy_view;

namespace {

// Words and sentences are looked for within this many bytes of the offset
// asked about, so that a question inside a huge paragraph stays cheap; a
// longer word or sentence is cut where the search ends.
constexpr size_t BREAK_SEARCH_BYTES = 8192;

void lazy_text_accessible_text_init(AtkTextIface *iface);

} // namespace

struct LazyTextAccessible {
    GtkWidgetAccessible parent;
};

struct LazyTextAccessibleClass {
    GtkWidgetAccessibleClass parent_class;
};

G_DEFINE_TYPE_WITH_CODE(LazyTextAccessible, lazy_text_accessible, GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, lazy_text_accessible_text_init))

void lazy_text_accessible_class_init(LazyTextAccessibleClass *) {}

void lazy_text_accessible_init(LazyTextAccessible *) {}

namespace {

gint to_gint(size_t value) {
    return static_cast<gint>(std::min<size_t>(value, G_MAXINT));
}

// The view of an accessible, or null once the view is gone.
GtkWidget *view_of(AtkText *text) {
    return gtk_accessible_get_widget(GTK_ACCESSIBLE(text));
}

// The store of the accessible's view, or null once the view is gone.
const TextStore *store_of(AtkText *text) {
    GtkWidget *widget = view_of(text);
    return widget != nullptr ? &state_of(widget).store : nullptr;
}

// The text of a span, handing out its offsets.
gchar *span_text(const TextStore &store, Span span, gint *start, gint *end) {
    *start = to_gint(span.start);
    *end = to_gint(span.end);
    size_t from = store.byte_offset(span.start);
    return g_strndup(store.text().data() + from, store.byte_offset(span.end) - from);
}

size_t section_content_end(const TextStore &store, size_t index) {
    return store.char_offset(store.section_start(index) + store.section(index).size());
}

// Adds the character offsets where the lines of a section start (or end)
// as the view lays them out at its width; a section out of sight is laid
// out for the question, as it will be shown. A section's first line starts
// a line and its last ends one, also where a long paragraph is cut. Until
// the view has a width, every section is one line.
void add_line_boundaries(GtkWidget *widget, size_t index, bool ends,
                         std::vector<size_t> &boundaries) {
    const TextStore &store = state_of(widget).store;
    size_t first_char = store.char_offset(store.section_start(index));
    if (store.wrap_width() <= 1) {
        boundaries.push_back(ends ? section_content_end(store, index) : first_char);
        return;
    }
    PangoLayout *layout = section_layout(widget, index);
    const char *text = pango_layout_get_text(layout);
    size_t chars = first_char;
    int counted = 0;
    for (GSList *item = pango_layout_get_lines_readonly(layout); item != nullptr;
         item = item->next) {
        auto *line = static_cast<PangoLayoutLine *>(item->data);
        int boundary = ends ? line->start_index + line->length : line->start_index;
        chars += static_cast<size_t>(g_utf8_strlen(text + counted, boundary - counted));
        counted = boundary;
        boundaries.push_back(chars);
    }
}

// The line boundaries that the lines at, before and after offset run
// between: those of its section and of the sections on either side, and
// the nearest edges of the sections beyond. Only these few sections are
// laid out, however long their paragraph.
std::vector<size_t> line_boundaries_near(GtkWidget *widget, size_t offset, bool ends) {
    const TextStore &store = state_of(widget).store;
    size_t byte = store.byte_offset(offset);
    size_t section = store.section_holding(byte);
    // A line's end comes before the line break: the line ending after an
    // offset on a break is the next section's first.
    bool on_break = byte >= store.section_start(section) + store.section(section).size();
    if (ends && on_break && section + 1 < store.section_count())
        ++section;
    size_t first = section > 0 ? section - 1 : 0;
    size_t last = std::min(section + 1, store.section_count() - 1);
    std::vector<size_t> boundaries;
    if (ends && first > 0)
        boundaries.push_back(section_content_end(store, first - 1));
    for (size_t index = first; index <= last; ++index)
        add_line_boundaries(widget, index, ends, boundaries);
    if (!ends && last + 1 < store.section_count())
        boundaries.push_back(store.char_offset(store.section_start(last + 1)));
    return boundaries;
}

// Word or sentence boundaries in the part of the text around offset that
// limits is set to.
std::vector<size_t> breaks_near(const TextStore &store, size_t offset, BreakKind kind,
                                Span &limits) {
    std::string_view text = store.text();
    auto [first, last] = byte_window(text, store.byte_offset(offset), BREAK_SEARCH_BYTES);
    std::string_view part = text.substr(first, last - first);
    size_t first_char = store.char_offset(first);
    limits = {first_char, first_char + static_cast<size_t>(g_utf8_strlen(
                                           part.data(), static_cast<gssize>(part.size())))};
    std::vector<size_t> breaks = text_breaks(part, kind);
    for (size_t &offset_in_part : breaks)
        offset_in_part += first_char;
    return breaks;
}

// The span of the unit that boundary cuts the text into at, before or after
// offset (a character offset within the text).
Span segment_of(GtkWidget *widget, size_t offset, AtkTextBoundary boundary, Segment which) {
    const TextStore &store = state_of(widget).store;
    Span limits{0, store.char_count()};
    std::vector<size_t> boundaries;
    switch (boundary) {
    case ATK_TEXT_BOUNDARY_CHAR:
        for (size_t at = offset > 0 ? offset - 1 : 0; at <= offset + 2; ++at)
            boundaries.push_back(at);
        break;
    case ATK_TEXT_BOUNDARY_WORD_START:
        boundaries = breaks_near(store, offset, BreakKind::WORD_START, limits);
        break;
    case ATK_TEXT_BOUNDARY_WORD_END:
        boundaries = breaks_near(store, offset, BreakKind::WORD_END, limits);
        break;
    case ATK_TEXT_BOUNDARY_SENTENCE_START:
        boundaries = breaks_near(store, offset, BreakKind::SENTENCE_START, limits);
        break;
    case ATK_TEXT_BOUNDARY_SENTENCE_END:
        boundaries = breaks_near(store, offset, BreakKind::SENTENCE_END, limits);
        break;
    case ATK_TEXT_BOUNDARY_LINE_START:
        boundaries = line_boundaries_near(widget, offset, false);
        break;
    case ATK_TEXT_BOUNDARY_LINE_END:
        boundaries = line_boundaries_near(widget, offset, true);
        break;
    }
    return segment_around(boundaries, limits, offset, which);
}

// The text from start to end (character offsets; an end of -1 or past the
// text's end is its end).
gchar *accessible_get_text(AtkText *text, gint start, gint end) {
    const TextStore *store = store_of(text);
    if (store == nullptr)
        return g_strdup("");
    size_t count = store->char_count();
    size_t last = end < 0 ? count : std::min(static_cast<size_t>(end), count);
    size_t first = std::min(static_cast<size_t>(std::max(start, 0)), last);
    size_t first_byte = store->byte_offset(first);
    size_t last_byte = store->byte_offset(last);
    return g_strndup(store->text().data() + first_byte, last_byte - first_byte);
}

gint accessible_get_character_count(AtkText *text) {
    const TextStore *store = store_of(text);
    return store != nullptr ? to_gint(store->char_count()) : 0;
}

gunichar accessible_get_character_at_offset(AtkText *text, gint offset) {
    const TextStore *store = store_of(text);
    if (store == nullptr || offset < 0 || static_cast<size_t>(offset) >= store->char_count())
        return 0;
    return g_utf8_get_char(store->text().data() + store->byte_offset(offset));
}

// The unit that boundary cuts the text into at, before or after offset.
gchar *text_around(AtkText *text, gint offset, AtkTextBoundary boundary, Segment which, gint *start,
                   gint *end) {
    *start = *end = 0;
    GtkWidget *widget = view_of(text);
    if (widget == nullptr || offset < 0)
        return g_strdup("");
    const TextStore &store = state_of(widget).store;
    size_t at = std::min(static_cast<size_t>(offset), store.char_count());
    return span_text(store, segment_of(widget, at, boundary, which), start, end);
}

gchar *accessible_get_text_at_offset(AtkText *text, gint offset, AtkTextBoundary boundary,
                                     gint *start, gint *end) {
    return text_around(text, offset, boundary, Segment::AT, start, end);
}

gchar *accessible_get_text_before_offset(AtkText *text, gint offset, AtkTextBoundary boundary,
                                         gint *start, gint *end) {
    return text_around(text, offset, boundary, Segment::BEFORE, start, end);
}

gchar *accessible_get_text_after_offset(AtkText *text, gint offset, AtkTextBoundary boundary,
                                        gint *start, gint *end) {
    return text_around(text, offset, boundary, Segment::AFTER, start, end);
}

// A unit runs from its start to the next one's, as the boundaries of
// starts cut the text; a paragraph holds its line break.
gchar *accessible_get_string_at_offset(AtkText *text, gint offset, AtkTextGranularity granularity,
                                       gint *start, gint *end) {
    switch (granularity) {
    case ATK_TEXT_GRANULARITY_CHAR:
        return text_around(text, offset, ATK_TEXT_BOUNDARY_CHAR, Segment::AT, start, end);
    case ATK_TEXT_GRANULARITY_WORD:
        return text_around(text, offset, ATK_TEXT_BOUNDARY_WORD_START, Segment::AT, start, end);
    case ATK_TEXT_GRANULARITY_SENTENCE:
        return text_around(text, offset, ATK_TEXT_BOUNDARY_SENTENCE_START, Segment::AT, start, end);
    case ATK_TEXT_GRANULARITY_LINE:
        return text_around(text, offset, ATK_TEXT_BOUNDARY_LINE_START, Segment::AT, start, end);
    case ATK_TEXT_GRANULARITY_PARAGRAPH:
        break;
    }
    *start = *end = 0;
    const TextStore *store = store_of(text);
    if (store == nullptr || offset < 0)
        return g_strdup("");
    size_t paragraph = store->paragraph_holding(store->byte_offset(offset));
    Span span{store->char_offset(store->paragraph_start(paragraph)),
              store->char_offset(store->paragraph_end(paragraph))};
    return span_text(*store, span, start, end);
}

// The caret is where the selection ends: where the mouse went up, or the
// end of the text after Ctrl+A.
gint accessible_get_caret_offset(AtkText *text) {
    GtkWidget *widget = view_of(text);
    if (widget == nullptr)
        return 0;
    const ViewState &state = state_of(widget);
    return to_gint(state.store.char_offset(state.selection_end));
}

bool has_selection(const ViewState &state) {
    return state.selection_anchor != state.selection_end;
}

gint accessible_get_n_selections(AtkText *text) {
    GtkWidget *widget = view_of(text);
    return widget != nullptr && has_selection(state_of(widget)) ? 1 : 0;
}

gchar *accessible_get_selection(AtkText *text, gint number, gint *start, gint *end) {
    *start = *end = 0;
    GtkWidget *widget = view_of(text);
    if (widget == nullptr || number != 0 || !has_selection(state_of(widget)))
        return nullptr;
    const ViewState &state = state_of(widget);
    Span span{state.store.char_offset(std::min(state.selection_anchor, state.selection_end)),
              state.store.char_offset(std::max(state.selection_anchor, state.selection_end))};
    return span_text(state.store, span, start, end);
}

// Selects from start to end (character offsets) as the mouse would.
gboolean select_characters(AtkText *text, gint start, gint end) {
    GtkWidget *widget = view_of(text);
    if (widget == nullptr)
        return FALSE;
    const TextStore &store = state_of(widget).store;
    select(widget, store.byte_offset(static_cast<size_t>(std::max(start, 0))),
           store.byte_offset(static_cast<size_t>(std::max(end, 0))));
    copy_selection(widget, GDK_SELECTION_PRIMARY);
    return TRUE;
}

gboolean accessible_set_selection(AtkText *text, gint number, gint start, gint end) {
    return number == 0 && select_characters(text, start, end);
}

gboolean accessible_add_selection(AtkText *text, gint start, gint end) {
    return accessible_get_n_selections(text) == 0 && select_characters(text, start, end);
}

gboolean accessible_remove_selection(AtkText *text, gint number) {
    if (number != 0 || accessible_get_n_selections(text) == 0)
        return FALSE;
    gint caret = accessible_get_caret_offset(text);
    return select_characters(text, caret, caret);
}

gboolean accessible_set_caret_offset(AtkText *text, gint offset) {
    return select_characters(text, offset, offset);
}

// Where the view's own window is, in the coordinates asked for: on the
// screen, or in the toplevel window.
void view_origin(GtkWidget *widget, AtkCoordType coords, int *x, int *y) {
    GdkWindow *window = gtk_widget_get_window(widget);
    gdk_window_get_origin(window, x, y);
    if (coords != ATK_XY_WINDOW)
        return;
    int toplevel_x = 0;
    int toplevel_y = 0;
    gdk_window_get_origin(gdk_window_get_toplevel(window), &toplevel_x, &toplevel_y);
    *x -= toplevel_x;
    *y -= toplevel_y;
}

// The box a character is drawn in, where it is drawn (above or below the
// view when it is out of sight).
void accessible_get_character_extents(AtkText *text, gint offset, gint *x, gint *y, gint *width,
                                      gint *height, AtkCoordType coords) {
    *x = *y = *width = *height = 0;
    GtkWidget *widget = view_of(text);
    if (widget == nullptr || !gtk_widget_get_realized(widget) || offset < 0)
        return;
    const ViewState &state = state_of(widget);
    const TextStore &store = state.store;
    size_t byte = store.byte_offset(static_cast<size_t>(offset));
    size_t index = store.section_holding(byte);
    PangoRectangle box;
    pango_layout_index_to_pos(section_layout(widget, index),
                              static_cast<int>(byte - store.section_start(index)), &box);
    if (box.width < 0) { // a right-to-left character is measured from its right
        box.x += box.width;
        box.width = -box.width;
    }
    pango_extents_to_pixels(&box, nullptr);
    int64_t top = store.section_y(index) - store.section_y(state.top_section) - state.top_offset;
    view_origin(widget, coords, x, y);
    *x += box.x;
    *y += static_cast<int>(std::clamp<int64_t>(top + box.y, G_MININT / 2, G_MAXINT / 2));
    *width = box.width;
    *height = box.height;
}

// The character under a point of the view, or -1 outside it.
gint accessible_get_offset_at_point(AtkText *text, gint x, gint y, AtkCoordType coords) {
    GtkWidget *widget = view_of(text);
    if (widget == nullptr || !gtk_widget_get_realized(widget))
        return -1;
    int origin_x = 0;
    int origin_y = 0;
    view_origin(widget, coords, &origin_x, &origin_y);
    x -= origin_x;
    y -= origin_y;
    if (x < 0 || y < 0 || x >= gtk_widget_get_allocated_width(widget) ||
        y >= gtk_widget_get_allocated_height(widget))
        return -1;
    return to_gint(state_of(widget).store.char_offset(text_offset_at(widget, x, y)));
}

void lazy_text_accessible_text_init(AtkTextIface *iface) {
    iface->get_character_extents = accessible_get_character_extents;
    iface->get_offset_at_point = accessible_get_offset_at_point;
    iface->get_text = accessible_get_text;
    iface->get_character_count = accessible_get_character_count;
    iface->get_character_at_offset = accessible_get_character_at_offset;
    iface->get_string_at_offset = accessible_get_string_at_offset;
    iface->get_text_at_offset = accessible_get_text_at_offset;
    iface->get_text_before_offset = accessible_get_text_before_offset;
    iface->get_text_after_offset = accessible_get_text_after_offset;
    iface->get_caret_offset = accessible_get_caret_offset;
    iface->set_caret_offset = accessible_set_caret_offset;
    iface->get_n_selections = accessible_get_n_selections;
    iface->get_selection = accessible_get_selection;
    iface->set_selection = accessible_set_selection;
    iface->add_selection = accessible_add_selection;
    iface->remove_selection = accessible_remove_selection;
}

} // namespace

namespace lazy_view {

// Tells screen readers that the caret (the selection's moving end) or the
// selection changed.
void announce_selection(GtkWidget *widget, size_t old_anchor, size_t old_end) {
    const ViewState &state = state_of(widget);
    AtkObject *accessible = gtk_widget_get_accessible(widget);
    bool same_range = std::minmax(old_anchor, old_end) ==
                      std::minmax(state.selection_anchor, state.selection_end);
    if (!same_range && (old_anchor != old_end || has_selection(state)))
        g_signal_emit_by_name(accessible, "text-selection-changed");
    if (state.selection_end != old_end)
        g_signal_emit_by_name(accessible, "text-caret-moved",
                              to_gint(state.store.char_offset(state.selection_end)));
}

} // namespace lazy_view
