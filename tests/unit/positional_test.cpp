// Which argument after the dialog option is the text, the rows, the columns
// and the dialog's own, for dialogs whose text is optional and the others.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/positional.h"

namespace {

using Strings = std::vector<std::string>;

const DialogEntry standard{"--gauge", "", nullptr};
const DialogEntry programbox{"--programbox", "", nullptr, false, true};
const DialogEntry prgbox{"--prgbox", "", nullptr, false, true, 1};

// "text|rows|cols|own args", with "-" for a text left out, or "too few".
std::string read(const DialogEntry &dialog, const std::vector<const char *> &positional) {
    std::optional<PositionalArgs> args = read_positional(dialog, positional);
    if (!args)
        return "too few";
    std::string text = std::string(args->text != nullptr ? args->text : "-") + "|" + args->rows +
                       "|" + args->cols + "|";
    for (const char *arg : args->args)
        text += std::string(arg) + " ";
    return text;
}

TEST(Positional, TheCountTellsWhetherTheOptionalTextIsThere) {
    struct Case {
        const DialogEntry &dialog;
        std::vector<const char *> positional;
        const char *read;
    } cases[] = {
        {standard, {"t", "1", "2"}, "t|1|2|"},
        {standard, {"t", "1", "2", "50", "x"}, "t|1|2|50 x "},
        {standard, {"1", "2"}, "too few"},
        {programbox, {"1", "2"}, "-|1|2|"},
        {programbox, {"t", "1", "2"}, "t|1|2|"},
        {programbox, {"t", "1", "2", "x"}, "t|1|2|x "},
        {programbox, {"1"}, "too few"},
        {prgbox, {"ls", "1", "2"}, "-|1|2|ls "},
        {prgbox, {"t", "ls", "1", "2"}, "t|1|2|ls "},
        {prgbox, {"t", "ls", "1", "2", "x", "y"}, "t|1|2|ls x y "},
        {prgbox, {"1", "2"}, "too few"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(read(c.dialog, c.positional), c.read)
            << c.dialog.option << " with " << c.positional.size() << " arguments";
}

} // namespace
