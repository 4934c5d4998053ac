#include "core/i18n.h"

#include <string>
#include <unordered_map>

#include "core/locale_text.h"

const char *console_text(const char *utf8) {
    const char *charset = converted_charset();
    if (charset == nullptr)
        return utf8;
    // Few texts are ever written to a terminal; each is converted once.
    static std::unordered_map<std::string, std::string> converted;
    auto [place, added] = converted.try_emplace(utf8);
    if (added)
        place->second = utf8_to_charset(utf8, charset);
    return place->second.c_str();
}
