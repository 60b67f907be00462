// Message texts and styles: strict UTF-8 decoding (no overlong forms,
// surrogates or values past U+10FFFF) into Windows-1252, the stored code
// page, with the first offending character named in the error.
#include "document/message_style.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "framework/archive.h"

namespace {

// Length of the UTF-8 sequence that starts with byte c (1 for stray bytes).
std::size_t Utf8Length(unsigned char c)
{
    return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

// The code point of one well-formed UTF-8 sequence, or nothing (also for
// overlong forms, surrogates and values past U+10FFFF).
std::u32string DecodeOne(std::string_view seq)
{
    const auto c = static_cast<unsigned char>(seq[0]);
    const std::size_t len = Utf8Length(c);
    if (seq.size() != len || (len == 1 && c >= 0x80) || c >= 0xF8)
        return {};
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(seq[k]);
        if ((t & 0xC0) != 0x80)
            return {};
        cp = (cp << 6) | (t & 0x3F);
    }
    static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return {};
    return std::u32string(1, cp);
}


} // namespace

CString ToStoredText(const std::string& utf8, const char* what, bool lineBreaks)
{
    if (auto text = cp1252::FromUtf8(utf8)) {
        // Control characters would reach the text drawing (and any terminal
        // that prints the text) as they are.
        for (std::size_t i = 0; i < text->size(); ++i) {
            const auto c = static_cast<unsigned char>((*text)[i]);
            if ((c < 0x20 || c == 0x7F) && !(lineBreaks && (c == '\n' || c == '\r'))) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
                throw std::invalid_argument(std::string(what) + " holds the control character " + code + " at character " +
                                std::to_string(i + 1) + (lineBreaks ? " (only line breaks are allowed)" : ""));
            }
        }
        return CString(std::move(*text));
    }
    // Name the first character that cannot be stored.
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const std::string_view one = std::string_view(utf8).substr(i, len);
        if (!cp1252::FromUtf8(one)) {
            const std::u32string cp = DecodeOne(one);
            if (cp.empty())
                throw std::invalid_argument(std::string(what) + " is not valid UTF-8");
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(cp[0]));
            throw std::invalid_argument(std::string(what) + " cannot be stored: \"" + std::string(one) + "\" (" + code +
                            ") is not a Windows-1252 character");
        }
        i += len;
    }
    throw std::invalid_argument(std::string(what) + " is not valid UTF-8");
}

CString ToStoredTextLenient(const std::string& utf8)
{
    if (auto strict = cp1252::FromUtf8(utf8))
        return CString(*strict);
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        auto one = cp1252::FromUtf8(std::string_view(utf8).substr(i, len));
        out += one ? *one : std::string("?");
        i += len;
    }
    return CString(out);
}

COLORREF ParseColour(const std::string& text)
{
    std::string hex = text.size() == 7 && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        throw std::invalid_argument("bad colour \"" + text + "\" (expected #RRGGBB)");
    const unsigned long v = std::stoul(hex, nullptr, 16);
    return RGB(BYTE(v >> 16), BYTE(v >> 8), BYTE(v));
}

CString ToStoredFace(const std::string& utf8)
{
    CString face = ToStoredText(utf8, "the font face", false);
    if (std::size_t(face.GetLength()) > kMaxFaceLength)
        throw std::invalid_argument("the font face is longer than " + std::to_string(kMaxFaceLength) +
                                    " characters: " + utf8);
    return face;
}

MessageStyle ToStoredStyle(const Utf8MessageStyle& typed)
{
    MessageStyle style;
    style.text = ToStoredText(typed.text, "the message", true);
    style.face = ToStoredFace(typed.face);
    style.colour = typed.colour;
    style.bold = typed.bold;
    style.italic = typed.italic;
    return style;
}

CArchive& operator<<(CArchive& ar, const MessageStyle& style)
{
    return ar << style.text << style.face << style.colour << style.bold << style.italic;
}

CArchive& operator>>(CArchive& ar, MessageStyle& style)
{
    return ar >> style.text >> style.face >> style.colour >> style.bold >> style.italic;
}

double EstimatedMessagePoints(const CString& message)
{
    const std::string& s = message.str();
    std::size_t lines = 1, longest = 0, run = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n') {
            ++run;
            continue;
        }
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            ++i;
        ++lines;
        longest = std::max(longest, run);
        run = 0;
    }
    longest = std::max(longest, run);
    if (longest == 0)
        return 1e9; // no message screen at all
    constexpr double kPixelsAt10Points = 10.0 * 96 / 72;
    const double byWidth = 10.0 * (1024 * 3 / 4) / (double(longest) * 0.5 * kPixelsAt10Points);
    const double byHeight = 10.0 * (768 * 3 / 4) / (double(lines) * 1.15 * kPixelsAt10Points);
    return std::min(byWidth, byHeight);
}
