// The closing message and its style, the five fields a document stores
// after its user record: text, font face, colour, bold, italic. Declared
// once over the kind of text: the document and everything that reads or
// writes one keep MessageStyle (message_style.h, Windows-1252 as stored);
// what a user types is Utf8MessageStyle. Plain types only, so a file that
// includes windows.h (the pack tool's window) can use it too; the price is
// that the colour and the two flags are spelt std::uint32_t, not COLORREF
// and DWORD (the same types in the core).
#pragma once

#include <cstdint>
#include <string>

// The face and colour of a message nobody chose them for (the pack tool's
// defaults); the colour is a COLORREF, 0x00BBGGRR: yellow.
inline constexpr char kDefaultMessageFace[] = "Arial";
inline constexpr std::uint32_t kDefaultMessageColour = 0x0000FFFF;

template <class Text>
struct BasicMessageStyle {
    Text text;
    Text face = Text(kDefaultMessageFace);
    std::uint32_t colour = kDefaultMessageColour; // COLORREF
    std::uint32_t bold = 0;                       // any nonzero value is bold
    std::uint32_t italic = 0;                     // its low byte is the italic flag
};

// The style as typed: UTF-8, not yet checked against the stored code page.
using Utf8MessageStyle = BasicMessageStyle<std::string>;
