// WideCharToMultiByte(CP_ACP) over the path's own UTF-16 name.
#include "ansi_path.h"

#include <windows.h>

std::string AnsiPath(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}
