// CString: the framework's string, a run of bytes in the ANSI code page
// (Windows-1252). Conversions to and from Unicode live here too, because
// stored text is Windows-1252 while fonts and command lines speak Unicode.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_str(s ? s : "") {}
    CString(std::string s) : m_str(std::move(s)) {}
    CString(const char* s, std::size_t n) : m_str(s, n) {}

    int GetLength() const { return int(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const char* c_str() const { return m_str.c_str(); }
    operator const char*() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    char operator[](int i) const { return m_str[std::size_t(i)]; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }

private:
    std::string m_str;
};

namespace cp1252 {
// The Unicode code point of one Windows-1252 byte; the five bytes the code
// page leaves undefined map to themselves (as the system's converter does).
char32_t ToUnicode(unsigned char c);
// The Windows-1252 byte of a code point, or nothing when it has none.
std::optional<unsigned char> FromUnicode(char32_t cp);
// Whole-text conversions. FromUtf16 replaces what cannot be stored by '?',
// as the system's wide-to-ANSI conversion does with its default character.
std::string FromUtf16(std::u16string_view text);
// Strict UTF-8 to Windows-1252: nothing when the text is not valid UTF-8
// or holds a character the code page lacks.
std::optional<std::string> FromUtf8(std::string_view text);
std::string ToUtf8(std::string_view text);
std::u32string ToUtf32(std::string_view text);
} // namespace cp1252
