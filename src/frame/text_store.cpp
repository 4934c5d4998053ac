#include "frame/text_store.h"

#include <algorithm>
#include <cmath>

namespace {

bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

bool is_blank(char byte) {
    return byte == ' ' || byte == '\t';
}

bool is_ascii(char byte) {
    return static_cast<unsigned char>(byte) < 0x80;
}

} // namespace

size_t first_section_length(std::string_view text, size_t section_bytes) {
    for (size_t length = section_bytes; length > section_bytes * 3 / 4; --length) {
        if (is_blank(text[length - 1]))
            return length;
    }
    for (size_t length = section_bytes; length > section_bytes / 2; --length) {
        if (is_ascii(text[length]))
            return length;
    }
    size_t length = section_bytes;
    while (is_continuation(text[length]))
        --length;
    return length;
}

TextStore::TextStore(size_t section_bytes) : section_bytes_(section_bytes) {
    paragraph_starts_.push_back(0);
    sections_.push_back({0, 0, 0, 0});
    block_heights_.push_back(0);
    add_section_height(0, estimated_height(sections_[0]));
}

float TextStore::char_width(size_t at) const {
    char byte = text_[at];
    if (is_ascii(byte))
        return byte == '\n' ? 0 : widths_.ascii[static_cast<unsigned char>(byte)];
    return is_continuation(byte) ? 0 : widths_.other;
}

float TextStore::text_width(size_t from, size_t to) const {
    float width = 0;
    for (size_t at = from; at < to; ++at)
        width += char_width(at);
    return width;
}

int TextStore::estimated_height(const Section &section) const {
    double lines = std::ceil(section.width / wrap_width_);
    return static_cast<int>(std::max(lines, 1.0)) * line_height_;
}

int TextStore::height(size_t index) const {
    const Section &section = sections_[index];
    return section.measured_height > 0 ? section.measured_height : estimated_height(section);
}

void TextStore::add_section_height(size_t index, int height) {
    block_heights_[index / BLOCK] += height;
    total_height_ += height;
}

void TextStore::start_section(size_t start) {
    sections_.push_back({start, chars_, 0, 0});
    if (sections_.size() > block_heights_.size() * BLOCK)
        block_heights_.push_back(0);
}

// The last section ends at end; the text after it, up to the byte at
// counted (not yet counted itself), starts a new one.
void TextStore::cut_last_section(size_t end, size_t counted) {
    size_t last = sections_.size() - 1;
    sections_[last].width = text_width(sections_[last].start, end);
    add_section_height(last, height(last));
    size_t chars_after = 0;
    for (size_t at = end; at < counted; ++at)
        chars_after += is_continuation(text_[at]) ? 0 : 1;
    chars_ -= chars_after;
    start_section(end);
    chars_ += chars_after;
    sections_.back().width = text_width(end, counted);
}

void TextStore::append(std::string_view text) {
    size_t offset = text_.size();
    text_.append(text);
    size_t last = sections_.size() - 1;
    add_section_height(last, -height(last));
    sections_[last].measured_height = 0; // it may grow
    for (size_t at = offset; at < text_.size(); ++at) {
        size_t start = sections_.back().start;
        if (text_[at] != '\n' && at - start >= section_bytes_) {
            std::string_view section(text_.data() + start, section_bytes_ + 1);
            cut_last_section(start + first_section_length(section, section_bytes_), at);
        }
        if (!is_continuation(text_[at]))
            ++chars_;
        sections_.back().width += char_width(at);
        if (text_[at] == '\n') {
            add_section_height(sections_.size() - 1, height(sections_.size() - 1));
            paragraph_starts_.push_back(at + 1);
            start_section(at + 1);
        }
    }
    add_section_height(sections_.size() - 1, height(sections_.size() - 1));
}

namespace {

// Text from start to end without the separator that may end it.
std::string_view without_separator(const std::string &text, size_t start, size_t end) {
    if (end > start && text[end - 1] == '\n') {
        --end;
        if (end > start && text[end - 1] == '\r')
            --end;
    }
    return std::string_view(text).substr(start, end - start);
}

} // namespace

std::string_view TextStore::paragraph(size_t index) const {
    return without_separator(text_, paragraph_start(index), paragraph_end(index));
}

size_t TextStore::paragraph_end(size_t index) const {
    return index + 1 < paragraph_starts_.size() ? paragraph_starts_[index + 1] : text_.size();
}

size_t TextStore::paragraph_holding(size_t byte_offset) const {
    auto after = std::upper_bound(paragraph_starts_.begin(), paragraph_starts_.end(), byte_offset);
    return static_cast<size_t>(after - paragraph_starts_.begin()) - 1;
}

std::string_view TextStore::section(size_t index) const {
    return without_separator(text_, section_start(index), section_end(index));
}

size_t TextStore::section_end(size_t index) const {
    return index + 1 < sections_.size() ? sections_[index + 1].start : text_.size();
}

size_t TextStore::section_holding(size_t byte_offset) const {
    auto after = std::upper_bound(
        sections_.begin(), sections_.end(), byte_offset,
        [](size_t offset, const Section &section) { return offset < section.start; });
    return static_cast<size_t>(after - sections_.begin()) - 1;
}

size_t TextStore::byte_offset(size_t char_offset) const {
    if (char_offset >= chars_)
        return text_.size();
    auto after = std::upper_bound(
        sections_.begin(), sections_.end(), char_offset,
        [](size_t offset, const Section &section) { return offset < section.first_char; });
    const Section &section = *(after - 1);
    size_t byte = section.start;
    for (size_t chars = section.first_char; chars < char_offset; ++chars) {
        do
            ++byte;
        while (byte < text_.size() && is_continuation(text_[byte]));
    }
    return byte;
}

size_t TextStore::char_offset(size_t byte_offset) const {
    byte_offset = std::min(byte_offset, text_.size());
    const Section &section = sections_[section_holding(byte_offset)];
    size_t chars = section.first_char;
    for (size_t byte = section.start; byte < byte_offset; ++byte) {
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
        for (size_t index = 0; index < sections_.size(); ++index)
            sections_[index].width = text_width(sections_[index].start, section_end(index));
    }
    for (Section &section : sections_)
        section.measured_height = 0;
    resum_heights();
}

void TextStore::resum_heights() {
    std::fill(block_heights_.begin(), block_heights_.end(), 0);
    total_height_ = 0;
    for (size_t index = 0; index < sections_.size(); ++index)
        add_section_height(index, height(index));
}

void TextStore::set_measured_height(size_t index, int height) {
    height = std::max(height, 1);
    add_section_height(index, height - this->height(index));
    sections_[index].measured_height = height;
}

int64_t TextStore::section_y(size_t index) const {
    size_t block = index / BLOCK;
    int64_t y = 0;
    for (size_t b = 0; b < block; ++b)
        y += block_heights_[b];
    for (size_t i = block * BLOCK; i < index; ++i)
        y += height(i);
    return y;
}

size_t TextStore::section_at(int64_t y) const {
    if (y < 0)
        return 0;
    size_t block = 0;
    while (block + 1 < block_heights_.size() && y >= block_heights_[block]) {
        y -= block_heights_[block];
        ++block;
    }
    size_t end = std::min((block + 1) * BLOCK, sections_.size());
    for (size_t index = block * BLOCK; index < end; ++index) {
        if (y < height(index))
            return index;
        y -= height(index);
    }
    return sections_.size() - 1;
}
