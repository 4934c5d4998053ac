// Dialog-text preprocessing over arbitrary text and every option mix.
#include <cstring>
#include <string>

#include "cli/preprocess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    Options opts{};
    reset_options(&opts);
    opts.cr_wrap = data[0] & 1;
    opts.tab_escape = data[0] & 2;
    opts.text_unchanged = data[0] & 4;
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    text = text.c_str(); // the program's texts end at their first NUL
    std::string shown(text.size() + 1, '\0');
    preprocess_text(&opts, text.c_str(), shown.data());
    if (strlen(shown.c_str()) > text.size())
        __builtin_trap(); // the text may only shrink
    return 0;
}
