// CSaverWnd: creation, its message map and handlers. The window is white
// until the first show cycle; timer 1 drives the cycles; its destruction
// ends the process, which is how every saver run finishes.
#include "app/saver_wnd.h"

#include <iterator>

#include "app/saver_app.h"
#include "raster/dc.h"
#include "framework/platform.h"

namespace {
// The name the backends know the saver's window class by.
constexpr const char* kWndClassName = "MosvikSaverWnd";
} // namespace

CSaverWnd::CSaverWnd(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}

CSaverWnd::~CSaverWnd() = default;

BOOL CSaverWnd::CreateSaver(DWORD dwExStyle, DWORD dwStyle, const RECT& rc, HWND hWndParent)
{
    // Registering the class (redraw on resize, the move-arrow cursor, no
    // background brush, no icon) is the backend's job; the name is kept.
    GetSaverApp().m_strWndClass = kWndClassName;
    return CreateEx(dwExStyle, dwStyle, rc, hWndParent);
}

void CSaverWnd::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void CSaverWnd::OnPaint()
{
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    dc.PatBlt(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, WHITENESS);
}

int CSaverWnd::OnCreate()
{
    if (Default() == -1)
        return -1;
    GetSaverApp().m_pSaverWnd = this;
    SetTimer(kCycleTimerId, kCycleTimerPeriod, nullptr);
    return 0;
}

void CSaverWnd::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kCycleTimerId)
        RunShowCycle();
}

void CSaverWnd::OnDestroy() { AfxGetPlatform().Exit(0); }

LRESULT CSaverWnd::OnPaintMsg(CWnd* pWnd, WPARAM, LPARAM)
{
    static_cast<CSaverWnd*>(pWnd)->OnPaint();
    return 0;
}

LRESULT CSaverWnd::OnCreateMsg(CWnd* pWnd, WPARAM, LPARAM) { return static_cast<CSaverWnd*>(pWnd)->OnCreate(); }

LRESULT CSaverWnd::OnTimerMsg(CWnd* pWnd, WPARAM wParam, LPARAM)
{
    static_cast<CSaverWnd*>(pWnd)->OnTimer(UINT_PTR(wParam));
    return 0;
}

LRESULT CSaverWnd::OnDestroyMsg(CWnd* pWnd, WPARAM, LPARAM)
{
    static_cast<CSaverWnd*>(pWnd)->OnDestroy();
    return 0;
}

const AFX_MSGMAP* CSaverWnd::GetMessageMap() const
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        {WM_PAINT, &CSaverWnd::OnPaintMsg},
        {WM_CREATE, &CSaverWnd::OnCreateMsg},
        {WM_TIMER, &CSaverWnd::OnTimerMsg},
        {WM_DESTROY, &CSaverWnd::OnDestroyMsg},
    };
    static const AFX_MSGMAP map{CWnd::GetMessageMap(), entries, std::size(entries)};
    return &map;
}
