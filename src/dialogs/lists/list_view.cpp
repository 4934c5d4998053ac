#include "dialogs/lists/list_view.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "dialogs/lists/columns.h"
#include "dialogs/lists/item_model.h"
#include "dialogs/lists/item_tree.h"
#include "dialogs/lists/widest_rows.h"
#include "frame/buttons.h"
#include "frame/callbacks.h"

namespace {

// A column of the view and the member of the item it shows (none for the
// toggle).
struct ShownColumn {
    GtkTreeViewColumn *column;
    std::optional<ItemText> text;
};

void on_name_cell_data(GtkTreeViewColumn *, GtkCellRenderer *cell, GtkTreeModel *model,
                       GtkTreeIter *iter, gpointer data) {
    GCharPtr name;
    gtk_tree_model_get(model, iter, GPOINTER_TO_INT(data), static_cast<char **>(out(name)), -1);
    ShownText shown = shown_text(name.get());
    g_object_set(cell, "text", shown.text, nullptr);
}

// Type-ahead compares the key with the text the column shows, so that a
// name that is not valid UTF-8 is found by its repaired form. Returns FALSE
// for a match, as GTK expects.
gboolean on_search_equal(GtkTreeModel *model, int column, const char *key, GtkTreeIter *iter,
                         gpointer) {
    GCharPtr text;
    gtk_tree_model_get(model, iter, column, static_cast<char **>(out(text)), -1);
    ShownText shown = shown_text(text.get());
    if (shown.text == nullptr)
        return TRUE;
    GCharPtr row(g_utf8_normalize(shown.text, -1, G_NORMALIZE_ALL));
    GCharPtr typed(g_utf8_normalize(key, -1, G_NORMALIZE_ALL));
    if (row == nullptr || typed == nullptr)
        return TRUE;
    GCharPtr row_folded(g_utf8_casefold(row.get(), -1));
    GCharPtr typed_folded(g_utf8_casefold(typed.get(), -1));
    return !g_str_has_prefix(row_folded.get(), typed_folded.get());
}

void append_text_column(GtkTreeView *view, int model_column, bool expand) {
    GtkCellRenderer *cell = gtk_cell_renderer_text_new();
    GtkTreeViewColumn *column =
        gtk_tree_view_column_new_with_attributes("", cell, "text", model_column, nullptr);
    gtk_tree_view_column_set_expand(column, expand);
    gtk_tree_view_append_column(view, column);
}

void append_toggle_column(GtkTreeView *view, bool radio, GtkCellRenderer **toggle) {
    GtkCellRenderer *cell = gtk_cell_renderer_toggle_new();
    gtk_cell_renderer_toggle_set_radio(GTK_CELL_RENDERER_TOGGLE(cell), radio);
    GtkTreeViewColumn *column = gtk_tree_view_column_new_with_attributes(
        "", cell, "active", TOGGLE_LIST_COLUMNS.state, nullptr);
    gtk_tree_view_append_column(view, column);
    *toggle = cell;
}

void append_name_column(GtkTreeView *view, int model_column) {
    GtkCellRenderer *cell = gtk_cell_renderer_text_new();
    GtkTreeViewColumn *column = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(column, "");
    gtk_tree_view_column_pack_start(column, cell, TRUE);
    gtk_tree_view_column_set_cell_data_func(column, cell, on_name_cell_data,
                                            GINT_TO_POINTER(model_column), nullptr);
    gtk_tree_view_append_column(view, column);
}

// The member each of the view's columns shows, in their order: prefix,
// toggle (no member), name and description, as far as the dialog shows them.
std::vector<std::optional<ItemText>> column_members(ListKind kind, const DialogConf *conf,
                                                    const Options *opts) {
    std::vector<std::optional<ItemText>> members;
    if (opts->item_prefix)
        members.emplace_back(ItemText::prefix);
    if (kind != ListKind::menu && kind != ListKind::buildlist)
        members.emplace_back(std::nullopt);
    if (kind != ListKind::treeview && !conf->no_names)
        members.emplace_back(ItemText::name);
    if (!conf->no_descriptions)
        members.emplace_back(ItemText::description);
    return members;
}

// The view's columns, made by add_view_columns, with their members.
std::vector<ShownColumn> shown_columns(GtkTreeView *view, ListKind kind, const DialogConf *conf,
                                       const Options *opts) {
    std::vector<ShownColumn> shown;
    int index = 0;
    for (std::optional<ItemText> member : column_members(kind, conf, opts))
        shown.push_back({gtk_tree_view_get_column(view, index++), member});
    return shown;
}

// The columns of column_members. Returns the toggle's renderer, or null for
// a list without one.
GtkCellRenderer *add_view_columns(GtkTreeView *view, ListKind kind, const DialogConf *conf,
                                  const Options *opts) {
    const ItemColumns &columns = item_columns(kind);
    GtkCellRenderer *toggle = nullptr;
    bool shows_names = false;
    for (std::optional<ItemText> member : column_members(kind, conf, opts)) {
        if (!member)
            append_toggle_column(view, kind != ListKind::checklist, &toggle);
        else if (*member == ItemText::prefix)
            append_text_column(view, columns.prefix, false);
        else if (*member == ItemText::name)
            append_name_column(view, columns.name);
        else
            append_text_column(view, columns.description, true);
        shows_names = shows_names || member == ItemText::name;
    }

    // Type-ahead finds items by what the user sees.
    gtk_tree_view_set_search_column(view, shows_names ? columns.name : columns.description);
    gtk_tree_view_set_search_equal_func(view, on_search_equal, nullptr, nullptr);
    return toggle;
}

bool lookup_row(GtkTreeModel *model, const char *path_string, GtkTreeIter *iter) {
    TreePathPtr path(gtk_tree_path_new_from_string(path_string));
    return path != nullptr && gtk_tree_model_get_iter(model, iter, path.get());
}

void on_check_toggled(GtkCellRendererToggle *cell, char *path_string, GtkTreeModel *model) {
    GtkTreeIter iter;
    if (lookup_row(model, path_string, &iter))
        set_item_state(model, &iter, !gtk_cell_renderer_toggle_get_active(cell));
}

void on_check_row_activated(GtkTreeView *view, GtkTreePath *path, GtkTreeViewColumn *, gpointer) {
    GtkTreeModel *model = gtk_tree_view_get_model(view);
    GtkTreeIter iter;
    if (!gtk_tree_model_get_iter(model, &iter, path))
        return;
    set_item_state(model, &iter, !item_checked(model, &iter));
}

// gtk_tree_model_foreach callback: turns the first checked row off.
gboolean clear_first_checked(GtkTreeModel *model, GtkTreePath *, GtkTreeIter *iter, gpointer) {
    const bool checked = item_checked(model, iter);
    if (checked)
        set_item_state(model, iter, false);
    return checked;
}

// The mark moves: the row that is on goes off, then the chosen row goes on.
void on_radio_toggled(GtkCellRendererToggle *, char *path_string, GtkTreeModel *model) {
    TreePathPtr path(gtk_tree_path_new_from_string(path_string));
    if (path == nullptr)
        return;
    gtk_tree_model_foreach(model, clear_first_checked, nullptr);
    GtkTreeIter iter;
    if (gtk_tree_model_get_iter(model, &iter, path.get()))
        set_item_state(model, &iter, true);
}

void on_radio_row_activated(GtkTreeView *view, GtkTreePath *path, GtkTreeViewColumn *, gpointer) {
    GtkTreeModel *model = gtk_tree_view_get_model(view);
    gtk_tree_model_foreach(model, clear_first_checked, nullptr);
    GtkTreeIter iter;
    if (gtk_tree_model_get_iter(model, &iter, path))
        set_item_state(model, &iter, true);
}

// What fixing the rows' sizes needs to know of the items: the row to
// measure in each shown column, none when the column has no text.
struct RowSizing {
    bool single_line = true;
    std::vector<std::optional<size_t>> measured;
};

// Measured in the font of the view, which its window's style sets.
RowSizing plan_row_sizing(GtkTreeView *view, const ItemArgs &items,
                          const std::vector<ShownColumn> &shown) {
    RowSizing sizing;
    std::vector<ItemText> texts;
    for (const ShownColumn &column : shown) {
        if (column.text)
            texts.push_back(*column.text);
    }
    GObjectPtr<PangoLayout> layout(gtk_widget_create_pango_layout(GTK_WIDGET(view), nullptr));
    LayoutTextWidths widths(layout.get());
    std::optional<std::vector<std::optional<size_t>>> widest = widest_rows(items, texts, widths);
    if (!widest) {
        sizing.single_line = false;
        return sizing;
    }
    // The toggle is as wide in every row.
    auto next_text = widest->begin();
    for (const ShownColumn &column : shown) {
        if (column.text)
            sizing.measured.push_back(*next_text++);
        else if (items.size() > 0)
            sizing.measured.push_back(0);
        else
            sizing.measured.emplace_back();
    }
    return sizing;
}

// The width of a row's cells in a column, as the view would measure them.
int cell_width(GtkTreeViewColumn *column, GtkTreeModel *model, std::optional<size_t> row) {
    GtkTreeIter iter;
    if (!row || !item_tree_iter_of(ITEM_TREE(model), *row, &iter))
        return 0;
    const bool parent = gtk_tree_model_iter_has_child(model, &iter);
    gtk_tree_view_column_cell_set_cell_data(column, model, &iter, parent, parent);
    int width = 0;
    gtk_tree_view_column_cell_get_size(column, nullptr, nullptr, nullptr, &width, nullptr);
    return width;
}

// Rows of one line each are as tall as one another, so the view need not
// measure every row before it can show any (its fixed-height mode), which
// for a long list is most of the time it takes to show. Each column is then
// given the width the view would have found: its widest cell, plus the
// separator that the view adds and, in the expander column, an expander
// and the indentation for each level of the deepest row.
void fix_row_sizes(GtkTreeView *view, GtkTreeModel *model, const std::vector<ShownColumn> &shown,
                   const RowSizing &sizing) {
    int separator = 0;
    int expander_size = 0;
    gtk_widget_style_get(GTK_WIDGET(view), "horizontal-separator", &separator, "expander-size",
                         &expander_size, nullptr);
    const int expander = expander_size + separator / 2;
    GtkTreeViewColumn *expander_column = gtk_tree_view_get_expander_column(view);
    const int deepest = item_tree_deepest(ITEM_TREE(model));
    for (size_t i = 0; i < shown.size(); ++i) {
        GtkTreeViewColumn *column = shown[i].column;
        int padding = separator;
        if (column == expander_column) {
            padding += (deepest - 1) * gtk_tree_view_get_level_indentation(view);
            if (gtk_tree_view_get_show_expanders(view))
                padding += deepest * expander;
        }
        const int width = cell_width(column, model, sizing.measured[i]) + padding;
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_fixed_width(column, width);
    }
    gtk_tree_view_set_fixed_height_mode(view, TRUE);
}

// A view in its scroller, with the dialog's columns, a row selected at a
// time, and no model yet.
GtkTreeView *new_item_view(ListKind kind, const DialogRequest &request, GtkWidget **scroller) {
    const DialogConf *conf = &request.conf;
    const Options *opts = &request.opts;
    GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    if (!conf->shadow)
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);

    GtkTreeView *view = GTK_TREE_VIEW(gtk_tree_view_new());
    gtk_tree_view_set_headers_visible(view, FALSE);
    if (opts->item_bottom_desc)
        gtk_tree_view_set_tooltip_column(view, item_columns(kind).bottom);
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(view), GTK_SELECTION_BROWSE);
    gtk_container_add(GTK_CONTAINER(scrolled), GTK_WIDGET(view));
    *scroller = scrolled;
    return view;
}

GtkTreeViewColumn *description_column(const std::vector<ShownColumn> &shown) {
    for (const ShownColumn &column : shown) {
        if (column.text == ItemText::description)
            return column.column;
    }
    return nullptr;
}

} // namespace

ListView list_view_new(DialogWindow &dialog, ListKind kind, const DialogRequest &request) {
    const DialogConf *conf = &request.conf;
    const Options *opts = &request.opts;
    const ItemArgs items(kind, request.args, opts);
    std::vector<int> parents = item_parents(kind, items, opts);

    GtkWidget *scrolled = nullptr;
    GtkTreeView *view = new_item_view(kind, request, &scrolled);
    dialog.label_input(GTK_WIDGET(view));
    GtkCellRenderer *toggle = add_view_columns(view, kind, conf, opts);
    const std::vector<ShownColumn> shown = shown_columns(view, kind, conf, opts);
    std::optional<GtkTreeIter> default_row;
    GtkTreeModel *model =
        item_model_new(kind, items, std::move(parents), opts->default_item, default_row);

    gtk_box_pack_start(GTK_BOX(dialog.content()), scrolled, TRUE, TRUE, 0);
    gtk_widget_show_all(scrolled);
    // Measured in the window, whose style sets the font, and before the
    // view holds the model: a change of sizing then walks no rows.
    const RowSizing sizing = plan_row_sizing(view, items, shown);
    if (sizing.single_line)
        fix_row_sizes(view, model, shown, sizing);
    gtk_tree_view_set_model(view, model);

    // Expanded before selecting, so that a default item nested under
    // another row can be selected too.
    if (item_tree_nests(ITEM_TREE(model)))
        gtk_tree_view_expand_all(view);
    if (default_row) {
        gtk_tree_selection_select_iter(gtk_tree_view_get_selection(view), &*default_row);
        // Deferred by GTK until the view is laid out, so that the row the
        // user answers with is in sight.
        TreePathPtr path(gtk_tree_model_get_path(model, &*default_row));
        gtk_tree_view_scroll_to_cell(view, path.get(), nullptr, TRUE, 0.5, 0.0);
    }
    add_standard_buttons(dialog.dialog(), conf);
    return ListView{view, GObjectPtr<GtkTreeModel>(model), toggle, description_column(shown)};
}

PartView part_view_new(ListKind kind, const DialogRequest &request) {
    PartView part{};
    part.view = new_item_view(kind, request, &part.scroller);
    add_view_columns(part.view, kind, &request.conf, &request.opts);
    return part;
}

void set_part_models(std::span<const PartView> parts, std::span<GtkTreeModel *const> models,
                     GtkTreeModel *tree, ListKind kind, const DialogRequest &request) {
    const DialogConf *conf = &request.conf;
    const Options *opts = &request.opts;
    const ItemArgs items(kind, request.args, opts);
    // The views' columns are alike, and any item may come to stand in any
    // of them: measured once, the rows fit every item in every view.
    const RowSizing sizing =
        plan_row_sizing(parts[0].view, items, shown_columns(parts[0].view, kind, conf, opts));
    for (size_t i = 0; i < parts.size(); ++i) {
        GtkTreeView *view = parts[i].view;
        if (sizing.single_line)
            fix_row_sizes(view, tree, shown_columns(view, kind, conf, opts), sizing);
        gtk_tree_view_set_model(view, models[i]);
    }
}

void connect_check_handlers(ListView &list) {
    g_signal_connect(list.toggle, "toggled", signal_handler<on_check_toggled>(), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_check_row_activated), nullptr);
}

void connect_radio_handlers(ListView &list) {
    g_signal_connect(list.toggle, "toggled", signal_handler<on_radio_toggled>(), list.model.get());
    g_signal_connect(list.view, "row-activated", G_CALLBACK(on_radio_row_activated), nullptr);
}
