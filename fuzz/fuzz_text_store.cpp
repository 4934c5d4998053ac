// The file viewer's text store over arbitrary bytes cut into arbitrary
// reads, repaired to UTF-8 as the viewer does: the paragraphs must not
// depend on the cuts, a paragraph whose text changes must change its
// revision, offsets must map both ways, and the heights must add up wherever
// some paragraphs have been measured.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "frame/text_store.h"
#include "frame/utf8_stream.h"
#include "fuzz_input.h"

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

struct Seen {
    std::string text;
    size_t revision;
};

// Appends text, checking that every paragraph whose text changes gets a new
// revision.
void append_checked(TextStore &store, const std::string &text) {
    std::vector<Seen> seen;
    for (size_t i = 0; i < store.paragraph_count(); ++i)
        seen.push_back({std::string(store.paragraph(i)), store.revision(i)});
    store.append(text);
    for (size_t i = 0; i < seen.size(); ++i)
        check(store.paragraph(i) == seen[i].text || store.revision(i) != seen[i].revision);
}

TextStore store_in_pieces(std::string_view input, std::string_view cuts) {
    CharWidths widths;
    widths.ascii.fill(7);
    widths.ascii['\t'] = 28;
    widths.other = 12;
    TextStore store;
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
    for (size_t i = 0; i < store.paragraph_count(); ++i) {
        check(store.paragraph_y(i) == y);
        check(store.paragraph_at(y) == i);
        y += store.height(i);
    }
    check(store.total_height() == y);
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
    for (size_t i = 0; i < store.paragraph_count(); ++i) {
        check(store.paragraph(i) == whole.paragraph(i));
        check(store.height(i) == whole.height(i));
    }
    for (size_t chars = 0; chars <= store.char_count(); ++chars)
        check(store.char_offset(store.byte_offset(chars)) == chars);
    check_geometry(store);
    // Measure every paragraph that the cuts pick, as a view would.
    for (size_t i = 0; i < cuts.size(); ++i)
        store.set_measured_height(static_cast<uint8_t>(cuts[i]) % store.paragraph_count(),
                                  static_cast<uint8_t>(cuts[i]) % 50);
    check_geometry(store);
    return 0;
}
