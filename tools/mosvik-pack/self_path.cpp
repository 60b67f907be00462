// The running program's own path: GetModuleFileNameW on Windows, the
// /proc/self/exe link elsewhere (Linux); argv[0] when neither answers.
#include "self_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

namespace fs = std::filesystem;

fs::path DefaultSaverPath(const char* argv0)
{
#ifdef _WIN32
    const char* name = "mosvik.scr";
    std::wstring buf(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    if (n > 0 && n < buf.size()) {
        buf.resize(n);
        return fs::path(buf).parent_path() / name;
    }
#else
    const char* name = "mosvik";
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path() / name;
#endif
    return fs::absolute(fs::path(argv0 ? argv0 : ".")).parent_path() / name;
}
