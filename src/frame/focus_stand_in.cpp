#include "frame/focus_stand_in.h"

namespace {

// What GTK does when the window system moves the focus in or out.
void send_focus_change(GtkWindow *window, bool in) {
    GdkEvent *event = gdk_event_new(GDK_FOCUS_CHANGE);
    GdkWindow *surface = gtk_widget_get_window(GTK_WIDGET(window));
    event->focus_change.window = surface != nullptr ? GDK_WINDOW(g_object_ref(surface)) : nullptr;
    event->focus_change.send_event = TRUE;
    event->focus_change.in = in;
    gtk_widget_send_focus_change(GTK_WIDGET(window), event);
    gdk_event_free(event);
}

} // namespace

FocusStandIn::FocusStandIn(GtkWindow *window) : window_(window) {
    auto connect = [this](gpointer instance, const char *signal, GCallback handler,
                          GConnectFlags flags) {
        gulong id = g_signal_connect_data(instance, signal, handler, this, nullptr,
                                          GConnectFlags(G_CONNECT_SWAPPED | flags));
        handlers_.emplace_back(G_OBJECT(instance), id);
    };
    GList *toplevels = gtk_window_list_toplevels();
    for (GList *item = toplevels; item != nullptr; item = item->next) {
        auto *other = GTK_WINDOW(item->data);
        if (other == window || !gtk_widget_get_visible(GTK_WIDGET(other)) ||
            gtk_window_get_accept_focus(other))
            continue;
        others_.push_back(other);
        connect(other, "notify::is-active", G_CALLBACK(on_change), GConnectFlags(0));
    }
    g_list_free(toplevels);
    if (others_.empty())
        return;
    // GTK draws a window in the background again when it is mapped and each
    // time the window system says it is not focused.
    connect(window, "map", G_CALLBACK(on_change), G_CONNECT_AFTER);
    connect(window, "window-state-event", G_CALLBACK(on_window_state), G_CONNECT_AFTER);
}

FocusStandIn::~FocusStandIn() {
    for (auto [instance, id] : handlers_)
        g_signal_handler_disconnect(instance, id);
    if (standing_in_)
        send_focus_change(window_, false);
}

void FocusStandIn::on_change(FocusStandIn *self) {
    self->update();
}

gboolean FocusStandIn::on_window_state(FocusStandIn *self) {
    self->update();
    return FALSE;
}

bool FocusStandIn::focus_held_for_us() const {
    for (GtkWindow *other : others_)
        if (gtk_window_is_active(other))
            return true;
    return false;
}

void FocusStandIn::update() {
    if (!gtk_widget_get_mapped(GTK_WIDGET(window_)))
        return;
    bool held = focus_held_for_us();
    if (held != standing_in_) {
        standing_in_ = held;
        send_focus_change(window_, held);
    }
    if (held)
        gtk_widget_unset_state_flags(GTK_WIDGET(window_), GTK_STATE_FLAG_BACKDROP);
}
