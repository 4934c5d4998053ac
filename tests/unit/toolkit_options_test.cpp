// The toolkit's parser, shown only the arguments that can be its options,
// must leave the same vector as when it reads the whole command line. GLib's
// own option parser stands in for GTK's, set up as GTK sets up its own:
// unknown options ignored, no help options.
#include <glib.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cli/toolkit_options.h"

namespace {

using Strings = std::vector<std::string>;

int toolkit_parse(int *argc, char ***argv) {
    char *display = nullptr;
    gboolean sync = FALSE;
    const GOptionEntry entries[] = {
        {"display", 0, 0, G_OPTION_ARG_STRING, &display, nullptr, nullptr},
        {"class", 0, 0, G_OPTION_ARG_STRING, &display, nullptr, nullptr},
        {"sync", 0, 0, G_OPTION_ARG_NONE, &sync, nullptr, nullptr},
        {nullptr, 0, 0, G_OPTION_ARG_NONE, nullptr, nullptr, nullptr},
    };
    GOptionContext *context = g_option_context_new(nullptr);
    g_option_context_set_ignore_unknown_options(context, TRUE);
    g_option_context_set_help_enabled(context, FALSE);
    g_option_context_add_main_entries(context, entries, nullptr);
    const gboolean parsed = g_option_context_parse(context, argc, argv, nullptr);
    g_option_context_free(context);
    g_free(display);
    return parsed;
}

struct Vector {
    std::vector<std::string> texts;
    std::vector<char *> argv;
    int argc;

    explicit Vector(const Strings &args) : texts(args), argc(static_cast<int>(args.size()) + 1) {
        texts.insert(texts.begin(), "wrenpane");
        for (std::string &text : texts)
            argv.push_back(text.data());
        argv.push_back(nullptr);
    }

    Strings left() const {
        EXPECT_EQ(argv[argc], nullptr);
        return Strings(argv.begin() + 1, argv.begin() + argc);
    }
};

TEST(ToolkitOptions, LeavesWhatTheParserLeavesOfTheWholeVector) {
    const Strings cases[] = {
        {"--menu", "Pick", "0", "0", "0", "a", "A", "b", "B"},
        {"--class", "Foo", "--menu", "t", "0", "0", "0", "a", "--display=:9", "b", "--sync"},
        {"--menu", "t", "--class", "--sync", "x", "-", "--class", "-"},
        {"--title", "--display", "v", "w", "-x", "--", "--sync", "y"},
        {"--", "a", "b"},
        {"a", "--", "b", "-c"},
        {"--bogus", "--", "a"},
        {"--sync", "--"},
        {"--class"},
    };
    for (const Strings &args : cases) {
        Vector whole(args);
        char **whole_argv = whole.argv.data();
        const int whole_result = toolkit_parse(&whole.argc, &whole_argv);
        Vector picked(args);
        const int picked_result =
            take_toolkit_options(picked.argc, picked.argv.data(), toolkit_parse);
        EXPECT_EQ(picked_result, whole_result);
        EXPECT_EQ(picked.left(), whole.left()) << "from: " << testing::PrintToString(args);
    }
}

TEST(ToolkitOptions, TakesTheOptionsWhereverTheyStand) {
    Vector vector({"--class", "Foo", "--menu", "t", "a", "--display=:9", "b", "--sync"});
    EXPECT_TRUE(take_toolkit_options(vector.argc, vector.argv.data(), toolkit_parse));
    EXPECT_EQ(vector.left(), (Strings{"--menu", "t", "a", "b"}));
}

} // namespace
