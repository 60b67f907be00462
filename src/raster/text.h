// Fonts and text as the core sees them: the logical font description and
// the text engine that a backend supplies (FreeType on Linux, GDI on
// Windows). Text arrives in Windows-1252; the engine converts as it needs.
#pragma once

#include <string_view>
#include <vector>

#include "framework/types.h"

constexpr int LF_FACESIZE = 32;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;

struct LOGFONT {
    LONG lfHeight = 0; // negative: character height in pixels; positive: cell height
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0; // 0 means normal (400)
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

// DrawText format flags (values as on Windows).
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Coverage of rendered text: alpha 0..255, row-major, top row first,
// covering `rc` in the caller's coordinates.
struct TextMask {
    RECT rc{};
    std::vector<BYTE> alpha;
};

class ITextEngine {
public:
    virtual ~ITextEngine() = default;
    // Extent of the text laid out with only its own line breaks ("\r\n",
    // "\n" or "\r" start a new line), as DrawText's calculate mode reports it.
    virtual SIZE Measure(const LOGFONT& font, std::string_view text) = 0;
    // Renders the text into `box` with the format (DT_CENTER centres each
    // line; lines start at the top). With DT_NOCLIP the mask may extend
    // beyond `box`. `out.alpha` is reused between calls.
    virtual void Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box, TextMask& out) = 0;
};
