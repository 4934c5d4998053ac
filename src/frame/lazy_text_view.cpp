#include "frame/lazy_text_view.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "frame/callbacks.h"
#include "frame/file_text.h"
#include "frame/gobject_ptr.h"
#include "frame/lazy_text_accessible.h"
#include "frame/lazy_text_view_private.h"
#include "frame/long_runs.h"
#include "frame/text.h"
#include "frame/text_store.h"

using namespace lazy_view;

namespace {

// Laid-out sections kept for redrawing, by count and by their text's bytes;
// a screenful is far fewer, and a layout takes tens of bytes per character.
constexpr size_t CACHED_LAYOUTS = 512;
constexpr size_t CACHED_LAYOUT_BYTES = 256 * 1024;

// GObject allocates the instance and zeroes it; its C++ member is built in
// place by lazy_text_view_init and destroyed by lazy_text_view_finalize.
struct LazyTextView {
    GtkDrawingArea parent;
    ViewState state;
};

struct LazyTextViewClass {
    GtkDrawingAreaClass parent_class;
};

enum { PROP_0, PROP_HADJUSTMENT, PROP_VADJUSTMENT, PROP_HSCROLL_POLICY, PROP_VSCROLL_POLICY };

G_DEFINE_TYPE_WITH_CODE(LazyTextView, lazy_text_view, GTK_TYPE_DRAWING_AREA,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_SCROLLABLE, nullptr))

} // namespace

namespace lazy_view {

ViewState &state_of(GtkWidget *widget) {
    return reinterpret_cast<LazyTextView *>(widget)->state;
}

} // namespace lazy_view

namespace {

// --- Geometry -------------------------------------------------------------

void forget_layouts(ViewState &state) {
    state.layouts.clear();
    state.layout_bytes = 0;
}

// The direction of a text's first strong character, or neutral. Pango
// deprecates its own test in favour of FriBidi, which would be a library of
// its own to link for one call; Pango 1 keeps this one working.
PangoDirection base_direction(std::string_view text) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    return pango_find_base_dir(text.data(), static_cast<int>(text.size()));
    G_GNUC_END_IGNORE_DEPRECATIONS
}

// The direction of a section's paragraph as far as the section: that of
// the paragraph's first strong character up to the section's end, or
// neutral. The last section may still grow, so it is searched afresh each
// time; the sections before it keep their text, and what was found in them.
PangoDirection paragraph_direction(ViewState &state, size_t index) {
    const TextStore &store = state.store;
    size_t paragraph = store.paragraph_holding(store.section_start(index));
    ViewState::DirectionSearch &search = state.direction_search;
    if (search.paragraph != paragraph)
        search = {paragraph, store.section_holding(store.paragraph_start(paragraph)), 0,
                  PANGO_DIRECTION_NEUTRAL};
    while (search.direction == PANGO_DIRECTION_NEUTRAL && search.next_section <= index &&
           search.next_section + 1 < store.section_count()) {
        search.direction = base_direction(store.section(search.next_section));
        search.strong_section = search.next_section++;
    }
    if (search.direction != PANGO_DIRECTION_NEUTRAL)
        return index >= search.strong_section ? search.direction : PANGO_DIRECTION_NEUTRAL;
    if (index < search.next_section)
        return PANGO_DIRECTION_NEUTRAL;
    return base_direction(store.section(index));
}

// A layout in the direction of the section's paragraph (the widget's when
// the paragraph has no strong character), its lines aligned to the side
// that direction starts from across the whole width, as a text view does.
PangoLayout *directed_layout(GtkWidget *widget, size_t index) {
    PangoDirection direction = paragraph_direction(state_of(widget), index);
    if (direction == PANGO_DIRECTION_NEUTRAL)
        direction = gtk_widget_get_direction(widget) == GTK_TEXT_DIR_RTL ? PANGO_DIRECTION_RTL
                                                                         : PANGO_DIRECTION_LTR;
    // A context of its own: the widget's is shared by every layout.
    GObjectPtr<PangoContext> context(gtk_widget_create_pango_context(widget));
    pango_context_set_base_dir(context.get(), direction);
    PangoLayout *layout = pango_layout_new(context.get());
    pango_layout_set_auto_dir(layout, FALSE);
    pango_layout_set_alignment(layout, direction == PANGO_DIRECTION_RTL ? PANGO_ALIGN_RIGHT
                                                                        : PANGO_ALIGN_LEFT);
    return layout;
}

// Tab stops at multiples of tab_len spaces of the view's font; Pango
// repeats a single stop at multiples of its position.
void set_tab_stops(PangoLayout *layout, const ViewState &state) {
    int stop = static_cast<int>(state.tab_len * state.widths.ascii[' '] * PANGO_SCALE);
    if (stop <= 0)
        return;
    PangoTabArray *tabs = pango_tab_array_new(1, FALSE);
    pango_tab_array_set_tab(tabs, 0, PANGO_TAB_LEFT, stop);
    pango_layout_set_tabs(layout, tabs);
    pango_tab_array_free(tabs);
}

} // namespace

namespace lazy_view {

// The layout of a section's text (which starts at the store's
// section_start), made again once the section's revision changes.
PangoLayout *section_layout(GtkWidget *widget, size_t index) {
    ViewState &state = state_of(widget);
    size_t revision = state.store.revision(index);
    auto found = state.layouts.find(index);
    if (found != state.layouts.end() && found->second.revision == revision)
        return found->second.layout.get();
    if (state.layouts.size() >= CACHED_LAYOUTS || state.layout_bytes >= CACHED_LAYOUT_BYTES)
        forget_layouts(state);
    std::string_view text = state.store.section(index);
    PangoLayout *layout = directed_layout(widget, index);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    pango_layout_set_width(layout, state.store.wrap_width() * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    set_tab_stops(layout, state);
    if (PangoAttrListPtr attributes{long_run_attributes(text)})
        pango_layout_set_attributes(layout, attributes.get());
    state.layout_bytes += text.size();
    state.layouts.insert_or_assign(
        index, ViewState::CachedLayout{revision, GObjectPtr<PangoLayout>(layout)});
    return layout;
}

} // namespace lazy_view

namespace {

// Each printable ASCII character's width is read off one layout of them
// all; every other character counts as the font's average.
CharWidths char_widths(GtkWidget *widget, int tab_len) {
    CharWidths widths;
    PangoContext *context = gtk_widget_get_pango_context(widget);
    PangoFontMetricsPtr metrics(
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr));
    widths.other =
        static_cast<float>(pango_font_metrics_get_approximate_char_width(metrics.get())) /
        PANGO_SCALE;
    widths.ascii.fill(widths.other);

    char printable[0x7F - ' '];
    for (int i = 0; i < 0x7F - ' '; ++i)
        printable[i] = static_cast<char>(' ' + i);
    GObjectPtr<PangoLayout> layout(gtk_widget_create_pango_layout(widget, nullptr));
    pango_layout_set_text(layout.get(), printable, sizeof printable);
    for (int i = 0; i < 0x7F - ' '; ++i) {
        PangoRectangle position;
        pango_layout_index_to_pos(layout.get(), i, &position);
        widths.ascii[' ' + i] = static_cast<float>(position.width) / PANGO_SCALE;
    }
    widths.ascii['\t'] = static_cast<float>(tab_len) * widths.ascii[' '];
    return widths;
}

// A file's text outside the window at hand is as high as the window's text
// per byte: the estimate that lets the scroll bar cover a file whose
// paragraphs were never read.
double pixels_per_byte(const ViewState &state) {
    const FileRange &bytes = state.file->window().bytes;
    if (bytes.end > bytes.start)
        return static_cast<double>(state.store.total_height()) /
               static_cast<double>(bytes.end - bytes.start);
    return 1.0 / 64; // an empty window, in an empty file
}

double height_above_window(const ViewState &state) {
    if (!state.file)
        return 0;
    return static_cast<double>(state.file->window().bytes.start) * pixels_per_byte(state);
}

double height_below_window(const ViewState &state) {
    if (!state.file)
        return 0;
    uint64_t below = state.file->length() - state.file->window().bytes.end;
    return static_cast<double>(below) * pixels_per_byte(state);
}

void configure_adjustments(GtkWidget *widget) {
    ViewState &state = state_of(widget);
    double width = gtk_widget_get_allocated_width(widget);
    double height = gtk_widget_get_allocated_height(widget);
    if (state.hadjustment)
        gtk_adjustment_configure(state.hadjustment.get(), 0, 0, width, width * 0.1, width * 0.9,
                                 width);
    if (!state.vadjustment)
        return;
    const TextStore &store = state.store;
    double above = height_above_window(state);
    double upper = std::max(
        above + static_cast<double>(store.total_height()) + height_below_window(state), height);
    double value =
        above + static_cast<double>(store.section_y(state.top_section)) + state.top_offset;
    value = std::clamp(value, 0.0, upper - height);
    gtk_adjustment_configure(state.vadjustment.get(), value, 0, upper, store.line_height(),
                             height * 0.9, height);
}

// Lays out the sections in sight that are not measured yet, keeping the
// top section where it is; measuring can bring others into sight, so it
// goes on until every section in sight is measured.
void measure_sections_in_sight(GtkWidget *widget) {
    ViewState &state = state_of(widget);
    TextStore &store = state.store;
    int view_height = gtk_widget_get_allocated_height(widget);
    bool changed = false;
    int64_t y = -state.top_offset;
    for (size_t index = state.top_section; index < store.section_count() && y < view_height;
         ++index) {
        if (!store.measured(index)) {
            int height = 0;
            pango_layout_get_pixel_size(section_layout(widget, index), nullptr, &height);
            store.set_measured_height(index, height);
            changed = true;
        }
        y += store.height(index);
    }
    if (!changed)
        return;
    state.top_offset = std::min(state.top_offset, store.height(state.top_section) - 1);
    configure_adjustments(widget);
}

void update_geometry(GtkWidget *widget) {
    ViewState &state = state_of(widget);
    int width = gtk_widget_get_allocated_width(widget);
    if (width <= 1)
        return;
    if (state.line_height == 0) {
        state.widths = char_widths(widget, state.tab_len);
        state.line_height = text_line_height(widget);
    }
    int old_wrap = state.store.wrap_width();
    state.store.set_geometry(state.widths, state.line_height, width);
    if (old_wrap != width)
        forget_layouts(state);
    configure_adjustments(widget);
    measure_sections_in_sight(widget);
}

void scroll_by(GtkWidget *widget, double pixels) {
    GtkAdjustment *adjustment = state_of(widget).vadjustment.get();
    if (adjustment != nullptr)
        gtk_adjustment_set_value(adjustment, gtk_adjustment_get_value(adjustment) + pixels);
}

// --- Selecting ---------------------------------------------------------------

} // namespace

namespace lazy_view {

// The byte offset of the text under a point of the view.
size_t text_offset_at(GtkWidget *widget, double x, double y) {
    ViewState &state = state_of(widget);
    const TextStore &store = state.store;
    int64_t text_y =
        store.section_y(state.top_section) + state.top_offset + static_cast<int64_t>(y);
    if (text_y < 0)
        return 0;
    if (text_y >= store.total_height())
        return store.text().size();
    size_t index = store.section_at(text_y);
    int inside = static_cast<int>(text_y - store.section_y(index));
    PangoLayout *layout = section_layout(widget, index);
    int byte = 0;
    int trailing = 0;
    pango_layout_xy_to_index(layout, static_cast<int>(x * PANGO_SCALE), inside * PANGO_SCALE, &byte,
                             &trailing);
    const char *text = pango_layout_get_text(layout);
    const char *at = text + byte;
    for (; trailing > 0 && *at != '\0'; --trailing)
        at = g_utf8_next_char(at);
    return store.section_start(index) + static_cast<size_t>(at - text);
}

} // namespace lazy_view

namespace {

std::string_view selected_text(const ViewState &state) {
    size_t from = std::min(state.selection_anchor, state.selection_end);
    size_t to = std::max(state.selection_anchor, state.selection_end);
    return std::string_view(state.store.text()).substr(from, to - from);
}

} // namespace

namespace lazy_view {

void copy_selection(GtkWidget *widget, GdkAtom clipboard) {
    std::string_view text = selected_text(state_of(widget));
    if (!text.empty())
        gtk_clipboard_set_text(gtk_widget_get_clipboard(widget, clipboard), text.data(),
                               static_cast<int>(text.size()));
}

} // namespace lazy_view

namespace {} // namespace

namespace lazy_view {

void select(GtkWidget *widget, size_t anchor, size_t end) {
    ViewState &state = state_of(widget);
    size_t old_anchor = std::exchange(state.selection_anchor, anchor);
    size_t old_end = std::exchange(state.selection_end, end);
    announce_selection(widget, old_anchor, old_end);
    gtk_widget_queue_draw(widget);
}

} // namespace lazy_view

namespace {

bool is_word_character(gunichar c) {
    return g_unichar_isalnum(c) || c == '_';
}

// Selects the word around offset (or the character there, when it is not
// part of a word).
void select_word(GtkWidget *widget, size_t offset) {
    std::string_view text = state_of(widget).store.text();
    const char *begin = text.data();
    const char *end = begin + text.size();
    const char *first = begin + offset;
    const char *last = first;
    while (first > begin) {
        const char *before = g_utf8_find_prev_char(begin, first);
        if (before == nullptr || !is_word_character(g_utf8_get_char(before)))
            break;
        first = before;
    }
    while (last < end && is_word_character(g_utf8_get_char(last)))
        last = g_utf8_next_char(last);
    if (last == first && last < end)
        last = g_utf8_next_char(last);
    select(widget, static_cast<size_t>(first - begin), static_cast<size_t>(last - begin));
}

// A click places the selection's start (or, with Shift, its end); a double
// click selects a word and a triple click a paragraph.
gboolean lazy_text_view_button_press(GtkWidget *widget, GdkEventButton *event) {
    gtk_widget_grab_focus(widget);
    if (event->button != GDK_BUTTON_PRIMARY)
        return FALSE;
    ViewState &state = state_of(widget);
    size_t offset = text_offset_at(widget, event->x, event->y);
    if (event->type == GDK_2BUTTON_PRESS) {
        select_word(widget, offset);
    } else if (event->type == GDK_3BUTTON_PRESS) {
        size_t paragraph = state.store.paragraph_holding(offset);
        select(widget, state.store.paragraph_start(paragraph),
               state.store.paragraph_end(paragraph));
    } else {
        bool extend = (event->state & GDK_SHIFT_MASK) != 0;
        select(widget, extend ? state.selection_anchor : offset, offset);
        state.selecting = true;
        return TRUE;
    }
    state.selecting = false;
    copy_selection(widget, GDK_SELECTION_PRIMARY);
    return TRUE;
}

// Dragging past the top or the bottom of the view scrolls it.
gboolean lazy_text_view_motion_notify(GtkWidget *widget, GdkEventMotion *event) {
    ViewState &state = state_of(widget);
    if (!state.selecting)
        return FALSE;
    int height = gtk_widget_get_allocated_height(widget);
    if (event->y < 0)
        scroll_by(widget, event->y);
    else if (event->y > height)
        scroll_by(widget, event->y - height);
    select(widget, state.selection_anchor, text_offset_at(widget, event->x, event->y));
    return TRUE;
}

gboolean lazy_text_view_button_release(GtkWidget *widget, GdkEventButton *event) {
    ViewState &state = state_of(widget);
    if (event->button != GDK_BUTTON_PRIMARY || !state.selecting)
        return FALSE;
    state.selecting = false;
    copy_selection(widget, GDK_SELECTION_PRIMARY);
    return TRUE;
}

// Ctrl+A selects the whole text, Ctrl+C copies the selection.
bool selection_key(GtkWidget *widget, const GdkEventKey *event) {
    if ((event->state & gtk_accelerator_get_default_mod_mask()) != GDK_CONTROL_MASK)
        return false;
    switch (gdk_keyval_to_lower(event->keyval)) {
    case GDK_KEY_a:
        select(widget, 0, state_of(widget).store.text().size());
        copy_selection(widget, GDK_SELECTION_PRIMARY);
        return true;
    case GDK_KEY_c:
    case GDK_KEY_Insert:
        copy_selection(widget, GDK_SELECTION_CLIPBOARD);
        return true;
    default:
        return false;
    }
}

// --- Scrolling --------------------------------------------------------------

double bottom_value(GtkAdjustment *adjustment) {
    return gtk_adjustment_get_upper(adjustment) - gtk_adjustment_get_page_size(adjustment);
}

// --- A file read on demand ----------------------------------------------

// Where the view goes in a window just read: its top at a file offset (and
// pixels below it), or its bottom at the window's end.
struct Placement {
    uint64_t top_byte = 0;
    int top_offset = 0;
    bool at_bottom = false;
};

// The top of the view at a scroll value within the window.
void set_top_at(ViewState &state, double value) {
    int64_t y = static_cast<int64_t>(value - height_above_window(state));
    state.top_section = state.store.section_at(y);
    state.top_offset =
        static_cast<int>(std::max<int64_t>(y - state.store.section_y(state.top_section), 0));
}

// Gives the store the window's text in place of the text it held, and tells
// screen readers that the one went and the other came.
void take_window(GtkWidget *widget) {
    ViewState &state = state_of(widget);
    size_t old_chars = state.store.char_count();
    state.store = TextStore();
    if (state.line_height > 0)
        state.store.set_geometry(state.widths, state.line_height,
                                 gtk_widget_get_allocated_width(widget));
    state.store.append(state.file->window().text);
    forget_layouts(state);
    state.direction_search = {};
    AtkObject *accessible = gtk_widget_get_accessible(widget);
    g_signal_emit_by_name(accessible, "text-changed::delete", 0, static_cast<gint>(old_chars));
    g_signal_emit_by_name(accessible, "text-changed::insert", 0,
                          static_cast<gint>(state.store.char_count()));
}

void place(GtkWidget *widget, Placement placement) {
    ViewState &state = state_of(widget);
    const TextStore &store = state.store;
    state.placing = true;
    if (placement.at_bottom) {
        int page = gtk_widget_get_allocated_height(widget);
        set_top_at(state, height_above_window(state) + static_cast<double>(std::max<int64_t>(
                                                           store.total_height() - page, 0)));
    } else {
        state.top_section =
            store.section_holding(state.file->window().text_offset(placement.top_byte));
        state.top_offset = std::clamp(placement.top_offset, 0, store.height(state.top_section) - 1);
    }
    configure_adjustments(widget);
    measure_sections_in_sight(widget);
    GtkAdjustment *adjustment = state.vadjustment.get();
    if (placement.at_bottom && adjustment != nullptr)
        gtk_adjustment_set_value(adjustment, bottom_value(adjustment));
    state.placing = false;
    gtk_widget_queue_draw(widget);
}

// Reads the window about target and puts the view in it, the selection
// kept where the window still holds it.
void read_window(GtkWidget *widget, uint64_t target, Placement placement) {
    ViewState &state = state_of(widget);
    const TextWindow &window = state.file->window();
    uint64_t anchor = window.file_offset(state.selection_anchor);
    uint64_t end = window.file_offset(state.selection_end);
    bool selected = state.selection_anchor != state.selection_end;
    state.file->load_around(target);
    take_window(widget);
    state.selection_anchor = selected ? window.text_offset(anchor) : 0;
    state.selection_end = selected ? window.text_offset(end) : 0;
    place(widget, placement);
}

// A scroll value off the window (the scroll bar dragged, Home or End)
// reads the window there, its place in the file estimated by its bytes.
bool read_window_at(GtkWidget *widget, double value, bool at_end) {
    ViewState &state = state_of(widget);
    const FileText &file = *state.file;
    const FileRange &bytes = file.window().bytes;
    if (at_end && bytes.end < file.length()) {
        read_window(widget, file.length(), {0, 0, true});
        return true;
    }
    double inside = value - height_above_window(state);
    double window_height = static_cast<double>(state.store.total_height());
    bool before = inside < 0 && bytes.start > 0;
    bool after = inside >= window_height && bytes.end < file.length();
    if (!before && !after)
        return false;
    double bytes_off = (before ? value : inside - window_height) / pixels_per_byte(state);
    uint64_t target = before ? static_cast<uint64_t>(std::max(bytes_off, 0.0))
                             : bytes.end + static_cast<uint64_t>(bytes_off);
    target = std::min(target, file.length());
    read_window(widget, target, {target, 0, false});
    return true;
}

// Text in sight near an edge of the window that is not the file's reads
// the window about it, so that scrolling on never runs out of text; so does
// a window grown far past its size by a file that grew.
void slide_window(GtkWidget *widget) {
    ViewState &state = state_of(widget);
    const FileText &file = *state.file;
    const TextWindow &window = file.window();
    const TextStore &store = state.store;
    size_t margin = file.window_bytes() / 4;
    size_t top_byte = store.section_start(state.top_section);
    int64_t bottom_y = store.section_y(state.top_section) + state.top_offset +
                       gtk_widget_get_allocated_height(widget);
    size_t bottom_byte = store.section_start(store.section_at(bottom_y));
    bool near_start = window.bytes.start > 0 && top_byte < margin;
    bool near_end = window.bytes.end < file.length() && store.text().size() - bottom_byte < margin;
    bool overgrown = window.bytes.end - window.bytes.start > 2 * file.window_bytes();
    if (!near_start && !near_end && !overgrown)
        return;
    uint64_t top = window.file_offset(top_byte);
    read_window(widget, top, {top, state.top_offset, false});
}

// --- Scrolling, continued ---------------------------------------------------

// A view scrolled to the end of the text stays there when the sections
// that come into sight turn out taller or shorter than estimated.
void on_value_changed(GtkAdjustment *adjustment, GtkWidget *widget) {
    ViewState &state = state_of(widget);
    double value = gtk_adjustment_get_value(adjustment);
    bool at_end = value > 0 && value >= bottom_value(adjustment);
    state.at_end = value >= bottom_value(adjustment) - 1;
    bool reading = state.file && !state.placing;
    if (reading && read_window_at(widget, value, at_end))
        return;
    set_top_at(state, value);
    measure_sections_in_sight(widget);
    if (at_end && gtk_adjustment_get_value(adjustment) != bottom_value(adjustment))
        gtk_adjustment_set_value(adjustment, bottom_value(adjustment));
    if (reading)
        slide_window(widget);
    gtk_widget_queue_draw(widget);
}

void set_adjustment(GtkWidget *widget, GObjectPtr<GtkAdjustment> &slot, GtkAdjustment *adjustment,
                    bool vertical) {
    if (slot)
        g_signal_handlers_disconnect_by_data(slot.get(), widget);
    if (adjustment == nullptr)
        adjustment = gtk_adjustment_new(0, 0, 0, 0, 0, 0);
    slot = GObjectPtr<GtkAdjustment>::ref_sink(adjustment);
    if (vertical)
        g_signal_connect(adjustment, "value-changed", signal_handler<on_value_changed>(), widget);
    configure_adjustments(widget);
}

// The keys of a text view without a cursor: they scroll.
gboolean lazy_text_view_key_press(GtkWidget *widget, GdkEventKey *event) {
    if (selection_key(widget, event))
        return TRUE;
    GtkAdjustment *adjustment = state_of(widget).vadjustment.get();
    if (adjustment == nullptr)
        return FALSE;
    double step = gtk_adjustment_get_step_increment(adjustment);
    double page = gtk_adjustment_get_page_increment(adjustment);
    switch (event->keyval) {
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
        scroll_by(widget, -step);
        return TRUE;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
        scroll_by(widget, step);
        return TRUE;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
        scroll_by(widget, -page);
        return TRUE;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        scroll_by(widget, page);
        return TRUE;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
        gtk_adjustment_set_value(adjustment, gtk_adjustment_get_lower(adjustment));
        return TRUE;
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
        gtk_adjustment_set_value(adjustment, gtk_adjustment_get_upper(adjustment));
        return TRUE;
    default:
        return FALSE;
    }
}

// --- Drawing ----------------------------------------------------------------

// The selected part of a section drawn over it, in the selected colours.
void draw_selection(GtkWidget *widget, cairo_t *cr, size_t index, PangoLayout *layout, int y) {
    const ViewState &state = state_of(widget);
    const TextStore &store = state.store;
    size_t from = std::min(state.selection_anchor, state.selection_end);
    size_t to = std::max(state.selection_anchor, state.selection_end);
    size_t start = store.section_start(index);
    size_t end = start + store.section(index).size();
    if (from == to || to <= start || from > end)
        return;
    int range[2] = {static_cast<int>(std::max(from, start) - start),
                    static_cast<int>(std::min(to, end) - start)};
    CairoRegionPtr region(gdk_pango_layout_get_clip_region(layout, 0, y, range, 1));
    GtkStyleContext *style = gtk_widget_get_style_context(widget);
    gtk_style_context_save(style);
    gtk_style_context_set_state(
        style,
        static_cast<GtkStateFlags>(gtk_style_context_get_state(style) | GTK_STATE_FLAG_SELECTED));
    cairo_save(cr);
    gdk_cairo_region(cr, region.get());
    cairo_clip(cr);
    gtk_render_background(style, cr, 0, y, gtk_widget_get_allocated_width(widget),
                          store.height(index));
    gtk_render_layout(style, cr, 0, y, layout);
    cairo_restore(cr);
    gtk_style_context_restore(style);
}

gboolean lazy_text_view_draw(GtkWidget *widget, cairo_t *cr) {
    ViewState &state = state_of(widget);
    GtkStyleContext *style = gtk_widget_get_style_context(widget);
    int width = gtk_widget_get_allocated_width(widget);
    int height = gtk_widget_get_allocated_height(widget);
    gtk_render_background(style, cr, 0, 0, width, height);
    measure_sections_in_sight(widget);
    const TextStore &store = state.store;
    int64_t y = -state.top_offset;
    for (size_t index = state.top_section; index < store.section_count() && y < height; ++index) {
        PangoLayout *layout = section_layout(widget, index);
        gtk_render_layout(style, cr, 0, static_cast<double>(y), layout);
        draw_selection(widget, cr, index, layout, static_cast<int>(y));
        y += store.height(index);
    }
    return FALSE;
}

// --- GObject plumbing ---------------------------------------------------

void lazy_text_view_size_allocate(GtkWidget *widget, GtkAllocation *allocation) {
    GTK_WIDGET_CLASS(lazy_text_view_parent_class)->size_allocate(widget, allocation);
    update_geometry(widget);
}

// Paragraphs without a direction of their own take the widget's.
void lazy_text_view_direction_changed(GtkWidget *widget, GtkTextDirection previous) {
    GTK_WIDGET_CLASS(lazy_text_view_parent_class)->direction_changed(widget, previous);
    forget_layouts(state_of(widget));
    gtk_widget_queue_draw(widget);
}

void lazy_text_view_style_updated(GtkWidget *widget) {
    GTK_WIDGET_CLASS(lazy_text_view_parent_class)->style_updated(widget);
    ViewState &state = state_of(widget);
    forget_layouts(state);
    state.line_height = 0; // the font may have changed
    update_geometry(widget);
}

void lazy_text_view_set_property(GObject *object, guint id, const GValue *value,
                                 GParamSpec *param) {
    GtkWidget *widget = GTK_WIDGET(object);
    ViewState &state = state_of(widget);
    switch (id) {
    case PROP_HADJUSTMENT:
        set_adjustment(widget, state.hadjustment, GTK_ADJUSTMENT(g_value_get_object(value)), false);
        break;
    case PROP_VADJUSTMENT:
        set_adjustment(widget, state.vadjustment, GTK_ADJUSTMENT(g_value_get_object(value)), true);
        break;
    case PROP_HSCROLL_POLICY:
        state.hscroll_policy = static_cast<GtkScrollablePolicy>(g_value_get_enum(value));
        break;
    case PROP_VSCROLL_POLICY:
        state.vscroll_policy = static_cast<GtkScrollablePolicy>(g_value_get_enum(value));
        break;
    default:
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    }
}

void lazy_text_view_get_property(GObject *object, guint id, GValue *value, GParamSpec *param) {
    ViewState &state = state_of(GTK_WIDGET(object));
    switch (id) {
    case PROP_HADJUSTMENT:
        g_value_set_object(value, state.hadjustment.get());
        break;
    case PROP_VADJUSTMENT:
        g_value_set_object(value, state.vadjustment.get());
        break;
    case PROP_HSCROLL_POLICY:
        g_value_set_enum(value, state.hscroll_policy);
        break;
    case PROP_VSCROLL_POLICY:
        g_value_set_enum(value, state.vscroll_policy);
        break;
    default:
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    }
}

void lazy_text_view_dispose(GObject *object) {
    ViewState &state = state_of(GTK_WIDGET(object));
    if (state.follow_tick != 0)
        gtk_widget_remove_tick_callback(GTK_WIDGET(object), std::exchange(state.follow_tick, 0));
    if (state.vadjustment)
        g_signal_handlers_disconnect_by_data(state.vadjustment.get(), object);
    state.hadjustment = GObjectPtr<GtkAdjustment>();
    state.vadjustment = GObjectPtr<GtkAdjustment>();
    forget_layouts(state);
    G_OBJECT_CLASS(lazy_text_view_parent_class)->dispose(object);
}

void lazy_text_view_finalize(GObject *object) {
    reinterpret_cast<LazyTextView *>(object)->state.~ViewState();
    G_OBJECT_CLASS(lazy_text_view_parent_class)->finalize(object);
}

void lazy_text_view_class_init(LazyTextViewClass *klass) {
    GObjectClass *object_class = G_OBJECT_CLASS(klass);
    object_class->set_property = lazy_text_view_set_property;
    object_class->get_property = lazy_text_view_get_property;
    object_class->dispose = lazy_text_view_dispose;
    object_class->finalize = lazy_text_view_finalize;
    g_object_class_override_property(object_class, PROP_HADJUSTMENT, "hadjustment");
    g_object_class_override_property(object_class, PROP_VADJUSTMENT, "vadjustment");
    g_object_class_override_property(object_class, PROP_HSCROLL_POLICY, "hscroll-policy");
    g_object_class_override_property(object_class, PROP_VSCROLL_POLICY, "vscroll-policy");

    GtkWidgetClass *widget_class = GTK_WIDGET_CLASS(klass);
    widget_class->draw = lazy_text_view_draw;
    widget_class->size_allocate = lazy_text_view_size_allocate;
    widget_class->style_updated = lazy_text_view_style_updated;
    widget_class->direction_changed = lazy_text_view_direction_changed;
    widget_class->key_press_event = lazy_text_view_key_press;
    widget_class->button_press_event = lazy_text_view_button_press;
    widget_class->button_release_event = lazy_text_view_button_release;
    widget_class->motion_notify_event = lazy_text_view_motion_notify;
    gtk_widget_class_set_accessible_type(widget_class, lazy_text_accessible_get_type());
    gtk_widget_class_set_accessible_role(widget_class, ATK_ROLE_TEXT);
}

void lazy_text_view_init(LazyTextView *view) {
    new (&view->state) ViewState;
    GtkWidget *widget = GTK_WIDGET(view);
    gtk_widget_set_can_focus(widget, TRUE);
    gtk_widget_add_events(widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_BUTTON1_MOTION_MASK);
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), GTK_STYLE_CLASS_VIEW);
}

} // namespace

namespace {

// Text may arrive many times a frame: the view goes to its end once a frame.
gboolean on_follow_tick(GtkWidget *view, GdkFrameClock *, gpointer) {
    ViewState &state = state_of(view);
    state.follow_tick = 0;
    GtkAdjustment *adjustment = state.vadjustment.get();
    if (adjustment != nullptr && state.at_end)
        gtk_adjustment_set_value(adjustment, bottom_value(adjustment));
    return G_SOURCE_REMOVE;
}

// The view was at its end when the text grew. Making room for it may have
// moved the scroll value (the estimate of the height above a file's window
// changes with the window's text), which counts as leaving the end; it
// did not leave it.
void follow_at_next_frame(GtkWidget *view) {
    ViewState &state = state_of(view);
    state.at_end = true;
    if (state.follow_tick == 0)
        state.follow_tick = gtk_widget_add_tick_callback(view, on_follow_tick, nullptr, nullptr);
}

} // namespace

GtkWidget *lazy_text_view_new() {
    return GTK_WIDGET(g_object_new(lazy_text_view_get_type(), nullptr));
}

void lazy_text_view_append(GtkWidget *view, std::string_view text) {
    if (text.empty())
        return;
    ViewState &state = state_of(view);
    bool following = state.follows_end && state.at_end;
    size_t first_new = state.store.section_count() - 1;
    size_t old_chars = state.store.char_count();
    state.store.append(text);
    g_signal_emit_by_name(gtk_widget_get_accessible(view), "text-changed::insert",
                          static_cast<gint>(old_chars),
                          static_cast<gint>(state.store.char_count() - old_chars));
    configure_adjustments(view);
    int64_t bottom = state.store.section_y(state.top_section) + state.top_offset +
                     gtk_widget_get_allocated_height(view);
    if (state.store.section_y(first_new) < bottom)
        gtk_widget_queue_draw(view);
    if (following)
        follow_at_next_frame(view);
}

void lazy_text_view_clear(GtkWidget *view) {
    ViewState &state = state_of(view);
    size_t old_chars = state.store.char_count();
    state.store = TextStore();
    state.file.reset();
    forget_layouts(state);
    state.top_section = 0;
    state.top_offset = 0;
    state.selection_anchor = 0;
    state.selection_end = 0;
    state.selecting = false;
    state.direction_search = {};
    if (old_chars != 0)
        g_signal_emit_by_name(gtk_widget_get_accessible(view), "text-changed::delete", 0,
                              static_cast<gint>(old_chars));
    // The fresh store knows nothing of the font and the width yet.
    update_geometry(view);
    gtk_widget_queue_draw(view);
}

size_t lazy_text_view_held_bytes(GtkWidget *view) {
    return state_of(view).store.held_bytes();
}

void lazy_text_view_set_tab_len(GtkWidget *view, int columns) {
    ViewState &state = state_of(view);
    state.tab_len = columns;
    forget_layouts(state);
    state.line_height = 0; // the estimates count a tab as its full stop
    update_geometry(view);
}

void lazy_text_view_follow_end(GtkWidget *view) {
    state_of(view).follows_end = true;
}

int lazy_text_view_show_file(GtkWidget *view, UniqueFd fd, uint64_t length) {
    ViewState &state = state_of(view);
    state.file = std::make_unique<FileText>(std::move(fd), length);
    int error = state.file->load_around(state.follows_end ? length : 0);
    take_window(view);
    state.selection_anchor = state.selection_end = 0;
    place(view, {0, 0, state.follows_end});
    return error;
}

void lazy_text_view_set_file_length(GtkWidget *view, uint64_t length) {
    ViewState &state = state_of(view);
    if (!state.file)
        return;
    const TextWindow &window = state.file->window();
    bool following = state.follows_end && state.at_end;
    bool truncated = length < state.file->length();
    uint64_t top = window.file_offset(state.store.section_start(state.top_section));
    std::optional<std::string> grown = state.file->set_length(length);
    if (truncated) {
        // What was in sight is gone: a view that follows the end shows the
        // new text's end, as it would have shown the text appended afresh.
        state.selection_anchor = state.selection_end = 0;
        if (state.follows_end && state.file->window().bytes.end < length) {
            read_window(view, length, {0, 0, true});
        } else {
            take_window(view);
            place(view, {0, 0, state.follows_end});
        }
        return;
    }
    if (grown) {
        lazy_text_view_append(view, *grown);
        configure_adjustments(view);
    } else {
        read_window(view, top, {top, state.top_offset, false});
    }
    // The window may not have taken what the file grew by: the view reads
    // the end when it goes there.
    if (following)
        follow_at_next_frame(view);
}
