#include <gtest/gtest.h>

#include "frame/callbacks.h"

namespace {

struct Counter {
    int calls = 0;
    int last = 0;

    gboolean count(int value) {
        ++calls;
        last = value;
        return calls < 2;
    }
};

gboolean add_to(int value, Counter *counter) {
    return counter->count(value);
}

// What a main loop does with a source's callback: calls it until it returns
// FALSE.
void dispatch_until_done(GSource *source) {
    while (!g_source_is_destroyed(source))
        g_main_context_iteration(nullptr, TRUE);
}

TEST(Callbacks, UntypedCallsGiveTheArgumentsAndTheDataBack) {
    Counter counter;
    EXPECT_TRUE(untyped<add_to>(7, &counter));
    EXPECT_EQ(counter.last, 7);
    EXPECT_FALSE(untyped<&Counter::count>(9, &counter));
    EXPECT_EQ(counter.calls, 2);
    EXPECT_EQ(counter.last, 9);
}

// The source runs until its callback ends it; removing an ended source
// through its owner is harmless, and an owner that goes first removes it.
TEST(Callbacks, AttachedSourceRunsUntilItEndsOrItsOwnerGoes) {
    struct Ticks {
        int left;
        gboolean tick() { return --left > 0; }
    };
    Ticks ticks{3};
    GSourcePtr source = attach_source<&Ticks::tick>(g_idle_source_new(), &ticks);
    dispatch_until_done(source.get());
    EXPECT_EQ(ticks.left, 0);
    source.reset();

    Ticks never{1};
    GSourcePtr pending = attach_source<&Ticks::tick>(g_timeout_source_new(60000), &never);
    GSource *raw = g_source_ref(pending.get());
    pending.reset();
    EXPECT_TRUE(g_source_is_destroyed(raw));
    g_source_unref(raw);
    EXPECT_EQ(never.left, 1);
}

} // namespace
