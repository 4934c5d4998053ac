#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "dialogs/edit_text.h"

namespace {

using namespace std::string_literals;

const std::string FFFD = "\xEF\xBF\xBD";
const char *const LATIN1 = "ISO-8859-1";

struct Case {
    const char *name;
    std::string bytes;
    const char *charset;
    std::string shown;
    NotEditable not_editable;
};

TEST(EditableTextTest, OnlyBytesThatComeBackExactlyAreEditable) {
    const Case cases[] = {
        {"empty", "", nullptr, "", NotEditable::no},
        {"CRLF and no final newline", "a\r\nb\r\nc", nullptr, "a\r\nb\r\nc", NotEditable::no},
        {"lone CR, BOM, tab", "\xEF\xBB\xBFx\ry\t", nullptr, "\xEF\xBB\xBFx\ry\t", NotEditable::no},
        {"UTF-8", "caf\xC3\xA9 \xE2\x82\xAC", nullptr, "caf\xC3\xA9 \xE2\x82\xAC", NotEditable::no},
        {"NUL", "a\0b"s, nullptr, "a" + FFFD + "b", NotEditable::nul_byte},
        {"NUL in Latin-1", "a\0\xE9"s, LATIN1, "a" + FFFD + "\xC3\xA9", NotEditable::nul_byte},
        {"Latin-1 under UTF-8", "caf\xE9\n", nullptr, "caf" + FFFD + "\n", NotEditable::not_text},
        {"cut at the end", "caf\xC3", nullptr, "caf" + FFFD, NotEditable::not_text},
        // Encoded surrogates and overlong forms: GTK's text refuses them.
        {"surrogate", "\xED\xA0\x80", nullptr, FFFD + FFFD + FFFD, NotEditable::not_text},
        {"overlong slash", "\xC0\xAF", nullptr, FFFD + FFFD, NotEditable::not_text},
        {"Latin-1 text", "caf\xE9\r\n\xFF", LATIN1, "caf\xC3\xA9\r\n\xC3\xBF", NotEditable::no},
        // Bytes that UTF-8 would read as é: in Latin-1 they are two letters.
        {"Latin-1 of UTF-8 bytes", "\xC3\xA9", LATIN1, "\xC3\x83\xC2\xA9", NotEditable::no},
        // 0x81 is no character of Windows-1252.
        {"hole in the charset", "a\x81z", "WINDOWS-1252", "a" + FFFD + "z", NotEditable::not_text},
    };
    for (const Case &c : cases) {
        EditableText text = editable_text(c.bytes, c.charset);
        EXPECT_EQ(text.shows_bytes ? c.bytes : text.shown, c.shown) << c.name;
        EXPECT_EQ(text.not_editable, c.not_editable) << c.name;
    }
}

// A large UTF-8 file is the common case, and a copy of it would double the
// memory the editbox takes.
TEST(EditableTextTest, UnchangedUtf8IsNotCopied) {
    EXPECT_TRUE(editable_text("line\r\n\xC3\xA9", nullptr).shows_bytes);
    EXPECT_FALSE(editable_text("caf\xE9", "ISO-8859-1").shows_bytes);
}

} // namespace

namespace {

// The pieces text_piece_end cuts text into, at most most bytes each.
std::vector<std::string> pieces(const std::string &text, size_t most) {
    std::vector<std::string> cut;
    for (size_t from = 0; from < text.size();) {
        size_t end = text_piece_end(text, from, most);
        EXPECT_GT(end, from);
        cut.push_back(text.substr(from, end - from));
        from = end;
    }
    return cut;
}

TEST(TextPieceTest, PiecesEndAfterNewlinesAndNeverInsideACharacterOrACrLf) {
    using Pieces = std::vector<std::string>;
    EXPECT_EQ(pieces("ab\ncd\nef", 7), (Pieces{"ab\ncd\n", "ef"}));
    EXPECT_EQ(pieces("abcdef", 4), (Pieces{"abcd", "ef"}));
    // é is two bytes, € three: a cut inside one moves before it.
    EXPECT_EQ(pieces("ab\xC3\xA9z", 3), (Pieces{"ab", "\xC3\xA9z"}));
    EXPECT_EQ(pieces("a\xE2\x82\xAC", 2), (Pieces{"a", "\xE2\x82\xAC"}));
    EXPECT_EQ(pieces("abc\r\ndef", 4), (Pieces{"abc", "\r\n", "def"}));
    EXPECT_EQ(pieces("\r\r\n", 2), (Pieces{"\r", "\r\n"}));
    EXPECT_EQ(pieces("", 4), Pieces{});
}

} // namespace
