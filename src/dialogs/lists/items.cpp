#include "dialogs/lists/items.h"

#include <glib.h>

#include "core/numbers.h"

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
    if (argc < 1 || leading_long(args[0]) < 0)
        return false;
    return (argc - 1) % group_size == 0;
}

bool list_args_ok(ListKind kind, std::span<const char *const> args, const Options &opts) {
    return list_args_valid(args, item_layout(kind, &opts).group_size);
}

bool state_word_on(const char *word) {
    return g_ascii_strcasecmp(word, "on") == 0;
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
        row.depth = layout.depth >= 0 ? leading_int_clamped(group[layout.depth]) : 0;
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

namespace {

bool list_nests(ListKind kind, const Options *opts) {
    return kind == ListKind::treeview || opts->item_depth;
}

ParentSearch parent_search(ListKind kind) {
    if (kind == ListKind::checklist || kind == ListKind::menu)
        return ParentSearch::top_level;
    return ParentSearch::whole_model;
}

} // namespace

std::vector<int> item_parents(ListKind kind, const std::vector<ItemRow> &rows,
                              const Options *opts) {
    if (!list_nests(kind, opts))
        return std::vector<int>(rows.size(), -1);
    std::vector<int> depths;
    depths.reserve(rows.size());
    for (const ItemRow &row : rows)
        depths.push_back(row.depth);
    return find_parents(depths, parent_search(kind));
}
