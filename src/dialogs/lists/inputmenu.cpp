// The inputmenu: the menu with a Rename button (the Extra button, shown
// always). Rename, F2 or a double click on an item text edits the selected
// row's item text in place; Enter there ends the dialog with the Extra
// result and the RENAMED answer, any other way out of the edit (Escape, a
// click elsewhere) drops it and the dialog goes on. OK answers the selected
// tag as the menu does.
#include "dialogs/lists/inputmenu.h"

#include <optional>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "dialogs/lists/answers.h"
#include "dialogs/lists/item_tree.h"
#include "dialogs/lists/list_view.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/entry_field.h"
#include "frame/help.h"
#include "frame/text.h"
#include "frame/writer.h"

std::string renamed_line(const Options *opts, const char *tag, const char *text) {
    auto word = [opts](const char *word) -> std::string {
        const bool quote = opts->quoted && (*word == '\0' || needs_quoting(word));
        return quote ? quoted_name(word, quote_char(opts)) : word;
    };
    return "RENAMED " + word(tag) + ' ' + word(text) + '\n';
}

namespace {

// What renaming a row needs while the dialog runs.
struct Renaming {
    const Options *opts;
    GtkDialog *dialog = nullptr;
    GtkTreeView *view = nullptr;
    GtkTreeViewColumn *column = nullptr; // the item texts'
    GtkCellRenderer *cell = nullptr;     // editable only while an edit runs
    bool editing = false;
    std::string row = {}; // the path of the row being edited
    // The answer, once the user has confirmed a new text.
    std::optional<std::string> answer = std::nullopt;
};

// Edits the selected row's item text in place. The cell is editable only
// for the edit, so that a click or Enter on a row does what it does in the
// menu.
void start_rename(Renaming &renaming) {
    GtkTreeModel *model = nullptr;
    GtkTreeIter iter;
    if (renaming.editing)
        return;
    if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(renaming.view), &model,
                                         &iter)) {
        gtk_widget_error_bell(GTK_WIDGET(renaming.view));
        return;
    }
    TreePathPtr path(gtk_tree_model_get_path(model, &iter));
    g_object_set(renaming.cell, "editable", TRUE, nullptr);
    gtk_tree_view_scroll_to_cell(renaming.view, path.get(), renaming.column, FALSE, 0, 0);
    gtk_tree_view_set_cursor(renaming.view, path.get(), renaming.column, TRUE);
    if (!renaming.editing)
        g_object_set(renaming.cell, "editable", FALSE, nullptr);
}

// Enter in the editor: the new text is the answer, and the dialog ends as
// the Extra button ends other dialogs.
void on_rename_confirmed(GtkEntry *entry, Renaming *renaming) {
    GtkTreeModel *model = gtk_tree_view_get_model(renaming->view);
    TreePathPtr path(gtk_tree_path_new_from_string(renaming->row.c_str()));
    GtkTreeIter iter;
    if (path == nullptr || !gtk_tree_model_get_iter(model, &iter, path.get()))
        return;
    ItemTree *tree = ITEM_TREE(model);
    const char *tag = item_tree_item_text(tree, &iter, ItemText::name);
    // Confirmed unchanged, the text is the item's own, byte for byte.
    const std::string text = field_answer(gtk_entry_get_text(entry),
                                          item_tree_item_text(tree, &iter, ItemText::description));
    renaming->answer = renamed_line(renaming->opts, tag, text.c_str());
    gtk_dialog_response(renaming->dialog, RESPONSE_EXTRA);
}

// Focus that moves elsewhere in the dialog drops the edit. The window
// losing the focus (on Wayland each new virtual keyboard takes it for a
// moment) or the field's own context menu taking it leaves the window's
// focus on the field: the edit goes on.
gboolean on_editor_focus_out(GtkWidget *entry, GdkEvent *, Renaming *renaming) {
    if (gtk_window_get_focus(GTK_WINDOW(renaming->dialog)) == entry)
        return FALSE;
    g_object_set(entry, "editing-canceled", TRUE, nullptr);
    gtk_cell_editable_editing_done(GTK_CELL_EDITABLE(entry));
    gtk_cell_editable_remove_widget(GTK_CELL_EDITABLE(entry));
    return FALSE;
}

// In place of GTK's own rule, which drops the edit whenever the field loses
// the focus, even to another window.
void keep_edit_while_window_is_away(GtkCellRenderer *cell, GtkEntry *entry, Renaming *renaming) {
    const auto by_signal_and_data = GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA);
    g_signal_handlers_block_matched(entry, by_signal_and_data,
                                    g_signal_lookup("focus-out-event", GTK_TYPE_WIDGET), 0, nullptr,
                                    nullptr, cell);
    g_signal_connect(entry, "focus-out-event", signal_handler<on_editor_focus_out>(), renaming);
}

void on_editing_started(GtkCellRenderer *cell, GtkCellEditable *editable, char *path,
                        Renaming *renaming) {
    renaming->editing = true;
    renaming->row = path;
    if (!GTK_IS_ENTRY(editable))
        return;
    GtkEntry *entry = GTK_ENTRY(editable);
    // The new text is part of a one-line answer.
    g_object_set(entry, "truncate-multiline", TRUE, nullptr);
    limit_entry_length(entry, renaming->opts->max_input);
    // TRANSLATORS: what screen readers call the field in which the user
    // types a new text for a row of a menu (--inputmenu).
    set_accessible_name(GTK_WIDGET(entry), _("New item text"));
    g_signal_connect(entry, "activate", signal_handler<on_rename_confirmed>(), renaming);
    keep_edit_while_window_is_away(cell, entry, renaming);
}

void end_editing(Renaming *renaming) {
    renaming->editing = false;
    g_object_set(renaming->cell, "editable", FALSE, nullptr);
}

void on_editing_canceled(GtkCellRenderer *, Renaming *renaming) {
    end_editing(renaming);
}

// An edit left other than by Enter (a click on another row) counts as
// dropped: only Enter confirms.
void on_edited(GtkCellRendererText *, char *, char *, Renaming *renaming) {
    end_editing(renaming);
}

// The Rename button starts an edit instead of ending the dialog; only a
// confirmed edit ends it with that response.
void on_response(GtkDialog *dialog, int response, Renaming *renaming) {
    if (response != RESPONSE_EXTRA || renaming->answer)
        return;
    g_signal_stop_emission_by_name(dialog, "response");
    start_rename(*renaming);
}

bool activated_by_pointer() {
    GdkEvent *event = gtk_get_current_event();
    if (event == nullptr)
        return false;
    const GdkEventType type = gdk_event_get_event_type(event);
    gdk_event_free(event);
    return type == GDK_BUTTON_PRESS || type == GDK_2BUTTON_PRESS || type == GDK_BUTTON_RELEASE ||
           type == GDK_TOUCH_BEGIN || type == GDK_TOUCH_END;
}

// A double click on an item text renames it; Enter on a row, or a double
// click elsewhere in it, presses the default button, as in the menu.
void on_row_activated(GtkTreeView *, GtkTreePath *, GtkTreeViewColumn *column, Renaming *renaming) {
    if (column == renaming->column && activated_by_pointer())
        start_rename(*renaming);
    else
        gtk_window_activate_default(GTK_WINDOW(renaming->dialog));
}

// F2, anywhere in the dialog, renames the selected row.
gboolean on_key_press(GtkWidget *, GdkEventKey *event, Renaming *renaming) {
    const bool plain = (event->state & gtk_accelerator_get_default_mod_mask()) == 0;
    if (event->keyval != GDK_KEY_F2 || !plain || renaming->editing)
        return FALSE;
    start_rename(*renaming);
    return TRUE;
}

// The Extra button renames; it says so unless the script labelled it.
void label_rename_button(GtkDialog *dialog, const DialogConf &conf) {
    GtkWidget *button = gtk_dialog_get_widget_for_response(dialog, RESPONSE_EXTRA);
    if (button == nullptr || conf.extra_label != nullptr)
        return;
    // TRANSLATORS: the button of a menu (--inputmenu) that edits the text of
    // the chosen row in place.
    GCharPtr label = valid_utf8(_("_Rename"));
    gtk_button_set_label(GTK_BUTTON(button), label.get());
}

GtkCellRenderer *first_cell(GtkTreeViewColumn *column) {
    GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
    GtkCellRenderer *cell = GTK_CELL_RENDERER(cells->data);
    g_list_free(cells);
    return cell;
}

void connect_rename_handlers(Renaming &renaming) {
    g_signal_connect(renaming.cell, "editing-started", signal_handler<on_editing_started>(),
                     &renaming);
    g_signal_connect(renaming.cell, "editing-canceled", signal_handler<on_editing_canceled>(),
                     &renaming);
    g_signal_connect(renaming.cell, "edited", signal_handler<on_edited>(), &renaming);
    g_signal_connect(renaming.view, "row-activated", signal_handler<on_row_activated>(), &renaming);
    g_signal_connect(renaming.dialog, "response", signal_handler<on_response>(), &renaming);
    g_signal_connect(renaming.dialog, "key-press-event", signal_handler<on_key_press>(), &renaming);
}

} // namespace

DialogResult dialog_inputmenu(const DialogRequest &request) {
    if (!list_args_ok(ListKind::menu, request.args, request.opts))
        return unexpected_args(request);
    // The Rename button is always there, and so are the item texts it renames.
    DialogRequest shown = request;
    shown.conf.extra_button = true;
    shown.conf.no_descriptions = false;
    // Made before the window, so that it outlives it: an edit still open
    // when the dialog ends (at a timeout) ends as the window is destroyed,
    // and its handlers run then.
    const Options *opts = &request.opts;
    Renaming renaming{.opts = opts};
    DialogWindow dialog(shown, help_on_f1(shown.conf));
    ListView list = list_view_new(dialog, ListKind::menu, shown);
    label_rename_button(dialog.dialog(), shown.conf);

    renaming.dialog = dialog.dialog();
    renaming.view = list.view;
    renaming.column = list.descriptions;
    renaming.cell = first_cell(list.descriptions);
    connect_rename_handlers(renaming);
    DialogAnswer answer;
    answer.write = [&] {
        if (renaming.answer)
            return write_all(opts->output_fd, *renaming.answer);
        return print_selected_item(opts, list.view, ListKind::menu, nullptr);
    };
    answer.write_help = [&] {
        return print_selected_item(opts, list.view, ListKind::menu, "HELP ");
    };
    return run_dialog(dialog, answer);
}
