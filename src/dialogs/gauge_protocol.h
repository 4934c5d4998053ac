// The gauge's input protocol, fed with the bytes read from standard input.
//
// Lines outside a block are ignored. A line "XXX" opens a block: the next
// line, when it holds a number (read as sscanf's "%u" reads it), sets the
// percentage and clears the text; the lines after it become the text, one
// per line. Another "XXX" ends the block and waits for a number again. A
// line "EOF" ends the gauge.
//
// The result never depends on how the input was cut into reads: a marker or
// a number cut between two reads is recognised whole. A text line cut by a
// read is shown as far as it has arrived and completed by the next read.
//
// Memory stays bounded whatever the input: the text keeps only what the
// window can show, and a number is read from its first bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A percentage as shown: 100 or more (compared unsigned) shows as 100.
unsigned gauge_clamp(unsigned percent);

// The bar's text for a clamped percentage, as the user's language writes
// it: "40 %" untranslated.
std::string gauge_percent_text(unsigned percent);

// The optional <perc> argument: leading_uint32, clamped.
unsigned gauge_initial_percent(const char *arg);

// How much text the gauge can show: its first lines, and characters in all.
struct GaugeTextLimit {
    size_t lines;
    size_t chars;
};

// The gauge's text up to its limit. What goes past the limit can never be
// seen (the text shows from its start), so it is dropped, and an ellipsis
// tells that there was more.
class GaugeText {
  public:
    explicit GaugeText(GaugeTextLimit limit) : limit_(limit) {}

    // Takes the next bytes of valid UTF-8 text; returns whether what is
    // shown changed.
    bool append(std::string_view bytes);
    void clear();

    // The text kept, followed by an ellipsis when some was dropped.
    std::string shown() const;

  private:
    GaugeTextLimit limit_;
    std::string kept_;
    size_t lines_ = 1;
    size_t chars_ = 0;
    bool cut_ = false;
};

// Bytes read for one number at most (the numbers before and after blanks
// included); the digits and blanks past them are dropped, so the number
// comes from its first digits.
constexpr size_t gauge_number_most_bytes = 1024;

class GaugeProtocol {
  public:
    GaugeProtocol(unsigned initial_percent, GaugeTextLimit limit)
        : percent_(gauge_clamp(initial_percent)), label_(limit) {}

    // Takes the next bytes of the input (valid UTF-8 is expected but only
    // the ASCII bytes matter here). Bytes after an "EOF" line are ignored.
    void push(std::string_view bytes);

    // The input has ended: decides what was still waiting for more bytes.
    void finish();

    unsigned percent() const { return percent_; }
    std::string label() const { return label_.shown(); }
    bool ended() const { return ended_; }

    // Bytes held back while they may still become a marker or a number:
    // never more than gauge_number_most_bytes and the byte that decides.
    size_t held_bytes() const { return held_.size(); }

    // Whether the percentage or the label changed since the last call.
    bool take_percent_change();
    bool take_label_change();

  private:
    // Where the next byte goes.
    enum class Mode {
        line_start,   // first bytes of a line, held while they may be a marker
        number,       // after "XXX": bytes held until the number is decided
        text_line,    // inside a text line that is being shown
        ignored_line, // inside a line that has no effect
    };
    // What the next whole line means, as the protocol states it.
    enum class Block {
        outside,       // no "XXX" seen yet
        expect_number, // the last line was "XXX"
        first_line,    // a number was just read: the next line replaces the text
        appending,     // further lines are appended below the text
    };

    void feed_all(std::string_view bytes);
    void feed(char byte);
    void feed_line_start(char byte);
    void start_line(std::string_view held);
    void feed_number(char byte);
    void decide_number();
    void set_percent(unsigned percent);
    void append_label(std::string_view bytes);
    void clear_label();

    unsigned percent_;
    GaugeText label_;
    bool ended_ = false;
    bool percent_changed_ = false;
    bool label_changed_ = false;

    Mode mode_ = Mode::line_start;
    Block block_ = Block::outside;
    std::string held_;     // bytes not yet decided (line start or number)
    char last_byte_ = 0;   // the last byte fed while reading a number
    bool held_cr_ = false; // a CR that may be the start of a CRLF line end
};
