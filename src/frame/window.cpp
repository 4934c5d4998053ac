#include "frame/window.h"

#include <algorithm>
#include <cmath>

#include "frame/dialog_text.h"
#include "frame/gobject_ptr.h"
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
        add_dialog_text(content, text, opts, rows, cols, unit, std::max(max_height, 1));
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
