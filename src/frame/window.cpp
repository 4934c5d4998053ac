#include "frame/window.h"

#include <algorithm>
#include <cmath>

#include "frame/gobject_ptr.h"

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

GdkMonitor *primary_monitor(GdkDisplay *display) {
    GdkMonitor *primary = gdk_display_get_primary_monitor(display);
    return primary != nullptr ? primary : gdk_display_get_monitor(display, 0);
}

void primary_workarea(GdkScreen *screen, GdkRectangle *area) {
    GdkMonitor *monitor = primary_monitor(gdk_screen_get_display(screen));
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
int size_request_pixels(double pixels) {
    if (pixels < 0)
        return -1;
    return static_cast<int>(std::trunc(std::min(pixels, MAX_REQUEST_PIXELS)));
}

void request_cell_size(GtkWidget *widget, int rows, int cols, double unit) {
    gtk_widget_set_size_request(widget, size_request_pixels(cols * unit),
                                size_request_pixels(rows * unit * 2));
}

// Wayland lets no client choose where its windows go: there the compositor
// places the window and the move is ignored, quietly.
void place_window(GtkWindow *window, const DialogConf &conf) {
    if (conf.begin_x == -1 || conf.begin_y == -1)
        gtk_window_fullscreen(window);
    else if (conf.begin_x == 0 || conf.begin_y == 0)
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    else
        gtk_window_move(window, conf.begin_x, conf.begin_y);
}
