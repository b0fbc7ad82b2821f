// Ownership of GMime's and GLib's objects: a std::unique_ptr that drops its
// reference with g_object_unref (GOBJECTPTR), or frees with g_free
// (GCHARPTR), so that no path out of a function leaks one.
#pragma once

#include <glib-object.h>

#include <memory>

namespace vyr {

struct GOBJECTUNREF {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GOBJECTPTR = std::unique_ptr<T, GOBJECTUNREF>;

struct GFREE {
  void operator()(void* memory) const { g_free(memory); }
};
using GCHARPTR = std::unique_ptr<char, GFREE>;

}  // namespace vyr
