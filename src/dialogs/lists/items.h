// The list dialogs' item grammar: which argument of an item group says
// what, and under which row a row nests. No widgets, so that the unit tests
// and the fuzzer read the arguments as the dialogs do.
#pragma once

#include <span>
#include <vector>

#include "core/records.h"

// The buildlist's items are the checklist's, never nested: their state says
// in which of its two lists an item stands.
enum class ListKind { checklist, radiolist, menu, treeview, buildlist };

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

// A text member of an item.
enum class ItemText { prefix, name, description, bottom };

// "on" in any letter case.
bool state_word_on(const char *word);

// The items as given on the command line, read where they stand: row r is
// the r-th group of arguments after menurows. Nothing is copied or kept per
// row, so that holding a list costs no memory of its own whatever its
// length. The arguments are borrowed and must outlive it.
class ItemArgs {
  public:
    ItemArgs() = default;
    // args as list_args_ok accepts them: menurows, then whole groups.
    ItemArgs(ListKind kind, std::span<const char *const> args, const Options *opts);

    size_t size() const { return rows_; }
    // The member's argument, or null when the items have no such member.
    const char *text(size_t row, ItemText member) const;
    // The depth member read as a number; 0 when the items have none.
    int depth(size_t row) const;
    // Whether the row starts checked: its state word is "on" and, in a
    // radiolist or treeview, where only the first such row starts on, no
    // earlier row's is.
    bool starts_on(size_t row) const;

  private:
    const char *member(size_t row, int index) const;

    std::span<const char *const> args_;
    ItemLayout layout_{};
    size_t rows_ = 0;
    bool radio_ = false;
    size_t first_on_ = 0; // radio lists: the row that starts on, or rows_
};

// Where find_parents looks for a row's parent.
enum class ParentSearch { top_level, whole_model };

// For each row the index of its parent row, or -1 for a top-level row: the
// last searched row whose depth is strictly less than the row's own, when
// that depth is above 0.
std::vector<int> find_parents(const std::vector<int> &depths, ParentSearch search);

// The parent of each of the dialog's rows, found by find_parents when the
// dialog nests (a treeview, or any list under --item-depth): checklist and
// menu search the top-level rows, radiolist and treeview all rows. Empty
// when the dialog does not nest: every row is then at the top level.
std::vector<int> item_parents(ListKind kind, const ItemArgs &items, const Options *opts);
