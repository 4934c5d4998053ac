#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "frame/text_store.h"

namespace {

// Every character 10 pixels wide, lines 20 pixels high, wrapping at 100.
CharWidths tens() {
    CharWidths widths;
    widths.ascii.fill(10);
    widths.other = 10;
    return widths;
}

TextStore store_of(const std::string &text, size_t piece = std::string::npos,
                   size_t section_bytes = SECTION_BYTES) {
    TextStore store(section_bytes);
    store.set_geometry(tens(), 20, 100);
    for (size_t start = 0; start < text.size(); start += piece)
        store.append(std::string_view(text).substr(start, piece));
    return store;
}

std::vector<std::string> paragraphs_of(const TextStore &store) {
    std::vector<std::string> paragraphs;
    for (size_t i = 0; i < store.paragraph_count(); ++i)
        paragraphs.emplace_back(store.paragraph(i));
    return paragraphs;
}

// The sum of the heights, found the slow way.
int64_t summed_heights(const TextStore &store) {
    int64_t sum = 0;
    for (size_t i = 0; i < store.section_count(); ++i)
        sum += store.height(i);
    return sum;
}

TEST(TextStoreTest, ParagraphsAreTheSameWhateverThePieces) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {""}},
        {"one", {"one"}},
        {"one\ntwo", {"one", "two"}},
        {"one\n", {"one", ""}},
        {"\n\n", {"", "", ""}},
        {"dos\r\nline\r\n", {"dos", "line", ""}},
        {"lone\rreturn\n", {"lone\rreturn", ""}},
        {"caf\xC3\xA9\n\xE2\x82\xAC", {"caf\xC3\xA9", "\xE2\x82\xAC"}},
    };
    for (const auto &[text, expected] : cases) {
        for (size_t piece = 1; piece <= text.size() + 1; ++piece) {
            TextStore store = store_of(text, piece);
            EXPECT_EQ(paragraphs_of(store), expected) << text << " in pieces of " << piece;
            EXPECT_EQ(store.text(), text);
            EXPECT_EQ(store.total_height(), summed_heights(store));
        }
    }
}

TEST(TextStoreTest, CharacterAndByteOffsetsMapBothWays) {
    // é is 2 bytes, € 3 and the emoji 4.
    const std::string text = "a\xC3\xA9\n\xE2\x82\xAC\n\n\xF0\x9F\x98\x80z";
    const size_t char_bytes[] = {0, 1, 3, 4, 7, 8, 9, 13, 14};
    TextStore store = store_of(text, 3);
    ASSERT_EQ(store.char_count(), 8U);
    for (size_t chars = 0; chars < std::size(char_bytes); ++chars) {
        EXPECT_EQ(store.byte_offset(chars), char_bytes[chars]) << chars;
        EXPECT_EQ(store.char_offset(char_bytes[chars]), chars) << chars;
    }
    EXPECT_EQ(store.byte_offset(99), text.size());
    EXPECT_EQ(store.paragraph_holding(3), 0U); // the first '\n'
    EXPECT_EQ(store.paragraph_holding(4), 1U);
    EXPECT_EQ(store.paragraph_holding(text.size()), 3U);
    EXPECT_EQ(store.paragraph_end(0), 4U);
}

TEST(TextStoreTest, HeightsAreEstimatedUntilMeasured) {
    // 10 characters fit on a line of 100 pixels.
    TextStore store = store_of("short\n" + std::string(25, 'x') + "\n\ttab\n");
    EXPECT_EQ(store.height(0), 20);
    EXPECT_EQ(store.height(1), 60); // three lines
    EXPECT_EQ(store.height(2), 20); // the tab counts as what the table says
    EXPECT_EQ(store.height(3), 20); // the empty last paragraph is a line
    EXPECT_EQ(store.total_height(), 120);

    store.set_measured_height(1, 80);
    EXPECT_TRUE(store.measured(1));
    EXPECT_EQ(store.total_height(), 140);
    EXPECT_EQ(store.section_y(2), 100);

    // A new wrap width forgets what was measured at the old one.
    store.set_geometry(tens(), 20, 50);
    EXPECT_FALSE(store.measured(1));
    EXPECT_EQ(store.height(1), 100);
    EXPECT_EQ(store.total_height(), summed_heights(store));
}

TEST(TextStoreTest, TheLastParagraphIsMeasuredAgainOnceItGrows) {
    TextStore store = store_of("abc");
    store.set_measured_height(0, 20);
    store.append(std::string(30, 'x'));
    EXPECT_FALSE(store.measured(0));
    EXPECT_EQ(store.total_height(), 80); // 33 characters: four lines
}

std::vector<std::string> sections_of(const TextStore &store) {
    std::vector<std::string> sections;
    for (size_t i = 0; i < store.section_count(); ++i)
        sections.emplace_back(store.section(i));
    return sections;
}

// A view keeps what it made from a section (its layout) while the section's
// revision stays the same: every change of its text must change the
// revision, and sections that are complete keep theirs.
TEST(TextStoreTest, ARevisionChangesWheneverItsSectionDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "d"},
        {"abc", "\n"},
        {"abc", "\r"},
        {"abc\r", "\n"},
        {"one\ntwo", "\nx"},
        {"one\n", "\n\n"},
        {"", "\xC3\xA9"},
        {"a\nb", "c\nd\ne"},
        {"0123456789abcd", "ef"},
        {"0123456789abcdef", "g"},
        {"0123 56789abcdef", "0123456789"},
    };
    for (const auto &[before, added] : cases) {
        TextStore store = store_of(before, std::string::npos, 16);
        std::vector<std::string> texts = sections_of(store);
        std::vector<size_t> revisions;
        for (size_t i = 0; i < store.section_count(); ++i)
            revisions.push_back(store.revision(i));
        store.append(added);
        for (size_t i = 0; i < texts.size(); ++i) {
            if (i + 1 < texts.size()) {
                EXPECT_EQ(store.revision(i), revisions[i]) << before << " + " << added << ", " << i;
            } else if (store.section(i) != texts[i]) {
                EXPECT_NE(store.revision(i), revisions[i]) << before << " + " << added << ", " << i;
            }
        }
    }
}

TEST(TextStoreTest, LongParagraphsAreCutAtABreakOpportunity) {
    // Sections of at most 16 bytes; what follows the 17th byte never counts.
    const std::pair<std::string, size_t> cases[] = {
        {"0123456789ab def"
         "ghi",
         13}, // after the blank in the last quarter
        {"0123 56789abcdef"
         "ghi",
         16}, // a blank too early: before an ASCII character
        {"0123456789abcd\tf"
         "g",
         15}, // a tab is a blank too
        {"01234567\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
         "x",
         16}, // before the x
        {"0123456789abcde\xCC\x81"
         "z",
         14}, // not between a letter and its accent
        {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 15}, // € only
    };
    for (const auto &[text, length] : cases)
        EXPECT_EQ(first_section_length(text, 16), length) << text;
}

TEST(TextStoreTest, SectionsAreTheSameWhateverThePieces) {
    std::string text = "short\n";
    for (int i = 0; i < 20; ++i)
        text += "word\xC3\xA9 " + std::string(i, 'x');
    text += "\r\n" + std::string(50, 'y') + "\n";
    TextStore whole = store_of(text, std::string::npos, 16);
    std::vector<std::string> sections = sections_of(whole);
    for (const std::string &section : sections)
        EXPECT_LE(section.size(), 16U) << section;
    for (size_t p = 0; p < whole.paragraph_count(); ++p) {
        std::string joined;
        for (size_t i = whole.section_holding(whole.paragraph_start(p));
             i < whole.section_count() && whole.section_start(i) < whole.paragraph_end(p); ++i)
            joined += whole.section(i);
        EXPECT_EQ(joined, whole.paragraph(p)) << p;
    }
    for (size_t piece : {1, 3, 7, 16, 17, 100}) {
        TextStore store = store_of(text, piece, 16);
        EXPECT_EQ(sections_of(store), sections) << "in pieces of " << piece;
        EXPECT_EQ(paragraphs_of(store), paragraphs_of(whole));
        EXPECT_EQ(store.char_count(), whole.char_count());
        EXPECT_EQ(store.total_height(), whole.total_height());
        for (size_t chars = 0; chars <= store.char_count(); chars += 5)
            ASSERT_EQ(store.char_offset(store.byte_offset(chars)), chars);
    }
}

TEST(TextStoreTest, PositionsAndSectionsAgreeAcrossBlocks) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += std::string(i % 23, 'x') + "\n"; // one to three lines each
    TextStore store = store_of(text, 4096);
    for (size_t i = 0; i < store.section_count(); i += 97)
        store.set_measured_height(i, 7);
    ASSERT_EQ(store.total_height(), summed_heights(store));
    int64_t y = 0;
    for (size_t i = 0; i < store.section_count(); ++i) {
        ASSERT_EQ(store.section_y(i), y) << i;
        ASSERT_EQ(store.section_at(y), i) << i;
        ASSERT_EQ(store.section_at(y + store.height(i) - 1), i) << i;
        y += store.height(i);
    }
    EXPECT_EQ(store.section_at(-5), 0U);
    EXPECT_EQ(store.section_at(y + 1000), store.section_count() - 1);
}

// Sections are kept in blocks, which may begin inside a paragraph or between
// two; the paragraphs found through them must be those of the text itself.
TEST(TextStoreTest, ParagraphsAgreeWithTheTextAcrossBlocks) {
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        if (i % 700 == 7)
            text += std::string(40000, 'x') + "\n"; // 2500 sections of 16 bytes
        else
            text += std::string(i % 5, 'y') + (i % 3 != 0 ? "\n" : "\r\n");
    }
    TextStore store = store_of(text, 65536, 16);
    ASSERT_EQ(store.text(), text);
    std::vector<size_t> starts{0};
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n')
            starts.push_back(at + 1);
    }
    ASSERT_EQ(store.paragraph_count(), starts.size());
    for (size_t p = 0; p < starts.size(); ++p) {
        size_t end = p + 1 < starts.size() ? starts[p + 1] : text.size();
        ASSERT_EQ(store.paragraph_start(p), starts[p]) << p;
        ASSERT_EQ(store.paragraph_end(p), end) << p;
        for (size_t inside : {starts[p], (starts[p] + end) / 2, std::max(end, starts[p] + 1) - 1})
            ASSERT_EQ(store.paragraph_holding(inside), p) << p << " at " << inside;
    }
    EXPECT_EQ(store.paragraph_holding(text.size()), starts.size() - 1);
}

// The view starts over with a new store by assigning it.
TEST(TextStoreTest, AStoreAssignedOverAnotherKeepsItsOwnText) {
    const std::string big(200000, 'b');
    TextStore store = store_of("old text");
    store = store_of(big, 70000);
    store.append("\nmore");
    EXPECT_EQ(store.text(), big + "\nmore");
    store = TextStore();
    store.append("new");
    EXPECT_EQ(store.text(), "new");
    EXPECT_EQ(store.paragraph_count(), 1U);
}

} // namespace
