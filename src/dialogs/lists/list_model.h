// What checklist, radiolist, menu and treeview share: the item grammar, the
// parent rule for nested rows, the item models and the list window.
#pragma once

#include <gtk/gtk.h>
#include <span>
#include <vector>

#include "core/records.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"

enum class ListKind { checklist, radiolist, menu, treeview };

// Positions of the members inside one item group; -1 for an absent member.
struct ItemLayout {
    int group_size;
    int prefix;
    int depth;
    int name;
    int description;
    int state;
    int bottom;
};

ItemLayout item_layout(ListKind kind, const Options *opts);

// menurows and the group count are right. Only the checks; see check_list_args.
bool list_args_valid(std::span<const char *const> args, int group_size);

// The arguments of this kind of list are right for the options given.
bool list_args_ok(ListKind kind, std::span<const char *const> args, const Options &opts);

// One item as given on the command line; strings are borrowed from args.
struct ItemRow {
    const char *prefix;
    int depth;
    const char *name;
    const char *description;
    bool on;
    const char *bottom;
};

// "on" in any letter case.
bool state_word_on(const char *word);

// The items in argument order, with the radio rule applied: in a radiolist
// or treeview only the first item marked on starts on.
std::vector<ItemRow> parse_item_rows(ListKind kind, std::span<const char *const> args,
                                     const Options *opts);

// Checklist and menu look for a parent among the top-level rows only;
// radiolist and treeview among all rows.
enum class ParentSearch { top_level, whole_model };

// For each row the index of its parent row, or -1 for a top-level row: the
// last searched row whose depth is strictly less than the row's own, when
// that depth is above 0.
std::vector<int> find_parents(const std::vector<int> &depths, ParentSearch search);

// Which search, if any, nests this dialog's rows.
bool list_nests(ListKind kind, const Options *opts);
ParentSearch parent_search(ListKind kind);

// The model's name, description and bottom-description columns.
int name_column(ListKind kind);
int description_column(ListKind kind);
int bottom_column(ListKind kind);

// Sets the state column of a row of a checklist, radiolist or treeview
// model. The menu's model has no state: its column 1, the depth, refuses
// the value with a warning.
void set_item_state(GtkTreeModel *model, GtkTreeIter *iter, bool on);

// gtk_tree_model_foreach callback: turns the first checked row off.
gboolean clear_first_checked(GtkTreeModel *model, GtkTreePath *path, GtkTreeIter *iter,
                             gpointer data);

// The list of a list dialog. toggle is null for the menu.
struct ListView {
    GtkTreeView *view;
    GObjectPtr<GtkTreeModel> model;
    GtkCellRenderer *toggle;
};

// Fills the dialog (whose arguments list_args_ok accepted) with the filled
// model and its view, the default item selected, and the standard buttons.
// The caller connects its handlers.
ListView list_view_new(DialogWindow &dialog, ListKind kind, const DialogRequest &request);

// The radio behaviour of radiolist and treeview.
void connect_radio_handlers(ListView &list);
