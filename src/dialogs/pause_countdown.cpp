#include "dialogs/pause_countdown.h"

#include "core/numbers.h"

unsigned pause_seconds(const char *arg) {
    return leading_uint32(arg);
}

PauseTick pause_tick(unsigned seconds, unsigned long long tick) {
    // Counted in whole ticks so that rounding can never close it early.
    unsigned long long showing_zero = seconds > 0 ? seconds : 1;
    if (tick > showing_zero)
        return {true, 0, 0.0};
    unsigned left = tick < seconds ? static_cast<unsigned>(seconds - tick) : 0;
    double fraction = seconds > 0 ? static_cast<double>(left) / seconds : 0.0;
    return {false, left, fraction};
}
