// The mixedgauge's reading of its arguments and of each bar's value.
#pragma once

#include <string>

// <mainperc> then <minilabel> <miniperc> pairs: any count but an even one
// of 2 or more.
bool mixedgauge_args_count_ok(int argc);

// A value as given: leading_int32 (a text without digits gives 0).
int mixedgauge_value(const char *arg);

// How a bar shows a value: a percentage, or a status word for the negative
// codes. A pulsing bar (-8, "In Progress") keeps no fraction.
struct MixedgaugeBar {
    std::string text;
    double fraction;
    bool pulse;
};

MixedgaugeBar mixedgauge_bar(int value);
