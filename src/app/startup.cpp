#include "app/startup.h"

#include <clocale>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtk/gtk.h>
#include <libintl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/driver.h"
#include "cli/option_table.h"
#include "cli/toolkit_options.h"
#include "core/descriptors.h"
#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/version.h"
#include "dialogs/catalog.h"
#include "frame/gobject_ptr.h"

static const char *const help_lines[] = {
    "usage: wrenpane --help | --version",
    "       wrenpane [--<opt>] --<dialog> <text> <rows> <cols> [<arg>] [--<opt>]",
    "       wrenpane ... --<dialog1> ... [--and-dialog --<dialog2> ...] ...",
    "",
    "Options:",
};

void print_help(FILE *out) {
    for (const char *line : help_lines)
        fprintf(out, "%s\n", line);
    fputs(option_help().c_str(), out);
    fputs("\n\n", out);
    fputs("Dialogs:\n", out);
    for (const DialogEntry &dialog : dialog_catalog())
        fprintf(out, "%s\n", dialog.usage);
    fputs("\nSee 'man 1 wrenbox' for more information.\n", out);
}

// Seeds random() for the backdrop's random colours.
static void seed_random() {
    uint32_t seed = static_cast<uint32_t>(getpid()) ^ static_cast<uint32_t>(getuid()) ^
                    static_cast<uint32_t>(time(nullptr));
    srandom(seed);
}

// Informational log lines (such as GTK's note about dialogs without a
// transient parent) would land on standard error, which is the answer
// descriptor by default. Warnings and worse still go through.
static GLogWriterOutput log_writer(GLogLevelFlags level, const GLogField *fields, gsize n_fields,
                                   gpointer) {
    if (level & (G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG))
        return G_LOG_WRITER_HANDLED;
    return g_log_writer_default(level, fields, n_fields, nullptr);
}

// Returns 1 for --help, 2 for --version, 0 for neither; the first one wins.
static int find_help_or_version(int argc, char **argv) {
    for (int i = 0; i < argc; ++i) {
        if (strcmp(argv[i], "--version") == 0)
            return 2;
        if (strcmp(argv[i], "--help") == 0)
            return 1;
    }
    return 0;
}

static bool is_set(const char *variable) {
    const char *value = getenv(variable);
    return value != nullptr && value[0] != '\0';
}

// An X display or a Wayland one: GDK opens either, so a Wayland session
// without X needs no terminal.
static bool has_display() {
    return is_set("DISPLAY") || is_set("WAYLAND_DISPLAY");
}

// The display GTK tried to open, as it names it in its own message.
static const char *display_name() {
    const char *name = gdk_get_display_arg_name();
    if (name == nullptr)
        name = getenv(is_set("DISPLAY") ? "DISPLAY" : "WAYLAND_DISPLAY");
    return name != nullptr ? name : "";
}

// The locale the environment asks for in category, as the C library reads it.
static const char *locale_asked_for(const char *category_variable) {
    for (const char *variable : {"LC_ALL", category_variable, "LANG"}) {
        if (is_set(variable))
            return getenv(variable);
    }
    return "C";
}

// The environment names a locale that is not installed (often over ssh, from
// another machine's settings): everything stays in the C locale, and the
// user learns which locale was missing. Not translated: in the C locale no
// catalogue is read.
static void say_locale_is_missing() {
    static const struct {
        int category;
        const char *variable;
    } categories[] = {
        {LC_CTYPE, "LC_CTYPE"},
        {LC_MESSAGES, "LC_MESSAGES"},
        {LC_COLLATE, "LC_COLLATE"},
        {LC_NUMERIC, "LC_NUMERIC"},
        {LC_TIME, "LC_TIME"},
        {LC_MONETARY, "LC_MONETARY"},
        {LC_PAPER, "LC_PAPER"},
        {LC_NAME, "LC_NAME"},
        {LC_ADDRESS, "LC_ADDRESS"},
        {LC_TELEPHONE, "LC_TELEPHONE"},
        {LC_MEASUREMENT, "LC_MEASUREMENT"},
        {LC_IDENTIFICATION, "LC_IDENTIFICATION"},
    };
    const char *missing = nullptr;
    for (const auto &c : categories) {
        if (setlocale(c.category, "") == nullptr) {
            missing = locale_asked_for(c.variable);
            break;
        }
    }
    setlocale(LC_ALL, "C");
    if (missing == nullptr)
        missing = locale_asked_for("LC_ALL");
    warn_msg(-1, "the locale \"%s\" is not available on this system; using the C locale", missing);
}

// A directory that only its owner, this user or root, can change. A
// catalogue holds the formats of our messages, so it is read from nowhere
// that another user could have put one: not beside a copy of the program
// in /tmp, say.
static bool is_private_dir(const char *path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode) &&
           (info.st_uid == geteuid() || info.st_uid == 0) &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The catalogues are found from where the program is: a program run from
// its build tree has them in "locale" beside it, an installed one under its
// prefix, wherever that prefix was moved (a staging DESTDIR, `cmake --install
// --prefix`). Without /proc, the directory the build was configured for.
static std::string catalogue_dir() {
    GCharPtr program(g_file_read_link("/proc/self/exe", nullptr));
    if (!program)
        return WRENPANE_LOCALEDIR;
    GCharPtr program_dir(g_path_get_dirname(program.get()));
    GCharPtr build_tree(g_build_filename(program_dir.get(), "locale", nullptr));
    // A directory (/usr/bin/locale, for one, is a program) in a directory
    // as private as itself.
    if (is_private_dir(program_dir.get()) && is_private_dir(build_tree.get()))
        return build_tree.get();
    GCharPtr installed(
        g_build_filename(program_dir.get(), WRENPANE_LOCALEDIR_FROM_BINDIR, nullptr));
    return installed.get();
}

// Run from a console without the terminal utility, the user would otherwise
// see nothing at all happen. The locale is set up only now, so that the
// utility, when there is one, starts as it would from the shell; the message
// comes in the locale's character set, as the system's reason does, for the
// console shows that.
[[noreturn]] static void exit_without_terminal_utility(int error) {
    setlocale(LC_ALL, "");
    bindtextdomain(PROGRAM_NAME, catalogue_dir().c_str());
    // As everywhere: UTF-8 from the catalogue, which warn_msg converts.
    bind_textdomain_codeset(PROGRAM_NAME, "UTF-8");
    textdomain(PROGRAM_NAME);
    // TRANSLATORS: DISPLAY and WAYLAND_DISPLAY are environment variables;
    // the first %s is the terminal program run in place of this one, the
    // second the system's reason why it could not be run.
    warn_msg(-1,
             _("no display (DISPLAY and WAYLAND_DISPLAY are unset or empty), and %s "
               "cannot be run: %s"),
             TERMINAL_UTILITY, strerror(error));
    _exit(127);
}

int run_program(int argc, char **argv) {
    // Before anything opens a file, the terminal utility included: it gets
    // /dev/null where the caller closed a standard descriptor, as we do. The
    // record comes first, so that an answer sent to a standard descriptor
    // the caller closed still counts as lost.
    record_startup_descriptors();
    open_closed_standard_descriptors();

    if (!has_display()) {
        execvp(TERMINAL_UTILITY, argv);
        exit_without_terminal_utility(errno);
    }
    // A reader that went away must not kill us mid-answer; set only now so
    // that the terminal utility above keeps the default disposition.
    signal(SIGPIPE, SIG_IGN);

    if (setlocale(LC_ALL, "") == nullptr)
        say_locale_is_missing();
    // GTK takes UTF-8 whatever the locale's character set.
    bindtextdomain(PROGRAM_NAME, catalogue_dir().c_str());
    bind_textdomain_codeset(PROGRAM_NAME, "UTF-8");
    textdomain(PROGRAM_NAME);

    g_log_set_writer_func(log_writer, nullptr, nullptr);
    // GDK probes OpenGL while it opens the display, to pick its visuals: that
    // loads the whole GL driver (with a software renderer, LLVM too), about
    // half the start-up time and two thirds of the memory of a dialog that
    // never draws with GL. A GDK_GL set by the user still wins.
    g_setenv("GDK_GL", "disable", FALSE);
    // The locale is set above; GTK would set it again and warn a second
    // time, on standard error, about a locale the C library lacks.
    gtk_disable_setlocale();
    // gtk_init would exit with 1, the code of No and Cancel.
    if (!take_toolkit_options(argc, argv, gtk_init_check))
        return warn_msg(255, _("cannot open display: %s"), display_name());

    switch (find_help_or_version(argc, argv)) {
    case 1:
        print_help(stdout);
        return 0;
    case 2:
        fputs(version_line().c_str(), stdout);
        return 0;
    }

    seed_random();

    return run_dialog_sequence(argc, argv);
}
