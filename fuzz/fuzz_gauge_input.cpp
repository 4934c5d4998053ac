// The gauge's input over arbitrary bytes cut into arbitrary reads: the state
// must not depend on the cuts, and the text must stay valid UTF-8.
#include <algorithm>
#include <glib.h>
#include <string>
#include <string_view>

#include "dialogs/gauge_protocol.h"
#include "frame/utf8_stream.h"

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
        size_t length =
            cuts.empty() ? input.size() : 1 + static_cast<uint8_t>(cuts[cut++ % cuts.size()]) % 16;
        length = std::min(length, input.size());
        gauge.push(repair.push(input.substr(0, length)));
        input.remove_prefix(length);
        if (!g_utf8_validate(gauge.label().data(), gauge.label().size(), nullptr))
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
    // The first byte says how many of the next bytes give the cuts.
    size_t cut_count = std::min<size_t>(data[0] % 8, size - 1);
    std::string_view cuts(reinterpret_cast<const char *>(data + 1), cut_count);
    std::string_view input(reinterpret_cast<const char *>(data + 1 + cut_count),
                           size - 1 - cut_count);
    Shown whole = run(input, {});
    Shown cut = run(input, cuts);
    if (whole.percent != cut.percent || whole.label != cut.label || whole.ended != cut.ended ||
        whole.percent > 100)
        __builtin_trap();
    return 0;
}
