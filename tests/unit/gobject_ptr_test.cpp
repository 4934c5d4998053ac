#include <gtest/gtest.h>

#include "frame/gobject_ptr.h"

namespace {

// An object whose references the test counts and whose end it sees.
class Watched {
  public:
    explicit Watched(bool floating)
        : object_(static_cast<GObject *>(
              g_object_new(floating ? G_TYPE_INITIALLY_UNOWNED : G_TYPE_OBJECT, nullptr))) {
        g_object_add_weak_pointer(object_, reinterpret_cast<gpointer *>(&alive_));
    }
    ~Watched() {
        if (alive_ != nullptr) {
            g_object_remove_weak_pointer(object_, reinterpret_cast<gpointer *>(&alive_));
            // Whatever reference the test left to the fixture.
            if (g_object_is_floating(object_))
                g_object_ref_sink(object_);
            g_object_unref(object_);
        }
    }

    GObject *get() const { return object_; }
    bool alive() const { return alive_ != nullptr; }
    unsigned references() const { return g_atomic_int_get(&object_->ref_count); }
    bool floating() const { return g_object_is_floating(object_); }

  private:
    GObject *object_;
    GObject *alive_ = object_;
};

TEST(GObjectPtr, AdoptTakesOverTheReferenceHeld) {
    for (bool by_constructor : {true, false}) {
        Watched watched(false);
        {
            GObjectPtr<GObject> owner = by_constructor ? GObjectPtr<GObject>(watched.get())
                                                       : GObjectPtr<GObject>::adopt(watched.get());
            EXPECT_EQ(watched.references(), 1u);
        }
        EXPECT_FALSE(watched.alive()) << "by constructor: " << by_constructor;
    }
}

TEST(GObjectPtr, RefTakesAReferenceOfItsOwn) {
    Watched watched(false);
    {
        auto owner = GObjectPtr<GObject>::ref(watched.get());
        EXPECT_EQ(owner.get(), watched.get());
        EXPECT_EQ(watched.references(), 2u);
    }
    ASSERT_TRUE(watched.alive());
    EXPECT_EQ(watched.references(), 1u);
}

TEST(GObjectPtr, RefSinkTakesOverAFloatingReference) {
    Watched watched(true);
    {
        auto owner = GObjectPtr<GObject>::ref_sink(watched.get());
        EXPECT_FALSE(watched.floating());
        EXPECT_EQ(watched.references(), 1u);
    }
    EXPECT_FALSE(watched.alive());
}

TEST(GObjectPtr, RefSinkOfAnObjectNotFloatingTakesANewReference) {
    Watched watched(false);
    {
        auto owner = GObjectPtr<GObject>::ref_sink(watched.get());
        EXPECT_EQ(watched.references(), 2u);
    }
    ASSERT_TRUE(watched.alive());
    EXPECT_EQ(watched.references(), 1u);
}

TEST(GObjectPtr, RefAndRefSinkOfNothingHoldNothing) {
    EXPECT_EQ(GObjectPtr<GObject>::ref(nullptr), nullptr);
    EXPECT_EQ(GObjectPtr<GObject>::ref_sink(nullptr), nullptr);
}

// A C function handing over an object through an out-parameter.
void hand_over(GObject *object, GObject **result) {
    *result = object;
}

TEST(OutParam, OwnerAdoptsWhatTheFunctionStored) {
    Watched first(false);
    Watched second(false);
    GObjectPtr<GObject> owner;
    hand_over(first.get(), out(owner));
    EXPECT_EQ(owner.get(), first.get());
    EXPECT_EQ(first.references(), 1u);

    // What the owner held before goes.
    hand_over(second.get(), out(owner));
    EXPECT_FALSE(first.alive());
    EXPECT_EQ(owner.get(), second.get());

    hand_over(nullptr, out(owner));
    EXPECT_EQ(owner, nullptr);
    EXPECT_FALSE(second.alive());
}

// GLib refuses to set an error over one already set, so the out-parameter
// must start empty even when the owner holds an error.
TEST(OutParam, GivesGLibAnEmptyErrorAndTakesTheNewOne) {
    GErrorPtr error(g_error_new_literal(G_FILE_ERROR, G_FILE_ERROR_EXIST, "old"));
    GCharPtr contents(g_strdup("old"));
    EXPECT_FALSE(g_file_get_contents("/nonexistent/wrenpane", out(contents), nullptr, out(error)));
    ASSERT_NE(error, nullptr);
    EXPECT_TRUE(g_error_matches(error.get(), G_FILE_ERROR, G_FILE_ERROR_NOENT));
    EXPECT_EQ(contents, nullptr);
}

} // namespace
