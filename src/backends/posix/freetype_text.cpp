// FreeType glyph rendering and DrawText-style line layout for the POSIX
// text engine; faces come from CFontMatcher.
#include "backends/posix/freetype_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <list>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/cstring.h"
#include "backends/posix/font_match.h"

namespace {

struct Glyph {
    int advance = 0;       // pixels
    int left = 0, top = 0; // bitmap origin relative to the pen on the baseline (top is upward)
    int w = 0, h = 0;
    std::vector<BYTE> bits; // w * h coverage, top row first
};

struct Line {
    std::size_t start = 0, length = 0;
};

// Lines of the text: "\r\n", "\n" and "\r" end a line; a break at the
// very end starts no further line; an empty text has no lines.
std::vector<Line> SplitLines(const std::u32string& text)
{
    std::vector<Line> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        if (text[i] == U'\r' || text[i] == U'\n') {
            lines.push_back({start, i - start});
            i += (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.push_back({start, text.size() - start});
    return lines;
}

std::string FamilyOf(const LOGFONT& lf)
{
    const std::size_t n = strnlen(lf.lfFaceName, LF_FACESIZE - 1);
    return cp1252::ToUtf8(std::string_view(lf.lfFaceName, n));
}

LONG ClampedHeight(LONG h)
{
    const long limit = CFreeTypeTextEngine::kMaxPixelHeight;
    if (h == 0)
        return 16; // the mapper's default: a 16-pixel cell
    if (h < -limit)
        return LONG(-limit);
    if (h > limit)
        return LONG(limit);
    return h;
}

// Rounded a * b / c for non-negative a, b and positive c.
std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) { return (2 * a * b + c) / (2 * c); }

} // namespace

struct CFreeTypeTextEngine::Impl {
    struct Library {
        FT_Library lib = nullptr;
        Library()
        {
            if (FT_Init_FreeType(&lib) != 0)
                throw std::runtime_error("FreeType could not be initialised");
        }
        ~Library() { FT_Done_FreeType(lib); }
    };

    struct Face {
        FT_Face face = nullptr;
        std::string file;
        int index = 0;
        LONG height = 0; // the (clamped) lfHeight it was made for
        bool synthBold = false, synthItalic = false;
        int ascent = 0, lineHeight = 0;
        std::unordered_map<char32_t, Glyph> glyphs;
        ~Face()
        {
            if (face)
                FT_Done_Face(face);
        }
    };

    Library library; // destroyed after the faces below
    CFontMatcher matcher;
    std::list<Face> faces; // most recently used first
    std::u32string text;   // reused conversion buffer

    Face& GetFace(const LOGFONT& lf)
    {
        const bool bold = lf.lfWeight >= 600;
        const bool italic = lf.lfItalic != 0;
        const FontMatch& match = matcher.Match(FamilyOf(lf), bold, italic);
        const LONG height = ClampedHeight(lf.lfHeight);
        const bool synthBold = bold && !match.bold;
        const bool synthItalic = italic && !match.italic;
        for (auto it = faces.begin(); it != faces.end(); ++it) {
            if (it->file == match.file && it->index == match.index && it->height == height &&
                it->synthBold == synthBold && it->synthItalic == synthItalic) {
                faces.splice(faces.begin(), faces, it);
                return faces.front();
            }
        }
        faces.emplace_front();
        Face& f = faces.front();
        try {
            Open(f, match, height, synthBold, synthItalic);
        } catch (...) {
            faces.pop_front();
            throw;
        }
        while (faces.size() > kMaxFaces)
            faces.pop_back();
        return f;
    }

    void Open(Face& f, const FontMatch& match, LONG height, bool synthBold, bool synthItalic)
    {
        f.file = match.file;
        f.index = match.index;
        f.height = height;
        f.synthBold = synthBold;
        f.synthItalic = synthItalic;
        if (FT_New_Face(library.lib, match.file.c_str(), match.index, &f.face) != 0)
            throw std::runtime_error("cannot open font " + match.file);
        FT_Face face = f.face;
        if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
            throw std::runtime_error("font is not scalable: " + match.file);
        const std::int64_t upem = face->units_per_EM;
        const std::int64_t asc = std::max<std::int64_t>(face->ascender, 0);
        const std::int64_t desc = std::max<std::int64_t>(-std::int64_t(face->descender), 0);
        const std::int64_t cellUnits = std::max<std::int64_t>(asc + desc, 1);
        // Negative: em height; positive: cell height, scaled to an em.
        const std::int64_t em = height < 0 ? -std::int64_t(height)
                                           : std::max<std::int64_t>(1, MulDivRound(height, upem, cellUnits));
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(em)) != 0)
            throw std::runtime_error("cannot size font " + match.file);
        f.lineHeight = int(std::max<std::int64_t>(1, MulDivRound(cellUnits, em, upem)));
        f.ascent = int(MulDivRound(asc, em, upem));
    }

    const Glyph& GetGlyph(Face& f, char32_t cp)
    {
        if (auto it = f.glyphs.find(cp); it != f.glyphs.end())
            return it->second;
        Glyph g;
        FT_Face face = f.face;
        const FT_UInt gi = FT_Get_Char_Index(face, FT_ULong(cp));
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0) {
            FT_GlyphSlot slot = face->glyph;
            if (f.synthItalic)
                FT_GlyphSlot_Oblique(slot);
            if (f.synthBold)
                FT_GlyphSlot_Embolden(slot);
            g.advance = int((slot->advance.x + 32) >> 6);
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 && slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                const FT_Bitmap& bm = slot->bitmap;
                g.left = slot->bitmap_left;
                g.top = slot->bitmap_top;
                g.w = int(bm.width);
                g.h = int(bm.rows);
                g.bits.resize(std::size_t(g.w) * std::size_t(g.h));
                for (int y = 0; y < g.h; ++y) {
                    const unsigned char* src = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
                    std::memcpy(g.bits.data() + std::size_t(y) * std::size_t(g.w), src, std::size_t(g.w));
                }
            }
        }
        return f.glyphs.emplace(cp, std::move(g)).first->second;
    }

    std::int64_t LineWidth(Face& f, const Line& line)
    {
        std::int64_t w = 0;
        for (std::size_t i = 0; i < line.length; ++i)
            w += GetGlyph(f, text[line.start + i]).advance;
        return w;
    }
};

CFreeTypeTextEngine::CFreeTypeTextEngine() : m(std::make_unique<Impl>()) {}

CFreeTypeTextEngine::~CFreeTypeTextEngine() = default;

std::string CFreeTypeTextEngine::FontFile(const LOGFONT& font) { return m->GetFace(font).file; }

int CFreeTypeTextEngine::LineHeight(const LOGFONT& font) { return m->GetFace(font).lineHeight; }

SIZE CFreeTypeTextEngine::Measure(const LOGFONT& font, std::string_view text)
{
    m->text = cp1252::ToUtf32(text);
    const std::vector<Line> lines = SplitLines(m->text);
    if (lines.empty())
        return SIZE{};
    Impl::Face& f = m->GetFace(font);
    std::int64_t width = 0;
    for (const Line& line : lines)
        width = std::max(width, m->LineWidth(f, line));
    const std::int64_t height = std::int64_t(lines.size()) * f.lineHeight;
    constexpr std::int64_t kMax = std::numeric_limits<LONG>::max();
    return SIZE{LONG(std::min(width, kMax)), LONG(std::min(height, kMax))};
}

void CFreeTypeTextEngine::Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box,
                                 TextMask& out)
{
    out.rc = RECT{};
    out.alpha.clear();
    m->text = cp1252::ToUtf32(text);
    const std::vector<Line> lines = SplitLines(m->text);
    if (lines.empty())
        return;
    Impl::Face& f = m->GetFace(font);

    // Pen origin of each line: top-aligned in the box, centred with
    // DT_CENTER (the half difference truncated toward zero, as DrawText).
    std::vector<std::int64_t> penX(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::int64_t w = m->LineWidth(f, lines[i]);
        penX[i] = (format & DT_CENTER) ? box.left + (std::int64_t(box.right) - box.left - w) / 2 : box.left;
    }

    // First pass: the bounding box of every glyph's coverage.
    std::int64_t x0 = std::numeric_limits<std::int64_t>::max(), y0 = x0;
    std::int64_t x1 = std::numeric_limits<std::int64_t>::min(), y1 = x1;
    auto forEachGlyph = [&](auto&& fn) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::int64_t pen = penX[i];
            const std::int64_t baseline = std::int64_t(box.top) + std::int64_t(i) * f.lineHeight + f.ascent;
            for (std::size_t k = 0; k < lines[i].length; ++k) {
                const Glyph& g = m->GetGlyph(f, m->text[lines[i].start + k]);
                if (g.w > 0 && g.h > 0)
                    fn(g, pen + g.left, baseline - g.top);
                pen += g.advance;
            }
        }
    };
    forEachGlyph([&](const Glyph& g, std::int64_t gx, std::int64_t gy) {
        x0 = std::min(x0, gx);
        y0 = std::min(y0, gy);
        x1 = std::max(x1, gx + g.w);
        y1 = std::max(y1, gy + g.h);
    });
    if (x0 >= x1 || y0 >= y1)
        return;
    constexpr std::int64_t kLo = std::numeric_limits<LONG>::min(), kHi = std::numeric_limits<LONG>::max();
    if (x0 < kLo || y0 < kLo || x1 > kHi || y1 > kHi)
        throw std::length_error("text lies outside the coordinate range");
    const std::uint64_t mw = std::uint64_t(x1 - x0), mh = std::uint64_t(y1 - y0);
    if (mw > kMaxMaskPixels || mh > kMaxMaskPixels || mw * mh > kMaxMaskPixels)
        throw std::length_error("text mask too large");

    // Second pass: coverage, the larger value where glyphs overlap.
    out.rc = RECT{LONG(x0), LONG(y0), LONG(x1), LONG(y1)};
    out.alpha.assign(std::size_t(mw * mh), 0);
    forEachGlyph([&](const Glyph& g, std::int64_t gx, std::int64_t gy) {
        for (int y = 0; y < g.h; ++y) {
            BYTE* dst = out.alpha.data() + std::size_t(gy - y0 + y) * mw + std::size_t(gx - x0);
            const BYTE* src = g.bits.data() + std::size_t(y) * std::size_t(g.w);
            for (int x = 0; x < g.w; ++x)
                dst[x] = std::max(dst[x], src[x]);
        }
    });
}
