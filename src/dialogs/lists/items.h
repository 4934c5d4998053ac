// The list dialogs' item grammar: which argument of an item group says
// what, and under which row a row nests. No widgets, so that the unit tests
// and the fuzzer read the arguments as the dialogs do.
#pragma once

#include <span>
#include <vector>

#include "core/records.h"

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

// menurows and the group count are right. Only the checks; see list_args_ok.
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

// Where find_parents looks for a row's parent.
enum class ParentSearch { top_level, whole_model };

// For each row the index of its parent row, or -1 for a top-level row: the
// last searched row whose depth is strictly less than the row's own, when
// that depth is above 0.
std::vector<int> find_parents(const std::vector<int> &depths, ParentSearch search);

// The parent of each of the dialog's rows, found by find_parents when the
// dialog nests (a treeview, or any list under --item-depth): checklist and
// menu search the top-level rows, radiolist and treeview all rows.
std::vector<int> item_parents(ListKind kind, const std::vector<ItemRow> &rows, const Options *opts);
