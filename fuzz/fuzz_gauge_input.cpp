// The gauge's input over arbitrary bytes cut into arbitrary reads: the state
// must not depend on the cuts, the text must stay valid UTF-8, and what is
// held stays bounded. A small text limit must keep the start of the text
// that no limit keeps, as far as the limit goes.
#include <algorithm>
#include <cstdint>
#include <glib.h>
#include <string>
#include <string_view>

#include "dialogs/gauge_protocol.h"
#include "frame/utf8_stream.h"
#include "fuzz_input.h"

namespace {

constexpr GaugeTextLimit unlimited{SIZE_MAX, SIZE_MAX};
constexpr GaugeTextLimit small{3, 40};

struct Shown {
    unsigned percent;
    std::string label;
    bool ended;
};

void check(const GaugeProtocol &gauge) {
    std::string label = gauge.label();
    if (!g_utf8_validate(label.data(), static_cast<gssize>(label.size()), nullptr) ||
        gauge.held_bytes() > gauge_number_most_bytes + 1)
        __builtin_trap();
}

// Feeds the input in pieces whose lengths come from `cuts` (cycled), as the
// gauge does: repaired to UTF-8 first, then the end of input.
Shown run(std::string_view input, std::string_view cuts, GaugeTextLimit limit) {
    GaugeProtocol gauge(0, limit);
    Utf8Repair repair;
    size_t cut = 0;
    while (!input.empty()) {
        size_t length = next_read_length(cuts, cut, 16, input.size());
        gauge.push(repair.push(input.substr(0, length)));
        input.remove_prefix(length);
        check(gauge);
    }
    gauge.push(repair.finish());
    gauge.finish();
    check(gauge);
    return {gauge.percent(), gauge.label(), gauge.ended()};
}

bool same(const Shown &a, const Shown &b) {
    return a.percent == b.percent && a.label == b.label && a.ended == b.ended;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    auto [cuts, input] = split_cuts(data, size);
    Shown whole = run(input, {}, unlimited);
    Shown limited = run(input, cuts, small);
    GaugeText expected(small);
    expected.append(whole.label);
    if (!same(whole, run(input, cuts, unlimited)) || whole.percent > 100 ||
        !same(limited, {whole.percent, expected.shown(), whole.ended}))
        __builtin_trap();
    return 0;
}
