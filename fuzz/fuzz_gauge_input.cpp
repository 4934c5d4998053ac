// The gauge's input over arbitrary bytes cut into arbitrary reads: the state
// must not depend on the cuts, the text must stay valid UTF-8, and what is
// held stays bounded.
#include <algorithm>
#include <glib.h>
#include <string>
#include <string_view>

#include "dialogs/gauge_protocol.h"
#include "frame/utf8_stream.h"
#include "fuzz_input.h"

namespace {

struct Shown {
    unsigned percent;
    std::string label;
    bool ended;
};

// Feeds the input in pieces whose lengths come from `cuts` (cycled), as the
// gauge does: repaired to UTF-8 first, then the end of input.
Shown run(std::string_view input, std::string_view cuts) {
    GaugeProtocol gauge(0);
    Utf8Repair repair;
    size_t cut = 0;
    while (!input.empty()) {
        size_t length = next_read_length(cuts, cut, 16, input.size());
        gauge.push(repair.push(input.substr(0, length)));
        input.remove_prefix(length);
        if (!g_utf8_validate(gauge.label().data(), gauge.label().size(), nullptr) ||
            gauge.held_bytes() > gauge_number_most_bytes + 1)
            __builtin_trap();
    }
    gauge.push(repair.finish());
    gauge.finish();
    return {gauge.percent(), gauge.label(), gauge.ended()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    auto [cuts, input] = split_cuts(data, size);
    Shown whole = run(input, {});
    Shown cut = run(input, cuts);
    if (whole.percent != cut.percent || whole.label != cut.label || whole.ended != cut.ended ||
        whole.percent > 100)
        __builtin_trap();
    return 0;
}
