// UTF-8 <-> UTF-16 at the edge of the backend. The core keeps paths and
// names as UTF-8 strings; Windows takes them through its wide calls, so a
// folder or file name outside the ANSI code page survives the round trip.
// Only files that include windows.h use this header.
#pragma once

#include <windows.h>

#include <string>

namespace w32 {

inline std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

inline std::string Narrow(const wchar_t* text, std::size_t len)
{
    if (len == 0)
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, int(len), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, int(len), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

} // namespace w32
