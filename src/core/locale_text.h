// Text in the locale's character set, which is what the command line, files
// and the C library give and what answers and terminals take, and UTF-8,
// which is what GTK takes.
#pragma once

#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

// The locale's character set when text must be converted to and from it;
// null under UTF-8, and under the C locale's ASCII, whose bytes have always
// passed through as they are (a locale left unset, as in many containers,
// says nothing of the text, which is most likely UTF-8).
const char *converted_charset();

// bytes in charset as UTF-8; a byte that starts no character of charset
// becomes U+FFFD, as do bytes cut short at the end. Bytes as they are when
// the system cannot convert from charset.
std::string charset_to_utf8(std::string_view bytes, const char *charset);

// utf8 in charset: a character that charset lacks is approximated where the
// C library knows how ("EUR" for the euro sign in Latin-1), else "?"; it is
// never replaced by bytes that charset reads as something else. utf8 as it
// is when the system cannot convert to charset.
std::string utf8_to_charset(std::string_view utf8, const char *charset);

// Converts a stream of bytes in a character set to UTF-8 piece by piece:
// a character cut between two pieces comes out whole with the piece that
// completes it.
class CharsetDecoder {
  public:
    // Null when the system cannot convert from charset.
    static std::optional<CharsetDecoder> open(const char *charset);
    CharsetDecoder(CharsetDecoder &&other) noexcept;
    CharsetDecoder &operator=(CharsetDecoder &&) = delete;
    ~CharsetDecoder();

    std::string push(std::string_view bytes);
    // The end of the stream: bytes of a character left incomplete become
    // U+FFFD.
    std::string finish();

  private:
    explicit CharsetDecoder(iconv_t converter) : converter_(converter) {}
    iconv_t converter_;
    std::string pending_;
};
