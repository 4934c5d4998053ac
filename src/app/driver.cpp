#include "app/driver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gtk/gtk.h>
#include <optional>
#include <span>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "backdrop/backdrop.h"
#include "cli/option_table.h"
#include "cli/preprocess.h"
#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/numbers.h"
#include "core/positional.h"
#include "core/results.h"
#include "core/version.h"
#include "dialogs/catalog.h"
#include "frame/callbacks.h"
#include "frame/file_viewer.h"
#include "frame/gobject_ptr.h"
#include "frame/window.h"
#include "frame/writer.h"

namespace {

bool is_separator(const char *arg) {
    return strcmp(arg, "--and-dialog") == 0 || strcmp(arg, "--and-widget") == 0;
}

// Index one past the segment's separator, or argc when there is none. Only
// whole-string matches count, wherever they stand.
int segment_length(int argc, char **argv) {
    for (int i = 0; i < argc; ++i) {
        if (is_separator(argv[i]))
            return i + 1;
    }
    return argc;
}

// After a "--" the separator that ends the segment is among the positional
// arguments, but it is never an argument of the dialog.
std::span<const char *const> without_separator(std::span<const char *const> positional) {
    if (!positional.empty() && is_separator(positional.back()))
        return positional.first(positional.size() - 1);
    return positional;
}

// The default size on the monitor that the segment's dialog shows on, as
// its options so far place it. Without a screen there is no size to report.
int write_maxsize_line(GdkScreen *screen, const DialogConf &conf, int output_fd) {
    if (screen == nullptr)
        return 0;
    double unit = char_unit_pixels(screen);
    GdkRectangle area = monitor_workarea(dialog_monitor(gdk_screen_get_display(screen), conf));
    CellSize size = default_cell_size(unit, area);
    return write_all(output_fd, "MaxSize: " + std::to_string(size.rows) + ", " +
                                    std::to_string(size.cols) + "\n");
}

// Returns 0, or the errno of a print-only line that could not be written.
int run_side_job(GdkScreen *screen, const DialogConf &conf, const SideJob &job,
                 ExitCodeTable &exit_codes) {
    switch (job.kind) {
    case SideJob::Kind::print_maxsize:
        return write_maxsize_line(screen, conf, job.output_fd);
    case SideJob::Kind::print_version:
        return write_all(job.output_fd, version_line());
    case SideJob::Kind::set_theme:
        if (GtkSettings *settings = gtk_settings_get_default())
            g_object_set(settings, "gtk-theme-name", job.arg, nullptr);
        break;
    case SideJob::Kind::set_exit_code:
        set_exit_code_from_arg(exit_codes, job.result, job.arg);
        break;
    }
    return 0;
}

// The style sheet of the theme in use: the deprecated default provider is
// empty in GTK 3.24, which would save a file with nothing in it.
GCharPtr current_theme_css() {
    GCharPtr theme_name;
    g_object_get(gtk_settings_get_default(), "gtk-theme-name",
                 static_cast<char **>(out(theme_name)), nullptr);
    GtkCssProvider *provider =
        theme_name ? gtk_css_provider_get_named(theme_name.get(), nullptr) : nullptr;
    if (provider == nullptr) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        provider = gtk_css_provider_get_default();
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    return GCharPtr(gtk_css_provider_to_string(provider));
}

// A write error may show only when the buffer is flushed, or, when the
// text went past the buffer, only in the stream's error state: all three
// are checked, and the first error is reported.
void save_theme(const char *path) {
    GCharPtr css = current_theme_css();
    FILE *file = fopen(path, "w");
    if (file == nullptr) {
        warn_msg(-1, "%s: %s", path, strerror(errno));
        return;
    }
    const size_t length = strlen(css.get());
    int error = 0;
    if (fwrite(css.get(), 1, length, file) != length || fflush(file) != 0 || ferror(file))
        error = errno != 0 ? errno : EIO;
    if (fclose(file) != 0 && error == 0)
        error = errno;
    if (error != 0)
        warn_msg(-1, "%s: %s", path, strerror(error));
}

// Only a regular file is read: /dev/zero would be read without end and a
// FIFO would wait for a writer. Anything else fails like a file that cannot
// be opened: a diagnostic, and the segment goes on.
void load_theme(GdkScreen *screen, const char *path) {
    struct stat info;
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
        warn_msg(-1, _("Error opening file %s: not a regular file"), path);
        return;
    }
    GObjectPtr<GtkCssProvider> provider(gtk_css_provider_new());
    GErrorPtr error;
    if (!gtk_css_provider_load_from_path(provider.get(), path, out(error))) {
        warn_msg(-1, "%s", console_text(error->message)); // GLib's messages are UTF-8
        return;
    }
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_USER);
}

// The chain of dialogs: what is left of the command line, the configuration
// of the segment at hand, the exit codes (which options change for the rest
// of the chain) and the exit status so far. It lives on the stack of
// run_dialog_sequence, for as long as the main loop runs.
class DialogSequence {
  public:
    DialogSequence(int argc, char **argv, GdkScreen *screen)
        : parser_(dialog_catalog()), argc_(argc), argv_(argv), screen_(screen),
          exit_codes_(exit_codes_from_env()), backdrop_(screen) {}

    int exit_status() const { return exit_status_; }

    // The main loop's idle callback: one segment per call.
    gboolean on_idle() {
        if (run_next_segment())
            return TRUE;
        gtk_main_quit();
        return FALSE;
    }

  private:
    bool run_next_segment();
    DialogResult run_segment_dialog(std::span<const char *const> positional,
                                    std::span<const char *const> command_line);
    bool fail() {
        exit_status_ = exit_code_for(exit_codes_, RESULT_ERROR);
        return false;
    }

    OptionParser parser_;
    SegmentConfig config_{};
    int argc_;
    char **argv_; // element 0 always names the program
    GdkScreen *screen_;
    ExitCodeTable exit_codes_;
    Backdrop backdrop_;
    int exit_status_ = 0;
};

// The arguments of a dialog's usage line, after its option.
const char *usage_arguments(const DialogEntry &dialog) {
    return dialog.usage + strlen(" ") + strlen(dialog.option) + strlen(" ");
}

// Runs the segment's dialog with its positional arguments. Returns the
// result, or RESULT_ERROR after a diagnostic for a malformed segment.
DialogResult DialogSequence::run_segment_dialog(std::span<const char *const> positional,
                                                std::span<const char *const> command_line) {
    const DialogEntry &dialog = *config_.jobs.dialog;
    std::optional<PositionalArgs> read = read_positional(dialog, positional);
    if (!read && dialog.optional_text)
        // TRANSLATORS: %s is the arguments that the dialog option takes, as
        // the manual names them, e.g. "[<text>] <rows> <cols>".
        return warn_msg(RESULT_ERROR, _("expected %s"), usage_arguments(dialog));
    if (!read)
        // TRANSLATORS: the arguments every dialog option takes, as the manual
        // names them.
        return warn_msg(RESULT_ERROR, _("expected <text> <rows> <cols>"));
    const char *text = read->text != nullptr ? read->text : "";
    DialogRequest request{&dialog,
                          config_.conf,
                          config_.opts,
                          text,
                          leading_int32(read->rows),
                          leading_int32(read->cols),
                          read->args,
                          command_line};
    if (!dialog.text_is_path) {
        // Preprocessing never lengthens the text.
        preprocess_text(&request.opts, text, request.text.data());
        request.text.resize(strlen(request.text.c_str()));
    }
    return dialog.builder(request);
}

// Returns true to be called again for the next segment, false when the
// chain has ended.
bool DialogSequence::run_next_segment() {
    reset_segment_config(&config_);
    SegmentJobs &jobs = config_.jobs;
    const int n = segment_length(argc_, argv_);
    // The scan reorders the segment's arguments in place: their order as
    // written is kept for a dialog that runs its segment again. Only
    // pointers are copied, and only for the segment's time.
    const int written_length = is_separator(argv_[n - 1]) ? n - 1 : n;
    std::vector<const char *> written(argv_, argv_ + written_length);
    SegmentScan scan(parser_, n, argv_);
    for (;;) {
        ScanStep step = scan.next(config_);
        if (step.kind == ScanStep::Kind::error)
            return fail();
        if (step.kind == ScanStep::Kind::end)
            break;
        // A print-only line is an answer too: one that is lost ends the
        // chain like a dialog's.
        if (int error = run_side_job(screen_, config_.conf, step.job, exit_codes_); error != 0) {
            answer_write_failed(step.job.output_fd, error);
            return fail();
        }
    }
    // A rebuild of the backdrop shows what the segment being run asks for.
    backdrop_.look = {jobs.backtitle, jobs.bikeshed, jobs.no_lines};

    if (jobs.save_theme != nullptr)
        save_theme(jobs.save_theme);
    if (jobs.need_dialog && jobs.dialog == nullptr) {
        warn_msg(-1, _("expected a --<dialog>"));
        return fail();
    }
    if (jobs.load_theme != nullptr)
        load_theme(screen_, jobs.load_theme);
    if (jobs.clear_screen)
        serve_backdrop(&backdrop_);
    if (jobs.backtitle != nullptr && !backdrop_.built && !runs_a_window_left_running())
        publish_backtitle(&backdrop_);
    if (jobs.dialog == nullptr)
        return false;

    DialogResult result = run_segment_dialog(without_separator(scan.positional()), written);
    exit_status_ = exit_code_for(exit_codes_, result);
    if (result == RESULT_ERROR || result == RESULT_CANCEL || result == RESULT_ESC)
        return false;

    if (n == argc_)
        return false;
    // The finished segment's separator becomes the next segment's element 0.
    argv_[n - 1] = argv_[0];
    argv_ += n - 1;
    argc_ -= n - 1;
    return true;
}

} // namespace

int run_dialog_sequence(int argc, char **argv) {
    GdkScreen *screen = gdk_screen_get_default();
    if (screen == nullptr)
        return warn_msg(-1, _("Could not get the default screen"));
    DialogSequence sequence(argc, argv, screen);
    GSourcePtr segments = attach_source<&DialogSequence::on_idle>(g_idle_source_new(), &sequence);
    gtk_main();
    // Windows left in the background close with the program.
    close_background_followers();
    return sequence.exit_status();
}
