// The text of a regular file of any size, read from the file on demand. A
// log of gigabytes cannot be copied into memory, nor its paragraphs all
// indexed before the window shows, so only a window of the file (about
// WINDOW_BYTES around the text in sight) is read, repaired to UTF-8 and
// given to the view's TextStore; the view reads another window when its
// text in sight nears an edge of this one, or is moved off it.
//
// The file is read with pread rather than mapped: a mapped file that is
// truncated while it is shown (log rotation) would kill the program with
// SIGBUS on the next access, where a read just comes back short.
//
// A window starts at a line start and ends after a line break where the
// bytes read about its target have one (so that its paragraphs are the
// file's), and otherwise between two characters: a line longer than half a
// window is then cut into windows there, which is seen only where a window
// starts or ends in sight (at most at the file's start or end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/unique_fd.h"

// Bytes read for a window: a few hundred screenfuls of text, which is
// repaired and indexed in a few milliseconds.
constexpr size_t WINDOW_BYTES = 1024 * 1024;

// A range of byte offsets in the file, from start up to end.
struct FileRange {
    uint64_t start = 0;
    uint64_t end = 0;
};

// The bytes to read for a window about the byte at target of a file length
// bytes long: window_bytes of them (or the whole file), half before target
// where the file's start allows.
FileRange read_range(uint64_t length, uint64_t target, size_t window_bytes);

// The window's bounds within the bytes that were read at read.start of a
// file length bytes long (read as read_range gave it): from the first line
// start in them up to target, to the last line end in them after target,
// where these lie in the near half of the bytes.
FileRange window_bounds(std::string_view bytes, uint64_t bytes_start, uint64_t length,
                        uint64_t target);

// A window's text, repaired as the viewer repairs a stream (utf8_stream.h),
// and where its pieces came from in the file.
struct TextWindow {
    FileRange bytes;
    std::string text;
    // The window reaches the file's end in the middle of a character,
    // shown as U+FFFD until the file grows.
    bool cut_character = false;
    // The file offset and text offset at which each repaired piece starts;
    // within a piece, offsets differ by the same amount until the piece's
    // first repair.
    std::vector<std::pair<uint64_t, size_t>> marks;

    // Where the text shows the byte at a file offset, and the file offset
    // of a byte of the text; exact in valid UTF-8, close elsewhere.
    size_t text_offset(uint64_t file_offset) const;
    uint64_t file_offset(size_t text_offset) const;
};

// The text of the bytes of a file at bytes_start; at_file_end says that
// they run to the file's end, where a character left cut is repaired.
TextWindow decode_window(std::string_view bytes, uint64_t bytes_start, bool at_file_end);

// A regular file and the window of it at hand.
class FileText {
  public:
    // fd is read from (and closed when the FileText goes); the file is
    // taken to be length bytes long until told otherwise.
    FileText(UniqueFd fd, uint64_t length, size_t window_bytes = WINDOW_BYTES);

    uint64_t length() const { return length_; }
    size_t window_bytes() const { return window_bytes_; }
    const TextWindow &window() const { return window_; }

    // Reads the window about the byte at target. Returns 0, or errno when
    // the file could not be read (the window then holds what was read).
    int load_around(uint64_t target);

    // The file is now length bytes long. When it grew and the window
    // reached its old end, the window takes the new bytes and their text is
    // returned, to be appended to the view's; when the window lies
    // elsewhere, or the file grew by more than a window, nothing changes
    // but the length (and "" is returned).
    // Nothing is returned when the text at hand no longer holds: a file
    // shorter than before was truncated, and starts over; a window that
    // ended in a cut character must be read again (load_around), as the
    // character may now be whole.
    std::optional<std::string> set_length(uint64_t length);

    // The file was truncated (or replaced, when given its new descriptor)
    // and is length bytes long: the window is read again from its start.
    int start_over(uint64_t length);
    int start_over(UniqueFd fd, uint64_t length);

  private:
    int read_at(FileRange range, std::string &bytes) const;

    UniqueFd fd_;
    uint64_t length_;
    size_t window_bytes_;
    TextWindow window_;
};
