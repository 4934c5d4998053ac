#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "frame/file_text.h"

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";

// A file in the temporary directory, removed when the test ends.
class ScratchFile {
  public:
    explicit ScratchFile(std::string_view bytes) {
        char name[] = "/tmp/file_text_test_XXXXXX";
        int fd = mkstemp(name);
        path_ = name;
        close(fd);
        write(bytes);
    }
    ~ScratchFile() { unlink(path_.c_str()); }

    // Replaces the file's bytes (a truncation when they are fewer).
    void write(std::string_view bytes) const {
        int fd = open(path_.c_str(), O_WRONLY | O_TRUNC);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    void append(std::string_view bytes) const {
        int fd = open(path_.c_str(), O_WRONLY | O_APPEND);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    UniqueFd open_for_reading() const { return UniqueFd(open(path_.c_str(), O_RDONLY)); }

  private:
    std::string path_;
};

std::string numbered_lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "line " + std::to_string(i) + (i % 3 == 0 ? " and some more words\n" : "\n");
    return text;
}

// Every window of a file of short lines holds whole lines, the byte it was
// read about among them, and exactly the file's text from its start to its
// end; at the file's edges it reaches them.
TEST(FileTextTest, WindowsHoldWholeLinesAboutTheirTarget) {
    std::string text = numbered_lines(40);
    ScratchFile file(text);
    FileText file_text(file.open_for_reading(), text.size(), 64);
    for (uint64_t target = 0; target <= text.size(); ++target) {
        ASSERT_EQ(file_text.load_around(target), 0);
        const TextWindow &window = file_text.window();
        FileRange bytes = window.bytes;
        EXPECT_TRUE(bytes.start == 0 || text[bytes.start - 1] == '\n') << target;
        EXPECT_TRUE(bytes.end == text.size() || text[bytes.end - 1] == '\n') << target;
        EXPECT_LE(bytes.start, target);
        EXPECT_TRUE(target < bytes.end || target == text.size()) << target;
        EXPECT_LE(bytes.end - bytes.start, 64u);
        EXPECT_EQ(window.text, text.substr(bytes.start, bytes.end - bytes.start));
    }
    file_text.load_around(text.size());
    EXPECT_EQ(file_text.window().bytes.end, text.size());
    EXPECT_GT(file_text.window().bytes.end - file_text.window().bytes.start, 32u);
}

// A line longer than a window is cut between characters, never inside one,
// and the windows that cut it follow on from one another.
TEST(FileTextTest, LongLinesAreCutBetweenCharacters) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "\xE2\x82\xAC"; // the euro sign, three bytes
    ScratchFile file(text);
    FileText file_text(file.open_for_reading(), text.size(), 32);
    for (uint64_t target = 0; target < text.size(); ++target) {
        file_text.load_around(target);
        const TextWindow &window = file_text.window();
        EXPECT_EQ(window.bytes.start % 3, 0u) << target;
        EXPECT_EQ(window.bytes.end % 3, 0u) << target;
        EXPECT_EQ(window.text.find(REPLACEMENT), std::string::npos) << target;
        EXPECT_LE(window.bytes.start, target);
        EXPECT_GT(window.bytes.end, target);
    }
}

// A short line beside a paragraph longer than a window does not leave the
// window about it little more than that line: it is cut within the
// paragraph instead, at either end of the file.
TEST(FileTextTest, AShortLineBesideALongParagraphKeepsTheWindowFull) {
    const std::string paragraph(200, 'p');
    const struct {
        std::string text;
        uint64_t target;
    } cases[] = {
        {"first\n" + paragraph + "\nlast\n", 6 + 200 + 6}, // the end, after the last line
        {"first\n" + paragraph + "\nlast", 6 + 200 + 5},   // the end of an unfinished line
        {"first\n" + paragraph + "\nlast\n", 0},           // the start
    };
    for (const auto &c : cases) {
        ScratchFile file(c.text);
        FileText file_text(file.open_for_reading(), c.text.size(), 64);
        file_text.load_around(c.target);
        const TextWindow &window = file_text.window();
        EXPECT_GE(window.bytes.end - window.bytes.start, 32u) << c.target;
        EXPECT_EQ(window.text,
                  c.text.substr(window.bytes.start, window.bytes.end - window.bytes.start));
    }
}

// Invalid bytes, NULs and CR line ends are repaired as a stream read
// whole is; a character cut by the file's end shows as U+FFFD.
TEST(FileTextTest, RepairsAsTheStreamDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"ok\xFF\n", "ok\xEF\xBF\xBD\n"},
        {std::string("nul\0nul\n", 8), "nul\xEF\xBF\xBDnul\n"},
        {"dos\r\nmac\rend", "dos\r\nmac\rend"},
        {"cut \xE2\x82", "cut \xEF\xBF\xBD"},
        {"\xC3(", "\xEF\xBF\xBD("},
    };
    for (const auto &[bytes, expected] : cases) {
        TextWindow window = decode_window(bytes, 0, true);
        EXPECT_EQ(window.text, expected);
        EXPECT_EQ(window.cut_character, bytes == "cut \xE2\x82");
    }
}

// Offsets map between the file and the text exactly in valid text, and in
// order (within the window) where repairs lengthen it.
TEST(FileTextTest, OffsetsMapBetweenFileAndText) {
    std::string bytes = numbered_lines(2000);
    TextWindow window = decode_window(bytes, 1000, true);
    for (size_t offset = 0; offset <= bytes.size(); offset += 7) {
        EXPECT_EQ(window.text_offset(1000 + offset), offset);
        EXPECT_EQ(window.file_offset(offset), 1000 + offset);
    }
    std::string broken(20000, '\xFF');
    TextWindow repaired = decode_window(broken, 0, true);
    EXPECT_EQ(repaired.text.size(), 3 * broken.size());
    size_t last = 0;
    for (uint64_t offset = 0; offset <= broken.size(); offset += 999) {
        size_t in_text = repaired.text_offset(offset);
        EXPECT_GE(in_text, last);
        EXPECT_LE(in_text, repaired.text.size());
        EXPECT_LE(repaired.file_offset(in_text), broken.size());
        last = in_text;
    }
}

// What a follower of a growing file relies on: the window at the end takes
// what the file grew by, a window elsewhere only learns the length, and a
// truncated or replaced file starts over.
TEST(FileTextTest, FollowsTheFilesLength) {
    ScratchFile file("one\ntwo\n");
    FileText file_text(file.open_for_reading(), 8, 64);
    file_text.load_around(0);

    file.append("three\n");
    EXPECT_EQ(file_text.set_length(14), "three\n");
    EXPECT_EQ(file_text.window().text, "one\ntwo\nthree\n");
    EXPECT_EQ(file_text.set_length(14), "");

    file.write("new\n");
    EXPECT_EQ(file_text.set_length(4), std::nullopt);
    EXPECT_EQ(file_text.window().text, "new\n");
    EXPECT_EQ(file_text.length(), 4u);

    // Grown by more than a window (a log that grew by gigabytes between
    // two looks): the window does not take it all, the length is known.
    std::string long_text = numbered_lines(100);
    file.write(long_text);
    EXPECT_EQ(file_text.set_length(long_text.size()), "");
    EXPECT_EQ(file_text.window().text, "new\n");
    EXPECT_EQ(file_text.length(), long_text.size());
    file_text.load_around(0);
    file.append("more\n");
    EXPECT_EQ(file_text.set_length(long_text.size() + 5), "") << "the window is not at the end";
    EXPECT_EQ(file_text.length(), long_text.size() + 5);

    ScratchFile replacement("rotated\n");
    EXPECT_EQ(file_text.start_over(replacement.open_for_reading(), 8), 0);
    EXPECT_EQ(file_text.window().text, "rotated\n");
}

// A character that the writer had not finished is read again once it is.
TEST(FileTextTest, ACutCharacterIsReadAgainOnceWhole) {
    ScratchFile file("price \xE2\x82");
    FileText file_text(file.open_for_reading(), 8, 64);
    file_text.load_around(0);
    EXPECT_EQ(file_text.window().text, "price \xEF\xBF\xBD");
    file.append("\xAC\n");
    EXPECT_EQ(file_text.set_length(10), std::nullopt);
    file_text.load_around(0);
    EXPECT_EQ(file_text.window().text, "price \xE2\x82\xAC\n");
}

// A file that shrank before it was told reads where it now ends, without
// error.
TEST(FileTextTest, AFileShorterThanToldIsReadWhereItEnds) {
    ScratchFile file("short\n");
    FileText file_text(file.open_for_reading(), 1000, 64);
    EXPECT_EQ(file_text.load_around(500), 0);
    EXPECT_EQ(file_text.window().text, "short\n");
    EXPECT_EQ(file_text.length(), 6u);
}

} // namespace
