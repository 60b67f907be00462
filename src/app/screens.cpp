// The picture screen and the message screen. Each is composed off-screen
// over the tiled background and revealed through a transition.
#include "app/screens.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "app/document_source.h"
#include "app/saver_app.h"
#include "app/saver_wnd.h"
#include "app/transitions.h"
#include "raster/dc.h"

namespace {
constexpr int kMeasureSize = 100; // 10 points, in tenths

// The window's off-screen image over the tiled background, selected into a
// memory DC for as long as the screen is being composed. The finished
// board it held is not needed again: the next cycle's board redraws it whole.
class COffscreenScreen {
public:
    COffscreenScreen(CSaverWnd& wnd, CBoardBuffer& buffer, CDC* pDC, const RECT& rc)
    {
        m_dc.CreateCompatibleDC(pDC);
        buffer.Ensure(pDC, rc.right - rc.left, rc.bottom - rc.top);
        m_pOld = m_dc.SelectObject(buffer.Bitmap());
        wnd.TileBackground(&m_dc, &rc);
    }
    ~COffscreenScreen() { m_dc.SelectObject(m_pOld); }
    COffscreenScreen(const COffscreenScreen&) = delete;
    COffscreenScreen& operator=(const COffscreenScreen&) = delete;
    CDC& DC() { return m_dc; }

private:
    CDC m_dc;
    CBitmap* m_pOld = nullptr;
};

// A line in the bottom left corner, in the message's face and colour,
// about a fortieth of the window high.
void DrawCaption(CDC& dc, const CString& caption, const CJigsawDoc& doc, int W, int H, CDC* pRef)
{
    CFont font;
    font.CreatePointFont(std::max(60, H * 5 / 24), doc.m_message.face, pRef);
    CFont* pOldFont = dc.SelectObject(&font);
    const int margin = std::max(2, H / 40);
    RECT r{margin, 0, W - margin, H};
    dc.DrawText(caption, &r, DT_CALCRECT | DT_NOCLIP);
    const int height = r.bottom - r.top;
    r = RECT{margin, H - margin - height, W - margin, H - margin};
    const int nOldBk = dc.SetBkMode(TRANSPARENT);
    const COLORREF crOld = dc.SetTextColor(doc.m_message.colour);
    dc.DrawText(caption, &r, DT_LEFT);
    dc.SetTextColor(crOld);
    dc.SetBkMode(nOldBk);
    dc.SelectObject(pOldFont);
}
} // namespace

RECT PictureRect(int W, int H, LONG pw, LONG ph)
{
    std::int64_t dw = std::int64_t(W) * 3 / 4, dh = std::int64_t(H) * 3 / 4;
    if (dw * ph < dh * pw)
        dh = dw * ph / pw;
    else
        dw = dh * pw / ph;
    const LONG x = LONG((W - dw) / 2), y = LONG((H - dh) / 2);
    return RECT{x, y, LONG(x + dw), LONG(y + dh)};
}

int FitMessageSize(SIZE t, SIZE m)
{
    const std::int64_t byWidth = std::int64_t(t.cx) * 100 / m.cx;
    const std::int64_t byHeight = std::int64_t(t.cy) * 100 / m.cy;
    return int(std::clamp<std::int64_t>(std::min(byWidth, byHeight), INT32_MIN, INT32_MAX));
}

void CSaverWnd::ShowPicture(CDC* pDC)
{
    RECT rc;
    GetClientRect(&rc);
    const int W = rc.right - rc.left, H = rc.bottom - rc.top;
    COffscreenScreen screen(*this, m_bmpBoard, pDC, rc);
    CDC& memDC = screen.DC();

    const CJigsawDoc& doc = GetSaverApp().m_doc;
    const LONG pw = doc.m_bih.biWidth, ph = doc.m_bih.biHeight;
    if (doc.m_pBits && pw > 0 && ph > 0) {
        const RECT pic = PictureRect(W, H, pw, ph);
        const int nOldMode = memDC.SetStretchBltMode(COLORONCOLOR);
        memDC.StretchDIBits(pic.left, pic.top, pic.right - pic.left, pic.bottom - pic.top, 0, 0, pw, ph,
                            doc.m_pBits.get(), &doc.m_bih, DIB_RGB_COLORS, SRCCOPY);
        memDC.SetStretchBltMode(nOldMode);
    }
    const IDocumentSource* source = GetSaverApp().m_pDocSource;
    if (const CString caption = source ? source->Caption() : CString(); !caption.IsEmpty())
        DrawCaption(memDC, caption, doc, W, H, pDC);
    RunTransition(pDC, &memDC, W, H, 0);
}

BOOL CSaverWnd::ShowMessage(CDC* pDC)
{
    RECT rc;
    GetClientRect(&rc);
    const int W = rc.right - rc.left, H = rc.bottom - rc.top;
    RECT t = rc;
    InflateRect(t, -(W / 8), -(H / 8));

    COffscreenScreen screen(*this, m_bmpBoard, pDC, rc);
    CDC& memDC = screen.DC();

    const CJigsawDoc& doc = GetSaverApp().m_doc;
    // Measure at 10 points, only the text's own line breaks starting lines.
    RECT m = t;
    {
        CFont measure;
        measure.CreatePointFont(kMeasureSize, doc.m_message.face, pDC);
        CFont* pOldFont = memDC.SelectObject(&measure);
        memDC.DrawText(doc.m_message.text, &m, DT_CALCRECT | DT_NOCLIP);
        memDC.SelectObject(pOldFont);
    }
    const SIZE measured{m.right - m.left, m.bottom - m.top};
    if (measured.cx <= 0 || measured.cy <= 0) {
        // Nothing to scale (a text of line breaks only): no message screen.
        return FALSE;
    }
    const int nSize = FitMessageSize(SIZE{t.right - t.left, t.bottom - t.top}, measured);

    LOGFONT lf{};
    {
        CFont sized;
        sized.CreatePointFont(nSize, doc.m_message.face, pDC);
        sized.GetLogFont(&lf);
    }
    lf.lfWeight = doc.m_message.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = BYTE(doc.m_message.italic & 0xFF);
    CFont font;
    font.CreateFontIndirect(lf);

    const int nOldBk = memDC.SetBkMode(TRANSPARENT);
    CFont* pOldFont = memDC.SelectObject(&font);
    const COLORREF crOld = memDC.SetTextColor(doc.m_message.colour);
    memDC.DrawText(doc.m_message.text, &t, DT_CENTER | DT_NOCLIP);
    memDC.SetTextColor(crOld);
    memDC.SelectObject(pOldFont);
    memDC.SetBkMode(nOldBk);

    RunTransition(pDC, &memDC, W, H, 0);
    return TRUE;
}
