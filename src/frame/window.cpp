#include "frame/window.h"

#include <algorithm>
#include <cmath>
#include <gdk/gdkwayland.h>

#include "frame/callbacks.h"
#include "frame/gobject_ptr.h"

// X11 windows can be at most 32767 pixels wide or tall, and GDK complains
// about anything larger. The cap leaves room for the header bar, the
// window's borders and its shadow around the content area.
constexpr double MAX_REQUEST_PIXELS = 16384;

// The style that the character cell is measured in, made once for each
// screen and kept with it: GTK works the style out again only when the
// styles change (a theme is loaded, the font setting changes), so that every
// measure after the first costs a look-up, and still follows a theme that a
// later dialog of the chain loads.
GtkStyleContext *cell_style(GdkScreen *screen) {
    static const char KEY[] = "wrenpane-cell-style";
    GtkStyleContext *context = GTK_STYLE_CONTEXT(g_object_get_data(G_OBJECT(screen), KEY));
    if (context == nullptr) {
        context = gtk_style_context_new();
        gtk_style_context_set_screen(context, screen);
        g_object_set_data_full(G_OBJECT(screen), KEY, context, g_object_unref);
    }
    return context;
}

double char_unit_pixels(GdkScreen *screen) {
    const PangoFontDescription *font;
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    font = gtk_style_context_get_font(cell_style(screen), GTK_STATE_FLAG_NORMAL);
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

bool is_full_screen(const DialogConf &conf) {
    return conf.begin_x == -1 || conf.begin_y == -1;
}

namespace {

// How long a compositor may take to show a window before the monitor is
// guessed instead.
constexpr unsigned PROBE_TIMEOUT_MS = 2000;

// GTK centres a window on the monitor under the pointer, or without a
// pointer on the middle one.
GdkMonitor *pointer_monitor(GdkDisplay *display) {
    GdkSeat *seat = gdk_display_get_default_seat(display);
    GdkDevice *pointer = seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
    if (pointer == nullptr)
        return gdk_display_get_monitor(display, gdk_display_get_n_monitors(display) / 2);
    int x = 0;
    int y = 0;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    return gdk_display_get_monitor_at_point(display, x, y);
}

// GDK draws a window's first frames before the compositor shows it; the
// later ones each wait for the compositor to have shown the one before, and
// by then it has named the window's output. Seen to be the third frame on
// sway: one more for good measure.
constexpr int PROBE_FRAMES = 4;

struct Probe {
    int paints = 0;
    bool timed_out = false;
};

void on_probe_painted(GdkFrameClock *clock, Probe *probe) {
    if (++probe->paints < PROBE_FRAMES)
        gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_PAINT);
}

gboolean on_probe_timeout(Probe *probe) {
    probe->timed_out = true;
    return G_SOURCE_REMOVE;
}

gboolean draw_nothing(GtkWidget *, cairo_t *, gpointer) {
    return TRUE;
}

// A Wayland compositor names the output of a window only once the window
// shows, which is too late to size a dialog without a visible jump (and
// sway keeps a window's top left corner where it is when it grows, out of
// the screen). So a transparent window of one pixel is shown first and
// asked where it went: new windows all go to the same place. A window of a
// fixed size floats on tiling compositors instead of pushing others aside.
// Null when it does not show in time.
GdkMonitor *monitor_of_new_windows(GdkDisplay *display) {
    GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, 1, 1);
    gtk_widget_set_app_paintable(window, TRUE);
    g_signal_connect(window, "draw", G_CALLBACK(draw_nothing), nullptr);
    gtk_widget_realize(window);
    GdkWindow *surface = gtk_widget_get_window(window);
    Probe probe;
    GdkFrameClock *clock = gdk_window_get_frame_clock(surface);
    gulong painted =
        g_signal_connect(clock, "after-paint", signal_handler<on_probe_painted>(), &probe);
    GSourcePtr timeout =
        attach_source<on_probe_timeout>(g_timeout_source_new(PROBE_TIMEOUT_MS), &probe);
    gtk_widget_show(window);
    while (probe.paints < PROBE_FRAMES && !probe.timed_out)
        g_main_context_iteration(nullptr, TRUE);
    timeout.reset();
    GdkMonitor *monitor =
        probe.timed_out ? nullptr : gdk_display_get_monitor_at_window(display, surface);
    g_signal_handler_disconnect(clock, painted);
    gtk_widget_destroy(window);
    return monitor;
}

int monitor_number(GdkDisplay *display, GdkMonitor *monitor) {
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i)
        if (gdk_display_get_monitor(display, i) == monitor)
            return i;
    return -1;
}

// The window's contents keep their size, in the middle of the screen: the
// dialog laid out as it would be in a window of its own.
void centre_contents(GtkWindow *window) {
    GtkWidget *child = gtk_bin_get_child(GTK_BIN(window));
    if (child == nullptr)
        return;
    gtk_widget_set_halign(child, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(child, GTK_ALIGN_CENTER);
}

} // namespace

GdkMonitor *dialog_monitor(GdkDisplay *display, const DialogConf &conf) {
    GdkMonitor *monitor = nullptr;
    if (GDK_IS_WAYLAND_DISPLAY(display)) {
        if (gdk_display_get_n_monitors(display) > 1)
            monitor = monitor_of_new_windows(display);
    } else if (!is_full_screen(conf) && conf.begin_x != 0 && conf.begin_y != 0) {
        monitor = gdk_display_get_monitor_at_point(display, conf.begin_x, conf.begin_y);
    } else {
        monitor = pointer_monitor(display);
    }
    return monitor != nullptr ? monitor : primary_monitor(display);
}

GdkRectangle monitor_workarea(GdkMonitor *monitor) {
    GdkRectangle area{0, 0, 0, 0};
    if (monitor != nullptr)
        gdk_monitor_get_workarea(monitor, &area);
    return area;
}

CellSize default_cell_size(double unit, const GdkRectangle &area) {
    return {static_cast<int>(std::trunc(area.height / unit * 0.5)) - 9,
            static_cast<int>(std::trunc(area.width / unit)) - 4};
}

CellSize asked_cell_size(int rows, int cols, double unit, const GdkRectangle &area) {
    CellSize fallback = default_cell_size(unit, area);
    return {rows != 0 ? rows : fallback.rows, cols != 0 ? cols : fallback.cols};
}

CellSize fitted_cell_size(int rows, int cols, double unit, const GdkRectangle &area) {
    CellSize asked = asked_cell_size(rows, cols, unit, area);
    CellSize largest = default_cell_size(unit, area);
    return {std::min(asked.rows, largest.rows), std::min(asked.cols, largest.cols)};
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
void place_window(GtkWindow *window, const DialogConf &conf, GdkMonitor *monitor) {
    if (is_full_screen(conf)) {
        centre_contents(window);
        int number = monitor_number(gtk_widget_get_display(GTK_WIDGET(window)), monitor);
        if (number >= 0)
            gtk_window_fullscreen_on_monitor(window, gtk_window_get_screen(window), number);
        else
            gtk_window_fullscreen(window);
    } else if (conf.begin_x == 0 || conf.begin_y == 0) {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    } else {
        gtk_window_move(window, conf.begin_x, conf.begin_y);
    }
}
