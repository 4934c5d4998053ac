#include "frame/dialog_text.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "frame/gobject_ptr.h"
#include "frame/long_runs.h"
#include "frame/measured_label.h"
#include "frame/text.h"

// Its long unbroken runs are cut for Pango, which then wraps them in linear
// time; the cuts of a former text are dropped.
void set_label_text(GtkWidget *label, const char *text) {
    gtk_label_set_text(GTK_LABEL(label), text);
    PangoAttrListPtr attributes(long_run_attributes(gtk_label_get_text(GTK_LABEL(label))));
    gtk_label_set_attributes(GTK_LABEL(label), attributes.get());
}

GtkWidget *text_label_new(const char *text, int rows) {
    GCharPtr shown = valid_utf8(text);
    GtkWidget *label = measured_label_new("");
    set_label_text(label, shown.get());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_single_line_mode(GTK_LABEL(label), FALSE);
    if (rows > 0)
        gtk_label_set_lines(GTK_LABEL(label), rows);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    return label;
}

// Room beside the dialog text in the content area.
constexpr int TEXT_MARGIN_PIXELS = 4;

static void set_text_margins(GtkWidget *widget) {
    gtk_widget_set_margin_start(widget, TEXT_MARGIN_PIXELS);
    gtk_widget_set_margin_end(widget, TEXT_MARGIN_PIXELS);
}

static GtkWidget *padded_text_label_new(const char *text, int rows) {
    GtkWidget *label = text_label_new(text, rows);
    set_text_margins(label);
    return label;
}

// Texts longer than this, or of more than TALL_TEXT_LINES lines, may be
// taller than the screen.
constexpr size_t LONG_TEXT_BYTES = 4096;
constexpr size_t TALL_TEXT_LINES = 100;

static bool may_be_taller_than_the_screen(std::string_view text) {
    return text.size() > LONG_TEXT_BYTES ||
           static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= TALL_TEXT_LINES;
}

static GtkWidget *text_scroller_new(GtkWidget *child) {
    GtkWidget *scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroller), child);
    return scroller;
}

// Room kept beside a scrolled label for a scroll bar that takes space.
constexpr double SCROLL_BAR_ROOM_PIXELS = 32;

// The most characters (as GTK counts them for a label's width) that fit in
// the columns of the content area, beside the margins and a scroll bar.
static int characters_in_columns(GtkWidget *label, int cols, double unit) {
    PangoContext *context = gtk_widget_get_pango_context(label);
    PangoFontMetricsPtr metrics(pango_context_get_metrics(
        context, pango_context_get_font_description(context), pango_context_get_language(context)));
    int char_width = std::max(pango_font_metrics_get_approximate_char_width(metrics.get()),
                              pango_font_metrics_get_approximate_digit_width(metrics.get()));
    double room = cols * unit - 2 * TEXT_MARGIN_PIXELS - SCROLL_BAR_ROOM_PIXELS;
    return char_width > 0 ? static_cast<int>(room * PANGO_SCALE / char_width) : 0;
}

// A wrapping label measures its least width by laying itself out as narrow
// as it can go, one character a line for a long unbroken run: thousands of
// lines, each costing time. A least width that the content area has anyway
// keeps that layout as short as the one shown.
// The label then spans the box, so its text is put at the start, where the
// label alone would be.
GtkWidget *label_scroller_new(GtkWidget *label, int cols, double unit, int max_height) {
    int least_chars = characters_in_columns(label, cols, unit);
    if (least_chars > 1)
        gtk_label_set_width_chars(GTK_LABEL(label), least_chars);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0F);
    GtkWidget *scroller = text_scroller_new(label);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), max_height);
    return scroller;
}

// A long text with few lines: one label that scrolls once it is taller than
// the content of a dialog of the default size.
static GtkWidget *scrolled_label_new(const char *text, int rows, int cols, double unit,
                                     int max_height) {
    return label_scroller_new(padded_text_label_new(text, rows), cols, unit, max_height);
}

// The label's look on a read-only text view: no background of its own.
static void look_like_a_label(GtkWidget *view) {
    GObjectPtr<GtkCssProvider> css(gtk_css_provider_new());
    gtk_css_provider_load_from_data(
        css.get(), "textview, textview text { background: none; color: inherit; }", -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(view),
                                   GTK_STYLE_PROVIDER(css.get()),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// Long unbroken runs are cut into short Pango items, as in a label.
static void tag_long_runs(GtkTextBuffer *buffer, std::string_view text) {
    PangoAttrListPtr attributes(long_run_attributes(text));
    if (attributes == nullptr)
        return;
    GtkTextTag *tag = gtk_text_buffer_create_tag(buffer, nullptr, "fallback", FALSE, nullptr);
    GSList *marks = pango_attr_list_get_attributes(attributes.get());
    for (GSList *item = marks; item != nullptr; item = item->next) {
        const PangoAttribute *mark = static_cast<PangoAttribute *>(item->data);
        GtkTextIter start, end;
        gtk_text_buffer_get_iter_at_offset(buffer, &start,
                                           static_cast<int>(g_utf8_pointer_to_offset(
                                               text.data(), text.data() + mark->start_index)));
        gtk_text_buffer_get_iter_at_offset(
            buffer, &end,
            static_cast<int>(g_utf8_pointer_to_offset(text.data(), text.data() + mark->end_index)));
        gtk_text_buffer_apply_tag(buffer, tag, &start, &end);
    }
    g_slist_free_full(marks, reinterpret_cast<GDestroyNotify>(pango_attribute_destroy));
}

// A text of more lines than fit in a dialog of the default size: it scrolls
// in a box of that height, and is shown in a text view, which lays out only
// the lines in sight before the window maps and the rest in the background
// (a label lays out every line first, several times over).
static GtkWidget *scrolled_text_view_new(std::string_view text, int max_height) {
    GtkWidget *view = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
    gtk_widget_set_can_focus(view, FALSE);
    look_like_a_label(view);
    set_text_margins(view);
    GtkTextBuffer *buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    gtk_text_buffer_set_text(buffer, text.data(), static_cast<int>(text.size()));
    tag_long_runs(buffer, text);
    GtkWidget *scroller = text_scroller_new(view);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(scroller), max_height);
    return scroller;
}

static bool fills_the_default_height(std::string_view text, int line_height, int max_height) {
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    return line_height > 0 && lines >= static_cast<size_t>(max_height / line_height) + 1;
}

GtkWidget *add_dialog_text(GtkWidget *content, const char *text, int rows, int cols, double unit,
                           int max_height) {
    GCharPtr shown = display_text(text);
    std::string_view shown_text(shown.get());
    GtkWidget *text_widget;
    if (!may_be_taller_than_the_screen(shown_text))
        text_widget = padded_text_label_new(shown.get(), rows);
    else if (fills_the_default_height(shown_text, text_line_height(content), max_height))
        text_widget = scrolled_text_view_new(shown_text, max_height);
    else
        text_widget = scrolled_label_new(shown.get(), rows, cols, unit, max_height);
    gtk_widget_show_all(text_widget);
    gtk_box_pack_start(GTK_BOX(content), text_widget, FALSE, TRUE, 0);
    return text_widget;
}

GtkWidget *note_label_new(GtkWidget *box) {
    GtkWidget *note = gtk_label_new(nullptr);
    gtk_label_set_line_wrap(GTK_LABEL(note), TRUE);
    gtk_label_set_xalign(GTK_LABEL(note), 0);
    gtk_box_pack_start(GTK_BOX(box), note, FALSE, FALSE, 0);
    return note;
}

GtkWidget *fill_with_scroller(GtkWidget *box, GtkWidget *child, const DialogConf &conf) {
    GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    if (!conf.shadow)
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);
    gtk_container_add(GTK_CONTAINER(scrolled), child);
    gtk_box_pack_start(GTK_BOX(box), scrolled, TRUE, TRUE, 0);
    gtk_widget_show_all(scrolled);
    return scrolled;
}
