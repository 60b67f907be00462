// CSaverBoardHost: forwards the board's requests to the current saver
// window and the application's main window, doing nothing once they are
// gone; and the refinement timer's procedure, which goes back to the board.
#include "app/board_host_impl.h"

#include "app/pump.h"
#include "app/saver_app.h"
#include "app/saver_wnd.h"
#include "raster/dc.h"

namespace {
CSaverWnd* LiveSaverWnd()
{
    CSaverWnd* pWnd = GetSaverApp().m_pSaverWnd;
    return pWnd && pWnd->IsWindow() ? pWnd : nullptr;
}

// Timer 13 lives on the main window.
CWnd* MainWnd()
{
    CWnd* pWnd = GetSaverApp().m_pMainWnd;
    return pWnd && pWnd->m_hWnd ? pWnd : nullptr;
}
constexpr UINT kRefinePeriod = 100;
} // namespace

CSaverBoardHost& SaverBoardHost()
{
    static CSaverBoardHost host;
    return host;
}

RECT CSaverBoardHost::GetClientRect()
{
    RECT rc{};
    if (CSaverWnd* pWnd = LiveSaverWnd())
        pWnd->GetClientRect(&rc);
    return rc;
}

int CSaverBoardHost::GetSpeed() { return GetSaverApp().m_nSpeed; }

void CSaverBoardHost::RedrawBoard()
{
    CSaverWnd* pWnd = LiveSaverWnd();
    if (!pWnd)
        return;
    CClientDC dc(pWnd);
    RECT rc;
    pWnd->GetClientRect(&rc);
    pWnd->RedrawBoard(&dc, &rc);
}

void CSaverBoardHost::PumpMessages() { ::PumpMessages(); }

void CSaverBoardHost::SetRefineTimer()
{
    if (CWnd* pWnd = MainWnd())
        pWnd->SetTimer(kRefineTimerId, kRefinePeriod, &TimerProc);
}

void CSaverBoardHost::KillRefineTimer()
{
    if (CWnd* pWnd = MainWnd())
        pWnd->KillTimer(kRefineTimerId);
}

void TimerProc(HWND, UINT, UINT_PTR nId, DWORD)
{
    if (nId == kRefineTimerId)
        GetSaverApp().m_board.OnRefineTimer();
}
