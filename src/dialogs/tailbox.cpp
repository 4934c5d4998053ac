// The tailbox and the tailboxbg: a file followed as it grows, in the file
// viewer. Their text is the file's path, taken exactly as typed. Neither
// answers, but a tailboxbg left running (--no-kill) writes the id of the
// process it runs in.
#include <cstdlib>
#include <glib.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "frame/file_viewer.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/writer.h"

namespace {

// In the environment of the process that a --no-kill tailboxbg runs in: it
// shows its window as the tailbox does, and ends when it is closed.
constexpr const char *LEFT_RUNNING = "WRENPANE_TAILBOXBG_LEFT_RUNNING";

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

// Runs the segment again in a new process, the program executed afresh
// (a process that has set up GTK cannot go on after a fork). Its standard
// descriptors lead to /dev/null and it has no other: a script that reads
// the answer until its end does not wait for the window. Returns the
// process id, or 0 after a diagnostic.
GPid start_left_running(const DialogRequest &request) {
    std::string program = this_program(request.command_line[0]);
    std::vector<char *> argv{program.data()};
    for (const char *arg : request.command_line.subspan(1))
        argv.push_back(const_cast<char *>(arg));
    argv.push_back(nullptr);
    char **environment = g_environ_setenv(g_get_environ(), LEFT_RUNNING, "1", TRUE);
    GPid pid = 0;
    GErrorPtr error;
    auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL |
                                          G_SPAWN_STDERR_TO_DEV_NULL);
    bool started = g_spawn_async(nullptr, argv.data(), environment, flags, leave_session, nullptr,
                                 &pid, out(error));
    g_strfreev(environment);
    if (!started)
        return warn_msg(0, "%s", console_text(error->message)); // GLib's messages are UTF-8
    return pid;
}

} // namespace

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
    if (getenv(LEFT_RUNNING) != nullptr)
        return run_file_follower(request, help_on_f1(request.conf));
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
