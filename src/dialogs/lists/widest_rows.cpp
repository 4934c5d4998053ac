#include "dialogs/lists/widest_rows.h"

#include <algorithm>
#include <cstring>
#include <glib.h>

#include "dialogs/lists/item_model.h"

namespace {

// The mandatory breaks of Unicode's line breaking rules, which Pango
// follows: LF, VT, FF, CR, NEL, LS and PS.
bool breaks_line(gunichar c) {
    return (c >= '\n' && c <= '\r') || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool holds_break(const char *text) {
    const char *p = text;
    while (*p != '\0') {
        const gunichar c = g_utf8_get_char_validated(p, -1);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            ++p;
            continue;
        }
        if (breaks_line(c))
            return true;
        p = g_utf8_next_char(p);
    }
    return false;
}

// How many rows of a member are kept to be measured first: those of the
// highest bounds.
constexpr size_t KEPT_ROWS = 16;

// What the first pass over a member's texts keeps for measuring them.
struct Candidates {
    using Candidate = std::pair<int64_t, size_t>;
    // The highest bounds so far in a heap, the lowest of them on top.
    std::vector<Candidate> kept;
    // The highest bound of the rows not kept.
    int64_t highest_left = -1;
    // Whether a text has no bound.
    bool unbounded = false;

    static bool higher(const Candidate &a, const Candidate &b) { return a.first > b.first; }

    void offer(int64_t bound, size_t row) {
        if (kept.size() < KEPT_ROWS) {
            kept.emplace_back(bound, row);
            std::push_heap(kept.begin(), kept.end(), higher);
            return;
        }
        if (bound <= kept.front().first) {
            highest_left = std::max(highest_left, bound);
            return;
        }
        highest_left = std::max(highest_left, kept.front().first);
        std::pop_heap(kept.begin(), kept.end(), higher);
        kept.back() = {bound, row};
        std::push_heap(kept.begin(), kept.end(), higher);
    }
};

struct Widest {
    int64_t width = -1;
    std::optional<size_t> row;

    void measure(TextWidths &widths, const char *text, size_t at) {
        const int64_t measured = widths.width(text);
        if (measured > width) {
            width = measured;
            row = at;
        }
    }
};

// The kept rows are measured from the highest bound down, until no bound is
// above the widest so far. Only when a row left out may be wider (its bound
// is higher, or it has none) are all rows gone through again.
std::optional<size_t> widest_row(const ItemArgs &items, ItemText member, Candidates candidates,
                                 WidthBounds &bounds, TextWidths &widths) {
    Widest widest;
    std::sort(candidates.kept.begin(), candidates.kept.end(), Candidates::higher);
    for (const auto &[bound, row] : candidates.kept) {
        if (bound <= widest.width)
            break;
        widest.measure(widths, items.text(row, member), row);
    }
    if (!candidates.unbounded && candidates.highest_left <= widest.width)
        return widest.row;
    for (size_t row = 0; row < items.size(); ++row) {
        const char *text = items.text(row, member);
        if (text == nullptr)
            continue;
        const std::optional<int64_t> bound = bounds.of(text).width;
        if (!bound || *bound > widest.width)
            widest.measure(widths, text, row);
    }
    return widest.row;
}

} // namespace

LayoutTextWidths::LayoutTextWidths(PangoLayout *layout)
    : layout_(layout), font_(pango_context_load_font(
                           pango_layout_get_context(layout),
                           pango_context_get_font_description(pango_layout_get_context(layout)))) {}

// The width a layout would give a run of text in its first font, as it
// shapes it.
int LayoutTextWidths::shaped_width(const char *text, int length) {
    PangoContext *context = pango_layout_get_context(layout_);
    PangoAnalysis analysis{};
    analysis.font = font_.get();
    analysis.script = PANGO_SCRIPT_LATIN;
    analysis.language = pango_context_get_language(context);
    const PangoShapeFlags flags = pango_context_get_round_glyph_positions(context)
                                      ? PANGO_SHAPE_ROUND_POSITIONS
                                      : PANGO_SHAPE_NONE;
    PangoGlyphString *glyphs = pango_glyph_string_new();
    pango_shape_with_flags(text, length, text, length, &analysis, glyphs, flags);
    const int width = pango_glyph_string_get_width(glyphs);
    pango_glyph_string_free(glyphs);
    return width;
}

int LayoutTextWidths::width(const char *text) {
    const size_t length = strlen(text);
    if (font_ != nullptr && length > 0 && length <= 2 &&
        std::all_of(text, text + length, [](char c) { return c >= ' ' && c <= '~'; }))
        return shaped_width(text, static_cast<int>(length));
    const ShownText shown = shown_text(text);
    pango_layout_set_text(layout_, shown.text, -1);
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    return logical.width;
}

TextBound WidthBounds::of(const char *text) {
    int64_t width = 0;
    unsigned char previous = 0;
    int *const steps = steps_.data();
    for (const char *p = text; *p != '\0'; ++p) {
        const unsigned char c = *p;
        if (c < ' ' || c >= 128) {
            if (c >= 128)
                return {holds_break(p), std::nullopt};
            if (breaks_line(c))
                return {true, std::nullopt};
            if (c == '\t') {
                width += tab();
                previous = 0;
                continue;
            }
        }
        int &added = steps[previous * 128 + c];
        if (added == UNKNOWN) [[unlikely]]
            added = step(previous, c);
        width += added;
        previous = c;
    }
    return {false, width};
}

int WidthBounds::character(unsigned char c) {
    if (characters_[c] == UNKNOWN) {
        const char text[] = {static_cast<char>(c), '\0'};
        characters_[c] = widths_.width(text);
    }
    return characters_[c];
}

// A character's width, and how much wider it is drawn beside the one before
// it than the two apart; kerning that draws them narrower is left out, so
// that the bound only over-rates.
int WidthBounds::step(unsigned char previous, unsigned char c) {
    if (previous == 0)
        return character(c);
    const char text[] = {static_cast<char>(previous), static_cast<char>(c), '\0'};
    return character(c) + std::max(0, widths_.width(text) - character(previous) - character(c));
}

// A tab reaches the next tab stop that is at least a space away.
int WidthBounds::tab() {
    if (tab_ == UNKNOWN)
        tab_ = widths_.width("\t") + character(' ');
    return tab_;
}

std::optional<std::vector<std::optional<size_t>>>
widest_rows(const ItemArgs &items, std::span<const ItemText> members, TextWidths &widths) {
    WidthBounds bounds(widths);
    std::vector<Candidates> candidates(members.size());
    for (size_t row = 0; row < items.size(); ++row) {
        for (size_t m = 0; m < members.size(); ++m) {
            const char *text = items.text(row, members[m]);
            if (text == nullptr)
                continue;
            const TextBound bound = bounds.of(text);
            if (bound.breaks)
                return std::nullopt;
            if (bound.width)
                candidates[m].offer(*bound.width, row);
            else
                candidates[m].unbounded = true;
        }
    }
    std::vector<std::optional<size_t>> result;
    for (size_t m = 0; m < members.size(); ++m)
        result.push_back(widest_row(items, members[m], std::move(candidates[m]), bounds, widths));
    return result;
}
