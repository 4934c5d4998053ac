#include "frame/long_runs.h"

namespace {

bool is_ascii_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool is_ascii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// Cuts inside the run text[start, end).
void cut_run(std::string_view text, size_t start, size_t end, std::vector<size_t> &cuts) {
    size_t last = start;
    for (size_t i = start + 1; i < end; ++i) {
        if (i - last >= LONG_RUN_PIECE_BYTES && is_ascii(text[i - 1]) && is_ascii(text[i])) {
            cuts.push_back(i);
            last = i;
        }
    }
}

} // namespace

std::vector<size_t> long_run_cuts(std::string_view text) {
    std::vector<size_t> cuts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !is_ascii_space(text[i]))
            continue;
        if (i - start > LONG_RUN_BYTES)
            cut_run(text, start, i, cuts);
        start = i + 1;
    }
    return cuts;
}

static bool all_ascii(std::string_view text) {
    for (char c : text) {
        if (!is_ascii(c))
            return false;
    }
    return true;
}

// GTK merges equal neighbouring attributes, so every other piece is
// marked: with font fallback off, which changes nothing for ASCII, the one
// script every font has. A piece that is not all ASCII stays unmarked and
// goes with its neighbours.
PangoAttrList *long_run_attributes(std::string_view text) {
    std::vector<size_t> cuts = long_run_cuts(text);
    if (cuts.empty())
        return nullptr;
    cuts.push_back(text.size());
    PangoAttrList *attributes = pango_attr_list_new();
    size_t start = 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        std::string_view piece = text.substr(start, cuts[i] - start);
        if (i % 2 == 0 && all_ascii(piece)) {
            PangoAttribute *mark = pango_attr_fallback_new(FALSE);
            mark->start_index = static_cast<guint>(start);
            mark->end_index = static_cast<guint>(cuts[i]);
            pango_attr_list_insert(attributes, mark);
        }
        start = cuts[i];
    }
    return attributes;
}
