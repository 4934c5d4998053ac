#include "frame/utf8_stream.h"

#include <cstring>
#include <glib.h>

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";

// Appends the repaired text of bytes to out and returns how many bytes at
// the end were held back as an incomplete character.
size_t repair_into(std::string_view bytes, std::string &out) {
    const char *start = bytes.data();
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const gchar *end = nullptr;
        if (g_utf8_validate(start + i, static_cast<gssize>(n - i), &end)) {
            out.append(start + i, n - i);
            return 0;
        }
        out.append(start + i, end - (start + i));
        i = end - start;
        gunichar c = g_utf8_get_char_validated(start + i, static_cast<gssize>(n - i));
        // GLib also calls a sequence broken by a NUL byte partial; only a
        // start of a character that runs into the end of the bytes is.
        bool partial = c == static_cast<gunichar>(-2) && memchr(start + i, '\0', n - i) == nullptr;
        if (partial)
            return n - i;
        out.append(REPLACEMENT);
        ++i;
    }
    return 0;
}

} // namespace

std::optional<CharsetDecoder> Utf8Repair::open_locale_decoder() {
    const char *charset = converted_charset();
    return charset == nullptr ? std::nullopt : CharsetDecoder::open(charset);
}

std::string Utf8Repair::push(std::string_view bytes) {
    if (decoder_)
        return decoder_->push(bytes);
    std::string out;
    out.reserve(pending_.size() + bytes.size());
    if (pending_.empty()) {
        size_t held = repair_into(bytes, out);
        pending_.assign(bytes.substr(bytes.size() - held));
        return out;
    }
    std::string joined = pending_ + std::string(bytes);
    size_t held = repair_into(joined, out);
    pending_ = joined.substr(joined.size() - held);
    return out;
}

std::string Utf8Repair::finish() {
    if (decoder_)
        return decoder_->finish();
    std::string out;
    if (!pending_.empty())
        out.append(REPLACEMENT);
    pending_.clear();
    return out;
}
