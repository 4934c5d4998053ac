// Long runs of text without a break opportunity (hashes, base64, URLs,
// paths): when Pango has to wrap one by characters, its time grows with the
// square of the run's length. Pango does that work per item, and items end
// where attributes change, so such runs are cut into short items by an
// attribute that changes nothing on every other piece.
#pragma once

#include <pango/pango.h>
#include <string_view>
#include <vector>

// Runs of more bytes than this, without ASCII white space, are cut.
constexpr size_t LONG_RUN_BYTES = 256;
// Length of the pieces they are cut into, in bytes.
constexpr size_t LONG_RUN_PIECE_BYTES = 64;

// Byte offsets, in increasing order, where the long runs of text are cut:
// every LONG_RUN_PIECE_BYTES bytes or a little later, and only between two
// ASCII characters, so that no character or combining sequence is split.
std::vector<size_t> long_run_cuts(std::string_view text);

// Attributes that give Pango those cuts as item boundaries (font fallback
// off on every other piece that is all ASCII), or null when text has no
// long run.
PangoAttrList *long_run_attributes(std::string_view text);
