#include "frame/text_store.h"

#include <algorithm>
#include <cmath>

namespace {

bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

TextStore::TextStore() {
    paragraphs_.push_back({0, 0, 0, 0});
    block_heights_.push_back(0);
    add_paragraph_height(0, estimated_height(paragraphs_[0]));
}

float TextStore::char_width(std::string_view text, size_t at) const {
    unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80)
        return widths_.ascii[byte];
    return is_continuation(text[at]) ? 0 : widths_.other;
}

int TextStore::estimated_height(const Paragraph &paragraph) const {
    double lines = std::ceil(paragraph.width / wrap_width_);
    return static_cast<int>(std::max(lines, 1.0)) * line_height_;
}

int TextStore::height(size_t index) const {
    const Paragraph &paragraph = paragraphs_[index];
    return paragraph.measured_height > 0 ? paragraph.measured_height : estimated_height(paragraph);
}

void TextStore::add_paragraph_height(size_t index, int height) {
    block_heights_[index / BLOCK] += height;
    total_height_ += height;
}

void TextStore::append(std::string_view text) {
    size_t offset = text_.size();
    text_.append(text);
    size_t last = paragraphs_.size() - 1;
    add_paragraph_height(last, -height(last));
    paragraphs_[last].measured_height = 0; // it may grow
    for (size_t i = 0; i < text.size(); ++i) {
        if (!is_continuation(text[i]))
            ++chars_;
        if (text[i] != '\n') {
            paragraphs_.back().width += char_width(text, i);
            continue;
        }
        add_paragraph_height(paragraphs_.size() - 1, height(paragraphs_.size() - 1));
        paragraphs_.push_back({offset + i + 1, chars_, 0, 0});
        if (paragraphs_.size() > block_heights_.size() * BLOCK)
            block_heights_.push_back(0);
    }
    add_paragraph_height(paragraphs_.size() - 1, height(paragraphs_.size() - 1));
}

std::string_view TextStore::paragraph(size_t index) const {
    size_t start = paragraphs_[index].start;
    if (index + 1 == paragraphs_.size())
        return std::string_view(text_).substr(start);
    size_t end = paragraphs_[index + 1].start - 1; // the '\n'
    if (end > start && text_[end - 1] == '\r')
        --end;
    return std::string_view(text_).substr(start, end - start);
}

size_t TextStore::paragraph_end(size_t index) const {
    return index + 1 < paragraphs_.size() ? paragraphs_[index + 1].start : text_.size();
}

size_t TextStore::paragraph_holding(size_t byte_offset) const {
    auto after = std::upper_bound(
        paragraphs_.begin(), paragraphs_.end(), byte_offset,
        [](size_t offset, const Paragraph &paragraph) { return offset < paragraph.start; });
    return static_cast<size_t>(after - paragraphs_.begin()) - 1;
}

size_t TextStore::byte_offset(size_t char_offset) const {
    if (char_offset >= chars_)
        return text_.size();
    auto after = std::upper_bound(
        paragraphs_.begin(), paragraphs_.end(), char_offset,
        [](size_t offset, const Paragraph &paragraph) { return offset < paragraph.first_char; });
    const Paragraph &paragraph = *(after - 1);
    size_t byte = paragraph.start;
    for (size_t chars = paragraph.first_char; chars < char_offset; ++chars) {
        do
            ++byte;
        while (byte < text_.size() && is_continuation(text_[byte]));
    }
    return byte;
}

size_t TextStore::char_offset(size_t byte_offset) const {
    byte_offset = std::min(byte_offset, text_.size());
    const Paragraph &paragraph = paragraphs_[paragraph_holding(byte_offset)];
    size_t chars = paragraph.first_char;
    for (size_t byte = paragraph.start; byte < byte_offset; ++byte) {
        if (!is_continuation(text_[byte]))
            ++chars;
    }
    return chars;
}

void TextStore::set_geometry(const CharWidths &widths, int line_height, int wrap_width) {
    line_height = std::max(line_height, 1);
    wrap_width = std::max(wrap_width, 1);
    bool same_widths = widths.ascii == widths_.ascii && widths.other == widths_.other;
    if (same_widths && line_height == line_height_ && wrap_width == wrap_width_)
        return;
    widths_ = widths;
    line_height_ = line_height;
    wrap_width_ = wrap_width;
    if (!same_widths) {
        for (size_t index = 0; index < paragraphs_.size(); ++index) {
            Paragraph &paragraph = paragraphs_[index];
            std::string_view text = this->paragraph(index);
            paragraph.width = 0;
            for (size_t i = 0; i < text.size(); ++i)
                paragraph.width += char_width(text, i);
        }
    }
    for (Paragraph &paragraph : paragraphs_)
        paragraph.measured_height = 0;
    resum_heights();
}

void TextStore::resum_heights() {
    std::fill(block_heights_.begin(), block_heights_.end(), 0);
    total_height_ = 0;
    for (size_t index = 0; index < paragraphs_.size(); ++index)
        add_paragraph_height(index, height(index));
}

void TextStore::set_measured_height(size_t index, int height) {
    height = std::max(height, 1);
    add_paragraph_height(index, height - this->height(index));
    paragraphs_[index].measured_height = height;
}

int64_t TextStore::paragraph_y(size_t index) const {
    size_t block = index / BLOCK;
    int64_t y = 0;
    for (size_t b = 0; b < block; ++b)
        y += block_heights_[b];
    for (size_t i = block * BLOCK; i < index; ++i)
        y += height(i);
    return y;
}

size_t TextStore::paragraph_at(int64_t y) const {
    if (y < 0)
        return 0;
    size_t block = 0;
    while (block + 1 < block_heights_.size() && y >= block_heights_[block]) {
        y -= block_heights_[block];
        ++block;
    }
    size_t end = std::min((block + 1) * BLOCK, paragraphs_.size());
    for (size_t index = block * BLOCK; index < end; ++index) {
        if (y < height(index))
            return index;
        y -= height(index);
    }
    return paragraphs_.size() - 1;
}
