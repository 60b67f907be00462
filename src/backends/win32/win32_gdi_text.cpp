// Text through GDI for the core's raster: the text is measured with
// DrawText's calculate mode and rendered white on black into a 32-bit DIB
// section, whose brightness is the coverage the core blends with the text
// colour. Fonts are greyscale-antialiased (a single coverage value cannot
// carry ClearType's three). Text arrives in Windows-1252 and is converted
// with that code page whatever the system's own is; '&' is drawn as it is.
// One memory DC, the last font and the largest bitmap so far are kept.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"
#include "backends/win32/win32_wide.h"

namespace w32 {
namespace {

constexpr UINT kCodePage = 1252;
// Largest mask handed back (in pixels); larger text is clipped to its box.
constexpr std::int64_t kMaxMaskPixels = std::int64_t(1) << 25;

std::wstring Widen(const char* text, std::size_t len) { return w32::Widen(text, len, kCodePage); }

class GdiText {
public:
    GdiText() : m_dc(::CreateCompatibleDC(nullptr))
    {
        if (m_dc) {
            ::SetBkMode(m_dc.Get(), TRANSPARENT);
            ::SetTextColor(m_dc.Get(), RGB(255, 255, 255));
        }
    }

    void Measure(const FontDesc& desc, const char* text, std::size_t len, std::int32_t& cx, std::int32_t& cy)
    {
        cx = cy = 0;
        if (!m_dc || !SelectFont(desc))
            return;
        const std::wstring w = Widen(text, len);
        RECT r{0, 0, 0, 0};
        ::DrawTextW(m_dc.Get(), w.c_str(), int(w.size()), &r, kLayout | DT_CALCRECT | DT_NOCLIP);
        cx = r.right - r.left;
        cy = r.bottom - r.top;
    }

    void Render(const FontDesc& desc, const char* text, std::size_t len, bool center, bool noClip, const Rect& box,
                Rect& maskRc, std::vector<std::uint8_t>& alpha)
    {
        maskRc = Rect{};
        alpha.clear();
        std::int32_t extW = 0, extH = 0;
        Measure(desc, text, len, extW, extH);
        if (!m_dc || extW <= 0 || extH <= 0)
            return;
        TEXTMETRICW tm{};
        ::GetTextMetricsW(m_dc.Get(), &tm);

        // Where DrawText puts the text, widened for overhangs (italics,
        // negative bearings) beyond the extent it reports.
        const std::int64_t boxW = std::int64_t(box.right) - box.left;
        const std::int64_t textLeft = center ? box.left + (boxW - extW) / 2 : box.left;
        const std::int64_t mx = 2 + tm.tmHeight / 2, my = 2 + tm.tmHeight / 8;
        std::int64_t l = textLeft - mx, r = textLeft + extW + mx;
        std::int64_t t = std::int64_t(box.top) - my, b = std::int64_t(box.top) + extH + my;
        // Sides are checked before their product is formed (it could not
        // overflow 64 bits after that).
        const auto tooLarge = [](std::int64_t w, std::int64_t h) {
            return w > kMaxMaskPixels || h > kMaxMaskPixels || w * h > kMaxMaskPixels;
        };
        if (!noClip || tooLarge(r - l, b - t)) {
            l = std::max<std::int64_t>(l, box.left);
            r = std::min<std::int64_t>(r, box.right);
            t = std::max<std::int64_t>(t, box.top);
            b = std::min<std::int64_t>(b, box.bottom);
        }
        if (l >= r || t >= b || tooLarge(r - l, b - t) || l < INT32_MIN || r > INT32_MAX || t < INT32_MIN ||
            b > INT32_MAX)
            return;
        const int w = int(r - l), h = int(b - t);
        if (!EnsureBitmap(w, h))
            return;

        // Black, then the text in white at the box's place in the bitmap.
        for (int y = 0; y < h; ++y)
            std::memset(m_bits + std::size_t(y) * std::size_t(m_capW), 0, std::size_t(w) * 4);
        const std::wstring wtext = Widen(text, len);
        RECT rc{LONG(box.left - l), LONG(box.top - t), LONG(box.right - l), LONG(box.bottom - t)};
        ::DrawTextW(m_dc.Get(), wtext.c_str(), int(wtext.size()), &rc,
                    kLayout | (center ? DT_CENTER : DT_LEFT) | (noClip ? DT_NOCLIP : 0));
        ::GdiFlush();

        maskRc = Rect{std::int32_t(l), std::int32_t(t), std::int32_t(r), std::int32_t(b)};
        alpha.resize(std::size_t(w) * std::size_t(h));
        for (int y = 0; y < h; ++y) {
            const std::uint32_t* src = m_bits + std::size_t(y) * std::size_t(m_capW);
            std::uint8_t* dst = alpha.data() + std::size_t(y) * std::size_t(w);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = src[x];
                dst[x] = std::uint8_t(std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
            }
        }
    }

private:
    static constexpr UINT kLayout = DT_TOP | DT_NOPREFIX;

    bool SelectFont(const FontDesc& desc)
    {
        if (m_font && desc == m_desc)
            return true;
        LOGFONTW lf{};
        lf.lfHeight = desc.height;
        lf.lfWidth = desc.width;
        lf.lfEscapement = desc.escapement;
        lf.lfOrientation = desc.orientation;
        lf.lfWeight = desc.weight;
        lf.lfItalic = desc.italic;
        lf.lfUnderline = desc.underline;
        lf.lfStrikeOut = desc.strikeOut;
        lf.lfCharSet = desc.charSet;
        lf.lfOutPrecision = desc.outPrecision;
        lf.lfClipPrecision = desc.clipPrecision;
        lf.lfQuality = desc.quality == DEFAULT_QUALITY ? BYTE(ANTIALIASED_QUALITY) : desc.quality;
        lf.lfPitchAndFamily = desc.pitchAndFamily;
        const std::size_t faceLen = strnlen(desc.faceName, sizeof desc.faceName - 1);
        const std::wstring face = Widen(desc.faceName, faceLen);
        std::copy_n(face.c_str(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1), lf.lfFaceName);

        Font font(::CreateFontIndirectW(&lf));
        if (!font)
            return false;
        ::SelectObject(m_dc.Get(), font.Get()); // the previous font is released below
        m_font = std::move(font);
        m_desc = desc;
        return true;
    }

    // A top-down 32-bit DIB section at least w x h, selected into the DC.
    bool EnsureBitmap(int w, int h)
    {
        if (m_bitmap && w <= m_capW && h <= m_capH)
            return true;
        const int capW = std::max(w, m_capW), capH = std::max(h, m_capH);
        if (std::int64_t(capW) * capH > 2 * kMaxMaskPixels)
            return false;
        const BITMAPINFO bi = w32::TopDown32BitmapInfo(capW, capH);
        void* bits = nullptr;
        Bitmap bmp(::CreateDIBSection(m_dc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bmp || !bits)
            return false;
        ::SelectObject(m_dc.Get(), bmp.Get());
        m_bitmap = std::move(bmp);
        m_bits = static_cast<std::uint32_t*>(bits);
        m_capW = capW;
        m_capH = capH;
        return true;
    }

    // The DC is declared last so it is deleted first: GDI does not delete
    // a font or bitmap while it is selected into a DC.
    Font m_font;
    FontDesc m_desc;
    Bitmap m_bitmap;
    std::uint32_t* m_bits = nullptr;
    int m_capW = 0, m_capH = 0;
    MemoryDc m_dc;
};

GdiText& Engine()
{
    static GdiText engine;
    return engine;
}

} // namespace

void MeasureText(const FontDesc& font, const char* text, std::size_t len, std::int32_t& cx, std::int32_t& cy)
{
    Engine().Measure(font, text, len, cx, cy);
}

void RenderText(const FontDesc& font, const char* text, std::size_t len, bool center, bool noClip, const Rect& box,
                Rect& maskRc, std::vector<std::uint8_t>& alpha)
{
    Engine().Render(font, text, len, center, noClip, box, maskRc, alpha);
}

} // namespace w32
