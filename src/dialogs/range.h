// Rules of the rangebox that need no widgets.
#pragma once

// <min> <max> [<init>], each kept to its low 32 bits.
struct RangeArgs {
    int min;
    int max;
    int init; // min when not given
};

// 2 or 3 extra arguments.
bool range_args_count_ok(int argc);

RangeArgs parse_range_args(int argc, char **args);

// The answer for a slider value: truncated towards zero.
int range_answer(double value);
