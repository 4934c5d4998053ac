#include "backdrop/backdrop.h"

#include <csignal>
#include <cstring>
#include <glib-unix.h>
#include <string>

#include "core/diagnostics.h"

namespace {

std::string relay_path() {
    return relay_socket_path(g_get_tmp_dir(), gdk_display_get_name(gdk_display_get_default()));
}

void warn_relay_error(const RelayError &error) {
    warn_msg(0, "%s: %s", error.step, strerror(error.error));
}

void build(Backdrop *backdrop) {
    const SegmentConfig &segment = *backdrop->segment;
    BackdropLook look{segment.opts.backtitle, segment.opts.bikeshed, segment.conf.no_lines};
    build_backdrop_windows(backdrop->screen, look, &backdrop->windows);
}

void on_size_changed(Backdrop *backdrop) {
    build(backdrop);
}

gboolean on_relay_connection(GIOChannel *, GIOCondition condition, gpointer data) {
    Backdrop *backdrop = static_cast<Backdrop *>(data);
    if ((condition & ~G_IO_IN) != 0) {
        warn_msg(0, "%s", "Unexpected condition");
        return FALSE;
    }
    std::string message;
    RelayError error;
    if (!relay_receive(backdrop->relay, &message, &error)) {
        warn_relay_error(error);
        return TRUE;
    }
    show_backtitle(&backdrop->windows, message);
    return TRUE;
}

// The relay's own socket file goes with it, so that the next start finds the
// path free; then the signal ends the process as it would have.
template <int SIGNAL> gboolean on_relay_signal(gpointer data) {
    relay_close(&static_cast<Backdrop *>(data)->relay);
    signal(SIGNAL, SIG_DFL);
    raise(SIGNAL);
    return G_SOURCE_REMOVE;
}

bool start_relay(Backdrop *backdrop) {
    std::string path = relay_path();
    RelayError error;
    if (!relay_listen(path, &backdrop->relay, &error)) {
        if (strcmp(error.step, "socket") == 0)
            warn_relay_error(error);
        else
            warn_msg(0, "%s: %s: %s", error.step, path.c_str(), strerror(error.error));
        return false;
    }
    GIOChannel *channel = g_io_channel_unix_new(backdrop->relay.fd.get());
    g_io_channel_set_encoding(channel, nullptr, nullptr);
    g_io_add_watch(channel, G_IO_IN, on_relay_connection, backdrop);
    g_io_channel_unref(channel); // the watch keeps it
    g_unix_signal_add(SIGTERM, on_relay_signal<SIGTERM>, backdrop);
    g_unix_signal_add(SIGINT, on_relay_signal<SIGINT>, backdrop);
    g_unix_signal_add(SIGHUP, on_relay_signal<SIGHUP>, backdrop);
    return true;
}

} // namespace

void publish_backtitle(Backdrop *backdrop) {
    RelayError error;
    if (relay_send(relay_path(), backdrop->segment->opts.backtitle, &error))
        return;
    if (error.step != nullptr)
        warn_relay_error(error);
    g_signal_connect_swapped(backdrop->screen, "size-changed", G_CALLBACK(on_size_changed),
                             backdrop);
    backdrop->built = true;
    build(backdrop);
}

void serve_backdrop(Backdrop *backdrop) {
    if (backdrop->segment->opts.backtitle != nullptr && !backdrop->built) {
        publish_backtitle(backdrop);
        if (!start_relay(backdrop))
            return;
    }
    gtk_main(); // left never: the process ends by a signal
}
