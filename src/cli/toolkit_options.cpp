#include "cli/toolkit_options.h"

#include <vector>

namespace {

bool has_leading_dash(const char *arg) {
    return arg[0] == '-';
}

} // namespace

int take_toolkit_options(int &argc, char **argv, ToolkitParser parse) {
    // The positions in argv of the arguments shown to the parser.
    std::vector<int> shown_at{0};
    for (int i = 1; i < argc; ++i) {
        if (has_leading_dash(argv[i]) || (i > 1 && has_leading_dash(argv[i - 1])))
            shown_at.push_back(i);
    }
    std::vector<char *> shown;
    shown.reserve(shown_at.size() + 1);
    for (int at : shown_at)
        shown.push_back(argv[at]);
    shown.push_back(nullptr);

    int shown_count = static_cast<int>(shown_at.size());
    char **left = shown.data();
    const int result = parse(&shown_count, &left);

    // What the parser left is what it was shown, in order, less what it
    // took; each argument is a string of its own, so its address names it.
    std::vector<bool> taken(argc, false);
    int next_left = 0;
    for (int at : shown_at) {
        if (next_left < shown_count && left[next_left] == argv[at])
            ++next_left;
        else
            taken[at] = true;
    }
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (!taken[i])
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return result;
}
