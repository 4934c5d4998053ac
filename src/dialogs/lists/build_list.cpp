// The buildlist: the items in two lists, those that are off and those that
// are on, each in argument order; the user moves items between them and the
// answer is the checklist's, the names of the items that are on. Both lists
// are parts of one item model (ItemPart), which keeps each item's state.
#include <memory>
#include <optional>
#include <vector>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "dialogs/lists/answers.h"
#include "dialogs/lists/item_model.h"
#include "dialogs/lists/item_part.h"
#include "dialogs/lists/list_view.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"
#include "frame/help.h"

namespace {

constexpr ListKind KIND = ListKind::buildlist;

struct BuildList {
    GtkWindow *window;
    GtkTreeModel *items; // every item, its state saying in which list it stands
    GtkTreeView *off;    // at the start of the line: left, or right in a right-to-left language
    GtkTreeView *on;
    GtkTreeView *last_focused; // whose selection HELP answers
};

GtkTreeView *other_list(const BuildList *list, GtkTreeView *view) {
    return view == list->off ? list->on : list->off;
}

ItemPart *part_of(GtkTreeView *view) {
    return ITEM_PART(gtk_tree_view_get_model(view));
}

// The item becomes the cursor of the list it moves to, so that the same
// key or button there moves it back.
void move_item(BuildList *list, GtkTreeView *from, GtkTreeIter *shown) {
    GtkTreeView *to = other_list(list, from);
    GtkTreeIter moved;
    if (!item_part_move(part_of(from), part_of(to), shown, &moved))
        return;
    TreePathPtr path(gtk_tree_model_get_path(GTK_TREE_MODEL(part_of(to)), &moved));
    gtk_tree_view_set_cursor(to, path.get(), nullptr, FALSE);
}

void move_selected_item(BuildList *list, GtkTreeView *from) {
    GtkTreeIter shown;
    if (gtk_tree_selection_get_selected(gtk_tree_view_get_selection(from), nullptr, &shown))
        move_item(list, from, &shown);
}

// Space acts on the row under the keyboard cursor.
void move_cursor_item(BuildList *list, GtkTreeView *from) {
    TreePathPtr path;
    gtk_tree_view_get_cursor(from, out(path), nullptr);
    GtkTreeIter shown;
    if (path != nullptr &&
        gtk_tree_model_get_iter(gtk_tree_view_get_model(from), &shown, path.get()))
        move_item(list, from, &shown);
}

// A double click, or Enter in the field where the user types to find an
// item (GTK's row activation). Enter in the list itself, which GTK also
// takes for one, is kept for the default button, as in the other dialogs.
void on_row_activated(GtkTreeView *view, GtkTreePath *path, GtkTreeViewColumn *, BuildList *list) {
    GtkTreeIter shown;
    if (gtk_tree_model_get_iter(gtk_tree_view_get_model(view), &shown, path))
        move_item(list, view, &shown);
}

void on_add_clicked(GtkButton *, BuildList *list) {
    move_selected_item(list, list->off);
}

void on_remove_clicked(GtkButton *, BuildList *list) {
    move_selected_item(list, list->on);
}

bool is_enter(guint key) {
    return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter;
}

// The list on that side of the window: the lists swap sides in a
// right-to-left language, as the window's other contents do.
GtkTreeView *list_on_side(const BuildList *list, bool left) {
    const bool rtl = gtk_widget_get_direction(GTK_WIDGET(list->off)) == GTK_TEXT_DIR_RTL;
    return left != rtl ? list->off : list->on;
}

// GTK's own Space only selects a row that has nothing to toggle.
gboolean on_list_key(GtkWidget *view, GdkEventKey *event, BuildList *list) {
    if (is_enter(event->keyval)) {
        gtk_window_activate_default(list->window);
        return TRUE;
    }
    if (event->keyval == GDK_KEY_space || event->keyval == GDK_KEY_KP_Space) {
        move_cursor_item(list, GTK_TREE_VIEW(view));
        return TRUE;
    }
    std::optional<bool> left;
    if (event->keyval == GDK_KEY_Left || event->keyval == GDK_KEY_KP_Left)
        left = true;
    else if (event->keyval == GDK_KEY_Right || event->keyval == GDK_KEY_KP_Right)
        left = false;
    if (!left)
        return FALSE;
    GtkTreeView *target = list_on_side(list, *left);
    if (GTK_WIDGET(target) != view)
        gtk_widget_grab_focus(GTK_WIDGET(target));
    return TRUE;
}

// A list that gets the focus shows where Space acts: GTK gives a view its
// cursor only once a key moves it.
void ensure_cursor(GtkTreeView *view) {
    TreePathPtr cursor;
    gtk_tree_view_get_cursor(view, out(cursor), nullptr);
    if (cursor != nullptr ||
        gtk_tree_model_iter_n_children(gtk_tree_view_get_model(view), nullptr) == 0)
        return;
    TreePathPtr first(gtk_tree_path_new_first());
    gtk_tree_view_set_cursor(view, first.get(), nullptr, FALSE);
}

gboolean on_list_focus_in(GtkWidget *view, GdkEvent *, BuildList *list) {
    list->last_focused = GTK_TREE_VIEW(view);
    ensure_cursor(GTK_TREE_VIEW(view));
    return FALSE;
}

// Neither takes the focus, so that Tab goes from one list straight to the
// other; the mnemonic and the pointer still press them.
GtkWidget *new_move_button(const char *label, const char *icon) {
    GtkWidget *button = gtk_button_new_with_mnemonic(label);
    // GTK draws the arrow's mirror image in a right-to-left language.
    gtk_button_set_image(GTK_BUTTON(button),
                         gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_BUTTON));
    gtk_button_set_always_show_image(GTK_BUTTON(button), TRUE);
    gtk_widget_set_can_focus(button, FALSE);
    return button;
}

// The row named --default-item is the cursor of its list, in sight, and
// that list has the focus; without one, the first list that has items does.
void place_focus(BuildList *list, std::optional<GtkTreeIter> default_row) {
    GtkTreeView *first = list->off;
    if (gtk_tree_model_iter_n_children(gtk_tree_view_get_model(first), nullptr) == 0)
        first = list->on;
    if (default_row) {
        first = item_checked(list->items, &*default_row) ? list->on : list->off;
        GtkTreeIter shown;
        if (item_part_iter_of(part_of(first), &*default_row, &shown)) {
            TreePathPtr path(gtk_tree_model_get_path(gtk_tree_view_get_model(first), &shown));
            gtk_tree_view_set_cursor(first, path.get(), nullptr, FALSE);
            gtk_tree_view_scroll_to_cell(first, path.get(), nullptr, TRUE, 0.5, 0.0);
        }
    }
    ensure_cursor(first);
    gtk_widget_grab_focus(GTK_WIDGET(first));
    list->last_focused = first;
}

void connect_list(GtkTreeView *view, BuildList *list) {
    g_signal_connect(view, "row-activated", signal_handler<on_row_activated>(), list);
    g_signal_connect(view, "key-press-event", signal_handler<on_list_key>(), list);
    g_signal_connect(view, "focus-in-event", signal_handler<on_list_focus_in>(), list);
}

// The two lists with the buttons between them, in a row that fills the
// dialog.
struct ListsRow {
    GtkWidget *row;
    GtkWidget *add;
    GtkWidget *remove;
};

ListsRow new_lists_row(const PartView &off, const PartView &on, BuildList *list) {
    GtkWidget *add = new_move_button(_("_Add"), "go-next-symbolic");
    GtkWidget *remove = new_move_button(_("_Remove"), "go-previous-symbolic");
    g_signal_connect(add, "clicked", signal_handler<on_add_clicked>(), list);
    g_signal_connect(remove, "clicked", signal_handler<on_remove_clicked>(), list);

    GtkWidget *buttons = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_widget_set_valign(buttons, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(buttons), add, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), remove, FALSE, FALSE, 0);

    GtkWidget *row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_pack_start(GTK_BOX(row), off.scroller, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), buttons, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), on.scroller, TRUE, TRUE, 0);
    return {row, add, remove};
}

// Only once the lists hold their models: naming a view makes its
// accessible, which is then told of each cell a model brings, one signal
// at a time, and of each cell again when the window goes.
void describe_for_screen_readers(const ListsRow &row, const BuildList *list) {
    // Each list is named for what it holds; the dialog text, which speaks
    // of both, labels neither.
    // TRANSLATORS: a screen reader's name for the buildlist's list of the
    // items that are not part of the answer.
    set_accessible_name(GTK_WIDGET(list->off), _("Available items"));
    // TRANSLATORS: a screen reader's name for the buildlist's list of the
    // items that make up the answer.
    set_accessible_name(GTK_WIDGET(list->on), _("Chosen items"));
    relate_control(row.add, GTK_WIDGET(list->off));
    relate_control(row.remove, GTK_WIDGET(list->on));
}

} // namespace

DialogResult dialog_buildlist(const DialogRequest &request) {
    if (!list_args_ok(KIND, request.args, request.opts))
        return unexpected_args(request);
    const Options *opts = &request.opts;
    DialogWindow dialog(request, help_on_f1(request.conf));
    const ItemArgs args(KIND, request.args, opts);
    std::optional<GtkTreeIter> default_row;
    GObjectPtr<GtkTreeModel> items(item_model_new(KIND, args, {}, opts->default_item, default_row));
    std::vector<bool> starts_on(args.size());
    for (size_t row = 0; row < args.size(); ++row)
        starts_on[row] = args.starts_on(row);
    auto index = std::make_shared<PartIndex>(starts_on);
    GObjectPtr<GtkTreeModel> off_items(GTK_TREE_MODEL(item_part_new(items.get(), index, false)));
    GObjectPtr<GtkTreeModel> on_items(GTK_TREE_MODEL(item_part_new(items.get(), index, true)));

    const PartView parts[] = {part_view_new(KIND, request), part_view_new(KIND, request)};
    BuildList list{GTK_WINDOW(dialog.widget()), items.get(), parts[0].view, parts[1].view,
                   parts[0].view};
    const ListsRow row = new_lists_row(parts[0], parts[1], &list);
    gtk_box_pack_start(GTK_BOX(dialog.content()), row.row, TRUE, TRUE, 0);
    gtk_widget_show_all(row.row);
    GtkTreeModel *const models[] = {off_items.get(), on_items.get()};
    set_part_models(parts, models, items.get(), KIND, request);
    describe_for_screen_readers(row, &list);
    connect_list(list.off, &list);
    connect_list(list.on, &list);
    add_standard_buttons(dialog.dialog(), &request.conf);
    place_focus(&list, default_row);

    return run_dialog(
        dialog, {[&] { return print_checked_list(opts, items.get()); },
                 [&] { return print_selected_item(opts, list.last_focused, KIND, "HELP "); }});
}
