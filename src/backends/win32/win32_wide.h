// UTF-8 <-> UTF-16 at the edge of the backend, and the one place where
// text is widened from a code page. The core keeps paths and names as UTF-8
// strings; Windows takes them through its wide calls, so a folder or file
// name outside the ANSI code page survives the round trip. Only files that
// include windows.h use this header (the backend, the pack tool's window).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

namespace w32 {

// `len` bytes of `text` in the code page (UTF-8 unless told) as UTF-16;
// empty for nothing, for a text beyond an int's reach or one the system
// cannot convert.
inline std::wstring Widen(const char* text, std::size_t len, UINT codePage = CP_UTF8)
{
    if (len == 0 || len > std::size_t(INT32_MAX))
        return {};
    const int n = ::MultiByteToWideChar(codePage, 0, text, int(len), nullptr, 0);
    std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(codePage, 0, text, int(len), out.data(), n);
    return out;
}

inline std::wstring Widen(const std::string& text, UINT codePage = CP_UTF8)
{
    return Widen(text.data(), text.size(), codePage);
}

inline std::string Narrow(const wchar_t* text, std::size_t len)
{
    if (len == 0 || len > std::size_t(INT32_MAX))
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, int(len), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, int(len), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }
inline std::string Narrow(const wchar_t* text) { return Narrow(text, std::wcslen(text)); }

} // namespace w32
