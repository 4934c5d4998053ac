#include "frame/text.h"

GCharPtr valid_utf8(const char *text) {
    if (text == nullptr)
        return nullptr;
    return GCharPtr(g_utf8_make_valid(text, -1));
}
