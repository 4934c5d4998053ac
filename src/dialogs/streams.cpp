// The stream boxes: what a script writes to standard input (programbox,
// progressbox) or what a command writes (prgbox), shown in the file viewer's
// view as it arrives, under the dialog text when one is given. Nothing is
// written to the output descriptor.
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <unistd.h>

#include <gtk/gtk.h>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/records.h"
#include "dialogs/shell_command.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/dialog_text.h"
#include "frame/dialog_window.h"
#include "frame/file_view.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/text.h"

namespace {

// How long a command has to end after SIGTERM before it gets SIGKILL: time
// enough to clean up, short enough that the chain is not held up for long.
constexpr std::chrono::milliseconds COMMAND_GRACE{1000};

// The text, when there is one, stands above the view and names it.
WindowStyle style_for(const DialogRequest &request) {
    return request.text.empty() ? WindowStyle::without_text : WindowStyle::standard;
}

void name_view(const DialogWindow &dialog, const DialogRequest &request, const FileView &view,
               const char *fallback_name) {
    if (request.text.empty())
        set_accessible_name(view.view(), fallback_name);
    else
        dialog.label_input(view.view());
}

// OK is there from the start, but can be pressed only once the stream has
// ended.
void add_stream_buttons(const DialogWindow &dialog, const DialogConf &conf) {
    add_standard_buttons(dialog.dialog(), &conf);
    gtk_dialog_set_response_sensitive(dialog.dialog(), GTK_RESPONSE_OK, FALSE);
}

void allow_ok(const DialogWindow &dialog) {
    gtk_dialog_set_response_sensitive(dialog.dialog(), GTK_RESPONSE_OK, TRUE);
}

// What the prgbox's dialog shares with its child watch.
struct CommandRun {
    const DialogWindow &dialog;
    GtkWidget *status;
};

std::string end_text(int wait_status) {
    CommandEnd end = command_end(wait_status);
    if (end.signalled) {
        // TRANSLATORS: %s is the signal's name, e.g. "SIGTERM".
        GCharPtr text(g_strdup_printf(_("The command was ended by signal %s."),
                                      signal_name(end.number).c_str()));
        return text.get();
    }
    GCharPtr text(g_strdup_printf(_("The command exited with status %d."), end.number));
    return text.get();
}

void on_command_end(GPid, gint wait_status, CommandRun *run) {
    gtk_label_set_text(GTK_LABEL(run->status), end_text(wait_status).c_str());
    gtk_widget_show(run->status);
    allow_ok(run->dialog);
}

// The command and whatever it started are ended when the dialog is, however
// it ends: nothing of them is left behind.
struct EndsCommand {
    ShellCommand &command;
    ~EndsCommand() {
        command.output.reset();
        end_process_group(command.pid, COMMAND_GRACE);
    }
};

} // namespace

DialogResult dialog_programbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf), style_for(request));
    FileView view(dialog, STDIN_FILENO, request.conf, [&dialog](bool) { allow_ok(dialog); });
    view.set_tab_len(request.opts.tab_len);
    // TRANSLATORS: what screen readers call the view of a command's output,
    // or of what a script writes, when the dialog has no text of its own.
    name_view(dialog, request, view, _("Output"));
    add_stream_buttons(dialog, request.conf);
    return run_dialog(dialog);
}

DialogResult dialog_progressbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf), style_for(request));
    FileView view(dialog, STDIN_FILENO, request.conf, [&dialog](bool whole) {
        if (whole)
            gtk_dialog_response(dialog.dialog(), GTK_RESPONSE_OK);
        else
            dialog.end_with(RESULT_ERROR);
    });
    view.set_tab_len(request.opts.tab_len);
    // TRANSLATORS: what screen readers call the view of a command's output,
    // or of what a script writes, when the dialog has no text of its own.
    name_view(dialog, request, view, _("Output"));
    return run_dialog(dialog);
}

DialogResult dialog_prgbox(const DialogRequest &request) {
    if (request.args.size() > 1)
        return unexpected_args(request, 1);
    const char *command_line = request.args[0];
    std::optional<ShellCommand> command = start_shell_command(command_line);
    if (!command)
        return warn_msg(RESULT_ERROR, "/bin/sh: %s", g_strerror(errno));
    EndsCommand ends_command{*command};

    DialogWindow dialog(request, help_on_f1(request.conf), style_for(request));
    FileView view(dialog, command->output.get(), request.conf, [](bool) {});
    view.set_tab_len(request.opts.tab_len);
    GCharPtr shown_command = display_text(command_line);
    name_view(dialog, request, view, shown_command.get());
    CommandRun run{dialog, note_label_new(dialog.content())};
    add_stream_buttons(dialog, request.conf);
    dialog.add_child_watch<on_command_end>(command->pid, &run);
    return run_dialog(dialog);
}
