#include "frame/window.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "frame/gobject_ptr.h"
#include "frame/long_runs.h"
#include "frame/text.h"

// X11 windows can be at most 32767 pixels wide or tall, and GDK complains
// about anything larger. The cap leaves room for the header bar, the
// window's borders and its shadow around the content area.
constexpr double MAX_REQUEST_PIXELS = 16384;

double char_unit_pixels(GdkScreen *screen) {
    GObjectPtr<GtkStyleContext> context(gtk_style_context_new());
    const PangoFontDescription *font;
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    font = gtk_style_context_get_font(context.get(), GTK_STATE_FLAG_NORMAL);
    G_GNUC_END_IGNORE_DEPRECATIONS

    double size = 9 * PANGO_SCALE;
    if (font != nullptr && (pango_font_description_get_set_fields(font) & PANGO_FONT_MASK_SIZE) &&
        pango_font_description_get_size(font) != 0) {
        if (pango_font_description_get_size_is_absolute(font))
            return static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE;
        size = pango_font_description_get_size(font);
    }
    double dpi = gdk_screen_get_resolution(screen);
    if (dpi < 0)
        dpi = 96;
    return size * dpi / (72.0 * PANGO_SCALE);
}

void primary_workarea(GdkScreen *screen, GdkRectangle *area) {
    GdkDisplay *display = gdk_screen_get_display(screen);
    GdkMonitor *monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr) {
        *area = GdkRectangle{0, 0, 0, 0};
        return;
    }
    gdk_monitor_get_workarea(monitor, area);
}

int default_rows(double unit, const GdkRectangle &area) {
    return static_cast<int>(std::trunc(area.height / unit * 0.5)) - 9;
}

int default_cols(double unit, const GdkRectangle &area) {
    return static_cast<int>(std::trunc(area.width / unit)) - 4;
}

// GTK takes -1 ("natural size") and up; anything lower is a critical.
static int size_request_pixels(double pixels) {
    if (pixels < 0)
        return -1;
    return static_cast<int>(std::trunc(std::min(pixels, MAX_REQUEST_PIXELS)));
}

void request_cell_size(GtkWidget *widget, int rows, int cols, double unit) {
    gtk_widget_set_size_request(widget, size_request_pixels(cols * unit),
                                size_request_pixels(rows * unit * 2));
}

void place_window(GtkWindow *window, const DialogConf *conf, const Options *opts) {
    if (conf->begin_x == -1 || conf->begin_y == -1)
        gtk_window_fullscreen(window);
    else if (conf->begin_x == 0 || conf->begin_y == 0)
        gtk_window_set_position(window,
                                opts != nullptr ? opts->window_position : GTK_WIN_POS_CENTER);
    else
        gtk_window_move(window, conf->begin_x, conf->begin_y);
}

// Pango's time for a label grows with the square of its line count, so a
// long text is shown as a column of labels of at most this many lines.
constexpr int LINES_PER_LABEL = 100;

// Lets Pango wrap the label's long unbroken runs in linear time.
static void cut_long_runs(GtkLabel *label) {
    PangoAttrList *attributes = long_run_attributes(gtk_label_get_text(label));
    if (attributes == nullptr)
        return;
    gtk_label_set_attributes(label, attributes);
    pango_attr_list_unref(attributes);
}

GtkWidget *text_label_new(const char *text, int rows, const Options *opts) {
    GCharPtr shown = valid_utf8(text);
    GtkWidget *label = gtk_label_new(shown.get());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_single_line_mode(GTK_LABEL(label), FALSE);
    if (rows > 0)
        gtk_label_set_lines(GTK_LABEL(label), rows);
    cut_long_runs(GTK_LABEL(label));
    gtk_widget_set_halign(label, opts->label_halign);
    return label;
}

// A piece of the dialog text with room beside it in the content area.
static GtkWidget *padded_text_label_new(const std::string &text, const Options *opts, int rows) {
    GtkWidget *label = text_label_new(text.c_str(), rows, opts);
    gtk_widget_set_margin_start(label, 4);
    gtk_widget_set_margin_end(label, 4);
    return label;
}

// Texts longer than this, or of more than LINES_PER_LABEL lines, may be
// taller than the screen.
constexpr size_t SCROLLED_TEXT_BYTES = 4096;

// A text that may be taller than the screen scrolls once it is taller than
// the content of a dialog of the default size, so that the window stays on
// the screen (and within what X11 can map) with the rest of the dialog
// below the text.
static GtkWidget *scrolled_text_new(std::string_view text, const Options *opts, int rows,
                                    int max_height) {
    GtkWidget *column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    for (;;) {
        // The newline that ends the piece's last line starts the next label.
        size_t end = text.find('\n');
        for (int lines = 1; lines < LINES_PER_LABEL && end != std::string_view::npos; ++lines)
            end = text.find('\n', end + 1);
        std::string piece(text.substr(0, end));
        gtk_box_pack_start(GTK_BOX(column), padded_text_label_new(piece, opts, rows), FALSE, TRUE,
                           0);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    GtkWidget *scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), max_height);
    gtk_container_add(GTK_CONTAINER(scroller), column);
    return scroller;
}

static bool may_be_taller_than_the_screen(std::string_view text) {
    return text.size() > SCROLLED_TEXT_BYTES ||
           std::count(text.begin(), text.end(), '\n') >= LINES_PER_LABEL;
}

static void add_text_label(GtkWidget *content, const Options *opts, const char *text, int rows,
                           int max_height) {
    GCharPtr shown = valid_utf8(text);
    std::string_view shown_text(shown.get());
    GtkWidget *text_widget = may_be_taller_than_the_screen(shown_text)
                                 ? scrolled_text_new(shown_text, opts, rows, max_height)
                                 : padded_text_label_new(std::string(shown_text), opts, rows);
    gtk_widget_show_all(text_widget);
    gtk_box_pack_start(GTK_BOX(content), text_widget, FALSE, TRUE, 0);
}

GtkWidget *dialog_window_new(DialogConf *conf, Options *opts, const char *text, int rows,
                             int cols) {
    GCharPtr title = valid_utf8(conf->title);
    GtkWidget *dialog = gtk_dialog_new_with_buttons(title.get(), nullptr, GTK_DIALOG_USE_HEADER_BAR,
                                                    nullptr, nullptr);
    GtkWidget *header = gtk_dialog_get_header_bar(GTK_DIALOG(dialog));
    if (!conf->deletable) {
        gtk_window_set_deletable(GTK_WINDOW(dialog), FALSE);
        if (header != nullptr)
            gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(header), FALSE);
    }
    if (conf->subtitle != nullptr && header != nullptr) {
        GCharPtr subtitle = valid_utf8(conf->subtitle);
        gtk_header_bar_set_subtitle(GTK_HEADER_BAR(header), subtitle.get());
    }

    GdkScreen *screen = gdk_screen_get_default();
    double unit = char_unit_pixels(screen);
    GdkRectangle area;
    primary_workarea(screen, &area);
    if (rows == 0)
        rows = default_rows(unit, area);
    if (cols == 0)
        cols = default_cols(unit, area);

    GtkWidget *content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    request_cell_size(content, rows, cols, unit);
    if (text != nullptr) {
        int max_height = size_request_pixels(default_rows(unit, area) * unit * 2);
        add_text_label(content, opts, text, rows, std::max(max_height, 1));
    }
    place_window(GTK_WINDOW(dialog), conf, opts);
    return dialog;
}

void store_dialog_size(GtkWidget *dialog, const DialogConf *conf) {
    if (conf->size_width_out == nullptr && conf->size_height_out == nullptr)
        return;
    gtk_window_get_size(GTK_WINDOW(dialog), conf->size_width_out, conf->size_height_out);
}

GtkWidget *message_window_new(DialogConf *conf, Options *opts, const char *text, int rows,
                              int cols) {
    GtkWidget *dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_USE_HEADER_BAR, GTK_MESSAGE_INFO,
                                               GTK_BUTTONS_NONE, "%s", "Information");
    GCharPtr shown = valid_utf8(text);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", shown.get());

    if (rows != 0 && cols != 0) {
        GtkWidget *content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
        request_cell_size(content, rows, cols, char_unit_pixels(gdk_screen_get_default()));
    }
    if (!conf->deletable)
        gtk_window_set_deletable(GTK_WINDOW(dialog), FALSE);
    GCharPtr title = valid_utf8(conf->title != nullptr ? conf->title : "Information");
    gtk_window_set_title(GTK_WINDOW(dialog), title.get());
    GtkWidget *header = gtk_dialog_get_header_bar(GTK_DIALOG(dialog));
    if (conf->subtitle != nullptr && header != nullptr) {
        GCharPtr subtitle = valid_utf8(conf->subtitle);
        gtk_header_bar_set_subtitle(GTK_HEADER_BAR(header), subtitle.get());
    }
    place_window(GTK_WINDOW(dialog), conf, opts);
    return dialog;
}
