// Owning pointers for GLib memory, GObject references and the other things
// GLib, GTK and Pango hand over to be freed.
//
// How an owner comes by what it holds is said at the call site:
//  - adopt: the plain constructor (or GObjectPtr<T>::adopt) takes over what
//    the caller already owns, such as the result of a *_new function;
//  - GObjectPtr<T>::ref takes a new reference to an object someone else
//    owns, such as the result of a *_get function;
//  - GObjectPtr<T>::ref_sink takes over a floating reference (a widget kept
//    outside any container), or a new reference when there is none floating;
//  - out(owner) stands for a `T **` out-parameter of a C function (a GError,
//    a string): the owner adopts what the function stored there when the
//    call's full expression ends, dropping what it held before.
#pragma once

#include <glib-object.h>
#include <gtk/gtk.h>
#include <memory>

// A C library's free or unref function as the deleter of a unique_ptr.
template <auto Free> struct FreeWith {
    template <typename T> void operator()(T *p) const { Free(p); }
};

using GCharPtr = std::unique_ptr<char, FreeWith<g_free>>;
using GErrorPtr = std::unique_ptr<GError, FreeWith<g_error_free>>;
using IOChannelPtr = std::unique_ptr<GIOChannel, FreeWith<g_io_channel_unref>>;
using TreePathPtr = std::unique_ptr<GtkTreePath, FreeWith<gtk_tree_path_free>>;
using PangoAttrListPtr = std::unique_ptr<PangoAttrList, FreeWith<pango_attr_list_unref>>;
using PangoFontMetricsPtr = std::unique_ptr<PangoFontMetrics, FreeWith<pango_font_metrics_unref>>;
using PangoFontDescriptionPtr =
    std::unique_ptr<PangoFontDescription, FreeWith<pango_font_description_free>>;
using CairoRegionPtr = std::unique_ptr<cairo_region_t, FreeWith<cairo_region_destroy>>;

// One reference to a GObject.
template <typename T> class GObjectPtr : public std::unique_ptr<T, FreeWith<g_object_unref>> {
  public:
    using std::unique_ptr<T, FreeWith<g_object_unref>>::unique_ptr;

    static GObjectPtr adopt(T *object) { return GObjectPtr(object); }
    static GObjectPtr ref(T *object) {
        return GObjectPtr(object != nullptr ? static_cast<T *>(g_object_ref(object)) : nullptr);
    }
    static GObjectPtr ref_sink(T *object) {
        return GObjectPtr(object != nullptr ? static_cast<T *>(g_object_ref_sink(object))
                                            : nullptr);
    }
};

// Owns an attached source: removes it from its main loop, then drops it.
struct GSourceDestroy {
    void operator()(GSource *source) const {
        g_source_destroy(source);
        g_source_unref(source);
    }
};
using GSourcePtr = std::unique_ptr<GSource, GSourceDestroy>;

// What out(owner) gives: converts to the `T **` a C function fills, and
// hands what it was given to the owner when the full expression ends. A
// variadic function (g_object_get, gtk_tree_model_get) needs the pointer's
// type named: static_cast<char **>(out(name)).
template <typename Owner> class OutParam {
  public:
    explicit OutParam(Owner &owner) : owner_(owner) {}
    OutParam(const OutParam &) = delete;
    OutParam &operator=(const OutParam &) = delete;
    ~OutParam() { owner_.reset(stored_); }

    operator typename Owner::pointer *() { return &stored_; }

  private:
    Owner &owner_;
    // Starts empty, as GLib requires of a GError out-parameter.
    typename Owner::pointer stored_ = nullptr;
};

template <typename Owner> OutParam<Owner> out(Owner &owner) {
    return OutParam<Owner>(owner);
}
