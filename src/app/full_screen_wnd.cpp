// CFullScreenWnd: the popup over the whole screen. Its handlers refuse
// deactivation and turn input into the user interrupt; inside the
// framework's own dispatch (between show cycles) the per-message guard
// absorbs that interrupt, so only input met by a running cycle ends the saver.
#include <iterator>

#include "app/pump.h"
#include "app/saver_wnd.h"
#include "framework/exceptions.h"
#include "framework/platform.h"

namespace {
// First mouse position this window saw; reset by every CreateFullScreen.
POINT g_ptWndReference = kNoMousePosition;
} // namespace

CFullScreenWnd::~CFullScreenWnd() = default;

BOOL CFullScreenWnd::CreateFullScreen()
{
    g_ptWndReference = kNoMousePosition;
    const SIZE screen = AfxGetPlatform().GetScreenSize();
    return CreateSaver(0, WS_POPUP | WS_VISIBLE, RECT{0, 0, screen.cx, screen.cy}, nullptr);
}

int CFullScreenWnd::OnCreate() { return CSaverWnd::OnCreate() == -1 ? -1 : 0; }

void CFullScreenWnd::OnSysCommand(UINT nID)
{
    // The low four bits of a system command are the system's own.
    const UINT nCommand = nID & 0xFFF0;
    if (nCommand == SC_SCREENSAVE || nCommand == SC_CLOSE)
        return; // already saving the screen; closing only through input
    Default();
}

void CFullScreenWnd::OnDestroy() { AfxGetPlatform().Exit(0); }

BOOL CFullScreenWnd::OnSetCursor()
{
    return TRUE; // no cursor set: the pointer disappears over the window
}

BOOL CFullScreenWnd::OnNcActivate(BOOL bActive)
{
    if (!bActive)
        return FALSE; // the deactivation is refused
    return BOOL(Default());
}

void CFullScreenWnd::OnActivate(UINT nState)
{
    if (nState == WA_INACTIVE)
        AfxThrowUserException();
    Default();
}

void CFullScreenWnd::OnActivateApp(BOOL bActive)
{
    if (!bActive)
        AfxThrowUserException();
    Default();
}

void CFullScreenWnd::OnMouseMove(POINT pt)
{
    ApplyMouseRule(g_ptWndReference, pt, AfxGetPlatform().ScalePixels(m_hWnd, kMouseSlop));
    Default();
}

void CFullScreenWnd::OnUserInput() { AfxThrowUserException(); }

LRESULT CFullScreenWnd::OnCreateMsg(CWnd* pWnd, WPARAM, LPARAM)
{
    return static_cast<CFullScreenWnd*>(pWnd)->OnCreate();
}

LRESULT CFullScreenWnd::OnSysCommandMsg(CWnd* pWnd, WPARAM wParam, LPARAM)
{
    static_cast<CFullScreenWnd*>(pWnd)->OnSysCommand(UINT(wParam));
    return 0;
}

LRESULT CFullScreenWnd::OnDestroyMsg(CWnd* pWnd, WPARAM, LPARAM)
{
    static_cast<CFullScreenWnd*>(pWnd)->OnDestroy();
    return 0;
}

LRESULT CFullScreenWnd::OnSetCursorMsg(CWnd* pWnd, WPARAM, LPARAM)
{
    return static_cast<CFullScreenWnd*>(pWnd)->OnSetCursor();
}

LRESULT CFullScreenWnd::OnNcActivateMsg(CWnd* pWnd, WPARAM wParam, LPARAM)
{
    return static_cast<CFullScreenWnd*>(pWnd)->OnNcActivate(wParam != 0);
}

LRESULT CFullScreenWnd::OnActivateMsg(CWnd* pWnd, WPARAM wParam, LPARAM)
{
    static_cast<CFullScreenWnd*>(pWnd)->OnActivate(LOWORD(wParam));
    return 0;
}

LRESULT CFullScreenWnd::OnActivateAppMsg(CWnd* pWnd, WPARAM wParam, LPARAM)
{
    static_cast<CFullScreenWnd*>(pWnd)->OnActivateApp(wParam != 0);
    return 0;
}

LRESULT CFullScreenWnd::OnMouseMoveMsg(CWnd* pWnd, WPARAM, LPARAM lParam)
{
    static_cast<CFullScreenWnd*>(pWnd)->OnMouseMove(MousePosition(lParam));
    return 0;
}

LRESULT CFullScreenWnd::OnUserInputMsg(CWnd* pWnd, WPARAM, LPARAM)
{
    static_cast<CFullScreenWnd*>(pWnd)->OnUserInput();
    return 0;
}

const AFX_MSGMAP* CFullScreenWnd::GetMessageMap() const
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        {WM_CREATE, &CFullScreenWnd::OnCreateMsg},
        {WM_SYSCOMMAND, &CFullScreenWnd::OnSysCommandMsg},
        {WM_DESTROY, &CFullScreenWnd::OnDestroyMsg},
        {WM_SETCURSOR, &CFullScreenWnd::OnSetCursorMsg},
        {WM_NCACTIVATE, &CFullScreenWnd::OnNcActivateMsg},
        {WM_ACTIVATE, &CFullScreenWnd::OnActivateMsg},
        {WM_ACTIVATEAPP, &CFullScreenWnd::OnActivateAppMsg},
        {WM_MOUSEMOVE, &CFullScreenWnd::OnMouseMoveMsg},
        {WM_LBUTTONDOWN, &CFullScreenWnd::OnUserInputMsg},
        {WM_MBUTTONDOWN, &CFullScreenWnd::OnUserInputMsg},
        {WM_RBUTTONDOWN, &CFullScreenWnd::OnUserInputMsg},
        {WM_KEYDOWN, &CFullScreenWnd::OnUserInputMsg},
        {WM_SYSKEYDOWN, &CFullScreenWnd::OnUserInputMsg},
    };
    static const AFX_MSGMAP map{CSaverWnd::GetMessageMap(), entries, std::size(entries)};
    return &map;
}
