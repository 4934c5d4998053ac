#include "dialogs/lists/items.h"

#include <glib.h>

#include "core/numbers.h"

ItemLayout item_layout(ListKind kind, const Options *opts) {
    ItemLayout layout{};
    int next = 0;
    layout.prefix = opts->item_prefix ? next++ : -1;
    // The treeview always has a depth, and takes it after the state word;
    // the buildlist has none.
    const bool leading_depth = kind != ListKind::treeview && kind != ListKind::buildlist;
    layout.depth = leading_depth && opts->item_depth ? next++ : -1;
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

ItemArgs::ItemArgs(ListKind kind, std::span<const char *const> args, const Options *opts)
    : args_(args), layout_(item_layout(kind, opts)),
      rows_(args.empty() ? 0 : (args.size() - 1) / layout_.group_size),
      radio_(kind == ListKind::radiolist || kind == ListKind::treeview), first_on_(rows_) {
    if (!radio_ || layout_.state < 0)
        return;
    for (size_t row = 0; row < rows_; ++row) {
        if (state_word_on(member(row, layout_.state))) {
            first_on_ = row;
            break;
        }
    }
}

const char *ItemArgs::member(size_t row, int index) const {
    if (index < 0)
        return nullptr;
    return args_[1 + row * layout_.group_size + index];
}

const char *ItemArgs::text(size_t row, ItemText member_text) const {
    switch (member_text) {
    case ItemText::prefix:
        return member(row, layout_.prefix);
    case ItemText::name:
        return member(row, layout_.name);
    case ItemText::description:
        return member(row, layout_.description);
    case ItemText::bottom:
        return member(row, layout_.bottom);
    }
    return nullptr;
}

int ItemArgs::depth(size_t row) const {
    const char *word = member(row, layout_.depth);
    return word == nullptr ? 0 : leading_int_clamped(word);
}

bool ItemArgs::starts_on(size_t row) const {
    if (layout_.state < 0)
        return false;
    if (radio_)
        return row == first_on_;
    return state_word_on(member(row, layout_.state));
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
    return kind == ListKind::treeview || (kind != ListKind::buildlist && opts->item_depth);
}

ParentSearch parent_search(ListKind kind) {
    if (kind == ListKind::checklist || kind == ListKind::menu)
        return ParentSearch::top_level;
    return ParentSearch::whole_model;
}

} // namespace

std::vector<int> item_parents(ListKind kind, const ItemArgs &items, const Options *opts) {
    if (!list_nests(kind, opts))
        return {};
    std::vector<int> depths;
    depths.reserve(items.size());
    for (size_t row = 0; row < items.size(); ++row)
        depths.push_back(items.depth(row));
    return find_parents(depths, parent_search(kind));
}
