// Windows-1252 conversions. Bytes 0x00-0x7F and 0xA0-0xFF are the Unicode
// code points of the same number; 0x80-0x9F carry the code page's table.
#include "framework/cstring.h"

namespace cp1252 {
namespace {
// Code points of 0x80..0x9F; zero marks the five undefined positions.
constexpr char32_t kHigh[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};
} // namespace

char32_t ToUnicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] != 0)
        return kHigh[c - 0x80];
    return c;
}

std::optional<unsigned char> FromUnicode(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp && cp != 0)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string FromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        auto b = FromUnicode(cp);
        out.push_back(static_cast<char>(b ? *b : '?'));
    }
    return out;
}

std::optional<std::string> FromUtf8(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp;
        std::size_t len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
        else return std::nullopt;
        if (i + len > text.size())
            return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            unsigned char t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Reject overlong forms and surrogates.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF)
            return std::nullopt;
        auto b = FromUnicode(cp);
        if (!b)
            return std::nullopt;
        out.push_back(static_cast<char>(*b));
        i += len;
    }
    return out;
}

std::u32string ToUtf32(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string ToUtf8(std::string_view text)
{
    std::string out;
    for (char32_t cp : ToUtf32(text)) {
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}
} // namespace cp1252
