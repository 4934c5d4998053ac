// The file and folder choosers: GTK's file chooser in the dialog's own
// window and buttons. The dialog text is the path they open at, taken
// exactly as typed; the answer is the chosen path, one line, unquoted.
#include <algorithm>
#include <vector>

#include "core/diagnostics.h"
#include "dialogs/chooser_columns.h"
#include "dialogs/chooser_paths.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/window.h"
#include "frame/writer.h"

namespace {

struct Chooser {
    GtkFileChooser *widget;
    ChooserStart start;
    std::string chosen; // as GTK gives it when the dialog ends
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
    chooser->chosen = chosen_path(chooser->widget);
}

int write_answer(const Chooser &chooser, int fd) {
    if (chooser.chosen.empty())
        return 0;
    return write_all(fd, chooser_answer_line(chooser.chosen, chooser.start));
}

// A double-click or Enter on a file in the list chooses it, as in GTK's own
// dialogs.
void on_file_activated(GtkFileChooser *, GtkDialog *dialog) {
    gtk_dialog_response(dialog, GTK_RESPONSE_OK);
}

// The first widget inside widget (or widget itself), GTK's own parts
// included, that is wanted.
GtkWidget *first_inside(GtkWidget *widget, bool (*wanted)(GtkWidget *)) {
    if (wanted(widget))
        return widget;
    struct Search {
        bool (*wanted)(GtkWidget *);
        GtkWidget *found;
    } search{wanted, nullptr};
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget *child, gpointer data) {
                auto *search = static_cast<Search *>(data);
                if (search->found == nullptr)
                    search->found = first_inside(child, search->wanted);
            },
            &search);
    return search.found;
}

// Widths of the file list's columns, in character cells: a name, a size, a
// file type, a date and time. Columns that expand (the names, and the
// folders in search results) take what the list has left over.
constexpr double NAME_COLUMN_CELLS = 24;
constexpr double OTHER_COLUMN_CELLS[] = {10, 18, 16};

// The columns' fixed widths fitted to the list's width: widths fixed in
// advance would otherwise be the least the list, and so the window, can be,
// wider than asked or than the monitor.
void fit_columns(GtkWidget *, GdkRectangle *allocation, GtkTreeView *list) {
    std::vector<GtkTreeViewColumn *> shown;
    std::vector<double> cells;
    int others = 0;
    int columns = static_cast<int>(gtk_tree_view_get_n_columns(list));
    for (int i = 0; i < columns; ++i) {
        GtkTreeViewColumn *column = gtk_tree_view_get_column(list, i);
        bool expands = gtk_tree_view_column_get_expand(column);
        double meant = expands ? NAME_COLUMN_CELLS : OTHER_COLUMN_CELLS[std::min(others, 2)];
        others += expands ? 0 : 1;
        if (!gtk_tree_view_column_get_visible(column))
            continue;
        shown.push_back(column);
        cells.push_back(meant);
    }
    double unit = char_unit_pixels(gtk_widget_get_screen(GTK_WIDGET(list)));
    std::vector<int> widths = fitted_column_widths(cells, unit, allocation->width);
    for (size_t i = 0; i < shown.size(); ++i)
        if (gtk_tree_view_column_get_fixed_width(shown[i]) != widths[i])
            gtk_tree_view_column_set_fixed_width(shown[i], widths[i]);
}

// GTK's file list measures every row of a folder to size its columns, which
// is most of what a large folder costs before the chooser settles (a few
// seconds for 10,000 files). With columns of fixed widths its rows are of
// one height, and only the rows in sight are laid out. The list scrolls
// sideways, rather than widening the window, while a column (shown later,
// or widened by the user) does not fit.
void lay_out_only_rows_in_sight(GtkWidget *chooser) {
    GtkWidget *found = first_inside(chooser, [](GtkWidget *w) { return GTK_IS_TREE_VIEW(w) != 0; });
    if (found == nullptr)
        return;
    GtkTreeView *list = GTK_TREE_VIEW(found);
    int columns = static_cast<int>(gtk_tree_view_get_n_columns(list));
    for (int i = 0; i < columns; ++i) {
        GtkTreeViewColumn *column = gtk_tree_view_get_column(list, i);
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_resizable(column, TRUE);
    }
    gtk_tree_view_set_fixed_height_mode(list, TRUE);
    GtkWidget *scroller = gtk_widget_get_parent(found);
    if (GTK_IS_SCROLLED_WINDOW(scroller)) {
        GtkPolicyType vertical = GTK_POLICY_AUTOMATIC;
        gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(scroller), nullptr, &vertical);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC,
                                       vertical);
    }
    g_signal_connect(list, "size-allocate", signal_handler<fit_columns>(), list);
}

void leave_unsorted(GObject *, GParamSpec *, GtkEntryCompletion *completion) {
    GtkTreeModel *names = gtk_entry_completion_get_model(completion);
    if (names != nullptr && GTK_IS_TREE_SORTABLE(names))
        gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(names),
                                             GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID,
                                             GTK_SORT_ASCENDING);
}

// The name field completes from a listing of the folder of its own, which
// GTK sorts anew, comparing whole names, each time a batch of names comes
// in: in a folder of 100,000 files that kept the window from answering for
// seconds at a time. The names are offered in the folder's own order.
// The name field: the entry that completes names.
GtkWidget *name_field(GtkWidget *chooser) {
    return first_inside(chooser, [](GtkWidget *w) {
        return GTK_IS_ENTRY(w) && gtk_entry_get_completion(GTK_ENTRY(w)) != nullptr;
    });
}

void complete_names_unsorted(GtkWidget *chooser) {
    GtkWidget *field = name_field(chooser);
    if (field == nullptr)
        return;
    GtkEntryCompletion *completion = gtk_entry_get_completion(GTK_ENTRY(field));
    g_signal_connect(completion, "notify::model", signal_handler<leave_unsorted>(), completion);
    leave_unsorted(nullptr, nullptr, completion);
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
    // GTK's chooser needs all of its window to be of use: its buttons and
    // name field must not lie off the monitor.
    dialog.fit_monitor();

    GtkWidget *widget = gtk_file_chooser_widget_new(action);
    Chooser chooser{GTK_FILE_CHOOSER(widget),
                    chooser_start(request.text, current_folder(),
                                  action == GTK_FILE_CHOOSER_ACTION_CREATE_FOLDER),
                    ""};
    gtk_file_chooser_set_local_only(chooser.widget, TRUE);
    lay_out_only_rows_in_sight(widget);
    complete_names_unsorted(widget);
    open_at(chooser.widget, chooser.start);
    g_signal_connect(widget, "file-activated", signal_handler<on_file_activated>(),
                     dialog.dialog());
    g_signal_connect(dialog.dialog(), "response", signal_handler<on_response>(), &chooser);
    gtk_widget_show(widget);
    gtk_box_pack_start(GTK_BOX(dialog.content()), widget, TRUE, TRUE, 0);
    // The name field starts with the focus, whatever the window's focus
    // chain would pick: a file list that took it first would select its
    // first row, and a folder chooser would type that row's name.
    if (GtkWidget *field = name_field(widget))
        gtk_widget_grab_focus(field);

    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog, {[&] { return write_answer(chooser, request.opts.output_fd); }});
}

} // namespace

DialogResult dialog_fselect(const DialogRequest &request) {
    return run_chooser(request, GTK_FILE_CHOOSER_ACTION_SAVE);
}

DialogResult dialog_dselect(const DialogRequest &request) {
    return run_chooser(request, GTK_FILE_CHOOSER_ACTION_CREATE_FOLDER);
}
