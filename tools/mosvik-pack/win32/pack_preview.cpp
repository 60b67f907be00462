// The preview's drawing (see pack_preview.h). The picture is stretched with
// COLORONCOLOR, as the saver stretches it; the message is measured at 10
// points and drawn at the size that fits, both at the window's DPI, so
// the preview keeps its proportions on any monitor.
#include "pack_preview.h"

#include "backends/win32/win32_dpi.h"
#include "backends/win32/win32_wide.h"

namespace {

constexpr COLORREF kBackground = RGB(52, 60, 52);

void FillBackground(HDC dc, const RECT& screen)
{
    const w32::UniqueHandle<HBRUSH, w32::GdiObjectTraits> background(CreateSolidBrush(kBackground));
    FillRect(dc, &screen, background.Get());
}

} // namespace

void PaintPicturePreview(HDC dc, const RECT& s, const GuiPicture& picture)
{
    FillBackground(dc, s);
    if (picture.width <= 0)
        return;
    const GuiRect r = GuiPictureRect(s.right - s.left, s.bottom - s.top, picture.width, picture.height);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = picture.width;
    bmi.bmiHeader.biHeight = picture.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, s.left + r.left, s.top + r.top, r.right - r.left, r.bottom - r.top, 0, 0, picture.width,
                  picture.height, picture.bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void PaintMessagePreview(HDC dc, const RECT& screen, const std::wstring& text, const GuiRequest& request, int dpi)
{
    FillBackground(dc, screen);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, screen.left, screen.top, screen.right, screen.bottom);
    const int W = screen.right - screen.left, H = screen.bottom - screen.top;
    RECT t{screen.left + W / 8, screen.top + H / 8, screen.right - W / 8, screen.bottom - H / 8};
    LOGFONTW lf{};
    const std::wstring face = w32::Widen(request.message.face);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    lf.lfHeight = -MulDiv(100, dpi, 720); // 10 points
    RECT m = t;
    {
        const w32::Font measure(CreateFontIndirectW(&lf));
        const w32::SelectScope use(dc, measure.Get());
        DrawTextW(dc, text.c_str(), int(text.size()), &m, DT_CALCRECT | DT_NOCLIP);
    }
    if (m.right > m.left && m.bottom > m.top) { // else the saver shows no message screen either
        const int size = GuiFitMessageSize(t.right - t.left, t.bottom - t.top, m.right - m.left, m.bottom - m.top);
        lf.lfHeight = -MulDiv(size, dpi, 720);
        lf.lfWeight = request.message.bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = request.message.italic ? TRUE : FALSE;
        const w32::Font font(CreateFontIndirectW(&lf));
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const w32::SelectScope use(dc, font.Get());
        const COLORREF oldColour = SetTextColor(dc, request.message.colour);
        DrawTextW(dc, text.c_str(), int(text.size()), &t, DT_CENTER | DT_NOCLIP);
        SetTextColor(dc, oldColour);
        SetBkMode(dc, oldMode);
    }
    RestoreDC(dc, saved);
}
