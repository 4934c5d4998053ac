// Which positional argument of a segment says what: the dialog text, the
// rows, the columns and the dialog's own arguments.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "core/records.h"

struct PositionalArgs {
    const char *text; // null when the dialog's optional text was left out
    const char *rows;
    const char *cols;
    // The dialog's own arguments: those that stand before <rows> first,
    // then those after <cols>.
    std::vector<const char *> args;
};

// Reads the arguments after the dialog option as dialog says they stand:
// "<text> <rows> <cols> ...", or, for a dialog whose text is optional,
// "[<text>] <own>... <rows> <cols>", where one more argument than that
// shape's least is the text, and any beyond that are surplus (after the
// own ones in args). Nothing when there are too few.
std::optional<PositionalArgs> read_positional(const DialogEntry &dialog,
                                              std::span<const char *const> positional);
