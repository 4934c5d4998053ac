#include "dialogs/lists/widest_rows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <glib.h>

namespace {

constexpr std::array<float, 128> ascii_widths() {
    std::array<float, 128> widths{};
    for (float &width : widths)
        width = 1.0f;
    for (char c = 'A'; c <= 'Z'; ++c)
        widths[c] = 1.25f;
    for (unsigned char c : std::string_view(" ijlftrI.,:;'!|`"))
        widths[c] = 0.5f;
    for (unsigned char c : std::string_view("mwMW@%"))
        widths[c] = 1.5f;
    for (int c = 0; c < 32; ++c)
        widths[c] = 0.0f;
    return widths;
}

constexpr std::array<float, 128> ASCII_WIDTHS = ascii_widths();

float character_width(gunichar c) {
    if (c < 128)
        return ASCII_WIDTHS[c];
    if (g_unichar_iszerowidth(c))
        return 0.0f;
    return g_unichar_iswide(c) ? 2.0f : 1.0f;
}

} // namespace

double estimated_width(const char *text) {
    double width = 0;
    const char *p = text;
    while (*p != '\0') {
        const unsigned char byte = *p;
        if (byte < 128) {
            width += ASCII_WIDTHS[byte];
            ++p;
            continue;
        }
        // Not valid UTF-8: shown repaired, about a character per byte.
        const gunichar c = g_utf8_get_char_validated(p, -1);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            width += 1.0;
            ++p;
            continue;
        }
        width += character_width(c);
        p = g_utf8_next_char(p);
    }
    return width;
}

std::vector<size_t> widest_rows(std::span<const ItemRow> rows, const char *ItemRow::*member,
                                size_t count) {
    // A heap of the widest so far, the narrowest of them on top.
    using Candidate = std::pair<double, size_t>;
    std::vector<Candidate> widest;
    auto narrower = [](const Candidate &a, const Candidate &b) { return a.first > b.first; };
    for (size_t row = 0; row < rows.size() && count > 0; ++row) {
        const char *text = rows[row].*member;
        if (text == nullptr)
            continue;
        const Candidate candidate{estimated_width(text), row};
        if (widest.size() < count) {
            widest.push_back(candidate);
            std::push_heap(widest.begin(), widest.end(), narrower);
        } else if (candidate.first > widest.front().first) {
            std::pop_heap(widest.begin(), widest.end(), narrower);
            widest.back() = candidate;
            std::push_heap(widest.begin(), widest.end(), narrower);
        }
    }
    std::vector<size_t> result;
    result.reserve(widest.size());
    for (const Candidate &candidate : widest)
        result.push_back(candidate.second);
    return result;
}

bool has_line_break(const char *text) {
    if (text == nullptr)
        return false;
    // The mandatory breaks of Unicode's line breaking rules, which Pango
    // follows: LF, CR, VT, FF, NEL (C2 85), LS and PS (E2 80 A8, A9).
    for (const char *p = text; (p = strpbrk(p, "\n\r\v\f\xc2\xe2")) != nullptr; ++p) {
        if (*p == '\xc2') {
            if (p[1] == '\x85')
                return true;
        } else if (*p == '\xe2') {
            if (p[1] == '\x80' && (p[2] == '\xa8' || p[2] == '\xa9'))
                return true;
        } else {
            return true;
        }
    }
    return false;
}
