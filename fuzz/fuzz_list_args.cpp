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
    std::vector<ItemRow> rows = parse_item_rows(kind, given, &opts);
    std::vector<int> parents = item_parents(kind, rows, &opts);
    if (parents.size() != rows.size())
        __builtin_trap();
    for (size_t i = 0; i < parents.size(); ++i) {
        // A parent comes before its child and is less deep.
        if (parents[i] >= static_cast<int>(i) ||
            (parents[i] >= 0 && rows[parents[i]].depth >= rows[i].depth))
            __builtin_trap();
    }
    return 0;
}
