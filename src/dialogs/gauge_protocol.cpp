#include "dialogs/gauge_protocol.h"

#include <cstdio>
#include <utility>

#include "core/i18n.h"
#include "core/numbers.h"

namespace {

constexpr std::string_view block_marker = "XXX\n";
constexpr std::string_view end_marker = "EOF\n";

// White space as sscanf skips it in the C locale.
bool is_blank(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

bool is_sign(char byte) {
    return byte == '+' || byte == '-';
}

bool is_digit(char byte) {
    return byte >= '0' && byte <= '9';
}

// The bytes after the first of a UTF-8 character.
bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

constexpr std::string_view ellipsis = "\u2026";

} // namespace

unsigned gauge_clamp(unsigned percent) {
    return percent < 100 ? percent : 100;
}

std::string gauge_percent_text(unsigned percent) {
    // TRANSLATORS: a percentage shown in a progress bar, "40 %". Write it as
    // your language writes percentages (for example "%u%%" without the blank,
    // or with your language's percent sign); keep %u, the number.
    const char *format = _("%u %%");
    std::string text(static_cast<size_t>(snprintf(nullptr, 0, format, percent)), '\0');
    snprintf(text.data(), text.size() + 1, format, percent);
    return text;
}

unsigned gauge_initial_percent(const char *arg) {
    return gauge_clamp(leading_uint32(arg));
}

bool GaugeText::append(std::string_view bytes) {
    bool changed = false;
    for (char byte : bytes) {
        if (cut_)
            break;
        bool new_line = byte == '\n';
        bool new_char = !new_line && !is_continuation(byte);
        if ((new_line && lines_ == limit_.lines) || (new_char && chars_ == limit_.chars)) {
            cut_ = true; // the ellipsis shows from now on
            return true;
        }
        lines_ += new_line;
        chars_ += new_char;
        kept_ += byte;
        changed = true;
    }
    return changed;
}

void GaugeText::clear() {
    kept_.clear();
    lines_ = 1;
    chars_ = 0;
    cut_ = false;
}

std::string GaugeText::shown() const {
    return cut_ ? kept_ + std::string(ellipsis) : kept_;
}

// A CR is held until the next byte shows whether it ends a line: CRLF counts
// as a line end, as scripts written on Windows send it; any other CR is text.
void GaugeProtocol::push(std::string_view bytes) {
    for (char byte : bytes) {
        if (ended_)
            return;
        if (std::exchange(held_cr_, false) && byte != '\n')
            feed('\r');
        if (byte == '\r')
            held_cr_ = true;
        else
            feed(byte);
    }
}

// Bytes past the line-end filter, fed again once held bytes are decided.
void GaugeProtocol::feed_all(std::string_view bytes) {
    for (char byte : bytes) {
        if (ended_)
            return;
        feed(byte);
    }
}

void GaugeProtocol::feed(char byte) {
    // A label cannot hold a NUL byte; it is dropped, nothing around it is.
    if (byte == '\0')
        return;
    switch (mode_) {
    case Mode::line_start:
        feed_line_start(byte);
        break;
    case Mode::number:
        feed_number(byte);
        break;
    case Mode::text_line:
        if (byte == '\n') {
            mode_ = Mode::line_start;
        } else {
            append_label(std::string_view(&byte, 1));
        }
        break;
    case Mode::ignored_line:
        if (byte == '\n')
            mode_ = Mode::line_start;
        break;
    }
}

// The first bytes of a line are held while they may still become a marker.
void GaugeProtocol::feed_line_start(char byte) {
    held_ += byte;
    if (held_ == block_marker) {
        held_.clear();
        block_ = Block::expect_number;
    } else if (held_ == end_marker) {
        held_.clear();
        ended_ = true;
    } else if (!block_marker.starts_with(held_) && !end_marker.starts_with(held_)) {
        std::string first_bytes = std::exchange(held_, {});
        start_line(first_bytes);
    }
}

// A line that is no marker begins with `first_bytes`.
void GaugeProtocol::start_line(std::string_view first_bytes) {
    switch (block_) {
    case Block::outside:
        mode_ = Mode::ignored_line;
        break;
    case Block::expect_number:
        mode_ = Mode::number;
        break;
    case Block::first_line:
        clear_label();
        block_ = Block::appending;
        mode_ = Mode::text_line;
        break;
    case Block::appending:
        append_label("\n");
        mode_ = Mode::text_line;
        break;
    }
    feed_all(first_bytes);
}

// After "XXX" the number is read as sscanf's "%u" reads it: blanks (line ends
// included), an optional sign, digits. The bytes are held until the first
// byte that cannot belong to the number decides it; past
// gauge_number_most_bytes, those that keep it open are dropped.
void GaugeProtocol::feed_number(char byte) {
    char previous = held_.empty() ? ' ' : last_byte_;
    last_byte_ = byte;
    bool still_open = is_digit(byte) || (is_blank(previous) && (is_blank(byte) || is_sign(byte)));
    if (still_open && held_.size() == gauge_number_most_bytes)
        return;
    held_ += byte;
    if (!still_open)
        decide_number();
}

void GaugeProtocol::decide_number() {
    std::string held = std::exchange(held_, {});
    unsigned number = 0;
    if (sscanf(held.c_str(), "%u", &number) != 1) {
        // No number: the line is the block's first text line.
        block_ = Block::first_line;
        mode_ = Mode::line_start;
        feed_all(held);
        return;
    }
    set_percent(gauge_clamp(number));
    clear_label();
    block_ = Block::first_line;
    // The rest of the line that began the number is ignored; when that line
    // was empty or blank, the number's own line is read again as text.
    size_t line_end = held.find('\n');
    if (line_end == std::string::npos) {
        mode_ = Mode::ignored_line;
    } else {
        mode_ = Mode::line_start;
        feed_all(std::string_view(held).substr(line_end + 1));
    }
}

void GaugeProtocol::finish() {
    if (std::exchange(held_cr_, false) && !ended_)
        feed('\r');
    // Held bytes are decided as they stand: a marker without its line end is
    // no marker, a number without a byte after it is complete.
    while (!ended_ && !held_.empty()) {
        if (mode_ == Mode::number) {
            decide_number();
        } else {
            std::string first_bytes = std::exchange(held_, {});
            start_line(first_bytes);
        }
    }
    ended_ = true;
}

void GaugeProtocol::set_percent(unsigned percent) {
    if (percent != percent_)
        percent_changed_ = true;
    percent_ = percent;
}

void GaugeProtocol::append_label(std::string_view bytes) {
    if (label_.append(bytes))
        label_changed_ = true;
}

void GaugeProtocol::clear_label() {
    label_.clear();
    label_changed_ = true;
}

bool GaugeProtocol::take_percent_change() {
    return std::exchange(percent_changed_, false);
}

bool GaugeProtocol::take_label_change() {
    return std::exchange(label_changed_, false);
}
