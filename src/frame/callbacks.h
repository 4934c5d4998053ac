// Typed callbacks for GLib and GTK. A C callback takes its data as a
// gpointer; giving the data back its type is done here, once, so that each
// callback is written with the type it works on, and data of another type
// than the callback's fails to compile where the two are put together.
//
// A callback is a function whose last parameter is its data (T *), or a
// member function of T, whose object is the data:
//
//   gboolean on_tick(PauseTimer *timer);
//   GSourcePtr tick = attach_source<on_tick>(g_timeout_source_new(1000), &timer);
//   g_signal_connect(button, "clicked", signal_handler<on_clicked>(), &field);
#pragma once

#include <cstddef>
#include <glib-object.h>
#include <tuple>
#include <utility>

#include "frame/gobject_ptr.h"

namespace callbacks_detail {

template <auto F, typename R, typename Params, typename Leading> struct FreeFunction;

// F takes the data last: the untyped function takes the same parameters
// before it, and a gpointer in its place.
template <auto F, typename R, typename... Params, size_t... I>
struct FreeFunction<F, R, std::tuple<Params...>, std::index_sequence<I...>> {
    using Data = std::tuple_element_t<sizeof...(I), std::tuple<Params...>>;
    static R call(std::tuple_element_t<I, std::tuple<Params...>>... args, gpointer data) {
        return F(args..., static_cast<Data>(data));
    }
};

template <auto F> struct Adapter;

template <typename R, typename... Params, R (*F)(Params...)> struct Adapter<F> {
    static_assert(sizeof...(Params) > 0, "a callback takes its data as its last parameter");
    using Function =
        FreeFunction<F, R, std::tuple<Params...>, std::make_index_sequence<sizeof...(Params) - 1>>;
    using Data = typename Function::Data;
    static constexpr auto untyped = &Function::call;
};

template <typename R, typename T, typename... Params, R (T::*F)(Params...)> struct Adapter<F> {
    using Data = T *;
    static R call(Params... args, gpointer self) { return (static_cast<T *>(self)->*F)(args...); }
    static constexpr auto untyped = &call;
};

template <typename R, typename T, typename... Params, R (T::*F)(Params...) const>
struct Adapter<F> {
    using Data = T *;
    static R call(Params... args, gpointer self) {
        return (static_cast<const T *>(self)->*F)(args...);
    }
    static constexpr auto untyped = &call;
};

} // namespace callbacks_detail

// The type of the data that callback F takes.
template <auto F> using CallbackData = typename callbacks_detail::Adapter<F>::Data;

// F as the C function GLib or GTK calls: F's parameters, with the data as a
// gpointer. It fits wherever a function of that shape is asked for (a
// GSourceFunc, a GtkTickCallback, a GtkTreeModelForeachFunc).
template <auto F> inline constexpr auto untyped = callbacks_detail::Adapter<F>::untyped;

// F as a signal handler, for g_signal_connect.
template <auto F> GCallback signal_handler() {
    return G_CALLBACK(untyped<F>);
}

// Attaches source to the main loop, to call F with data until F returns
// FALSE or the pointer goes. Whatever the kind of source (a watch's
// callback has parameters of its own), F has the parameters it expects.
template <auto F> GSourcePtr attach_source(GSource *source, CallbackData<F> data) {
    g_source_set_callback(source, G_SOURCE_FUNC(untyped<F>), data, nullptr);
    g_source_attach(source, nullptr);
    return GSourcePtr(source);
}
