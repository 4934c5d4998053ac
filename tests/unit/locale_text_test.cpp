#include <clocale>
#include <gtest/gtest.h>
#include <string>

#include "core/locale_text.h"
#include "frame/text.h"
#include "frame/utf8_stream.h"

namespace {

constexpr const char *LATIN1 = "ISO-8859-1";
const std::string SIZE_LATIN1 = "Gr\xF6\xDF"
                                "e";
const std::string SIZE_UTF8 = "Gr\xC3\xB6\xC3\x9F"
                              "e";
const std::string REPLACEMENT = "\xEF\xBF\xBD";

TEST(LocaleTextTest, TextInACharsetIsShownAsUtf8) {
    EXPECT_EQ(charset_to_utf8(SIZE_LATIN1, LATIN1), SIZE_UTF8);
    EXPECT_EQ(charset_to_utf8("", LATIN1), "");
    // Greek has no character at 0xD2; EUC-JP's あ (A4 A2) cut at the end.
    EXPECT_EQ(charset_to_utf8("a\xD2z", "ISO-8859-7"), "a" + REPLACEMENT + "z");
    EXPECT_EQ(charset_to_utf8("a\xA4", "EUC-JP"), "a" + REPLACEMENT);
}

TEST(LocaleTextTest, TypedTextIsAnsweredInTheCharset) {
    EXPECT_EQ(utf8_to_charset(SIZE_UTF8, LATIN1), SIZE_LATIN1);
    // Characters Latin-1 lacks: approximated, else "?", never U+FFFD's bytes.
    EXPECT_EQ(utf8_to_charset("\xE2\x82\xAC 5", LATIN1), "EUR 5");
    EXPECT_EQ(utf8_to_charset("\xE6\xBC\xA2\xE5\xAD\x97 x", LATIN1), "?? x"); // 漢字
    EXPECT_EQ(utf8_to_charset(REPLACEMENT, LATIN1), "?");
    EXPECT_EQ(utf8_to_charset("a\xFF\xC3", LATIN1), "a??");
    EXPECT_EQ(utf8_to_charset("\xE3\x81\x82", "EUC-JP"), "\xA4\xA2");
}

TEST(LocaleTextTest, EveryLatin1ByteComesBackAsGiven) {
    std::string every_byte;
    for (int byte = 1; byte < 256; ++byte)
        every_byte += static_cast<char>(byte);
    std::string shown = charset_to_utf8(every_byte, LATIN1);
    EXPECT_EQ(shown.find(REPLACEMENT), std::string::npos);
    EXPECT_EQ(utf8_to_charset(shown, LATIN1), every_byte);
}

TEST(LocaleTextTest, AStreamIsConvertedPieceByPiece) {
    const std::string text = "\xA4\xA2 x \xA4\xA4"; // あ x い in EUC-JP
    const std::string shown = "\xE3\x81\x82 x \xE3\x81\x84";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        std::optional<CharsetDecoder> decoder = CharsetDecoder::open("EUC-JP");
        ASSERT_TRUE(decoder);
        std::string out = decoder->push(text.substr(0, cut));
        out += decoder->push(text.substr(cut));
        out += decoder->finish();
        EXPECT_EQ(out, shown) << "cut at " << cut;
    }
    std::optional<CharsetDecoder> decoder = CharsetDecoder::open("EUC-JP");
    EXPECT_EQ(decoder->push("a\xA4"), "a");
    EXPECT_EQ(decoder->finish(), REPLACEMENT);
}

TEST(LocaleTextTest, ACharsetTheSystemLacksLeavesTextAsItIs) {
    EXPECT_FALSE(CharsetDecoder::open("NO-SUCH-CHARSET"));
    EXPECT_EQ(charset_to_utf8(SIZE_LATIN1, "NO-SUCH-CHARSET"), SIZE_LATIN1);
    EXPECT_EQ(utf8_to_charset(SIZE_UTF8, "NO-SUCH-CHARSET"), SIZE_UTF8);
}

// Runs a test under a locale, and restores the one it found.
class UnderLocale {
  public:
    explicit UnderLocale(const char *name) : former_(setlocale(LC_ALL, nullptr)) {
        available_ = setlocale(LC_ALL, name) != nullptr;
    }
    ~UnderLocale() { setlocale(LC_ALL, former_.c_str()); }
    bool available() const { return available_; }

  private:
    std::string former_;
    bool available_;
};

TEST(LocaleTextTest, ALatin1LocaleConvertsWhatGtkShowsAndWhatIsAnswered) {
    UnderLocale latin1("de_DE.ISO-8859-1");
    if (!latin1.available())
        GTEST_SKIP() << "de_DE.ISO-8859-1 is not generated (scripts/install-deps makes it)";
    EXPECT_STREQ(converted_charset(), LATIN1);
    EXPECT_EQ(display_text(SIZE_LATIN1.c_str()).get(), SIZE_UTF8);
    EXPECT_EQ(answer_text(SIZE_UTF8.c_str()), SIZE_LATIN1);
    EXPECT_TRUE(displayed_as_is("plain ASCII"));
    EXPECT_FALSE(displayed_as_is(SIZE_LATIN1.c_str()));
    EXPECT_FALSE(displayed_as_is(SIZE_UTF8.c_str())); // Latin-1 bytes too
    Utf8Repair file;
    std::string shown = file.push(SIZE_LATIN1);
    shown += file.finish();
    EXPECT_EQ(shown, SIZE_UTF8);
}

TEST(LocaleTextTest, UnderUtf8AndTheCLocaleBytesPassAsTheyAre) {
    for (const char *name : {"C", "C.UTF-8"}) {
        UnderLocale locale(name);
        ASSERT_TRUE(locale.available()) << name;
        EXPECT_EQ(converted_charset(), nullptr) << name;
        EXPECT_EQ(display_text(SIZE_UTF8.c_str()).get(), SIZE_UTF8) << name;
        EXPECT_EQ(display_text(SIZE_LATIN1.c_str()).get(), "Gr" + REPLACEMENT + REPLACEMENT + "e")
            << name;
        EXPECT_EQ(answer_text(SIZE_UTF8.c_str()), SIZE_UTF8) << name;
        EXPECT_TRUE(displayed_as_is(SIZE_UTF8.c_str())) << name;
        EXPECT_FALSE(displayed_as_is(SIZE_LATIN1.c_str())) << name;
    }
}

} // namespace
