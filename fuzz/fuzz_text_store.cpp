// The file viewer's text store over arbitrary bytes cut into arbitrary
// reads, repaired to UTF-8 as the viewer does, with long paragraphs cut
// into short sections: the paragraphs must be the text's, and they and the
// sections must not depend on the reads' cuts; a section whose text changes
// must change its revision, offsets must map both ways, and the heights must
// add up wherever some sections have been measured.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "frame/text_store.h"
#include "frame/utf8_stream.h"
#include "fuzz_input.h"

namespace {

// Short enough that inputs of a few hundred bytes are cut into sections.
constexpr size_t SHORT_SECTION_BYTES = 24;

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

struct Seen {
    std::string text;
    size_t revision;
};

// Appends text, checking that every section whose text changes gets a new
// revision.
void append_checked(TextStore &store, const std::string &text) {
    std::vector<Seen> seen;
    for (size_t i = 0; i < store.section_count(); ++i)
        seen.push_back({std::string(store.section(i)), store.revision(i)});
    store.append(text);
    for (size_t i = 0; i < seen.size(); ++i)
        check(store.section(i) == seen[i].text || store.revision(i) != seen[i].revision);
}

TextStore store_in_pieces(std::string_view input, std::string_view cuts) {
    CharWidths widths;
    widths.ascii.fill(7);
    widths.ascii['\t'] = 28;
    widths.other = 12;
    TextStore store(SHORT_SECTION_BYTES);
    store.set_geometry(widths, 15, 100);
    Utf8Repair repair;
    size_t cut = 0;
    while (!input.empty()) {
        size_t length = next_read_length(cuts, cut, 32, input.size());
        append_checked(store, repair.push(input.substr(0, length)));
        input.remove_prefix(length);
    }
    append_checked(store, repair.finish());
    return store;
}

void check_geometry(const TextStore &store) {
    int64_t y = 0;
    for (size_t i = 0; i < store.section_count(); ++i) {
        check(store.section_y(i) == y);
        check(store.section_at(y) == i);
        y += store.height(i);
    }
    check(store.total_height() == y);
}

// The sections of each paragraph make up its text, none longer than allowed.
void check_sections(const TextStore &store) {
    size_t section = 0;
    for (size_t p = 0; p < store.paragraph_count(); ++p) {
        std::string joined;
        for (; section < store.section_count() &&
               store.section_start(section) < store.paragraph_end(p);
             ++section) {
            check(store.section(section).size() <= SHORT_SECTION_BYTES);
            joined += store.section(section);
        }
        check(joined == store.paragraph(p));
    }
}

// The paragraphs are those of the text split at each '\n'.
void check_paragraphs(const TextStore &store) {
    std::string_view text = store.text();
    size_t paragraph = 0;
    size_t start = 0;
    for (size_t at = 0; at <= text.size(); ++at) {
        if (at < text.size() && text[at] != '\n')
            continue;
        check(store.paragraph_start(paragraph) == start);
        check(store.paragraph_holding(start) == paragraph);
        check(store.paragraph_holding(at) == paragraph);
        ++paragraph;
        start = at + 1;
    }
    check(store.paragraph_count() == paragraph);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    auto [cuts, input] = split_cuts(data, size);
    TextStore whole = store_in_pieces(input, {});
    TextStore store = store_in_pieces(input, cuts);
    check(store.text() == whole.text());
    check(store.paragraph_count() == whole.paragraph_count());
    for (size_t i = 0; i < store.paragraph_count(); ++i)
        check(store.paragraph(i) == whole.paragraph(i));
    check(store.section_count() == whole.section_count());
    for (size_t i = 0; i < store.section_count(); ++i) {
        check(store.section(i) == whole.section(i));
        check(store.height(i) == whole.height(i));
    }
    check_paragraphs(store);
    check_sections(store);
    for (size_t chars = 0; chars <= store.char_count(); ++chars)
        check(store.char_offset(store.byte_offset(chars)) == chars);
    check_geometry(store);
    // Measure every section that the cuts pick, as a view would.
    for (size_t i = 0; i < cuts.size(); ++i)
        store.set_measured_height(static_cast<uint8_t>(cuts[i]) % store.section_count(),
                                  static_cast<uint8_t>(cuts[i]) % 50);
    check_geometry(store);
    return 0;
}
