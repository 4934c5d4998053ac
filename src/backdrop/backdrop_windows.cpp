#include "backdrop/backdrop_windows.h"

#include <cstdlib>
#include <dlfcn.h>
#include <gdk/gdkwayland.h>
#include <gtk-layer-shell/gtk-layer-shell.h>
#include <string>
#include <type_traits>
#include <unistd.h>

#include "frame/gobject_ptr.h"
#include "frame/text.h"
#include "frame/window.h"

namespace {

constexpr const char *LOGO_VARIABLE = "WRENPANE_BACKTITLE_LOGO";
constexpr const char *TITLE_FONT = "Sans Bold Italic 32";
constexpr int BOX_SPACING = 4;
constexpr int RULE_PADDING = 4;
constexpr int BORDER_WIDTH = 16;

struct Colours {
    GdkRGBA background{0, 0, 0, 1};
    GdkRGBA foreground{0, 0, 0, 1};
};

// random() gives 0 to 2^31 - 1.
double random_unit() {
    return static_cast<double>(random()) / 2147483647.0;
}

Colours random_colours() {
    Colours colours;
    for (GdkRGBA *colour : {&colours.background, &colours.foreground}) {
        colour->red = random_unit();
        colour->green = random_unit();
        colour->blue = random_unit();
    }
    return colours;
}

// The theme's colours for a selected list row.
Colours theme_colours() {
    Colours colours;
    auto view = GObjectPtr<GtkWidget>::ref_sink(gtk_tree_view_new());
    GtkStyleContext *style = gtk_widget_get_style_context(view.get());
    gtk_style_context_save(style);
    gtk_style_context_set_state(style, GTK_STATE_FLAG_SELECTED);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_style_context_get_background_color(style, GTK_STATE_FLAG_SELECTED, &colours.background);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_style_context_get_color(style, GTK_STATE_FLAG_SELECTED, &colours.foreground);
    gtk_style_context_restore(style);
    gtk_widget_destroy(view.get());
    return colours;
}

void paint(GtkWidget *widget, const GdkRGBA &background, const GdkRGBA &foreground) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_widget_override_background_color(widget, GTK_STATE_FLAG_NORMAL, &background);
    gtk_widget_override_color(widget, GTK_STATE_FLAG_NORMAL, &foreground);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

gboolean on_backdrop_delete(GtkWidget *, GdkEvent *, gpointer) {
    return TRUE; // a backdrop stays until the process ends
}

GtkWidget *title_label(const char *text) {
    GCharPtr valid = display_text(text ? text : "");
    GtkWidget *label = gtk_label_new(valid.get());
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_LEFT);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    // A title wider than the monitor would widen the window past its edge;
    // cut short on screen, it stays whole in the label's text for screen
    // readers.
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    PangoFontDescriptionPtr font(pango_font_description_from_string(TITLE_FONT));
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_widget_override_font(label, font.get());
    G_GNUC_END_IGNORE_DEPRECATIONS
    return label;
}

// An X11 window covering monitor exactly. GTK sizes and places windows in
// logical pixels, the unit of the monitor's geometry, whatever the scale;
// window managers keep desktop windows below the others and unfocused.
void cover_on_x11(GtkWindow *window, GdkMonitor *monitor) {
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    gtk_window_set_default_size(window, area.width, area.height);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DESKTOP);
    gtk_window_move(window, area.x, area.y);
    gtk_window_resize(window, area.width, area.height);
}

// The layer-shell library, which only a backdrop on Wayland uses: it is
// loaded the first time one needs it, so that no other run pays for loading
// it (some 0.7 ms and 0.2 MiB at every start). Null when it is missing.
struct LayerShell {
    decltype(&gtk_layer_is_supported) is_supported;
    decltype(&gtk_layer_init_for_window) init_for_window;
    decltype(&gtk_layer_set_namespace) set_namespace;
    decltype(&gtk_layer_set_layer) set_layer;
    decltype(&gtk_layer_set_monitor) set_monitor;
    decltype(&gtk_layer_set_anchor) set_anchor;
    decltype(&gtk_layer_set_exclusive_zone) set_exclusive_zone;
    decltype(&gtk_layer_set_keyboard_interactivity) set_keyboard_interactivity;
};

const LayerShell *load_layer_shell() {
    void *library = dlopen("libgtk-layer-shell.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return nullptr;
    static LayerShell shell;
    bool complete = true;
    auto bind = [&](auto &function, const char *name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        complete = complete && function != nullptr;
    };
    bind(shell.is_supported, "gtk_layer_is_supported");
    bind(shell.init_for_window, "gtk_layer_init_for_window");
    bind(shell.set_namespace, "gtk_layer_set_namespace");
    bind(shell.set_layer, "gtk_layer_set_layer");
    bind(shell.set_monitor, "gtk_layer_set_monitor");
    bind(shell.set_anchor, "gtk_layer_set_anchor");
    bind(shell.set_exclusive_zone, "gtk_layer_set_exclusive_zone");
    bind(shell.set_keyboard_interactivity, "gtk_layer_set_keyboard_interactivity");
    return complete ? &shell : nullptr;
}

const LayerShell *layer_shell() {
    static const LayerShell *loaded = load_layer_shell();
    return loaded;
}

// Wayland lets no client place or stack its windows. A background-layer
// surface is what a compositor offers for this: on its own output, under
// every window, never focused, over any panel's reserved space.
void cover_with_layer(const LayerShell &shell, GtkWindow *window, GdkMonitor *monitor) {
    shell.init_for_window(window);
    shell.set_namespace(window, "wrenpane-backdrop");
    shell.set_layer(window, GTK_LAYER_SHELL_LAYER_BACKGROUND);
    shell.set_monitor(window, monitor);
    for (GtkLayerShellEdge edge : {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT,
                                   GTK_LAYER_SHELL_EDGE_TOP, GTK_LAYER_SHELL_EDGE_BOTTOM})
        shell.set_anchor(window, edge, TRUE);
    shell.set_exclusive_zone(window, -1);
    shell.set_keyboard_interactivity(window, FALSE);
}

// Without the layer protocol, full screen is the one way to cover a chosen
// output. The window asks never to take the focus; a compositor that gives
// it the focus all the same still lets the keys reach the dialogs, which are
// then drawn as focused while it holds it.
void cover_with_fullscreen(GtkWindow *window, GdkMonitor *monitor, int monitor_number) {
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    gtk_window_set_default_size(window, area.width, area.height);
    gtk_window_set_accept_focus(window, FALSE);
    gtk_window_set_focus_on_map(window, FALSE);
    gtk_window_fullscreen_on_monitor(window, gtk_window_get_screen(window), monitor_number);
}

GtkWidget *monitor_window(GdkDisplay *display, int monitor_number, const Colours &colours) {
    GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    paint(window, colours.background, colours.foreground);
    GdkMonitor *monitor = gdk_display_get_monitor(display, monitor_number);
    const LayerShell *shell = nullptr;
    if (!GDK_IS_WAYLAND_DISPLAY(display))
        cover_on_x11(GTK_WINDOW(window), monitor);
    else if ((shell = layer_shell()) != nullptr && shell->is_supported())
        cover_with_layer(*shell, GTK_WINDOW(window), monitor);
    else
        cover_with_fullscreen(GTK_WINDOW(window), monitor, monitor_number);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_backdrop_delete), nullptr);
    return window;
}

} // namespace

void build_backdrop_windows(GdkScreen *screen, const BackdropLook &look,
                            BackdropWindows *backdrop) {
    for (GtkWidget *window : backdrop->windows)
        gtk_widget_destroy(window);
    backdrop->windows.clear();
    backdrop->backtitle_label = nullptr;

    GdkDisplay *display = gdk_screen_get_display(screen);
    const int monitors = gdk_display_get_n_monitors(display);
    const Colours colours = look.bikeshed ? random_colours() : theme_colours();
    const char *logo = getenv(LOGO_VARIABLE);
    const bool show_logo = logo != nullptr && access(logo, R_OK) == 0;

    GdkMonitor *titled = primary_monitor(display);

    for (int i = 0; i < monitors; ++i) {
        GtkWidget *window = monitor_window(display, i, colours);
        backdrop->windows.push_back(window);

        GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, BOX_SPACING);
        GtkWidget *label;
        if (gdk_display_get_monitor(display, i) == titled) {
            label = title_label(look.backtitle);
            backdrop->backtitle_label = label;
        } else {
            label = title_label(" ");
        }
        gtk_box_pack_start(GTK_BOX(box), label, FALSE, TRUE, 0);
        if (!look.no_lines) {
            GtkWidget *rule = gtk_separator_new(GTK_ORIENTATION_HORIZONTAL);
            paint(rule, colours.foreground, colours.foreground);
            gtk_box_pack_start(GTK_BOX(box), rule, FALSE, TRUE, RULE_PADDING);
        }
        if (show_logo) {
            GtkWidget *image = gtk_image_new_from_file(logo);
            gtk_widget_set_halign(image, GTK_ALIGN_END);
            gtk_box_pack_end(GTK_BOX(box), image, FALSE, TRUE, 0);
        }
        gtk_container_add(GTK_CONTAINER(window), box);
        gtk_container_set_border_width(GTK_CONTAINER(window), BORDER_WIDTH);
        gtk_widget_show_all(window);
    }
}

void show_backtitle(BackdropWindows *backdrop, std::string_view bytes) {
    if (backdrop->backtitle_label == nullptr || bytes.empty())
        return;
    GCharPtr valid = display_text(std::string(bytes).c_str());
    gtk_label_set_text(GTK_LABEL(backdrop->backtitle_label), valid.get());
}
