#include "backdrop/backdrop.h"

#include <csignal>
#include <cstring>
#include <glib-unix.h>
#include <memory>
#include <string>
#include <utility>

#include "core/diagnostics.h"
#include "core/i18n.h"

namespace {

// The relay's socket path on this display, or empty when there can be no
// relay: then this process shows its own backdrop, and says why once.
std::string relay_path(Backdrop *backdrop) {
    const char *display = gdk_display_get_name(gdk_display_get_default());
    std::string path = relay_socket_path(g_get_tmp_dir(), display);
    if (path.empty() && !backdrop->said_no_relay) {
        backdrop->said_no_relay = true;
        warn_msg(0,
                 // TRANSLATORS: the back-title relay lets later invocations change
                 // the back title through a socket file in the temporary directory
                 // (TMPDIR); %s is that directory, %d the longest path a socket takes.
                 _("no back-title relay: a socket path in %s would be longer than %d bytes"),
                 g_get_tmp_dir(), static_cast<int>(RELAY_PATH_MAX));
    }
    return path;
}

void warn_relay_error(const RelayError &error) {
    warn_msg(0, "%s: %s", error.step, strerror(error.error));
}

void build(Backdrop *backdrop) {
    build_backdrop_windows(backdrop->screen, backdrop->look, &backdrop->windows);
}

gboolean rebuild(Backdrop *backdrop) {
    backdrop->rebuild.reset();
    build(backdrop);
    return G_SOURCE_REMOVE;
}

// One change of the monitors can come as several signals (a new size, a
// monitor added, one removed): the windows are built once, after them.
void on_monitors_changed(Backdrop *backdrop) {
    if (backdrop->rebuild)
        return;
    backdrop->rebuild = attach_source<rebuild>(g_idle_source_new(), backdrop);
}

// A peer has this long to send its title and close; a silent one holds a
// descriptor, never the backdrop.
constexpr gint64 RELAY_CLIENT_TIMEOUT_US = 5 * G_USEC_PER_SEC;
// Bounds the descriptors and memory that a flood of connections can take.
constexpr size_t RELAY_CONNECTIONS_MAX = 8;

void forget_relay_connection(Backdrop *backdrop, const RelayConnection *connection) {
    auto &connections = backdrop->relay_connections;
    std::erase_if(connections, [connection](const auto &held) { return held.get() == connection; });
}

gboolean on_relay_client(gint, GIOCondition, RelayConnection *connection) {
    Backdrop *backdrop = connection->backdrop;
    const bool complete = relay_read(&connection->client);
    if (!complete && g_get_monotonic_time() < connection->deadline)
        return G_SOURCE_CONTINUE;
    if (complete)
        show_backtitle(&backdrop->windows, connection->client.message);
    forget_relay_connection(backdrop, connection); // and its source
    return G_SOURCE_REMOVE;
}

void read_relay_client(Backdrop *backdrop, RelayClient client) {
    auto &connections = backdrop->relay_connections;
    // The oldest, the likeliest to be silent, makes room: a flood then
    // keeps no later sender out.
    if (connections.size() == RELAY_CONNECTIONS_MAX)
        connections.erase(connections.begin());
    const gint64 deadline = g_get_monotonic_time() + RELAY_CLIENT_TIMEOUT_US;
    GSource *source =
        g_unix_fd_source_new(client.fd.get(), GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR));
    g_source_set_ready_time(source, deadline);
    auto connection = std::make_unique<RelayConnection>(
        RelayConnection{backdrop, std::move(client), deadline, nullptr});
    connection->source = attach_source<on_relay_client>(source, connection.get());
    connections.push_back(std::move(connection));
}

gboolean on_relay_connection(GIOChannel *, GIOCondition condition, Backdrop *backdrop) {
    if ((condition & ~G_IO_IN) != 0) {
        warn_msg(0, "%s", console_text(_("Unexpected condition")));
        return FALSE;
    }
    RelayClient client;
    RelayError error;
    if (!relay_accept(backdrop->relay, &client, &error))
        warn_relay_error(error);
    else if (client.fd.is_open())
        read_relay_client(backdrop, std::move(client));
    return TRUE;
}

// The relay's own socket file goes with it, so that the next start finds the
// path free; then the signal ends the process as it would have.
template <int SIGNAL> gboolean on_relay_signal(Backdrop *backdrop) {
    relay_close(&backdrop->relay);
    signal(SIGNAL, SIG_DFL);
    raise(SIGNAL);
    return G_SOURCE_REMOVE;
}

bool start_relay(Backdrop *backdrop) {
    std::string path = relay_path(backdrop);
    if (path.empty())
        return false;
    RelayError error;
    if (!relay_listen(path, &backdrop->relay, &error)) {
        if (strcmp(error.step, "socket") == 0)
            warn_relay_error(error);
        else
            warn_msg(0, "%s: %s: %s", error.step, path.c_str(), strerror(error.error));
        return false;
    }
    IOChannelPtr channel(g_io_channel_unix_new(backdrop->relay.fd.get()));
    g_io_channel_set_encoding(channel.get(), nullptr, nullptr);
    // The watch keeps a reference of its own.
    auto &sources = backdrop->relay_sources;
    sources.push_back(
        attach_source<on_relay_connection>(g_io_create_watch(channel.get(), G_IO_IN), backdrop));
    sources.push_back(
        attach_source<on_relay_signal<SIGTERM>>(g_unix_signal_source_new(SIGTERM), backdrop));
    sources.push_back(
        attach_source<on_relay_signal<SIGINT>>(g_unix_signal_source_new(SIGINT), backdrop));
    sources.push_back(
        attach_source<on_relay_signal<SIGHUP>>(g_unix_signal_source_new(SIGHUP), backdrop));
    return true;
}

} // namespace

void publish_backtitle(Backdrop *backdrop) {
    std::string path = relay_path(backdrop);
    RelayError error;
    if (!path.empty() && relay_send(path, backdrop->look.backtitle, &error))
        return;
    if (error.step != nullptr)
        warn_relay_error(error);
    // An X server reports a new monitor layout as a new screen size; a
    // Wayland compositor may add an output without changing the size.
    g_signal_connect_swapped(backdrop->screen, "size-changed", G_CALLBACK(on_monitors_changed),
                             backdrop);
    GdkDisplay *display = gdk_screen_get_display(backdrop->screen);
    g_signal_connect_swapped(display, "monitor-added", G_CALLBACK(on_monitors_changed), backdrop);
    g_signal_connect_swapped(display, "monitor-removed", G_CALLBACK(on_monitors_changed), backdrop);
    backdrop->built = true;
    build(backdrop);
}

void serve_backdrop(Backdrop *backdrop) {
    if (backdrop->look.backtitle != nullptr && !backdrop->built) {
        publish_backtitle(backdrop);
        if (!start_relay(backdrop))
            return;
    }
    gtk_main(); // left never: the process ends by a signal
}
