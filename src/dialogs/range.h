// Rules of the rangebox that need no widgets.
#pragma once

#include <span>

// <min> <max> [<init>], each kept to its low 32 bits.
struct RangeArgs {
    int min;
    int max;
    int init; // min when not given
};

// 2 or 3 extra arguments.
bool range_args_count_ok(int argc);

// Two or three arguments.
RangeArgs parse_range_args(std::span<const char *const> args);

// The answer for a slider value: truncated towards zero.
int range_answer(double value);
