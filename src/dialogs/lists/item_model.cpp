#include "dialogs/lists/item_model.h"

#include <cstring>

#include "dialogs/lists/columns.h"
#include "dialogs/lists/item_tree.h"
#include "frame/text.h"

ShownText shown_text(const char *text) {
    if (text == nullptr || g_utf8_validate(text, -1, nullptr))
        return {nullptr, text};
    GCharPtr copy = valid_utf8(text);
    const char *repaired = copy.get();
    return {std::move(copy), repaired};
}

namespace {

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

// The widest model's column count.
constexpr int MOST_COLUMNS = TOGGLE_LIST_COLUMNS.count;

// An empty model with the columns of this kind of list.
ItemTree *item_model_columns(const ItemColumns &columns) {
    GType types[MOST_COLUMNS] = {};
    types[columns.prefix] = G_TYPE_STRING;
    if (columns.state >= 0)
        types[columns.state] = G_TYPE_BOOLEAN;
    types[columns.depth] = G_TYPE_INT;
    types[columns.name] = G_TYPE_STRING;
    types[columns.description] = G_TYPE_STRING;
    types[columns.bottom] = G_TYPE_STRING;
    return item_tree_new(columns.count, types);
}

// Borrowed for the model to copy.
void put_string(GValue *value, const char *text) {
    g_value_set_static_string(g_value_init(value, G_TYPE_STRING), text);
}

void add_item_row(ItemTree *tree, const ItemColumns &columns, const ItemRow &row,
                  GtkTreeIter *parent, GtkTreeIter *iter) {
    ShownText prefix = shown_text(row.prefix);
    ShownText description = shown_text(row.description);
    ShownText bottom = tooltip_text(row.bottom);
    GValue values[MOST_COLUMNS] = {};
    put_string(&values[columns.prefix], prefix.text);
    if (columns.state >= 0)
        g_value_set_boolean(g_value_init(&values[columns.state], G_TYPE_BOOLEAN), row.on);
    g_value_set_int(g_value_init(&values[columns.depth], G_TYPE_INT), row.depth);
    // The name keeps its bytes: it is the answer. The view shows a repaired
    // copy of it.
    put_string(&values[columns.name], row.name);
    put_string(&values[columns.description], description.text);
    put_string(&values[columns.bottom], bottom.text);
    item_tree_append(tree, parent, values, columns.count, iter);
}

} // namespace

GtkTreeModel *item_model_new(ListKind kind, const std::vector<ItemRow> &items,
                             const std::vector<int> &parents, const char *default_item,
                             std::optional<GtkTreeIter> &default_row) {
    const ItemColumns &columns = item_columns(kind);
    ItemTree *tree = item_model_columns(columns);
    item_tree_reserve(tree, items.size());
    // Iterators stay valid while rows are added.
    std::vector<GtkTreeIter> iters(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        add_item_row(tree, columns, items[i], parents[i] >= 0 ? &iters[parents[i]] : nullptr,
                     &iters[i]);
        if (default_item != nullptr && strcmp(default_item, items[i].name) == 0)
            default_row = iters[i];
    }
    return GTK_TREE_MODEL(tree);
}

bool item_checked(GtkTreeModel *model, GtkTreeIter *iter) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.state, &checked, -1);
    return checked;
}

void set_item_state(GtkTreeModel *model, GtkTreeIter *iter, bool on) {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_BOOLEAN);
    g_value_set_boolean(&value, on);
    item_tree_set_value(ITEM_TREE(model), iter, TOGGLE_LIST_COLUMNS.state, &value);
}
