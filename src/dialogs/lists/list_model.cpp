#include "dialogs/lists/list_model.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "dialogs/lists/item_tree.h"
#include "frame/buttons.h"
#include "frame/text.h"
#include "frame/window.h"
#include "frame/writer.h"

ItemLayout item_layout(ListKind kind, const Options *opts) {
    ItemLayout layout{};
    int next = 0;
    layout.prefix = opts->item_prefix ? next++ : -1;
    // The treeview always has a depth, and takes it after the state word.
    layout.depth = kind != ListKind::treeview && opts->item_depth ? next++ : -1;
    layout.name = next++;
    layout.description = next++;
    layout.state = kind != ListKind::menu ? next++ : -1;
    if (kind == ListKind::treeview)
        layout.depth = next++;
    layout.bottom = opts->item_bottom_desc ? next++ : -1;
    layout.group_size = next;
    return layout;
}

bool list_args_valid(std::span<const char *const> args, int group_size) {
    const int argc = static_cast<int>(args.size());
    if (argc < 1 || strtol(args[0], nullptr, 10) < 0)
        return false;
    return (argc - 1) % group_size == 0;
}

bool list_args_ok(ListKind kind, std::span<const char *const> args, const Options &opts) {
    return list_args_valid(args, item_layout(kind, &opts).group_size);
}

bool state_word_on(const char *word) {
    return g_ascii_strcasecmp(word, "on") == 0;
}

static int read_depth(const char *text) {
    long depth = strtol(text, nullptr, 10);
    if (depth > INT_MAX)
        return INT_MAX;
    return depth < INT_MIN ? INT_MIN : static_cast<int>(depth);
}

std::vector<ItemRow> parse_item_rows(ListKind kind, std::span<const char *const> args,
                                     const Options *opts) {
    const int argc = static_cast<int>(args.size());
    const ItemLayout layout = item_layout(kind, opts);
    const bool radio = kind == ListKind::radiolist || kind == ListKind::treeview;
    bool radio_taken = false;
    std::vector<ItemRow> rows;
    rows.reserve((argc - 1) / layout.group_size);
    for (int base = 1; base + layout.group_size <= argc; base += layout.group_size) {
        const char *const *group = args.data() + base;
        ItemRow row{};
        row.prefix = layout.prefix >= 0 ? group[layout.prefix] : nullptr;
        row.depth = layout.depth >= 0 ? read_depth(group[layout.depth]) : 0;
        row.name = group[layout.name];
        row.description = group[layout.description];
        row.on = layout.state >= 0 && state_word_on(group[layout.state]);
        if (radio) {
            row.on = row.on && !radio_taken;
            radio_taken = radio_taken || row.on;
        }
        row.bottom = layout.bottom >= 0 ? group[layout.bottom] : nullptr;
        rows.push_back(row);
    }
    return rows;
}

// The candidates form a stack of rows of strictly increasing depth: a row
// is shadowed for good by any later candidate that is not deeper than it.
// So the parent is the top of the stack once the rows at least as deep as
// the new one are popped, and each row is pushed and popped at most once.
// In the top-level search only top-level rows become candidates; a nested
// row pops nothing there, because a top-level row deeper than 0 has no
// shallower top-level row before it and so always sits at the bottom.
std::vector<int> find_parents(const std::vector<int> &depths, ParentSearch search) {
    std::vector<int> parents(depths.size(), -1);
    std::vector<int> candidates;
    for (size_t row = 0; row < depths.size(); ++row) {
        const int depth = depths[row];
        while (!candidates.empty() && depths[candidates.back()] >= depth)
            candidates.pop_back();
        if (depth > 0 && !candidates.empty())
            parents[row] = candidates.back();
        if (search == ParentSearch::whole_model || parents[row] == -1)
            candidates.push_back(static_cast<int>(row));
    }
    return parents;
}

bool list_nests(ListKind kind, const Options *opts) {
    return kind == ListKind::treeview || opts->item_depth;
}

ParentSearch parent_search(ListKind kind) {
    if (kind == ListKind::checklist || kind == ListKind::menu)
        return ParentSearch::top_level;
    return ParentSearch::whole_model;
}

// Six-column item model: prefix, state, depth, name, description, bottom
// description. The menu's five columns lack the state.
int name_column(ListKind kind) {
    return kind == ListKind::menu ? 2 : ITEM_NAME_COLUMN;
}
int description_column(ListKind kind) {
    return name_column(kind) + 1;
}
int bottom_column(ListKind kind) {
    return name_column(kind) + 2;
}

void set_item_state(GtkTreeModel *model, GtkTreeIter *iter, bool on) {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_BOOLEAN);
    g_value_set_boolean(&value, on);
    item_tree_set_value(ITEM_TREE(model), iter, ITEM_STATE_COLUMN, &value);
}

namespace {

// Text for a column that GTK only displays: the original when it is valid
// UTF-8, a repaired copy otherwise.
struct ShownText {
    GCharPtr copy;
    const char *text;
};

ShownText shown_text(const char *text) {
    if (text == nullptr || g_utf8_validate(text, -1, nullptr))
        return {nullptr, text};
    GCharPtr copy = valid_utf8(text);
    const char *repaired = copy.get();
    return {std::move(copy), repaired};
}

// GTK reads the tooltip column as markup and complains on standard error
// about markup it cannot parse: such text is shown literally instead.
// A help text longer than this many bytes is cut and shown literally: GTK
// cannot draw a tooltip of any size, and complains on standard error.
constexpr size_t TOOLTIP_MAX_BYTES = 4096;

ShownText tooltip_text(const char *text) {
    ShownText shown = shown_text(text);
    if (shown.text == nullptr)
        return shown;
    if (strlen(shown.text) > TOOLTIP_MAX_BYTES) {
        const char *cut = g_utf8_find_prev_char(shown.text, shown.text + TOOLTIP_MAX_BYTES + 1);
        GCharPtr head(g_strndup(shown.text, cut - shown.text));
        GCharPtr escaped(g_markup_escape_text(head.get(), -1));
        GCharPtr capped(g_strconcat(escaped.get(), "\u2026", nullptr));
        const char *literal = capped.get();
        return {std::move(capped), literal};
    }
    if (pango_parse_markup(shown.text, -1, 0, nullptr, nullptr, nullptr, nullptr))
        return shown;
    GCharPtr escaped(g_markup_escape_text(shown.text, -1));
    const char *literal = escaped.get();
    return {std::move(escaped), literal};
}

// An empty item model: six columns, or the menu's five.
ItemTree *item_model_columns(ListKind kind) {
    GType six[] = {G_TYPE_STRING, G_TYPE_BOOLEAN, G_TYPE_INT,
                   G_TYPE_STRING, G_TYPE_STRING,  G_TYPE_STRING};
    GType menu[] = {G_TYPE_STRING, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING};
    if (kind == ListKind::menu)
        return item_tree_new(5, menu);
    return item_tree_new(6, six);
}

// Values for one row, in column order, borrowed for the store to copy.
struct RowValues {
    GValue values[6] = {};
    int count = 0;

    GValue *next(GType type) { return g_value_init(&values[count++], type); }
    void put_string(const char *text) { g_value_set_static_string(next(G_TYPE_STRING), text); }
};

void add_item_row(ItemTree *tree, ListKind kind, const ItemRow &row, GtkTreeIter *parent,
                  GtkTreeIter *iter) {
    ShownText prefix = shown_text(row.prefix);
    ShownText description = shown_text(row.description);
    ShownText bottom = tooltip_text(row.bottom);
    RowValues row_values;
    row_values.put_string(prefix.text);
    if (kind != ListKind::menu)
        g_value_set_boolean(row_values.next(G_TYPE_BOOLEAN), row.on);
    g_value_set_int(row_values.next(G_TYPE_INT), row.depth);
    // The name keeps its bytes: it is the answer. Its column shows a
    // repaired copy (see on_name_cell_data).
    row_values.put_string(row.name);
    row_values.put_string(description.text);
    row_values.put_string(bottom.text);
    item_tree_append(tree, parent, row_values.values, row_values.count, iter);
}

// A new item model holding the rows under their parents; default_row is
// the last row named default_item.
GtkTreeModel *item_model_new(ListKind kind, const std::vector<ItemRow> &items,
                             const std::vector<int> &parents, const char *default_item,
                             std::optional<GtkTreeIter> &default_row) {
    ItemTree *tree = item_model_columns(kind);
    item_tree_reserve(tree, items.size());
    // Iterators stay valid while rows are added.
    std::vector<GtkTreeIter> iters(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        add_item_row(tree, kind, items[i], parents[i] >= 0 ? &iters[parents[i]] : nullptr,
                     &iters[i]);
        if (default_item != nullptr && strcmp(default_item, items[i].name) == 0)
            default_row = iters[i];
    }
    return GTK_TREE_MODEL(tree);
}

void on_name_cell_data(GtkTreeViewColumn *, GtkCellRenderer *cell, GtkTreeModel *model,
                       GtkTreeIter *iter, gpointer data) {
    char *name = nullptr;
    gtk_tree_model_get(model, iter, GPOINTER_TO_INT(data), &name, -1);
    GCharPtr owned(name);
    ShownText shown = shown_text(name);
    g_object_set(cell, "text", shown.text, nullptr);
}

// Type-ahead compares the key with the text the column shows, so that a
// name that is not valid UTF-8 is found by its repaired form. Returns FALSE
// for a match, as GTK expects.
gboolean on_search_equal(GtkTreeModel *model, int column, const char *key, GtkTreeIter *iter,
                         gpointer) {
    char *text = nullptr;
    gtk_tree_model_get(model, iter, column, &text, -1);
    GCharPtr owned(text);
    ShownText shown = shown_text(text);
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

GtkCellRenderer *append_toggle_column(GtkTreeView *view, bool radio) {
    GtkCellRenderer *cell = gtk_cell_renderer_toggle_new();
    gtk_cell_renderer_toggle_set_radio(GTK_CELL_RENDERER_TOGGLE(cell), radio);
    GtkTreeViewColumn *column =
        gtk_tree_view_column_new_with_attributes("", cell, "active", ITEM_STATE_COLUMN, nullptr);
    gtk_tree_view_append_column(view, column);
    return cell;
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

// Prefix, toggle, name and description, as far as the dialog shows them.
// Returns the toggle's renderer, or null for the menu.
GtkCellRenderer *add_view_columns(GtkTreeView *view, ListKind kind, const DialogConf *conf,
                                  const Options *opts) {
    if (opts->item_prefix)
        append_text_column(view, 0, false);
    GtkCellRenderer *toggle = nullptr;
    if (kind != ListKind::menu)
        toggle = append_toggle_column(view, kind != ListKind::checklist);
    const bool shows_names = kind != ListKind::treeview && !conf->no_names;
    if (shows_names)
        append_name_column(view, name_column(kind));
    if (!conf->no_descriptions)
        append_text_column(view, description_column(kind), true);

    // Type-ahead finds items by what the user sees.
    gtk_tree_view_set_search_column(view,
                                    shows_names ? name_column(kind) : description_column(kind));
    gtk_tree_view_set_search_equal_func(view, on_search_equal, nullptr, nullptr);
    return toggle;
}

} // namespace

ListView list_view_new(DialogWindow &dialog, ListKind kind, const DialogRequest &request) {
    const DialogConf *conf = &request.conf;
    const Options *opts = &request.opts;
    const std::vector<ItemRow> items = parse_item_rows(kind, request.args, opts);
    std::vector<int> parents(items.size(), -1);
    if (list_nests(kind, opts)) {
        std::vector<int> depths;
        depths.reserve(items.size());
        for (const ItemRow &item : items)
            depths.push_back(item.depth);
        parents = find_parents(depths, parent_search(kind));
    }
    // Filled before the view sees it, so that no row costs a view update.
    std::optional<GtkTreeIter> default_row;
    GtkTreeModel *model = item_model_new(kind, items, parents, opts->default_item, default_row);

    GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    if (!conf->shadow)
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);

    GtkTreeView *view = GTK_TREE_VIEW(gtk_tree_view_new());
    dialog.label_input(GTK_WIDGET(view));
    gtk_tree_view_set_headers_visible(view, FALSE);
    if (opts->item_bottom_desc)
        gtk_tree_view_set_tooltip_column(view, bottom_column(kind));
    GtkTreeSelection *selection = gtk_tree_view_get_selection(view);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_BROWSE);
    GtkCellRenderer *toggle = add_view_columns(view, kind, conf, opts);
    gtk_tree_view_set_model(view, model);

    // Expanded before selecting, so that a default item nested under
    // another row can be selected too.
    if (item_tree_nests(ITEM_TREE(model)))
        gtk_tree_view_expand_all(view);
    if (default_row) {
        gtk_tree_selection_select_iter(selection, &*default_row);
        // Deferred by GTK until the view is laid out, so that the row the
        // user answers with is in sight.
        TreePathPtr path(gtk_tree_model_get_path(model, &*default_row));
        gtk_tree_view_scroll_to_cell(view, path.get(), nullptr, TRUE, 0.5, 0.0);
    }

    gtk_container_add(GTK_CONTAINER(scrolled), GTK_WIDGET(view));
    gtk_box_pack_start(GTK_BOX(dialog.content()), scrolled, TRUE, TRUE, 0);
    gtk_widget_show_all(scrolled);
    add_standard_buttons(dialog.dialog(), conf);
    return ListView{view, GObjectPtr<GtkTreeModel>(model), toggle};
}
