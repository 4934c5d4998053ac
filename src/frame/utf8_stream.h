// Text read in pieces (a file, a pipe) must reach GTK as valid UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/locale_text.h"

// Repairs a byte stream fed piece by piece: a character cut between two
// pieces comes out whole with the piece that completes it, and bytes that
// are not UTF-8 come out as U+FFFD. Nothing else is changed or lost. Under a
// locale whose character set is not UTF-8, the stream is in that character
// set and converted from it (display_text's rule).
class Utf8Repair {
  public:
    // The valid text of everything pushed so far that is not held back as
    // the start of a character still incomplete.
    std::string push(std::string_view bytes);
    // The end of the stream: an incomplete character left over becomes
    // U+FFFD.
    std::string finish();

  private:
    std::optional<CharsetDecoder> decoder_ = open_locale_decoder();
    std::string pending_;

    static std::optional<CharsetDecoder> open_locale_decoder();
};
