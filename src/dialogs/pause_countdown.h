// The pause's countdown in whole seconds, one tick a second.
#pragma once

// <secs>: leading_uint32 (a text without digits gives 0).
unsigned pause_seconds(const char *arg);

// What the tick with the given number (1 for the first) does: the bar shows
// the seconds left and empties step by step; the tick after the one that
// showed 0 closes the dialog. With 0 seconds the first tick shows 0 at once.
struct PauseTick {
    bool close;
    unsigned seconds_left;
    double fraction;
};

PauseTick pause_tick(unsigned seconds, unsigned long long tick);
