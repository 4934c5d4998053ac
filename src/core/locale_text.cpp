#include "core/locale_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <langinfo.h>
#include <utility>

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";
const auto FAILED = reinterpret_cast<iconv_t>(-1);

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

// Runs converter over in until it has taken all of it or stops at bytes it
// cannot take; what it made is appended to out. Returns iconv's error then
// (EILSEQ or EINVAL), else 0.
int convert_into(iconv_t converter, std::string_view &in, std::string &out) {
    char *from = const_cast<char *>(in.data());
    size_t from_left = in.size();
    char buffer[4096];
    int error = 0;
    while (from_left > 0) {
        char *to = buffer;
        size_t to_left = sizeof buffer;
        size_t done = iconv(converter, &from, &from_left, &to, &to_left);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (done == static_cast<size_t>(-1) && errno != E2BIG) {
            error = errno;
            break;
        }
    }
    in.remove_prefix(in.size() - from_left);
    return error;
}

} // namespace

const char *converted_charset() {
    const char *codeset = nl_langinfo(CODESET);
    if (strcmp(codeset, "UTF-8") == 0 || strcmp(codeset, "ANSI_X3.4-1968") == 0)
        return nullptr;
    return codeset;
}

std::string charset_to_utf8(std::string_view bytes, const char *charset) {
    std::optional<CharsetDecoder> decoder = CharsetDecoder::open(charset);
    if (!decoder)
        return std::string(bytes);
    std::string converted = decoder->push(bytes);
    return converted + decoder->finish();
}

std::string utf8_to_charset(std::string_view utf8, const char *charset) {
    std::string target = std::string(charset) + "//TRANSLIT";
    iconv_t converter = iconv_open(target.c_str(), "UTF-8");
    if (converter == FAILED)
        return std::string(utf8);
    std::string converted;
    while (convert_into(converter, utf8, converted) != 0) {
        // A character the charset lacks, or bytes that are not UTF-8.
        converted += '?';
        utf8.remove_prefix(
            std::min(sequence_length(static_cast<unsigned char>(utf8.front())), utf8.size()));
    }
    // Back to the initial shift state, for charsets that have one.
    char buffer[16];
    char *to = buffer;
    size_t to_left = sizeof buffer;
    iconv(converter, nullptr, nullptr, &to, &to_left);
    converted.append(buffer, static_cast<size_t>(to - buffer));
    iconv_close(converter);
    return converted;
}

std::optional<CharsetDecoder> CharsetDecoder::open(const char *charset) {
    iconv_t converter = iconv_open("UTF-8", charset);
    if (converter == FAILED)
        return std::nullopt;
    return CharsetDecoder(converter);
}

CharsetDecoder::CharsetDecoder(CharsetDecoder &&other) noexcept
    : converter_(std::exchange(other.converter_, FAILED)), pending_(std::move(other.pending_)) {}

CharsetDecoder::~CharsetDecoder() {
    if (converter_ != FAILED)
        iconv_close(converter_);
}

std::string CharsetDecoder::push(std::string_view bytes) {
    std::string joined;
    if (!pending_.empty()) {
        joined = pending_ + std::string(bytes);
        bytes = joined;
    }
    pending_.clear();
    std::string out;
    out.reserve(bytes.size());
    for (;;) {
        int error = convert_into(converter_, bytes, out);
        if (error == 0)
            return out;
        if (error == EINVAL) {
            // The start of a character that the next piece completes.
            pending_.assign(bytes);
            return out;
        }
        out.append(REPLACEMENT);
        bytes.remove_prefix(1);
    }
}

std::string CharsetDecoder::finish() {
    std::string out;
    if (!pending_.empty())
        out.append(REPLACEMENT);
    pending_.clear();
    return out;
}
