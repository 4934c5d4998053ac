#include "frame/text_store.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// Mappings grow in steps of whole pages.
constexpr size_t MAPPING_GRAIN = 64 * 1024;

GrowingBytes::GrowingBytes(GrowingBytes &&other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

GrowingBytes &GrowingBytes::operator=(GrowingBytes &&other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
}

GrowingBytes::~GrowingBytes() {
    if (data_ != nullptr)
        munmap(data_, capacity_);
}

void GrowingBytes::append(std::string_view bytes) {
    if (bytes.empty())
        return;
    if (bytes.size() > capacity_ - size_) {
        size_t needed = (size_ + bytes.size() + MAPPING_GRAIN - 1) / MAPPING_GRAIN * MAPPING_GRAIN;
        size_t capacity = std::max(capacity_ * 2, needed);
        // Pages not written yet take no memory, so doubling costs nothing.
        void *data = data_ == nullptr ? mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                      : mremap(data_, capacity_, capacity, MREMAP_MAYMOVE);
        if (data == MAP_FAILED)
            std::abort(); // out of memory, as a failed allocation anywhere else
        data_ = static_cast<char *>(data);
        capacity_ = capacity;
    }
    std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
}

TextStore::TextStore(size_t section_bytes) : section_bytes_(section_bytes) {
    static_assert(BLOCK * (SECTION_BYTES + 1) < UINT32_MAX);
    start_section(0);
    paragraphs_ = 1;
    add_section_height(0, estimated_height(0));
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

int TextStore::estimated_height(float width) const {
    double lines = std::ceil(width / wrap_width_);
    return static_cast<int>(std::max(lines, 1.0)) * line_height_;
}

int TextStore::measured_height(size_t index) const {
    const Block &block = block_of(index);
    return block.measured_heights.empty() ? 0 : block.measured_heights[index % BLOCK];
}

int TextStore::height(size_t index) const {
    int measured = measured_height(index);
    return measured > 0 ? measured : estimated_height(section_record(index).width);
}

void TextStore::add_section_height(size_t index, int height) {
    blocks_[index / BLOCK].height += height;
    total_height_ += height;
}

void TextStore::start_section(size_t start) {
    if (blocks_.empty() || blocks_.back().sections.size() == BLOCK) {
        Block &block = blocks_.emplace_back();
        block.start = start;
        block.first_char = chars_;
        block.first_paragraph = paragraphs_;
        block.sections.reserve(BLOCK);
    }
    Block &block = blocks_.back();
    block.sections.push_back({static_cast<uint32_t>(start - block.start),
                              static_cast<uint32_t>(chars_ - block.first_char), 0});
}

size_t TextStore::section_start(size_t index) const {
    return block_of(index).start + section_record(index).start;
}

// The last section ends at end; the text after it, up to the byte at
// counted (not yet counted itself), starts a new one.
void TextStore::cut_last_section(size_t end, size_t counted) {
    size_t last = section_count() - 1;
    blocks_.back().sections.back().width = text_width(section_start(last), end);
    add_section_height(last, height(last));
    size_t chars_after = 0;
    for (size_t at = end; at < counted; ++at)
        chars_after += is_continuation(text_[at]) ? 0 : 1;
    chars_ -= chars_after;
    start_section(end);
    chars_ += chars_after;
    blocks_.back().sections.back().width = text_width(end, counted);
}

void TextStore::append(std::string_view text) {
    size_t offset = text_.size();
    text_.append(text);
    size_t last = section_count() - 1;
    add_section_height(last, -height(last));
    if (!blocks_.back().measured_heights.empty())
        blocks_.back().measured_heights[last % BLOCK] = 0; // it may grow
    size_t start = section_start(last);
    // The open section's, at hand: this loop runs for every byte.
    float *width = &blocks_.back().sections.back().width;
    for (size_t at = offset; at < text_.size(); ++at) {
        char byte = text_[at];
        if (byte != '\n' && at - start >= section_bytes_) {
            std::string_view section = text_.view().substr(start, section_bytes_ + 1);
            start += first_section_length(section, section_bytes_);
            cut_last_section(start, at);
            width = &blocks_.back().sections.back().width;
        }
        if (!is_continuation(byte))
            ++chars_;
        *width += char_width(at);
        if (byte == '\n') {
            add_section_height(section_count() - 1, height(section_count() - 1));
            start = at + 1;
            start_section(start);
            width = &blocks_.back().sections.back().width;
            ++paragraphs_;
        }
    }
    add_section_height(section_count() - 1, height(section_count() - 1));
}

namespace {

// Text from start to end without the separator that may end it.
std::string_view without_separator(std::string_view text, size_t start, size_t end) {
    if (end > start && text[end - 1] == '\n') {
        --end;
        if (end > start && text[end - 1] == '\r')
            --end;
    }
    return text.substr(start, end - start);
}

} // namespace

std::string_view TextStore::paragraph(size_t index) const {
    return without_separator(text(), paragraph_start(index), paragraph_end(index));
}

size_t TextStore::paragraph_start(size_t index) const {
    auto after = std::upper_bound(
        blocks_.begin(), blocks_.end(), index,
        [](size_t paragraph, const Block &block) { return paragraph < block.first_paragraph; });
    const Block &block = *(after - 1);
    size_t paragraph = block.first_paragraph;
    for (const Section &section : block.sections) {
        size_t start = block.start + section.start;
        if (starts_paragraph(start) && paragraph++ == index)
            return start;
    }
    return text_.size(); // past the last paragraph
}

size_t TextStore::paragraph_end(size_t index) const {
    return index + 1 < paragraphs_ ? paragraph_start(index + 1) : text_.size();
}

size_t TextStore::paragraph_holding(size_t byte_offset) const {
    size_t index = section_holding(byte_offset);
    const Block &block = block_of(index);
    size_t started = block.first_paragraph;
    for (size_t i = 0; i <= index % BLOCK; ++i)
        started += starts_paragraph(block.start + block.sections[i].start) ? 1 : 0;
    return started - 1;
}

std::string_view TextStore::section(size_t index) const {
    return without_separator(text(), section_start(index), section_end(index));
}

size_t TextStore::section_end(size_t index) const {
    return index + 1 < section_count() ? section_start(index + 1) : text_.size();
}

size_t TextStore::section_holding(size_t byte_offset) const {
    auto block =
        std::upper_bound(blocks_.begin(), blocks_.end(), byte_offset,
                         [](size_t offset, const Block &block) { return offset < block.start; }) -
        1;
    auto after = std::upper_bound(
        block->sections.begin(), block->sections.end(), byte_offset - block->start,
        [](size_t offset, const Section &section) { return offset < section.start; });
    return static_cast<size_t>(block - blocks_.begin()) * BLOCK +
           static_cast<size_t>(after - block->sections.begin()) - 1;
}

size_t TextStore::byte_offset(size_t char_offset) const {
    if (char_offset >= chars_)
        return text_.size();
    auto block = std::upper_bound(
                     blocks_.begin(), blocks_.end(), char_offset,
                     [](size_t offset, const Block &block) { return offset < block.first_char; }) -
                 1;
    auto after = std::upper_bound(
        block->sections.begin(), block->sections.end(), char_offset - block->first_char,
        [](size_t offset, const Section &section) { return offset < section.first_char; });
    size_t byte = block->start + (after - 1)->start;
    for (size_t chars = block->first_char + (after - 1)->first_char; chars < char_offset; ++chars) {
        do
            ++byte;
        while (byte < text_.size() && is_continuation(text_[byte]));
    }
    return byte;
}

size_t TextStore::char_offset(size_t byte_offset) const {
    byte_offset = std::min(byte_offset, text_.size());
    size_t index = section_holding(byte_offset);
    size_t chars = first_char(index);
    for (size_t byte = section_start(index); byte < byte_offset; ++byte) {
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
    for (size_t b = 0; b < blocks_.size(); ++b) {
        Block &block = blocks_[b];
        block.measured_heights = std::vector<int>();
        if (same_widths)
            continue;
        for (size_t i = 0; i < block.sections.size(); ++i) {
            size_t index = b * BLOCK + i;
            block.sections[i].width = text_width(section_start(index), section_end(index));
        }
    }
    resum_heights();
}

void TextStore::resum_heights() {
    total_height_ = 0;
    for (Block &block : blocks_)
        block.height = 0;
    for (size_t index = 0; index < section_count(); ++index)
        add_section_height(index, height(index));
}

void TextStore::set_measured_height(size_t index, int height) {
    height = std::max(height, 1);
    add_section_height(index, height - this->height(index));
    Block &block = blocks_[index / BLOCK];
    if (block.measured_heights.empty())
        block.measured_heights.resize(BLOCK);
    block.measured_heights[index % BLOCK] = height;
}

int64_t TextStore::section_y(size_t index) const {
    size_t block = index / BLOCK;
    int64_t y = 0;
    for (size_t b = 0; b < block; ++b)
        y += blocks_[b].height;
    for (size_t i = block * BLOCK; i < index; ++i)
        y += height(i);
    return y;
}

size_t TextStore::section_at(int64_t y) const {
    if (y < 0)
        return 0;
    size_t block = 0;
    while (block + 1 < blocks_.size() && y >= blocks_[block].height) {
        y -= blocks_[block].height;
        ++block;
    }
    size_t end = std::min((block + 1) * BLOCK, section_count());
    for (size_t index = block * BLOCK; index < end; ++index) {
        if (y < height(index))
            return index;
        y -= height(index);
    }
    return section_count() - 1;
}
