#include "core/i18n.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <string>
#include <unordered_map>

namespace {

// UTF-8 needs no conversion. Neither does the C locale's ASCII: a locale
// left unset (as in many containers) says nothing of the terminal, which is
// most likely UTF-8, so texts go out as they are, as they always have.
bool needs_conversion() {
    const char *codeset = nl_langinfo(CODESET);
    return strcmp(codeset, "UTF-8") != 0 && strcmp(codeset, "ANSI_X3.4-1968") != 0;
}

// The length of the UTF-8 sequence that starts with byte, 1 for a byte
// that starts none.
size_t sequence_length(unsigned char byte) {
    if (byte >= 0xF0 && byte < 0xF8)
        return 4;
    if (byte >= 0xE0)
        return byte < 0xF0 ? 3 : 1;
    if (byte >= 0xC0)
        return 2;
    return 1;
}

std::string to_locale_charset(const char *utf8) {
    std::string target = std::string(nl_langinfo(CODESET)) + "//TRANSLIT";
    iconv_t converter = iconv_open(target.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return utf8;
    std::string converted;
    char *in = const_cast<char *>(utf8);
    size_t in_left = strlen(utf8);
    char buffer[256];
    while (in_left > 0) {
        char *out = buffer;
        size_t out_left = sizeof buffer;
        size_t done = iconv(converter, &in, &in_left, &out, &out_left);
        converted.append(buffer, static_cast<size_t>(out - buffer));
        if (done == static_cast<size_t>(-1) && errno != E2BIG) {
            // A character the charset lacks, or bytes that are not UTF-8.
            size_t skipped = std::min(sequence_length(static_cast<unsigned char>(*in)), in_left);
            converted += '?';
            in += skipped;
            in_left -= skipped;
        }
    }
    iconv_close(converter);
    return converted;
}

} // namespace

const char *console_text(const char *utf8) {
    if (!needs_conversion())
        return utf8;
    // Few texts are ever written to a terminal; each is converted once.
    static std::unordered_map<std::string, std::string> converted;
    auto [place, added] = converted.try_emplace(utf8);
    if (added)
        place->second = to_locale_charset(utf8);
    return place->second.c_str();
}
