// The text of the file viewer and the geometry of its paragraphs, without
// widgets. Laying out a paragraph is the costly part of showing text, so the
// viewer lays out only the paragraphs in sight: every other paragraph's
// height is estimated from the widths of its characters, and replaced by
// the real one once the paragraph has been laid out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Estimated advance widths, in pixels, of the characters of the view's font.
struct CharWidths {
    std::array<float, 128> ascii{}; // by code; a tab counts as its full stop
    float other = 0;                // any other character
};

// Paragraphs are separated by '\n'; a '\r' before the '\n' belongs to the
// separator. Empty text is one empty paragraph, and text that ends with a
// separator ends with an empty paragraph, as a text view shows them.
class TextStore {
  public:
    TextStore();

    // Appends valid UTF-8 text.
    void append(std::string_view text);
    const std::string &text() const { return text_; }

    size_t paragraph_count() const { return paragraphs_.size(); }
    // A paragraph's text without its separator.
    std::string_view paragraph(size_t index) const;
    // Byte offset of the paragraph's start in text().
    size_t paragraph_start(size_t index) const { return paragraphs_[index].start; }
    // Byte offset of the paragraph's end: the next one's start, or the
    // text's end.
    size_t paragraph_end(size_t index) const;
    // The paragraph that holds the byte at offset (the last for the end).
    size_t paragraph_holding(size_t byte_offset) const;
    // Changes whenever the paragraph's text does (only the last paragraph
    // grows), so that whatever was made from its text, such as a layout,
    // is known to be current while its revision is the same.
    size_t revision(size_t index) const { return paragraph_end(index); }

    // Characters (not bytes) in the whole text, and the byte offset of a
    // character offset (offsets past the end give the end).
    size_t char_count() const { return chars_; }
    size_t byte_offset(size_t char_offset) const;
    size_t char_offset(size_t byte_offset) const;

    // Geometry: every line of text is line_height pixels high, and text
    // wraps at wrap_width pixels. Changing either forgets every measured
    // height.
    void set_geometry(const CharWidths &widths, int line_height, int wrap_width);
    int line_height() const { return line_height_; }
    int wrap_width() const { return wrap_width_; }

    // Height in pixels of a paragraph: measured, or estimated until it is.
    int height(size_t index) const;
    bool measured(size_t index) const { return paragraphs_[index].measured_height > 0; }
    void set_measured_height(size_t index, int height);

    int64_t total_height() const { return total_height_; }
    // Distance from the top of the text to the paragraph's top.
    int64_t paragraph_y(size_t index) const;
    // The paragraph at distance y from the top of the text (the last one
    // for y past the end, the first for y below 0).
    size_t paragraph_at(int64_t y) const;

  private:
    struct Paragraph {
        size_t start;
        size_t first_char;
        float width; // estimated width of its text on one line
        int measured_height;
    };
    // Paragraph heights are summed in blocks of this many, so that finding
    // a paragraph by its distance from the top skips whole blocks.
    static constexpr size_t BLOCK = 1024;

    float char_width(std::string_view text, size_t at) const;
    int estimated_height(const Paragraph &paragraph) const;
    void add_paragraph_height(size_t index, int height);
    void resum_heights();

    std::string text_;
    std::vector<Paragraph> paragraphs_;
    std::vector<int64_t> block_heights_;
    size_t chars_ = 0;
    int64_t total_height_ = 0;
    CharWidths widths_;
    int line_height_ = 1;
    int wrap_width_ = 1;
};
