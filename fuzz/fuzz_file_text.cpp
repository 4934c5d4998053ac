// Windows of a file read on demand, over arbitrary bytes and targets: a
// window lies within the bytes read for it and holds its target, starts at a
// line start or between characters, its text is valid UTF-8 with the same
// line breaks as its bytes (the very bytes where they were valid), and
// offsets map between file and text in order and within bounds.
#include <glib.h>
#include <string>
#include <string_view>

#include "frame/file_text.h"
#include "fuzz_input.h"

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

size_t count_newlines(std::string_view text) {
    size_t count = 0;
    for (char c : text)
        count += c == '\n' ? 1 : 0;
    return count;
}

void check_window(std::string_view file, uint64_t target, size_t window_bytes) {
    FileRange read = read_range(file.size(), target, window_bytes);
    check(read.start <= read.end && read.end <= file.size());
    check(read.end - read.start == std::min(file.size(), window_bytes));
    check(read.start <= target || target > file.size());
    std::string_view bytes = file.substr(read.start, read.end - read.start);
    FileRange window = window_bounds(bytes, read.start, file.size(), target);
    check(read.start <= window.start && window.start <= window.end && window.end <= read.end);
    if (target < read.end)
        check(window.start <= target);
    check(window.start == 0 || file[window.start - 1] == '\n' || window.start - read.start <= 3);
    check(window.start == read.start || file[window.start - 1] == '\n' ||
          !is_continuation(file[window.start]) || window.start - read.start == 3);

    std::string_view kept = file.substr(window.start, window.end - window.start);
    TextWindow text = decode_window(kept, window.start, window.end == file.size());
    check(g_utf8_validate(text.text.data(), static_cast<gssize>(text.text.size()), nullptr));
    check(count_newlines(text.text) == count_newlines(kept));
    bool valid = g_utf8_validate(kept.data(), static_cast<gssize>(kept.size()), nullptr);
    if (valid && kept.find('\0') == std::string_view::npos)
        check(text.text == kept);
    size_t last_text = 0;
    for (uint64_t at = window.start; at <= window.end; ++at) {
        size_t in_text = text.text_offset(at);
        check(in_text >= last_text && in_text <= text.text.size());
        uint64_t back = text.file_offset(in_text);
        check(back >= window.start && back <= window.end);
        last_text = in_text;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    auto [cuts, file] = split_cuts(data, size);
    size_t window_bytes = 16 + (cuts.empty() ? 0 : static_cast<uint8_t>(cuts[0]) % 64);
    for (uint64_t target = 0; target <= file.size() + 1; ++target)
        check_window(file, target, window_bytes);
    return 0;
}
