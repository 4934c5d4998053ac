#include "frame/lazy_text_view.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "frame/callbacks.h"
#include "frame/gobject_ptr.h"
#include "frame/long_runs.h"
#include "frame/text.h"
#include "frame/text_boundaries.h"
#include "frame/text_store.h"

namespace {

// Laid-out sections kept for redrawing, by count and by their text's bytes;
// a screenful is far fewer, and a layout takes tens of bytes per character.
constexpr size_t CACHED_LAYOUTS = 512;
constexpr size_t CACHED_LAYOUT_BYTES = 256 * 1024;

// Everything the view keeps besides its GObject parts.
struct ViewState {
    TextStore store;
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

ViewState &state_of(GtkWidget *widget) {
    return reinterpret_cast<LazyTextView *>(widget)->state;
}

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
    if (PangoAttrListPtr attributes{long_run_attributes(text)})
        pango_layout_set_attributes(layout, attributes.get());
    state.layout_bytes += text.size();
    state.layouts.insert_or_assign(
        index, ViewState::CachedLayout{revision, GObjectPtr<PangoLayout>(layout)});
    return layout;
}

// Each printable ASCII character's width is read off one layout of them
// all; every other character counts as the font's average.
CharWidths char_widths(GtkWidget *widget) {
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
    widths.ascii['\t'] = 8 * widths.ascii[' '];
    return widths;
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
    double upper = std::max(static_cast<double>(store.total_height()), height);
    double value = static_cast<double>(store.section_y(state.top_section)) + state.top_offset;
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
        state.widths = char_widths(widget);
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

std::string_view selected_text(const ViewState &state) {
    size_t from = std::min(state.selection_anchor, state.selection_end);
    size_t to = std::max(state.selection_anchor, state.selection_end);
    return std::string_view(state.store.text()).substr(from, to - from);
}

void copy_selection(GtkWidget *widget, GdkAtom clipboard) {
    std::string_view text = selected_text(state_of(widget));
    if (!text.empty())
        gtk_clipboard_set_text(gtk_widget_get_clipboard(widget, clipboard), text.data(),
                               static_cast<int>(text.size()));
}

void announce_selection(GtkWidget *widget, size_t old_anchor, size_t old_end);

void select(GtkWidget *widget, size_t anchor, size_t end) {
    ViewState &state = state_of(widget);
    size_t old_anchor = std::exchange(state.selection_anchor, anchor);
    size_t old_end = std::exchange(state.selection_end, end);
    announce_selection(widget, old_anchor, old_end);
    gtk_widget_queue_draw(widget);
}

bool is_word_character(gunichar c) {
    return g_unichar_isalnum(c) || c == '_';
}

// Selects the word around offset (or the character there, when it is not
// part of a word).
void select_word(GtkWidget *widget, size_t offset) {
    const std::string &text = state_of(widget).store.text();
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

// A view scrolled to the end of the text stays there when the sections
// that come into sight turn out taller or shorter than estimated.
void on_value_changed(GtkAdjustment *adjustment, GtkWidget *widget) {
    ViewState &state = state_of(widget);
    double value = gtk_adjustment_get_value(adjustment);
    bool at_end = value > 0 && value >= bottom_value(adjustment);
    state.top_section = state.store.section_at(static_cast<int64_t>(value));
    state.top_offset =
        static_cast<int>(static_cast<int64_t>(value) - state.store.section_y(state.top_section));
    measure_sections_in_sight(widget);
    if (at_end && gtk_adjustment_get_value(adjustment) != bottom_value(adjustment))
        gtk_adjustment_set_value(adjustment, bottom_value(adjustment));
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

GType lazy_text_accessible_get_type();

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

// --- What screen readers read -------------------------------------------------

// Words and sentences are looked for within this many bytes of the offset
// asked about, so that a question inside a huge paragraph stays cheap; a
// longer word or sentence is cut where the search ends.
constexpr size_t BREAK_SEARCH_BYTES = 8192;

struct LazyTextAccessible {
    GtkWidgetAccessible parent;
};

struct LazyTextAccessibleClass {
    GtkWidgetAccessibleClass parent_class;
};

void lazy_text_accessible_text_init(AtkTextIface *iface);

G_DEFINE_TYPE_WITH_CODE(LazyTextAccessible, lazy_text_accessible, GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, lazy_text_accessible_text_init))

void lazy_text_accessible_class_init(LazyTextAccessibleClass *) {}

void lazy_text_accessible_init(LazyTextAccessible *) {}

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

} // namespace

GtkWidget *lazy_text_view_new() {
    return GTK_WIDGET(g_object_new(lazy_text_view_get_type(), nullptr));
}

void lazy_text_view_append(GtkWidget *view, std::string_view text) {
    if (text.empty())
        return;
    ViewState &state = state_of(view);
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
}

size_t lazy_text_view_held_bytes(GtkWidget *view) {
    return state_of(view).store.held_bytes();
}
