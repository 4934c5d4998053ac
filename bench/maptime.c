/* maptime: runs one command line on the X server named by DISPLAY and reports
 * how long it took from exec to its first top-level window being mapped, and
 * the peak resident memory of the process at that moment.
 *
 * Usage: maptime [--then-return] [--timeout SECONDS] COMMAND [ARG...]
 *
 * Method. Before forking we select SubstructureNotify on the root window, so
 * the server tells us about every window created or mapped as a direct child
 * of the root. A program creates its top-level windows there, but a window
 * manager reparents them into frames of its own before mapping them, and the
 * map of a reparented window is reported to its new parent, not to the root.
 * So every top-level window is also watched for its own StructureNotify as
 * soon as its creation is seen: its MapNotify then reaches us wherever it
 * lives, with a window manager or without one. The clock (CLOCK_MONOTONIC)
 * starts just before fork and stops as soon as the MapNotify of a
 * non-override-redirect window is read off the connection. VmHWM is read from
 * /proc/PID/status at once, before anything else, and only then is the window
 * checked to belong to the child through its _NET_WM_PID property. The child
 * is killed afterwards, so the figure covers start-up alone and not the cost
 * of quitting.
 *
 * With --then-return the first window is given the input focus, we wait until
 * the child has gone idle (its CPU time in /proc/PID/schedstat stops growing:
 * the first dialog has finished drawing), then a Return key is sent through
 * XTEST and the clock runs from that moment to the next top-level map of the
 * child: the cost of closing one dialog of a chain and showing the next.
 *
 * With --until-idle the clock runs on after the first map until the child has
 * used no CPU for a quiet stretch of 300 ms: idle_ms is the time from exec to
 * the start of that stretch (all work done: for the textbox, the whole file
 * read and laid out), idle_rss_kb the resident memory then and idle_hwm_kb
 * the peak resident memory (VmHWM) up to then. --idle-tolerance MS lets the
 * quiet stretch hold up to MS milliseconds of CPU time, for a program that
 * keeps a light timer running once its work is done (GTK's file chooser
 * redraws something several times a second however long it stays open).
 *
 * With --then-end (which implies --until-idle) the first window is given the
 * input focus once the child is idle, an End key is sent through XTEST, and
 * end_ms is the time from that key to the start of the next quiet stretch
 * (for the textbox, the end of the text read, laid out and drawn), with
 * end_hwm_kb the peak resident memory then.
 *
 * With --answer-keys KEYS as well, once idle the first window is given the
 * input focus and KEYS are sent through XTEST (keysym names separated by
 * blanks, each with any of "alt+", "ctrl+" and "shift+" before it for those
 * held down: "alt+o", "ctrl+Tab Return"); answer_exit_ms is the time from
 * the first key to the child's exit, the cost of answering.
 *
 * With --escape-after MS the first window is given the input focus MS
 * milliseconds after its map, an Escape key is sent through XTEST, and
 * escape_exit_ms is the time from that key to the child's exit.
 *
 * Output, one line on standard output:
 *   map_ms=<float> hwm_kb=<int> [close_map_ms=<float> close_hwm_kb=<int>]
 *   [idle_ms=<float> idle_rss_kb=<int> idle_hwm_kb=<int> [answer_exit_ms=<float>]]
 *   [end_ms=<float> end_hwm_kb=<int>]
 *   [escape_exit_ms=<float>]
 * Exit status 0 on success, 1 on a failed run (timeout, child died), 2 on
 * usage errors. The child's standard output and error go to /dev/null. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static void sleep_ms(int ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

/* A "Name:   N kB" field of /proc/PID/status, or -1. */
static long read_status_kb(pid_t pid, const char *field) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *file = fopen(path, "r");
    if (file == NULL)
        return -1;
    size_t field_length = strlen(field);
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, file) != NULL) {
        if (strncmp(line, field, field_length) == 0 && line[field_length] == ':' &&
            sscanf(line + field_length + 1, "%ld", &kb) == 1)
            break;
    }
    fclose(file);
    return kb;
}

/* Nanoseconds the process has spent on a CPU, or -1. */
static long long read_cpu_ns(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/schedstat", (int)pid);
    FILE *file = fopen(path, "r");
    if (file == NULL)
        return -1;
    long long ns = -1;
    if (fscanf(file, "%lld", &ns) != 1)
        ns = -1;
    fclose(file);
    return ns;
}

/* Waits until the process has used no CPU for quiet_ms and returns the moment
 * its CPU time last grew, or -1 at the deadline. Samples every 10 ms. */
static double wait_for_quiet(pid_t pid, double quiet_ms, double deadline, long long tolerance_ns) {
    long long last = read_cpu_ns(pid);
    double last_growth = now_ms();
    while (now_ms() < deadline) {
        sleep_ms(10);
        long long cpu = read_cpu_ns(pid);
        if (cpu < 0)
            return -1;
        double now = now_ms();
        if (cpu - last > tolerance_ns) {
            last = cpu;
            last_growth = now;
        } else if (now - last_growth >= quiet_ms) {
            return last_growth;
        }
    }
    return -1;
}

static pid_t window_pid(Display *dpy, Window window) {
    Atom net_wm_pid = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char *data = NULL;
    pid_t pid = -1;
    if (XGetWindowProperty(dpy, window, net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        data != NULL && format == 32 && count == 1)
        pid = (pid_t) * (unsigned long *)data;
    if (data != NULL)
        XFree(data);
    return pid;
}

/* A window that goes away while we look at it must not end the measurement. */
static int ignore_x_error(Display *dpy, XErrorEvent *event) {
    (void)dpy;
    (void)event;
    return 0;
}

/* Set once waitpid has reaped the child, so that we never signal a pid that
 * may have been reused. */
static int child_reaped;

struct MapSeen {
    Window window;
    double at_ms;
    long hwm_kb;
};

/* Records the map of `window` when it belongs to the child and is not the
 * window seen before; returns 1 then. */
static int seen_if_childs(Display *dpy, pid_t pid, Window window, struct MapSeen *seen) {
    double at = now_ms();
    long hwm = read_status_kb(pid, "VmHWM");
    if (window == seen->window || window_pid(dpy, window) != pid)
        return 0;
    seen->window = window;
    seen->at_ms = at;
    seen->hwm_kb = hwm;
    return 1;
}

/* Starts watching a new top-level window for its own map, which a window
 * manager's reparenting would hide from the root. Returns 1 when the window
 * was mapped before the watch began (a window manager was quicker than us):
 * that map is then taken as seen now. */
static int watch_new_window(Display *dpy, Window window) {
    XSelectInput(dpy, window, StructureNotifyMask);
    XWindowAttributes attributes;
    return XGetWindowAttributes(dpy, window, &attributes) && attributes.map_state != IsUnmapped;
}

/* Waits for the map of a top-level window of the child other than
 * seen->window, and records it in `seen`. Returns 0, or -1 when the child
 * exits or the deadline passes first. Without a window manager a map is
 * reported twice (to the root and to the window): the first report counts,
 * and the second must not pass for the next window's map. */
static int wait_for_map(Display *dpy, pid_t pid, double deadline, struct MapSeen *seen) {
    struct pollfd fds = {ConnectionNumber(dpy), POLLIN, 0};
    for (;;) {
        while (XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == CreateNotify && !event.xcreatewindow.override_redirect &&
                watch_new_window(dpy, event.xcreatewindow.window) &&
                seen_if_childs(dpy, pid, event.xcreatewindow.window, seen))
                return 0;
            if (event.type == MapNotify && !event.xmap.override_redirect &&
                seen_if_childs(dpy, pid, event.xmap.window, seen))
                return 0;
        }
        if (waitpid(pid, NULL, WNOHANG) == pid) {
            child_reaped = 1;
            fprintf(stderr, "maptime: the program exited before mapping a window\n");
            return -1;
        }
        double left = deadline - now_ms();
        if (left <= 0) {
            fprintf(stderr, "maptime: no window mapped in time\n");
            return -1;
        }
        poll(&fds, 1, left < 100 ? (int)left + 1 : 100);
    }
}

static pid_t spawn(char **argv) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) {
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
    }
    execvp(argv[0], argv);
    _exit(127);
}

static int send_return(Display *dpy, pid_t pid, Window window, double deadline, double *sent_at) {
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    if (wait_for_quiet(pid, 50, deadline, 0) < 0) {
        fprintf(stderr, "maptime: the program did not go idle after its first map\n");
        return -1;
    }
    KeyCode key = XKeysymToKeycode(dpy, XK_Return);
    *sent_at = now_ms();
    XTestFakeKeyEvent(dpy, key, True, CurrentTime);
    XTestFakeKeyEvent(dpy, key, False, CurrentTime);
    XFlush(dpy);
    return 0;
}

/* Waits for the child's exit: the milliseconds from sent_at, or -1 at the
 * deadline. */
static double exit_after(pid_t pid, double sent_at, double deadline) {
    while (now_ms() < deadline) {
        if (waitpid(pid, NULL, WNOHANG) == pid) {
            child_reaped = 1;
            return now_ms() - sent_at;
        }
        sleep_ms(1);
    }
    return -1;
}

/* Sends End to the window once the child is idle and returns the
 * milliseconds until it is idle again, or -1 at the deadline. */
static double end_to_quiet(Display *dpy, pid_t pid, Window window, double deadline) {
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    if (wait_for_quiet(pid, 50, deadline, 0) < 0)
        return -1;
    KeyCode key = XKeysymToKeycode(dpy, XK_End);
    double sent_at = now_ms();
    XTestFakeKeyEvent(dpy, key, True, CurrentTime);
    XTestFakeKeyEvent(dpy, key, False, CurrentTime);
    XFlush(dpy);
    double quiet_at = wait_for_quiet(pid, 300, deadline, 0);
    return quiet_at < 0 ? -1 : quiet_at - sent_at;
}

/* Presses and releases one key given as a keysym name with any of "alt+",
 * "ctrl+" and "shift+" before it ("alt+o", "ctrl+Tab"). */
static void press_key(Display *dpy, const char *name) {
    static const struct {
        const char *prefix;
        KeySym keysym;
    } modifiers[] = {{"alt+", XK_Alt_L}, {"ctrl+", XK_Control_L}, {"shift+", XK_Shift_L}};
    KeyCode held[3];
    int count = 0;
    for (int found = 1; found;) {
        found = 0;
        for (size_t m = 0; m < sizeof modifiers / sizeof *modifiers; ++m) {
            size_t length = strlen(modifiers[m].prefix);
            if (strncmp(name, modifiers[m].prefix, length) == 0 && count < 3) {
                held[count] = XKeysymToKeycode(dpy, modifiers[m].keysym);
                XTestFakeKeyEvent(dpy, held[count++], True, CurrentTime);
                name += length;
                found = 1;
            }
        }
    }
    KeyCode key = XKeysymToKeycode(dpy, XStringToKeysym(name));
    XTestFakeKeyEvent(dpy, key, True, CurrentTime);
    XTestFakeKeyEvent(dpy, key, False, CurrentTime);
    while (count > 0)
        XTestFakeKeyEvent(dpy, held[--count], False, CurrentTime);
}

/* Sends keys (names as press_key takes them, separated by blanks) to
 * window, given the focus, and returns the milliseconds from the first key
 * until the child exits, or -1 at the deadline. */
static double keys_to_exit(Display *dpy, pid_t pid, Window window, const char *keys,
                           double deadline) {
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    char *copy = strdup(keys);
    double sent_at = now_ms();
    for (char *name = strtok(copy, " "); name != NULL; name = strtok(NULL, " "))
        press_key(dpy, name);
    XFlush(dpy);
    free(copy);
    return exit_after(pid, sent_at, deadline);
}

static int usage(void) {
    fprintf(
        stderr,
        "usage: maptime [--then-return | --until-idle [--idle-tolerance MS] [--answer-keys KEYS] | "
        "--then-end | --escape-after MS] "
        "[--timeout SECONDS] COMMAND [ARG...]\n");
    return 2;
}

int main(int argc, char **argv) {
    int then_return = 0;
    int until_idle = 0;
    int then_end = 0;
    double escape_after_ms = -1;
    long long idle_tolerance_ns = 0;
    const char *answer_key = NULL;
    double timeout_s = 30;
    int i = 1;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
        if (strcmp(argv[i], "--then-return") == 0)
            then_return = 1;
        else if (strcmp(argv[i], "--until-idle") == 0)
            until_idle = 1;
        else if (strcmp(argv[i], "--then-end") == 0)
            until_idle = then_end = 1;
        else if (strcmp(argv[i], "--idle-tolerance") == 0 && i + 1 < argc)
            idle_tolerance_ns = (long long)(atof(argv[++i]) * 1e6);
        else if (strcmp(argv[i], "--answer-keys") == 0 && i + 1 < argc)
            answer_key = argv[++i];
        else if (strcmp(argv[i], "--escape-after") == 0 && i + 1 < argc)
            escape_after_ms = atof(argv[++i]);
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            timeout_s = atof(argv[++i]);
        else
            return usage();
    }
    if (i == argc || (answer_key != NULL && !until_idle))
        return usage();

    Display *dpy = XOpenDisplay(NULL);
    if (dpy == NULL) {
        fprintf(stderr, "maptime: cannot open the display\n");
        return 2;
    }
    int event_base, error_base, major, minor;
    if ((then_return || then_end || escape_after_ms >= 0 || answer_key != NULL) &&
        !XTestQueryExtension(dpy, &event_base, &error_base, &major, &minor)) {
        fprintf(stderr, "maptime: the X server lacks XTEST\n");
        return 2;
    }
    XSetErrorHandler(ignore_x_error);
    fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    double start = now_ms();
    double deadline = start + timeout_s * 1e3;
    pid_t pid = spawn(argv + i);
    if (pid < 0) {
        perror("maptime: fork");
        return 1;
    }

    int status = 1;
    struct MapSeen first = {None, 0, 0};
    if (wait_for_map(dpy, pid, deadline, &first) == 0) {
        printf("map_ms=%.3f hwm_kb=%ld", first.at_ms - start, first.hwm_kb);
        struct MapSeen second = first;
        double sent_at;
        if (until_idle) {
            double idle_at = wait_for_quiet(pid, 300, deadline, idle_tolerance_ns);
            if (idle_at >= 0) {
                printf(" idle_ms=%.3f idle_rss_kb=%ld idle_hwm_kb=%ld", idle_at - start,
                       read_status_kb(pid, "VmRSS"), read_status_kb(pid, "VmHWM"));
                status = 0;
                double end_ms = then_end ? end_to_quiet(dpy, pid, first.window, deadline) : 0;
                if (end_ms >= 0 && then_end)
                    printf(" end_ms=%.3f end_hwm_kb=%ld", end_ms, read_status_kb(pid, "VmHWM"));
                if (end_ms < 0) {
                    fprintf(stderr, "maptime: the program did not go idle after End\n");
                    status = 1;
                } else if (answer_key != NULL) {
                    double exit_ms = keys_to_exit(dpy, pid, first.window, answer_key, deadline);
                    if (exit_ms >= 0) {
                        printf(" answer_exit_ms=%.3f", exit_ms);
                    } else {
                        fprintf(stderr, "maptime: the program did not exit after %s\n", answer_key);
                        status = 1;
                    }
                }
            } else {
                fprintf(stderr, "maptime: the program did not go idle in time\n");
            }
        } else if (escape_after_ms >= 0) {
            sleep_ms((int)escape_after_ms);
            double exit_ms = keys_to_exit(dpy, pid, first.window, "Escape", deadline);
            if (exit_ms >= 0) {
                printf(" escape_exit_ms=%.3f", exit_ms);
                status = 0;
            } else {
                fprintf(stderr, "maptime: the program did not exit after Escape\n");
            }
        } else if (!then_return) {
            status = 0;
        } else if (send_return(dpy, pid, first.window, deadline, &sent_at) == 0 &&
                   wait_for_map(dpy, pid, deadline, &second) == 0) {
            printf(" close_map_ms=%.3f close_hwm_kb=%ld", second.at_ms - sent_at, second.hwm_kb);
            status = 0;
        }
        printf("\n");
    }
    if (!child_reaped) {
        kill(pid, SIGKILL);
        waitpid(pid, NULL, 0);
    }
    XCloseDisplay(dpy);
    return status;
}
