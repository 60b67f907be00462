// Loading libgtk-3.so.0 on first use: dlopen, then every function of the
// table by name from GTK and the libraries it depends on (GDK, GLib).
#include "backends/x11/gtk_library.h"

#include <dlfcn.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace {
constexpr const char *kGtkSoname = "libgtk-3.so.0";

// The table, or why it could not be made.
struct LoadResult {
  std::optional<GtkLibrary> library;
  std::string error;
};

LoadResult Load() {
  LoadResult r;
  void *handle = dlopen(kGtkSoname, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    r.error = std::string(kGtkSoname) + " is not installed";
    return r;
  }
  GtkLibrary lib;
  const char *missing = nullptr;
#define MOSVIK_GTK_RESOLVE(name)                                               \
  lib.name = reinterpret_cast<decltype(lib.name)>(dlsym(handle, #name));       \
  if (!lib.name && !missing)                                                   \
    missing = #name;
  MOSVIK_GTK_FUNCTIONS(MOSVIK_GTK_RESOLVE)
#undef MOSVIK_GTK_RESOLVE
  if (missing) {
    dlclose(handle);
    r.error = std::string(kGtkSoname) + " has no " + missing;
    return r;
  }
  r.library = lib; // the handle stays open for the life of the process
  return r;
}
} // namespace

const GtkLibrary &Gtk() {
  static const LoadResult loaded = Load();
  if (!loaded.library)
    throw std::runtime_error("the configuration dialog needs GTK 3 (" +
                             loaded.error + ")");
  return *loaded.library;
}
