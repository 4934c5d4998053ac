#include "frame/file_text.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "frame/utf8_stream.h"

namespace {

// Bytes repaired at a time: each piece gets a mark, so offsets in the text
// and in the file are known exactly at least this often.
constexpr size_t PIECE_BYTES = 4096;

bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The length of the character that a lead byte starts (1 for any other).
size_t sequence_length(char byte) {
    auto lead = static_cast<unsigned char>(byte);
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    return lead >= 0xC0 ? 2 : 1;
}

// How many bytes at the start of bytes continue a character begun before
// them (at most 3, as no character is longer).
size_t continuation_prefix(std::string_view bytes) {
    size_t count = 0;
    while (count < std::min<size_t>(bytes.size(), 3) && is_continuation(bytes[count]))
        ++count;
    return count;
}

// The length of bytes without the character left cut at its end, if any.
size_t without_cut_character(std::string_view bytes) {
    size_t back = 0;
    while (back < std::min<size_t>(bytes.size(), 3) &&
           is_continuation(bytes[bytes.size() - 1 - back]))
        ++back;
    if (back == bytes.size())
        return bytes.size();
    size_t lead = bytes.size() - 1 - back;
    return sequence_length(bytes[lead]) > back + 1 ? lead : bytes.size();
}

// Where the next piece to repair ends: after its last line break, so that
// pieces of short lines start where lines do.
size_t piece_end(std::string_view bytes, size_t from) {
    size_t end = std::min(bytes.size(), from + PIECE_BYTES);
    if (end == bytes.size())
        return end;
    size_t newline = bytes.substr(from, end - from).rfind('\n');
    return newline == std::string_view::npos ? end : from + newline + 1;
}

} // namespace

FileRange read_range(uint64_t length, uint64_t target, size_t window_bytes) {
    target = std::min(target, length);
    uint64_t start = target > window_bytes / 2 ? target - window_bytes / 2 : 0;
    uint64_t end = std::min(length, start + window_bytes);
    start = end > window_bytes ? std::min(start, end - window_bytes) : 0;
    return {start, end};
}

FileRange window_bounds(std::string_view bytes, uint64_t bytes_start, uint64_t length,
                        uint64_t target) {
    uint64_t bytes_end = bytes_start + bytes.size();
    size_t at = static_cast<size_t>(std::clamp(target, bytes_start, bytes_end) - bytes_start);
    FileRange window{bytes_start, bytes_end};
    // A line break in the far half of the bytes is not taken: a paragraph
    // longer than half a window beside a short line would leave the window
    // little more than that line (at the end of a log that grew by a long
    // paragraph, a window of its last line alone). The window is cut
    // between characters there, as in a line longer than a window.
    size_t half = bytes.size() / 2;
    if (bytes_start > 0) {
        size_t newline = bytes.substr(0, at).find('\n');
        window.start = bytes_start + (newline < half ? newline + 1 : continuation_prefix(bytes));
    }
    if (bytes_end < length) {
        size_t newline = bytes.rfind('\n');
        size_t first = static_cast<size_t>(window.start - bytes_start);
        if (newline != std::string_view::npos && newline >= std::max({at, first, half}))
            window.end = bytes_start + newline + 1;
        else
            window.end = bytes_start + std::max(first, without_cut_character(bytes));
    }
    return window;
}

TextWindow decode_window(std::string_view bytes, uint64_t bytes_start, bool at_file_end) {
    TextWindow window;
    window.bytes = {bytes_start, bytes_start + bytes.size()};
    window.text.reserve(bytes.size());
    Utf8Repair repair;
    for (size_t from = 0; from < bytes.size();) {
        size_t end = piece_end(bytes, from);
        window.marks.emplace_back(bytes_start + from, window.text.size());
        window.text += repair.push(bytes.substr(from, end - from));
        from = end;
    }
    if (at_file_end) {
        std::string rest = repair.finish();
        window.cut_character = !rest.empty();
        window.text += rest;
    }
    return window;
}

namespace {

// The mark at or before a value, by a projection of the marks.
template <typename Marks, typename Key>
auto mark_before(const Marks &marks, uint64_t value, Key key) {
    auto after = std::upper_bound(marks.begin(), marks.end(), value,
                                  [&](uint64_t v, const auto &mark) { return v < key(mark); });
    return after;
}

} // namespace

size_t TextWindow::text_offset(uint64_t file_offset) const {
    auto after = mark_before(marks, file_offset, [](const auto &mark) { return mark.first; });
    if (after == marks.begin())
        return 0;
    auto mark = *(after - 1);
    size_t limit = after != marks.end() ? after->second : text.size();
    return std::min<uint64_t>(mark.second + (file_offset - mark.first), limit);
}

uint64_t TextWindow::file_offset(size_t text_offset) const {
    auto after = mark_before(marks, text_offset, [](const auto &mark) { return mark.second; });
    if (after == marks.begin())
        return bytes.start;
    auto mark = *(after - 1);
    uint64_t limit = after != marks.end() ? after->first : bytes.end;
    return std::min<uint64_t>(mark.first + (text_offset - mark.second), limit);
}

FileText::FileText(UniqueFd fd, uint64_t length, size_t window_bytes)
    : fd_(std::move(fd)), length_(length), window_bytes_(std::max<size_t>(window_bytes, 16)) {}

// A read that comes back short (a file truncated meanwhile) leaves bytes
// shorter; it is no error.
int FileText::read_at(FileRange range, std::string &bytes) const {
    bytes.resize(range.end - range.start);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = pread(fd_.get(), bytes.data() + done, bytes.size() - done,
                          static_cast<off_t>(range.start + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            bytes.resize(done);
            return n < 0 ? errno : 0;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

int FileText::load_around(uint64_t target) {
    FileRange range = read_range(length_, target, window_bytes_);
    std::string bytes;
    int error = read_at(range, bytes);
    struct stat status;
    bool short_read = bytes.size() < range.end - range.start;
    if (short_read && error == 0 && fstat(fd_.get(), &status) == 0 &&
        static_cast<uint64_t>(status.st_size) < length_) {
        // The file shrank since its length was told: read where it ends now.
        length_ = static_cast<uint64_t>(status.st_size);
        return load_around(target);
    }
    uint64_t length = short_read ? range.start + bytes.size() : length_;
    FileRange bounds = window_bounds(bytes, range.start, length, target);
    std::string_view kept(bytes.data() + (bounds.start - range.start), bounds.end - bounds.start);
    window_ = decode_window(kept, bounds.start, bounds.end == length);
    return error;
}

std::optional<std::string> FileText::set_length(uint64_t length) {
    if (length < length_) {
        start_over(length);
        return std::nullopt;
    }
    uint64_t old_length = std::exchange(length_, length);
    if (window_.bytes.end != old_length || length == old_length)
        return std::string();
    if (window_.cut_character)
        return std::nullopt;
    // Growth of more than a window is not taken, or the window would grow
    // without bound (a log that grew by gigabytes between two looks).
    if (length - old_length > window_bytes_)
        return std::string();
    std::string bytes;
    read_at({old_length, length}, bytes);
    TextWindow grown = decode_window(bytes, old_length, bytes.size() == length - old_length);
    size_t shift = window_.text.size();
    for (auto [file_offset, text_offset] : grown.marks)
        window_.marks.emplace_back(file_offset, text_offset + shift);
    window_.text += grown.text;
    window_.bytes.end = old_length + bytes.size();
    window_.cut_character = grown.cut_character;
    return grown.text;
}

int FileText::start_over(uint64_t length) {
    length_ = length;
    return load_around(0);
}

int FileText::start_over(UniqueFd fd, uint64_t length) {
    fd_ = std::move(fd);
    return start_over(length);
}
