#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "frame/utf8_stream.h"

namespace {

// Feeds input in pieces cut at the given offsets and returns all the text.
std::string repair_in_pieces(const std::string &input, const std::vector<size_t> &cuts) {
    Utf8Repair repair;
    std::string out;
    size_t start = 0;
    for (size_t cut : cuts) {
        out += repair.push(std::string_view(input).substr(start, cut - start));
        start = cut;
    }
    out += repair.push(std::string_view(input).substr(start));
    return out + repair.finish();
}

TEST(Utf8RepairTest, CharactersCutBetweenPiecesComeOutWhole) {
    const std::string text = "a\xC3\xA9z \xE2\x82\xAC \xF0\x9F\x98\x80!"; // é, €, an emoji
    for (size_t cut = 0; cut <= text.size(); ++cut)
        EXPECT_EQ(repair_in_pieces(text, {cut}), text) << "cut at " << cut;
    std::vector<size_t> every_byte;
    for (size_t i = 1; i < text.size(); ++i)
        every_byte.push_back(i);
    EXPECT_EQ(repair_in_pieces(text, every_byte), text);
}

TEST(Utf8RepairTest, BadBytesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"a\xFFz", "a" + fffd + "z"},
        {"\xC3(", fffd + "("},     // a lead byte without its continuation
        {"a\xE2\x82", "a" + fffd}, // cut short by the end of the stream
        {std::string("a\0b", 3), "a" + fffd + "b"},
        {"latin1 caf\xE9!", "latin1 caf" + fffd + "!"},
        // A lead byte followed by a NUL: both replaced, nothing after lost.
        {std::string("\xC3\0z", 3), fffd + fffd + "z"},
        {std::string("\xF5\xF5\0\0000 \xF8", 7), fffd + fffd + fffd + fffd + "0 " + fffd},
    };
    for (const auto &[input, expected] : cases) {
        EXPECT_EQ(repair_in_pieces(input, {}), expected);
        EXPECT_EQ(repair_in_pieces(input, {1}), expected);
    }
}

} // namespace
