// CFreeTypeTextEngine: the text engine of the POSIX backends. fontconfig
// finds the face for LOGFONT's name, weight and slant; FreeType scales and
// renders it with 8-bit antialiasing. Text arrives in Windows-1252 and is
// converted to Unicode before the glyphs are looked up.
//
// Metrics follow DrawText: a negative lfHeight is the em height in pixels,
// a positive one the cell height (ascender - descender); each line is as
// high as the cell, rounded; a line's width is the sum of its glyphs'
// hinted advances, without kerning. "\r\n", "\n" and "\r" break lines; a
// break at the very end of the text starts no further line.
// Bold (lfWeight >= 600) and italic use the family's own faces when it has
// them, otherwise FreeType emboldens or slants the regular outlines.
//
// Trade-offs: faces are cached per (file, size, style) up to kMaxFaces,
// the least recently used dropped first; each face keeps the glyphs it has
// rendered. Characters the face lacks show its missing-glyph box; there is
// no per-character fallback to other fonts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "raster/text.h"

class CFreeTypeTextEngine : public ITextEngine {
public:
    CFreeTypeTextEngine(); // throws std::runtime_error when FreeType or fontconfig fails
    ~CFreeTypeTextEngine() override;

    static constexpr std::size_t kMaxFaces = 8;
    // Pixel heights are clamped to this; masks above kMaxMaskPixels throw.
    static constexpr long kMaxPixelHeight = 4096;
    static constexpr std::size_t kMaxMaskPixels = std::size_t(1) << 26;

    SIZE Measure(const LOGFONT& font, std::string_view text) override;
    void Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box, TextMask& out) override;

    // The font file the description resolves to (for diagnostics and tests).
    std::string FontFile(const LOGFONT& font);
    // Height of one line in pixels for the description.
    int LineHeight(const LOGFONT& font);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
