// Which row of a list shows each column's widest text. A long list shows
// its rows at one height and its columns at the width of their widest text,
// and measuring every row's text to find that width is most of the time it
// takes to show. So each text first gets a bound on its width from the
// widths of its characters, and texts are measured, the highest bound first,
// only while a bound is above the widest text measured so far: the widest
// is always among those measured. No widgets: the widths come from Pango.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <pango/pango.h>
#include <span>
#include <vector>

#include "dialogs/lists/items.h"
#include "frame/gobject_ptr.h"

// How wide texts are drawn, in Pango units: what the rows are measured with.
class TextWidths {
  public:
    virtual int width(const char *text) = 0;

  protected:
    ~TextWidths() = default;
};

// The widths a layout gives texts as a view shows them: repaired when they
// are not valid UTF-8. A character or pair of printable ASCII, of which the
// bounds are made, is shaped in the layout's font alone: laying a text out
// costs far more, most of it in finding its fonts.
class LayoutTextWidths final : public TextWidths {
  public:
    explicit LayoutTextWidths(PangoLayout *layout);
    int width(const char *text) override;

  private:
    int shaped_width(const char *text, int length);

    PangoLayout *layout_;
    GObjectPtr<PangoFont> font_;
};

// What one pass over a text finds: whether it breaks into more than one line
// (it holds a mandatory line or paragraph break) and, when it is made of
// ASCII only, a width it cannot exceed. Other characters are shaped by rules
// (fallback fonts, joining, marks) that no sum of widths bounds.
struct TextBound {
    bool breaks;
    std::optional<int64_t> width;
};

// Bounds of texts' widths from the widths of their characters and of each
// pair of neighbours, measured once each as they are first met: shaping
// may kern a pair apart, and a tab reaches at most a tab stop and a space
// past the point where it starts.
class WidthBounds {
  public:
    explicit WidthBounds(TextWidths &widths) : widths_(widths) {}
    TextBound of(const char *text);

  private:
    static constexpr int UNKNOWN = -1;

    int character(unsigned char c);
    int step(unsigned char previous, unsigned char c);
    int tab();

    TextWidths &widths_;
    std::array<int, 128> characters_ = filled<128>();
    // What a character adds after the one before it (0: none), by both.
    std::vector<int> steps_ = std::vector<int>(128 * 128, UNKNOWN);
    int tab_ = UNKNOWN;

    template <size_t N> static constexpr std::array<int, N> filled() {
        std::array<int, N> values{};
        values.fill(UNKNOWN);
        return values;
    }
};

// For each member, the row whose text is drawn widest; none when the items
// have no such member. Nothing when any of those texts breaks into lines.
std::optional<std::vector<std::optional<size_t>>>
widest_rows(const ItemArgs &items, std::span<const ItemText> members, TextWidths &widths);
