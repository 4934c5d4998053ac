#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/gauge_protocol.h"

namespace {

using Chunking = std::vector<std::string_view>;

constexpr GaugeTextLimit unlimited{SIZE_MAX, SIZE_MAX};

struct GaugeCase {
    std::string_view input;
    bool input_ends; // finish() after the last chunk
    unsigned percent;
    std::string_view label;
    bool ended;
    GaugeTextLimit limit = unlimited;
};

// Every way of cutting the input that the tests try: whole, byte by byte,
// every cut into two and three pieces, and pieces of a few fixed sizes.
std::vector<Chunking> chunkings(std::string_view input) {
    std::vector<Chunking> all;
    all.push_back({input});
    Chunking bytes;
    for (size_t i = 0; i < input.size(); ++i)
        bytes.push_back(input.substr(i, 1));
    all.push_back(bytes);
    for (size_t first = 1; first < input.size(); ++first) {
        all.push_back({input.substr(0, first), input.substr(first)});
        for (size_t second = first + 1; second < input.size(); ++second)
            all.push_back({input.substr(0, first), input.substr(first, second - first),
                           input.substr(second)});
    }
    for (size_t size : {2, 3, 5, 7}) {
        Chunking pieces;
        for (size_t at = 0; at < input.size(); at += size)
            pieces.push_back(input.substr(at, size));
        all.push_back(pieces);
    }
    return all;
}

std::string describe(const Chunking &chunks) {
    std::string text;
    for (std::string_view chunk : chunks) {
        text += '[';
        text += chunk;
        text += ']';
    }
    return text;
}

// The same input gives the same state however the reads cut it: markers
// and numbers cut between two reads included.
TEST(GaugeProtocolTest, StatesDoNotDependOnHowReadsCutTheInput) {
    using namespace std::string_view_literals;
    const GaugeCase cases[] = {
        // Lines before the first "XXX" change nothing, numbers included.
        {"50\nhello\n", false, 0, "", false},
        {"XXX\n30\nfirst\nsecond\nXXX\n", false, 30, "first\nsecond", false},
        // After a closed block a number sets the bar and clears the text.
        {"XXX\n30\nfirst\nXXX\n70\n", false, 70, "", false},
        // A block without a number keeps the percentage, replaces the text.
        {"XXX\n30\nfirst\nXXX\nnew text\nmore\n", false, 30, "new text\nmore", false},
        {"XXX\nXXX\n20\n", false, 20, "", false},
        // Numbers as sscanf's "%u" reads them, clamped to 100.
        {"XXX\n50%\nhalf\n", false, 50, "half", false},
        {"XXX\n 50\n", false, 50, "", false},
        {"XXX\n+7\n", false, 7, "", false},
        {"XXX\n-1\n", false, 100, "", false},
        {"XXX\n250\n", false, 100, "", false},
        {"XXX\n99999999999999999999999\n", false, 100, "", false},
        {"XXX\n4294967346\n", false, 50, "", false}, // stored in 32 bits
        {"XXX\n- 5\n", false, 0, "- 5", false},      // a sign alone is no number
        // The rest of the number's line is ignored.
        {"XXX\n50 extra words\nline\n", false, 50, "line", false},
        // Blank lines before the number are skipped, and the number's own
        // line is then read again as the first text line.
        {"XXX\n\n50\nhello\n", false, 50, "50\nhello", false},
        {"XXX\n\nEOF\n", false, 0, "", true},
        {"XXX\n10\n\ntext\n", false, 10, "\ntext", false},
        // Only whole lines are markers.
        {"XXX\n20\nXXXX\nXX\nEOFs\n", false, 20, "XXXX\nXX\nEOFs", false},
        // "EOF" ends the gauge; nothing after it counts.
        {"XXX\n10\nA\nEOF\nXXX\n90\nB\n", false, 10, "A", true},
        {"EOF\nXXX\n90\n", false, 0, "", true},
        // NUL bytes cannot be shown; they are dropped and nothing else is.
        {"XXX\n2\0"
         "0\nab\0c\n"sv,
         false, 20, "abc", false},
        {"XXX\n10\nna\xc3\xafve \xf0\x9f\x98\x80\n", false, 10, "na\xc3\xafve \xf0\x9f\x98\x80",
         false},
        // At the end of the input, what is still held is decided as it stands.
        {"XXX\n30\nabc", true, 30, "abc", true},
        {"XXX\n30\nEOF", true, 30, "EOF", true},
        {"XXX\n30\nline\nXX", true, 30, "line\nXX", true},
        {"XXX\n4", true, 4, "", true},
        {"XXX\nEO", true, 0, "EO", true},
        {"XXX\n\n\n", true, 0, "\n", true}, // two empty text lines
        // Only the text that fits is kept; an ellipsis tells there was more.
        {"XXX\n10\none\ntwo\nthree\n", false, 10, "one\ntwo\u2026", false, {2, 100}},
        {"XXX\n10\nabc\ndef\n", false, 10, "abc\ndef", false, {2, 6}},
        {"XXX\n10\nabc\ndefg", false, 10, "abc\ndef\u2026", false, {2, 6}},
        {"XXX\n10\n\xc3\xa9\xc3\xa9\xc3\xa9\n", false, 10, "\xc3\xa9\xc3\xa9\u2026", false, {5, 2}},
        // CRLF ends a line as LF does, for markers, numbers and text; a CR
        // anywhere else is kept.
        {"XXX\r\n40\r\nhalfway there\r\nXXX\r\n", false, 40, "halfway there", false},
        {"XXX\r\n40\r\none\r\ntwo\r\nEOF\r\nXXX\n90\n", false, 40, "one\ntwo", true},
        {"XXX\n10\na\rb\r\r\n", false, 10, "a\rb\r", false},
        {"XXX\n10\nXX\rX\nEO\r\n", false, 10, "XX\rX\nEO", false},
        {"XXX\n10\nab\r", true, 10, "ab\r", true},
        {"XXX\r\nEOF\r", true, 0, "EOF\r", true},
        // A new block starts a new text.
        {"XXX\n10\nabcdef\nXXX\n20\nab\n", false, 20, "ab", false, {5, 4}},
        {"XXX\n10\nabcdef\nXXX\nxy\n", false, 10, "xy", false, {5, 4}},
    };
    for (const GaugeCase &c : cases) {
        for (const Chunking &chunks : chunkings(c.input)) {
            GaugeProtocol gauge(0, c.limit);
            for (std::string_view chunk : chunks)
                gauge.push(chunk);
            if (c.input_ends)
                gauge.finish();
            SCOPED_TRACE(describe(chunks));
            EXPECT_EQ(gauge.percent(), c.percent);
            EXPECT_EQ(gauge.label(), c.label);
            EXPECT_EQ(gauge.ended(), c.ended);
            if (HasFailure())
                return; // one chunking that fails says enough
        }
    }
}

// A text line cut by a read shows at once what has arrived; bytes that may
// still become a marker or a number wait for the byte that decides them.
TEST(GaugeProtocolTest, ShowsWhatIsDecidedAfterEachRead) {
    struct Step {
        std::string_view chunk;
        unsigned percent;
        std::string_view label;
    };
    const std::vector<Step> steps = {
        {"XX", 0, ""},         {"X\n5", 0, ""}, // the number may go on
        {"0\nWor", 50, "Wor"}, {"king", 50, "Working"}, {"\nXX", 50, "Working"}, // may be a marker
        {"X", 50, "Working"},  {"\n", 50, "Working"},   {"70", 50, "Working"},
        {" ", 70, ""},         {"done\nDo", 70, "Do"}, // "done" ends the number's line
        {"ne", 70, "Done"},
    };
    GaugeProtocol gauge(0, unlimited);
    for (const Step &step : steps) {
        gauge.push(step.chunk);
        EXPECT_EQ(gauge.percent(), step.percent) << step.chunk;
        EXPECT_EQ(gauge.label(), step.label) << step.chunk;
    }
}

// Endless input holds no more than what can be shown: a number is read
// from its first bytes, a text keeps what fits.
TEST(GaugeProtocolTest, MemoryStaysBoundedOnEndlessInput) {
    const std::string megabyte(1 << 20, '9');
    GaugeProtocol gauge(0, {3, 40});
    gauge.push("XXX\n");
    for (int i = 0; i < 8; ++i) {
        gauge.push(megabyte);
        ASSERT_LE(gauge.held_bytes(), gauge_number_most_bytes + 1);
    }
    gauge.push("\nnext\n");
    EXPECT_EQ(gauge.percent(), 100);
    EXPECT_EQ(gauge.label(), "next");

    gauge.push("XXX\n1\n");
    gauge.push(megabyte);
    EXPECT_EQ(gauge.label(), std::string(40, '9') + "\u2026");

    const std::string blanks(1 << 20, ' ');
    gauge.push("\nXXX\n");
    gauge.push(blanks);
    EXPECT_LE(gauge.held_bytes(), gauge_number_most_bytes + 1);
}

TEST(GaugeProtocolTest, ReportsEachChangeOnce) {
    GaugeProtocol gauge(30, unlimited);
    EXPECT_FALSE(gauge.take_percent_change());
    EXPECT_FALSE(gauge.take_label_change());

    gauge.push("XXX\n30\nsame\n");
    EXPECT_FALSE(gauge.take_percent_change()); // 30 already shown
    EXPECT_TRUE(gauge.take_label_change());
    EXPECT_FALSE(gauge.take_label_change());

    gauge.push("XXX\n40\n");
    EXPECT_TRUE(gauge.take_percent_change());
    EXPECT_FALSE(gauge.take_percent_change());
}

TEST(GaugeArgsTest, InitialPercentAndText) {
    struct {
        const char *arg;
        unsigned percent;
        const char *text;
    } cases[] = {
        {"40", 40, "40 %"}, {"250", 100, "100 %"}, {"abc", 0, "0 %"},
        {"7x", 7, "7 %"},   {"-1", 100, "100 %"},  {"4294967336", 40, "40 %"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(gauge_initial_percent(c.arg), c.percent) << c.arg;
        EXPECT_EQ(gauge_percent_text(gauge_initial_percent(c.arg)), c.text) << c.arg;
    }
}

} // namespace
