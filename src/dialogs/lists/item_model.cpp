#include "dialogs/lists/item_model.h"

#include <cstring>

#include "dialogs/lists/columns.h"
#include "dialogs/lists/item_tree.h"
#include "frame/text.h"

ShownText shown_text(const char *text) {
    if (text == nullptr || displayed_as_is(text))
        return {nullptr, text};
    GCharPtr copy = display_text(text);
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

// The text to show in place of text, kept in kept when it had to be
// repaired; *repaired tells whether it was.
const char *kept_text(std::vector<GCharPtr> &kept, ShownText shown, bool *repaired) {
    if (shown.copy == nullptr)
        return shown.text;
    *repaired = true;
    kept.push_back(std::move(shown.copy));
    return kept.back().get();
}

} // namespace

GtkTreeModel *item_model_new(ListKind kind, const ItemArgs &items, std::vector<int> parents,
                             const char *default_item, std::optional<GtkTreeIter> &default_row) {
    ShownRows shown;
    std::optional<size_t> default_index;
    for (size_t row = 0; row < items.size(); ++row) {
        // The name keeps its bytes: it is the answer. The view shows a
        // repaired copy of it.
        bool repaired = false;
        const ShownRow texts{
            row,
            kept_text(shown.kept, shown_text(items.text(row, ItemText::prefix)), &repaired),
            kept_text(shown.kept, shown_text(items.text(row, ItemText::description)), &repaired),
            kept_text(shown.kept, tooltip_text(items.text(row, ItemText::bottom)), &repaired),
        };
        if (repaired)
            shown.rows.push_back(texts);
        if (default_item != nullptr && strcmp(default_item, items.text(row, ItemText::name)) == 0)
            default_index = row;
    }
    ItemTree *tree = item_tree_new(kind, items, std::move(parents), std::move(shown));
    if (default_index) {
        // Rows are numbered in argument order, which is the model's own.
        GtkTreeIter iter{};
        if (item_tree_iter_of(tree, *default_index, &iter))
            default_row = iter;
    }
    return GTK_TREE_MODEL(tree);
}

bool item_checked(GtkTreeModel *model, GtkTreeIter *iter) {
    gboolean checked = FALSE;
    gtk_tree_model_get(model, iter, TOGGLE_LIST_COLUMNS.state, &checked, -1);
    return checked;
}

void set_item_state(GtkTreeModel *model, GtkTreeIter *iter, bool on) {
    item_tree_set_state(ITEM_TREE(model), iter, on);
}
