// The text of the file viewer and the geometry of its sections, without
// widgets. Laying out text is the costly part of showing it, so the viewer
// lays out only the sections in sight: every other section's height is
// estimated from the widths of its characters, and replaced by the real one
// once the section has been laid out.
//
// A section is a paragraph, or a part of a paragraph longer than
// SECTION_BYTES: laying out one paragraph of many megabytes would freeze the
// window and take gigabytes, so such a paragraph is cut into sections that
// are laid out one by one. Each cut ends a line where wrapping the whole
// paragraph might have gone on, which is the one visible difference.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Paragraphs longer than this many bytes are cut into sections of at most
// this many: a few screenfuls of text, which Pango lays out in milliseconds.
constexpr size_t SECTION_BYTES = 4096;

// How many bytes of text go into the first section of a paragraph that runs
// on past section_bytes (at least 8), from at least section_bytes + 1 bytes
// of valid UTF-8 without a '\n'. Only those bytes count, so the cut does not
// depend on how the text arrived. The cut follows the last blank of the section's last quarter
// (where wrapping may end a line anyway), or else comes before an ASCII
// character (never inside a character or before a combining mark), or else
// before any character.
size_t first_section_length(std::string_view text, size_t section_bytes = SECTION_BYTES);

// Estimated advance widths, in pixels, of the characters of the view's font.
struct CharWidths {
    std::array<float, 128> ascii{}; // by code; a tab counts as its full stop
    float other = 0;                // any other character
};

// Bytes appended at the end, kept in pages of their own that a larger
// mapping takes over when they run out, instead of copying them: the text
// of a long stream is most of what the viewer holds, and a copy would
// briefly need twice its size.
class GrowingBytes {
  public:
    GrowingBytes() = default;
    GrowingBytes(GrowingBytes &&other) noexcept;
    GrowingBytes &operator=(GrowingBytes &&other) noexcept;
    ~GrowingBytes();

    void append(std::string_view bytes);
    std::string_view view() const { return {data_, size_}; }
    size_t size() const { return size_; }
    char operator[](size_t at) const { return data_[at]; }

  private:
    char *data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// Paragraphs are separated by '\n'; a '\r' before the '\n' belongs to the
// separator. Empty text is one empty paragraph, and text that ends with a
// separator ends with an empty paragraph, as a text view shows them.
//
// A stream of short lines makes millions of sections, so a section's record
// is kept small (offsets from its block's, no paragraph record: a section
// starts a paragraph when a '\n' comes before it), records are kept in
// blocks that never move, and measured heights only for blocks where some
// section has been measured (those the view has shown).
class TextStore {
  public:
    // Tests cut paragraphs into shorter sections than the viewer does
    // (never longer: a block of sections must span less than 4 GiB).
    explicit TextStore(size_t section_bytes = SECTION_BYTES);

    // Appends valid UTF-8 text.
    void append(std::string_view text);
    std::string_view text() const { return text_.view(); }

    // Paragraphs, for selecting and for screen readers.
    size_t paragraph_count() const { return paragraphs_; }
    // A paragraph's text without its separator.
    std::string_view paragraph(size_t index) const;
    // Byte offset of the paragraph's start in text().
    size_t paragraph_start(size_t index) const;
    // Byte offset of the paragraph's end: the next one's start, or the
    // text's end.
    size_t paragraph_end(size_t index) const;
    // The paragraph that holds the byte at offset (the last for the end).
    size_t paragraph_holding(size_t byte_offset) const;

    // Sections, what the view lays out and places.
    size_t section_count() const {
        return (blocks_.size() - 1) * BLOCK + blocks_.back().sections.size();
    }
    // A section's text, without the separator when it ends its paragraph.
    std::string_view section(size_t index) const;
    size_t section_start(size_t index) const;
    // The section that holds the byte at offset (the last for the end).
    size_t section_holding(size_t byte_offset) const;
    // Changes whenever the section's text does (only the last section
    // grows, or is cut), so that whatever was made from its text, such as a
    // layout, is known to be current while its revision is the same.
    size_t revision(size_t index) const { return section_end(index); }

    // Characters (not bytes) in the whole text, and the byte offset of a
    // character offset (offsets past the end give the end).
    size_t char_count() const { return chars_; }
    size_t byte_offset(size_t char_offset) const;
    size_t char_offset(size_t byte_offset) const;

    // Bytes held for the text and its records: what a viewer limits so that
    // an endless file cannot take all memory.
    size_t held_bytes() const { return text_.size() + section_count() * sizeof(Section); }

    // Geometry: every line of text is line_height pixels high, and text
    // wraps at wrap_width pixels. Changing either forgets every measured
    // height.
    void set_geometry(const CharWidths &widths, int line_height, int wrap_width);
    int line_height() const { return line_height_; }
    int wrap_width() const { return wrap_width_; }

    // Height in pixels of a section: measured, or estimated until it is.
    int height(size_t index) const;
    bool measured(size_t index) const { return measured_height(index) > 0; }
    void set_measured_height(size_t index, int height);

    int64_t total_height() const { return total_height_; }
    // Distance from the top of the text to the section's top.
    int64_t section_y(size_t index) const;
    // The section at distance y from the top of the text (the last one for
    // y past the end, the first for y below 0).
    size_t section_at(int64_t y) const;

  private:
    struct Section {
        uint32_t start;      // from its block's start
        uint32_t first_char; // from its block's first character
        float width;         // estimated width of its text on one line
    };
    // BLOCK sections in a row. Their heights are summed, so that finding a
    // section by its distance from the top skips whole blocks.
    struct Block {
        size_t start = 0;
        size_t first_char = 0;
        size_t first_paragraph = 0; // how many paragraphs start before it
        int64_t height = 0;
        std::vector<Section> sections;     // room for BLOCK from the start
        std::vector<int> measured_heights; // none until one is measured; 0: not measured
    };
    static constexpr size_t BLOCK = 1024;

    const Block &block_of(size_t index) const { return blocks_[index / BLOCK]; }
    const Section &section_record(size_t index) const {
        return block_of(index).sections[index % BLOCK];
    }
    size_t first_char(size_t index) const {
        return block_of(index).first_char + section_record(index).first_char;
    }
    bool starts_paragraph(size_t start) const { return start == 0 || text_[start - 1] == '\n'; }
    size_t section_end(size_t index) const;
    int measured_height(size_t index) const;
    float char_width(size_t at) const;
    float text_width(size_t from, size_t to) const;
    int estimated_height(float width) const;
    void add_section_height(size_t index, int height);
    void start_section(size_t start);
    void cut_last_section(size_t end, size_t counted);
    void resum_heights();

    size_t section_bytes_;
    GrowingBytes text_;
    std::vector<Block> blocks_;
    size_t paragraphs_ = 0;
    size_t chars_ = 0;
    int64_t total_height_ = 0;
    CharWidths widths_;
    int line_height_ = 1;
    int wrap_width_ = 1;
};
