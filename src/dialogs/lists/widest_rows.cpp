#include "dialogs/lists/widest_rows.h"

#include <algorithm>
#include <array>
#include <glib.h>
#include <string_view>

namespace {

// Control characters draw nothing; those that break lines are found apart.
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

// The mandatory breaks of Unicode's line breaking rules, which Pango
// follows: LF, VT, FF, CR, NEL, LS and PS.
bool breaks_line(gunichar c) {
    return (c >= '\n' && c <= '\r') || c == 0x85 || c == 0x2028 || c == 0x2029;
}

float character_width(gunichar c) {
    if (g_unichar_iszerowidth(c))
        return 0.0f;
    return g_unichar_iswide(c) ? 2.0f : 1.0f;
}

// The widest candidates so far in a heap, the narrowest of them on top.
struct Widest {
    using Candidate = std::pair<double, size_t>;
    std::vector<Candidate> heap;

    static bool narrower(const Candidate &a, const Candidate &b) { return a.first > b.first; }

    void offer(double width, size_t row, size_t count) {
        if (heap.size() < count) {
            heap.emplace_back(width, row);
            std::push_heap(heap.begin(), heap.end(), narrower);
        } else if (count > 0 && width > heap.front().first) {
            std::pop_heap(heap.begin(), heap.end(), narrower);
            heap.back() = {width, row};
            std::push_heap(heap.begin(), heap.end(), narrower);
        }
    }

    std::vector<size_t> rows() const {
        std::vector<size_t> result;
        for (const Candidate &candidate : heap)
            result.push_back(candidate.second);
        return result;
    }
};

} // namespace

TextShape text_shape(const char *text) {
    TextShape shape{0.0, false};
    const char *p = text;
    while (*p != '\0') {
        const unsigned char byte = *p;
        if (byte < 128) {
            if (breaks_line(byte))
                return {shape.width, true};
            shape.width += ASCII_WIDTHS[byte];
            ++p;
            continue;
        }
        // Not valid UTF-8: shown repaired, about a character per byte.
        const gunichar c = g_utf8_get_char_validated(p, -1);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            shape.width += 1.0;
            ++p;
            continue;
        }
        if (breaks_line(c))
            return {shape.width, true};
        shape.width += character_width(c);
        p = g_utf8_next_char(p);
    }
    return shape;
}

std::optional<std::vector<std::vector<size_t>>>
widest_rows(const ItemArgs &items, std::span<const ItemText> members, size_t count) {
    std::vector<Widest> widest(members.size());
    for (size_t row = 0; row < items.size(); ++row) {
        for (size_t m = 0; m < members.size(); ++m) {
            const char *text = items.text(row, members[m]);
            if (text == nullptr)
                continue;
            const TextShape shape = text_shape(text);
            if (shape.breaks)
                return std::nullopt;
            widest[m].offer(shape.width, row, count);
        }
    }
    std::vector<std::vector<size_t>> result;
    for (const Widest &member : widest)
        result.push_back(member.rows());
    return result;
}
