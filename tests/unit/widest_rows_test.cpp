#include <gtest/gtest.h>

#include <algorithm>
#include <pango/pangocairo.h>
#include <random>
#include <string>
#include <vector>

#include "dialogs/lists/widest_rows.h"
#include "frame/gobject_ptr.h"

namespace {

// Texts laid out in a font, as a view's layout lays them out, and counted.
class FontWidths final : public TextWidths {
  public:
    explicit FontWidths(const char *font)
        : context_(pango_font_map_create_context(pango_cairo_font_map_get_default())),
          layout_((set_font(context_.get(), font), pango_layout_new(context_.get()))),
          widths_(layout_.get()) {}

    int width(const char *text) override {
        ++measured;
        return widths_.width(text);
    }

    size_t measured = 0;

  private:
    static void set_font(PangoContext *context, const char *font) {
        PangoFontDescription *description = pango_font_description_from_string(font);
        pango_context_set_font_description(context, description);
        pango_font_description_free(description);
    }

    GObjectPtr<PangoContext> context_;
    GObjectPtr<PangoLayout> layout_;
    LayoutTextWidths widths_;
};

// A menu of these names and descriptions, without prefixes.
struct Menu {
    std::vector<std::string> texts;
    std::vector<const char *> args{"0"};
    Options opts{};

    explicit Menu(std::vector<std::string> names_and_descriptions)
        : texts(std::move(names_and_descriptions)) {
        reset_options(&opts);
        for (const std::string &text : texts)
            args.push_back(text.c_str());
    }
    ItemArgs items() const { return ItemArgs(ListKind::menu, args, &opts); }
};

constexpr ItemText SHOWN[] = {ItemText::name, ItemText::description};

// Pieces of text that are drawn unlike their neighbours: narrow and wide
// letters, pairs that kerning moves, digits, tabs, control characters,
// and beyond ASCII combining marks, wide characters, other scripts and
// bytes that are not UTF-8.
const std::vector<std::string> ASCII_PIECES = {
    "i",  "l",   "L",    "m",    "W",  "f",    "j",    "r",    ".",    ",",  " ",
    "AV", "To",  "ff",   "fi",   "r.", "-J",   "LA",   "SA",   "O-",   "0",  "1",
    "9",  "END", "item", "Row ", "\t", "\x01", "\x1f", "\x7f", "\x08", "\"", "_"};
const std::vector<std::string> OTHER_PIECES = {"e\u0301", "\u0308", "日本",         "語",
                                               "\xff",    "\xc3",   "\x80",         "\u00e9",
                                               "\u03a9",  "\u2192", "\u0627\u0644", "\u200b"};

std::string random_text(std::mt19937 &random, bool ascii_only) {
    std::uniform_int_distribution<size_t> length(0, 12);
    std::uniform_int_distribution<size_t> ascii(0, ASCII_PIECES.size() - 1);
    std::uniform_int_distribution<size_t> other(0, OTHER_PIECES.size() - 1);
    std::bernoulli_distribution beyond(0.1);
    std::string text;
    for (size_t n = length(random); n > 0; --n)
        text += !ascii_only && beyond(random) ? OTHER_PIECES[other(random)]
                                              : ASCII_PIECES[ascii(random)];
    return text;
}

class WidestRowsInFont : public testing::TestWithParam<const char *> {};

// Whatever the texts, the row chosen is drawn as wide as the widest row,
// and every bound is at least the width it bounds.
TEST_P(WidestRowsInFont, ChosenRowIsDrawnAsWideAsTheWidest) {
    FontWidths widths(GetParam());
    std::mt19937 random(26);
    std::uniform_int_distribution<size_t> row_count(1, 60);
    for (int list = 0; list < 300; ++list) {
        const bool ascii_only = list % 2 == 0;
        std::vector<std::string> texts;
        for (size_t n = 2 * row_count(random); n > 0; --n)
            texts.push_back(random_text(random, ascii_only));
        const Menu menu(texts);
        const ItemArgs items = menu.items();
        const auto widest = widest_rows(items, SHOWN, widths);
        ASSERT_TRUE(widest);
        WidthBounds bounds(widths);
        for (size_t m = 0; m < std::size(SHOWN); ++m) {
            int drawn = 0;
            for (size_t row = 0; row < items.size(); ++row) {
                const char *text = items.text(row, SHOWN[m]);
                const int width = widths.width(text);
                drawn = std::max(drawn, width);
                if (const std::optional<int64_t> bound = bounds.of(text).width) {
                    EXPECT_GE(*bound, width) << '"' << text << '"';
                }
            }
            ASSERT_TRUE((*widest)[m]);
            EXPECT_EQ(widths.width(items.text(*(*widest)[m], SHOWN[m])), drawn)
                << "list " << list << ", member " << m;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, WidestRowsInFont,
                         testing::Values("Sans 10", "Serif Italic 13", "Monospace 9"));

TEST(WidestRows, MeasuresFewRowsOfOrdinaryText) {
    // Texts alike in their characters are bounded to the width they are
    // drawn at, so that measuring stops at once.
    FontWidths widths("Sans 10");
    std::vector<std::string> texts;
    for (int n = 0; n < 20000; ++n)
        texts.insert(texts.end(), {"item" + std::to_string(n), "Row " + std::to_string(n)});
    const Menu menu(texts);
    const auto widest = widest_rows(menu.items(), SHOWN, widths);
    ASSERT_TRUE(widest);
    // Characters and pairs, then a few rows.
    EXPECT_LT(widths.measured, 400u);
}

TEST(WidestRows, FindsWhatTheRatingOfLettersMissed) {
    FontWidths widths("Sans 10");
    std::vector<std::string> texts;
    for (int n = 0; n < 20; ++n)
        texts.insert(texts.end(), {std::string(30, 'L'), "abcdefgh"});
    texts.insert(texts.end(), {"mmmmmmmmmmmmmmmmmmmmEND", "a\tb\tc\tEND"});
    const Menu menu(texts);
    const auto widest = widest_rows(menu.items(), SHOWN, widths);
    ASSERT_TRUE(widest);
    EXPECT_EQ((*widest)[0], 20u);
    EXPECT_EQ((*widest)[1], 20u);
}

TEST(WidestRows, NoneForAMissingMemberAndNothingWhenATextBreaks) {
    FontWidths widths("Sans 10");
    const ItemText members[] = {ItemText::name, ItemText::prefix};
    const auto widest = widest_rows(Menu({"a", "b"}).items(), members, widths);
    ASSERT_TRUE(widest);
    EXPECT_EQ((*widest)[0], 0u);
    EXPECT_FALSE((*widest)[1]);
    const Menu menu({"one\ntwo", "fine"});
    const ItemText names[] = {ItemText::name};
    const ItemText descriptions[] = {ItemText::description};
    EXPECT_FALSE(widest_rows(menu.items(), names, widths));
    // A text that no column shows does not count.
    EXPECT_TRUE(widest_rows(menu.items(), descriptions, widths));
}

TEST(WidthBounds, FindsEveryMandatoryBreak) {
    FontWidths widths("Sans 10");
    WidthBounds bounds(widths);
    for (const char *text : {"a\nb", "a\rb", "a\vb", "a\fb", "a\u0085b", "\xff\u2028", "a\u2029b"})
        EXPECT_TRUE(bounds.of(text).breaks) << text;
    // Other characters of the same lead bytes and tabs are no breaks.
    for (const char *text : {"", "plain\ttab", "caf\u00e9 \u00a9", "\u2026\u2030", "\xe2", "\xc2"})
        EXPECT_FALSE(bounds.of(text).breaks) << text;
}

} // namespace
