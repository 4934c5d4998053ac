#include "core/positional.h"

#include <utility>

std::optional<PositionalArgs> read_positional(const DialogEntry &dialog,
                                              std::span<const char *const> positional) {
    if (!dialog.optional_text) {
        if (positional.size() < 3)
            return std::nullopt;
        return PositionalArgs{positional[0],
                              positional[1],
                              positional[2],
                              {positional.begin() + 3, positional.end()}};
    }
    size_t least = static_cast<size_t>(dialog.args_before_size) + 2;
    if (positional.size() < least)
        return std::nullopt;
    const char *text = nullptr;
    if (positional.size() > least) {
        text = positional[0];
        positional = positional.subspan(1);
    }
    std::span<const char *const> own = positional.first(least - 2);
    std::vector<const char *> args(own.begin(), own.end());
    args.insert(args.end(), positional.begin() + static_cast<long>(least), positional.end());
    return PositionalArgs{text, positional[least - 2], positional[least - 1], std::move(args)};
}
