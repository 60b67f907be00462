// Loading libheif.so.1 on first use: dlopen with the symbols kept local to
// it, then every function of the table by name.
#include "heif_library.h"

#include <dlfcn.h>

#include <optional>
#include <string>

#include "picture_source.h"

namespace {
constexpr const char* kHeifSoname = "libheif.so.1";

// The table, or why it could not be made.
struct LoadResult {
    std::optional<HeifLibrary> library;
    std::string error;
};

LoadResult Load()
{
    LoadResult r;
    void* handle = dlopen(kHeifSoname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        r.error = std::string(kHeifSoname) + " is not installed";
        return r;
    }
    HeifLibrary lib;
    const char* missing = nullptr;
#define MOSVIK_HEIF_RESOLVE(name)                                                                                      \
    lib.name = reinterpret_cast<decltype(lib.name)>(dlsym(handle, #name));                                           \
    if (!lib.name && !missing)                                                                                         \
        missing = #name;
    MOSVIK_HEIF_FUNCTIONS(MOSVIK_HEIF_RESOLVE)
#undef MOSVIK_HEIF_RESOLVE
    if (missing) {
        dlclose(handle);
        r.error = std::string(kHeifSoname) + " has no " + missing;
        return r;
    }
    r.library = lib; // the handle stays open for the life of the process
    return r;
}
} // namespace

const HeifLibrary& LoadHeifLibrary(const std::string& fileName)
{
    static const LoadResult loaded = Load();
    if (!loaded.library)
        throw PictureError(fileName + ": HEIC and AVIF pictures cannot be read (" + loaded.error + ")");
    return *loaded.library;
}
