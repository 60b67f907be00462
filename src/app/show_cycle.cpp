// One show cycle, run by timer 1 of the saver window: a fresh board is cut
// and scattered, revealed by a transition, assembled piece by piece, then
// the whole picture and the author's message are shown, each followed by a
// pause. User input ends it through the user interrupt, which destroys the
// main window and so ends the process.
#include "app/document_source.h"
#include "app/pump.h"
#include "app/saver_app.h"
#include "app/saver_wnd.h"
#include "app/transitions.h"
#include "framework/crt_rand.h"
#include "raster/dc.h"
#include "framework/exceptions.h"
#include "framework/platform.h"

namespace {
constexpr int kScreenPause = 5; // seconds each screen stays
} // namespace

void CSaverWnd::RunShowCycle()
{
    CSaverApp& app = GetSaverApp();
    try {
        KillTimer(kCycleTimerId);
        crt::srand(DWORD(AfxGetPlatform().GetTime()));

        CClientDC dc(this);
        RECT rc;
        GetClientRect(&rc);
        const int W = rc.right - rc.left, H = rc.bottom - rc.top;
        TileBackground(&dc, &rc);

        // The scattered board is composed whole (a new board is dirty all
        // over) in the board buffer, which the transition then reveals.
        CDC memDC;
        memDC.CreateCompatibleDC(&dc);
        m_bmpBoard.Ensure(&dc, W, H);
        CBitmap* pOld = memDC.SelectObject(m_bmpBoard.Bitmap());
        if (app.m_pDocSource) {
            // The old pieces go first: they were cut from the old picture.
            app.m_board.ClearBoard();
            app.m_pDocSource->NextCycle(app.m_doc);
        }
        app.m_board.NewBoard();
        ComposeBoard(&memDC, &rc);
        RunTransition(&dc, &memDC, W, H, 0);
        memDC.SelectObject(pOld);

        app.m_board.Autoplay();
        Pause(kScreenPause);
        ShowPicture(&dc);
        Pause(kScreenPause);
        if (app.m_board.HasMessage()) {
            ShowMessage(&dc);
            Pause(kScreenPause);
        }
        if (IsWindow())
            SetTimer(kCycleTimerId, kCycleTimerPeriod, nullptr);
    } catch (const CUserException&) {
        // Input ended the show: its destruction ends the process.
        if (app.m_pMainWnd)
            app.m_pMainWnd->DestroyWindow();
    }
}
