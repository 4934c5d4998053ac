// The tailbox and the tailboxbg: a file followed as it grows, in the file
// viewer. Their text is the file's path, taken exactly as typed. Neither
// answers, but a tailboxbg left running (--no-kill) writes the id of the
// process it runs in.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gdk/gdk.h>
#include <gdk/gdkwayland.h>
#include <glib-unix.h>
#include <glib.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "dialogs/catalog.h"
#include "frame/file_viewer.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/writer.h"

namespace {

// In the environment of the process that a --no-kill tailboxbg runs in: it
// shows its window as the tailbox does, and ends when it is closed. The
// value is the descriptor on which it says that its window is up.
constexpr const char *LEFT_RUNNING = "WRENPANE_TAILBOXBG_LEFT_RUNNING";
constexpr int SHOWN_FD = 3;

// How long the chain waits for that window before it goes on without it.
// The wait is what keeps the window from appearing over a later dialog and
// taking the keys its user types there.
constexpr int SHOWN_WAIT_MS = 10000;

// This very program, wherever it was started from; argv0 (searched on
// PATH) where the system cannot tell.
std::string this_program(const char *argv0) {
    if (GCharPtr link{g_file_read_link("/proc/self/exe", nullptr)})
        return link.get();
    return argv0;
}

// In the new process before it runs the program: a session of its own, so
// that the end of the script's terminal or process group does not end it.
void leave_session(gpointer) {
    setsid();
}

// The environment, naming the display this process shows its windows on,
// which --display may have chosen instead of the environment.
char **on_this_display(char **environment) {
    GdkDisplay *display = gdk_display_get_default();
    const char *name = gdk_display_get_name(display);
    bool wayland = GDK_IS_WAYLAND_DISPLAY(display);
    environment = g_environ_setenv(environment, "GDK_BACKEND", wayland ? "wayland" : "x11", TRUE);
    return g_environ_setenv(environment, wayland ? "WAYLAND_DISPLAY" : "DISPLAY", name, TRUE);
}

// Waits until the process on the other end of the pipe has said that its
// window is up, has ended, or the wait is over; closes the pipe.
void wait_until_shown(int fd) {
    pollfd ready{fd, POLLIN, 0};
    gint64 deadline = g_get_monotonic_time() + SHOWN_WAIT_MS * G_TIME_SPAN_MILLISECOND;
    gint64 left = SHOWN_WAIT_MS;
    while (poll(&ready, 1, static_cast<int>(left)) < 0 && errno == EINTR)
        left = std::max<gint64>(0, (deadline - g_get_monotonic_time()) / G_TIME_SPAN_MILLISECOND);
    close(fd);
}

// Runs the segment again in a new process, the program executed afresh
// (a process that has set up GTK cannot go on after a fork), and waits for
// its window. Its standard descriptors lead to /dev/null and it has no
// other of the script's: a script that reads the answer until its end does
// not wait for the window. Returns the process id, or 0 after a
// diagnostic.
GPid start_left_running(const DialogRequest &request) {
    std::string program = this_program(request.command_line[0]);
    std::vector<char *> argv{program.data()};
    for (const char *arg : request.command_line.subspan(1))
        argv.push_back(const_cast<char *>(arg));
    argv.push_back(nullptr);
    int shown[2];
    GErrorPtr error;
    if (!g_unix_open_pipe(shown, FD_CLOEXEC, out(error)))
        return warn_msg(0, "%s", console_text(error->message)); // GLib's messages are UTF-8
    char **environment = g_environ_setenv(on_this_display(g_get_environ()), LEFT_RUNNING,
                                          std::to_string(SHOWN_FD).c_str(), TRUE);
    GPid pid = 0;
    auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL |
                                          G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
    const int target_fd = SHOWN_FD;
    bool started = g_spawn_async_with_pipes_and_fds(
        nullptr, argv.data(), environment, flags, leave_session, nullptr, -1, -1, -1, &shown[1],
        &target_fd, 1, &pid, nullptr, nullptr, nullptr, out(error));
    g_strfreev(environment);
    close(shown[1]);
    if (!started) {
        close(shown[0]);
        return warn_msg(0, "%s", console_text(error->message));
    }
    wait_until_shown(shown[0]);
    return pid;
}

// In the process left running: the descriptor to say on that the window is
// up, or -1. Nothing it starts inherits it.
int shown_descriptor(const char *left_running) {
    if (std::string_view(left_running) != std::to_string(SHOWN_FD))
        return -1;
    if (fcntl(SHOWN_FD, F_SETFD, FD_CLOEXEC) != 0)
        return -1;
    return SHOWN_FD;
}

void say_shown(int fd) {
    if (fd < 0)
        return;
    (void)write(fd, "\n", 1); // the other end may be gone: nothing to do then
    close(fd);
}

} // namespace

bool runs_a_window_left_running() {
    return getenv(LEFT_RUNNING) != nullptr;
}

DialogResult dialog_tailbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    return run_file_follower(request, help_on_f1(request.conf));
}

// The chain goes on at once (OK) while the window stays up beside its
// later dialogs, until it is closed or the program ends; with --no-kill it
// stays up in a process of its own, whose id is the answer.
DialogResult dialog_tailboxbg(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    if (const char *left_running = getenv(LEFT_RUNNING)) {
        int fd = shown_descriptor(left_running);
        return run_file_follower(request, help_on_f1(request.conf), [fd] { say_shown(fd); });
    }
    if (!request.opts.no_kill) {
        show_file_follower(request, help_on_f1(request.conf));
        return RESULT_OK;
    }
    GPid pid = start_left_running(request);
    if (pid == 0)
        return RESULT_ERROR;
    int fd = request.opts.output_fd;
    if (int error = write_all(fd, std::to_string(pid) + "\n"); error != 0)
        return answer_write_failed(fd, error);
    return RESULT_OK;
}
