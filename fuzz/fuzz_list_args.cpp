// List arguments: validation, the item grammar and the parent rule, for
// every kind of list and item option, as a list dialog reads them.
#include "dialogs/lists/items.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    Options opts{};
    reset_options(&opts);
    const ListKind kind = static_cast<ListKind>(data[0] % 4);
    opts.item_prefix = data[0] & 4;
    opts.item_depth = data[0] & 8;
    opts.item_bottom_desc = data[0] & 16;
    std::vector<std::string> args = split_arguments(data + 1, size - 1, 4096);
    std::vector<char *> argv = argv_of(args);
    std::span<const char *const> given(argv.data(), args.size());
    if (!list_args_ok(kind, given, opts))
        return 0;
    const ItemArgs items(kind, given, &opts);
    for (size_t row = 0; row < items.size(); ++row) {
        // Every member the layout names is there; a radio list starts with
        // at most one row on.
        if (items.text(row, ItemText::name) == nullptr ||
            items.text(row, ItemText::description) == nullptr)
            __builtin_trap();
        if (kind != ListKind::checklist && row > 0 && items.starts_on(row) &&
            items.starts_on(row - 1))
            __builtin_trap();
        items.depth(row);
    }
    std::vector<int> parents = item_parents(kind, items, &opts);
    if (!parents.empty() && parents.size() != items.size())
        __builtin_trap();
    for (size_t i = 0; i < parents.size(); ++i) {
        // A parent comes before its child and is less deep.
        if (parents[i] >= static_cast<int>(i) ||
            (parents[i] >= 0 && items.depth(parents[i]) >= items.depth(i)))
            __builtin_trap();
    }
    return 0;
}
