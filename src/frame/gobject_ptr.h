// Owning pointers for GLib memory and GObject references.
#pragma once

#include <glib-object.h>
#include <memory>

struct GFreeDeleter {
    void operator()(void *p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

struct GObjectUnref {
    void operator()(void *p) const { g_object_unref(p); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
