// The running program's own file. Linux reads the /proc/self/exe link;
// Windows asks GetModuleFileNameW, growing the buffer past MAX_PATH up to
// the longest path the system has (32767 characters).
#include "framework/own_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <system_error>
#endif

namespace fs = std::filesystem;

fs::path OwnExecutablePath()
{
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return fs::path(path);
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
#else
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
#endif
}

std::string OwnExecutablePathUtf8()
{
    const std::u8string utf8 = OwnExecutablePath().u8string();
    return std::string(utf8.begin(), utf8.end());
}
