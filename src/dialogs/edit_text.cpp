#include "dialogs/edit_text.h"

#include <glib.h>

#include "core/locale_text.h"
#include "frame/gobject_ptr.h"

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";

// bytes as UTF-8, each byte that starts no character as U+FFFD; so is a
// NUL byte, which GTK's text takes for the end.
std::string decoded(std::string_view bytes, const char *charset) {
    if (charset == nullptr) {
        // GLib counts a NUL byte among the faults it replaces.
        GCharPtr repaired(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
        return repaired.get();
    }
    std::string text = charset_to_utf8(bytes, charset);
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        if (c == '\0')
            shown += REPLACEMENT;
        else
            shown += c;
    }
    return shown;
}

// UTF-8 text in charset, as answers give it.
std::string encoded(std::string_view utf8, const char *charset) {
    return charset == nullptr ? std::string(utf8) : utf8_to_charset(utf8, charset);
}

} // namespace

EditableText editable_text(std::string_view bytes, const char *charset) {
    const bool nul_byte = bytes.find('\0') != std::string_view::npos;
    // GTK's own test of what its text buffer takes.
    if (charset == nullptr && !nul_byte &&
        g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr))
        return {std::string(), true, NotEditable::no};
    std::string shown = decoded(bytes, charset);
    if (nul_byte)
        return {std::move(shown), false, NotEditable::nul_byte};
    bool valid = g_utf8_validate(shown.data(), static_cast<gssize>(shown.size()), nullptr);
    if (!valid || encoded(shown, charset) != bytes)
        return {std::move(shown), false, NotEditable::not_text};
    return {std::move(shown), false, NotEditable::no};
}

size_t text_piece_end(std::string_view text, size_t from, size_t most) {
    if (text.size() - from <= most)
        return text.size();
    std::string_view piece = text.substr(from, most);
    size_t newline = piece.rfind('\n');
    if (newline != std::string_view::npos)
        return from + newline + 1;
    size_t end = most;
    // Back to the start of a character, and before a CR.
    while (end > 0 && ((static_cast<unsigned char>(text[from + end]) & 0xC0) == 0x80 ||
                       text[from + end - 1] == '\r'))
        --end;
    if (end > 0)
        return from + end;
    // A piece too short for one character: the first whole.
    end = 1;
    while (from + end < text.size() &&
           (static_cast<unsigned char>(text[from + end]) & 0xC0) == 0x80)
        ++end;
    return from + end;
}
