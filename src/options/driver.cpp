#include "options/driver.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <gtk/gtk.h>

#include "dialogs/dialogs.h"
#include "frame/gobject_ptr.h"
#include "main/results.h"
#include "options/option_table.h"
#include "options/preprocess.h"

namespace {

// Index one past the segment's separator, or argc when there is none. Only
// whole-string matches count, wherever they stand.
int segment_length(int argc, char **argv) {
    for (int i = 0; i < argc; ++i) {
        if (strcmp(argv[i], "--and-dialog") == 0 || strcmp(argv[i], "--and-widget") == 0)
            return i + 1;
    }
    return argc;
}

// Runs getopt_long over the segment's first n elements and applies each
// option. Returns 0, or -1 after a diagnostic.
int parse_segment(RunState *state, int n) {
    for (;;) {
        int code = getopt_long(n, state->argv, "", option_table, nullptr);
        if (code == -1)
            return 0;
        if (code == '?') {
            // getopt_long has written its own diagnostic.
            if (state->opts.ignore)
                continue;
            return warn_msg(-1, "--ignore to continue");
        }
        if (apply_option(state, code, optarg) != 0)
            return -1;
    }
}

// The style sheet of the theme in use: the deprecated default provider is
// empty in GTK 3.24, which would save a file with nothing in it.
GCharPtr current_theme_css() {
    char *name = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-theme-name", &name, nullptr);
    GCharPtr theme_name(name);
    GtkCssProvider *provider =
        theme_name ? gtk_css_provider_get_named(theme_name.get(), nullptr) : nullptr;
    if (provider == nullptr) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        provider = gtk_css_provider_get_default();
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    return GCharPtr(gtk_css_provider_to_string(provider));
}

void save_theme(const char *path) {
    GCharPtr css = current_theme_css();
    FILE *file = fopen(path, "w");
    if (file == nullptr) {
        warn_msg(-1, "%s: %s", path, strerror(errno));
        return;
    }
    fwrite(css.get(), 1, strlen(css.get()), file);
    if (fclose(file) != 0)
        warn_msg(-1, "%s: %s", path, strerror(errno));
}

void load_theme(GdkScreen *screen, const char *path) {
    GObjectPtr<GtkCssProvider> provider(gtk_css_provider_new());
    GError *error = nullptr;
    if (!gtk_css_provider_load_from_path(provider.get(), path, &error)) {
        warn_msg(-1, "%s", error->message);
        g_error_free(error);
        return;
    }
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_USER);
}

gboolean end_sequence(RunState *state) {
    gtk_main_quit();
    free(state);
    return FALSE;
}

gboolean fail_sequence(RunState *state) {
    *state->exit_status = exit_code_for(RESULT_ERROR);
    return end_sequence(state);
}

// Runs the segment's dialog with positional arguments argv[p..n-1]. Returns
// the result, or RESULT_ERROR after a diagnostic for a malformed segment.
DialogResult run_dialog(RunState *state, int p, int n) {
    Options &opts = state->opts;
    int k = n - p;
    if (k < 3)
        return warn_msg(RESULT_ERROR, "expected <text> <rows> <cols>");
    char **positional = state->argv + p;
    char *text = strdup(positional[0]);
    if (text == nullptr)
        return warn_msg(RESULT_ERROR, "cannot allocate <text>");
    int rows = static_cast<int>(strtol(positional[1], nullptr, 10));
    int cols = static_cast<int>(strtol(positional[2], nullptr, 10));
    if (opts.dialog_builder != dialog_textbox)
        preprocess_text(&opts, positional[0], text);
    DialogResult result =
        opts.dialog_builder(&state->conf, text, rows, cols, k - 3, positional + 3, &opts);
    free(text);
    return result;
}

gboolean run_next_dialog(gpointer data) {
    RunState *state = static_cast<RunState *>(data);
    const int first_index = optind;
    DialogConf &conf = state->conf;
    Options &opts = state->opts;
    reset_dialog_conf(&conf);
    reset_options(&opts);

    const int n = segment_length(state->argc, state->argv);
    if (parse_segment(state, n) != 0)
        return fail_sequence(state);
    const int p = optind;

    if (opts.save_theme != nullptr) {
        save_theme(opts.save_theme);
        opts.save_theme = nullptr;
    }
    if (opts.need_dialog && opts.dialog_builder == nullptr) {
        warn_msg(-1, "expected a --<dialog>");
        return fail_sequence(state);
    }
    if (opts.load_theme != nullptr) {
        load_theme(state->screen, opts.load_theme);
        opts.load_theme = nullptr;
    }
    if (opts.clear_screen) {
        // Keeps this process (and any backdrop) alive until it is killed.
        gtk_main();
    }
    if (opts.dialog_builder == nullptr)
        return end_sequence(state);

    // The backdrop of --backtitle is not built yet; the title is only stored.
    DialogResult result = run_dialog(state, p, n);
    *state->exit_status = exit_code_for(result);
    if (result == RESULT_ERROR)
        return end_sequence(state);
    if (conf.size_height_out != nullptr && conf.size_width_out != nullptr)
        dprintf(opts.output_fd, "DialogSize: %d, %d\n", *conf.size_height_out,
                *conf.size_width_out);
    if (result == RESULT_CANCEL || result == RESULT_ESC)
        return end_sequence(state);

    if (n == state->argc)
        return end_sequence(state);
    state->argv[n - 1] = state->argv[0];
    state->argv += n - 1;
    state->argc -= n - 1;
    optind = first_index;
    return TRUE;
}

} // namespace

int start_dialog_sequence(int *exit_status, int argc, char **argv) {
    RunState *state = static_cast<RunState *>(calloc(1, sizeof(RunState)));
    if (state == nullptr)
        return warn_msg(-1, "%s", strerror(errno));
    state->exit_status = exit_status;
    state->argc = argc;
    state->argv = argv;
    state->screen = gdk_screen_get_default();
    if (state->screen == nullptr) {
        free(state);
        return warn_msg(-1, "Could not get the default screen");
    }
    state->relay_socket = -1;
    g_idle_add(run_next_dialog, state);
    return 0;
}
