// The file and folder choosers: GTK's file chooser in the dialog's own
// window and buttons. The dialog text is the path they open at, taken
// exactly as typed; the answer is the chosen path, one line, unquoted.
#include "core/diagnostics.h"
#include "dialogs/chooser_paths.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/writer.h"

namespace {

struct Chooser {
    GtkFileChooser *widget;
    ChooserStart start;
    std::string answer;
};

// The path GTK has chosen, read while the window still has the focus that
// tells GTK whether the typed name or the file list speaks. Nothing chosen
// (the name left empty) chooses the folder on show.
std::string chosen_path(GtkFileChooser *widget) {
    GObjectPtr<GFile> file(gtk_file_chooser_get_file(widget));
    if (file == nullptr)
        file.reset(gtk_file_chooser_get_current_folder_file(widget));
    GCharPtr path(file != nullptr ? g_file_get_path(file.get()) : nullptr);
    return path != nullptr ? path.get() : "";
}

void on_response(GtkDialog *, int, Chooser *chooser) {
    std::string path = chosen_path(chooser->widget);
    chooser->answer = path.empty() ? "" : chooser_answer_line(path, chooser->start);
}

// A double-click or Enter on a file in the list chooses it, as in GTK's own
// dialogs.
void on_file_activated(GtkFileChooser *, GtkDialog *dialog) {
    gtk_dialog_response(dialog, GTK_RESPONSE_OK);
}

std::string current_folder() {
    GCharPtr cwd(g_get_current_dir());
    return cwd.get();
}

void open_at(GtkFileChooser *widget, const ChooserStart &start) {
    gtk_file_chooser_set_current_folder(widget, start.folder.c_str());
    if (start.name.empty())
        return;
    if (start.name_exists) {
        std::string path = (start.folder == "/" ? "" : start.folder) + '/' + start.name;
        gtk_file_chooser_select_filename(widget, path.c_str());
    }
    gtk_file_chooser_set_current_name(widget, name_shown(start.name).c_str());
}

DialogResult run_chooser(const DialogRequest &request, GtkFileChooserAction action) {
    if (!request.args.empty())
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf), WindowStyle::without_text);

    GtkWidget *widget = gtk_file_chooser_widget_new(action);
    Chooser chooser{GTK_FILE_CHOOSER(widget),
                    chooser_start(request.text, current_folder(),
                                  action == GTK_FILE_CHOOSER_ACTION_CREATE_FOLDER),
                    ""};
    gtk_file_chooser_set_local_only(chooser.widget, TRUE);
    open_at(chooser.widget, chooser.start);
    g_signal_connect(widget, "file-activated", signal_handler<on_file_activated>(),
                     dialog.dialog());
    g_signal_connect(dialog.dialog(), "response", signal_handler<on_response>(), &chooser);
    gtk_widget_show(widget);
    gtk_box_pack_start(GTK_BOX(dialog.content()), widget, TRUE, TRUE, 0);

    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog, {[&] { return write_all(request.opts.output_fd, chooser.answer); }});
}

} // namespace

DialogResult dialog_fselect(const DialogRequest &request) {
    return run_chooser(request, GTK_FILE_CHOOSER_ACTION_SAVE);
}

DialogResult dialog_dselect(const DialogRequest &request) {
    return run_chooser(request, GTK_FILE_CHOOSER_ACTION_CREATE_FOLDER);
}
