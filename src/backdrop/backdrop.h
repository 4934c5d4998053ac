// The back title of --backtitle: shown on a backdrop of this process, or
// handed to the relay, a long-lived invocation started with --clear-screen
// whose backdrop shows the titles that later invocations send it.
#pragma once

#include <gtk/gtk.h>
#include <memory>
#include <vector>

#include "backdrop/backdrop_windows.h"
#include "backdrop/relay_socket.h"
#include "core/records.h"
#include "frame/callbacks.h"
#include "frame/gobject_ptr.h"

struct Backdrop;

// A relay connection being read, and the main-loop source that reads it
// whenever it has bytes, until its deadline.
struct RelayConnection {
    Backdrop *backdrop;
    RelayClient client;
    gint64 deadline; // monotonic, in microseconds
    GSourcePtr source;
};

// The backdrop state of one process, held by the driver for the whole run.
struct Backdrop {
    explicit Backdrop(GdkScreen *screen) : screen(screen) {}
    ~Backdrop() {
        g_signal_handlers_disconnect_by_data(screen, this);
        g_signal_handlers_disconnect_by_data(gdk_screen_get_display(screen), this);
    }
    Backdrop(const Backdrop &) = delete;
    Backdrop &operator=(const Backdrop &) = delete;

    GdkScreen *screen;
    // What the segment being run asks for; a rebuild shows it. The driver
    // sets it for every segment.
    BackdropLook look = {};
    bool built = false;         // this process has its own backdrop
    bool said_no_relay = false; // the relay's path was too long, and that was said
    // A rebuild waiting for the signals of one change of the monitors to end.
    GSourcePtr rebuild;
    BackdropWindows windows;
    RelayServer relay; // closed unless this process is the relay
    // The relay's watch for connections and its handlers of the signals
    // that end it, while this process is the relay.
    std::vector<GSourcePtr> relay_sources;
    // The connections being read, oldest first. Each is read as its bytes
    // come, so that a peer that sends nothing holds up no other.
    std::vector<std::unique_ptr<RelayConnection>> relay_connections;
};

// Hands look.backtitle (non-null) to a listening relay, or builds this
// process's backdrop when none takes it. Call only while !backdrop->built.
void publish_backtitle(Backdrop *backdrop);

// --clear-screen: with look.backtitle and no backdrop yet, publishes the title
// and starts the relay; then stays in a main loop that nothing quits, until a
// signal ends the process. Returns only when the relay could not start.
void serve_backdrop(Backdrop *backdrop);
