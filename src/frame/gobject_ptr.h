// Owning pointers for GLib memory, GObject references and the other things
// GLib and GTK hand over to be freed.
#pragma once

#include <glib-object.h>
#include <gtk/gtk.h>
#include <memory>

struct GFreeDeleter {
    void operator()(void *p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

struct GObjectUnref {
    void operator()(void *p) const { g_object_unref(p); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};
// Pass it to GLib as an out-parameter through a plain pointer, then adopt.
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct TreePathFree {
    void operator()(GtkTreePath *path) const { gtk_tree_path_free(path); }
};
using TreePathPtr = std::unique_ptr<GtkTreePath, TreePathFree>;

// Owns an attached source: removes it from its main loop, then drops it.
struct GSourceDestroy {
    void operator()(GSource *source) const {
        g_source_destroy(source);
        g_source_unref(source);
    }
};
using GSourcePtr = std::unique_ptr<GSource, GSourceDestroy>;
