// PumpMessages and Pause. During a show cycle the saver owns the thread
// for tens of seconds; this is where the queue is served meanwhile. In full
// screen nothing is dispatched, so the only way out is the user interrupt.
#include "app/pump.h"

#include <cstdint>

#include "app/saver_app.h"
#include "framework/exceptions.h"
#include "framework/platform.h"

namespace {
// First mouse position any pump saw in this process; never reset.
POINT g_ptPumpReference = kNoMousePosition;

LONG Distance(LONG a, LONG b) { return a > b ? a - b : b - a; }

// Full-screen screening of one message taken off the queue.
void ScreenMessage(const MSG& msg)
{
    switch (msg.message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        if (msg.wParam == 0)
            AfxThrowUserException();
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        AfxThrowUserException();
    case WM_MOUSEMOVE:
        ApplyMouseRule(g_ptPumpReference, MousePosition(msg.lParam),
                       AfxGetPlatform().ScalePixels(msg.hwnd, kMouseSlop));
        break;
    default:
        break; // dropped: neither translated nor dispatched
    }
}
} // namespace

void ApplyMouseRule(POINT& ref, POINT pt, int nSlop)
{
    if (ref == kNoMousePosition) {
        ref = pt;
        return;
    }
    if (Distance(ref.x, pt.x) > nSlop && Distance(ref.y, pt.y) > nSlop)
        AfxThrowUserException();
}

void PumpMessages()
{
    IPlatform& platform = AfxGetPlatform();
    const bool bPreview = GetSaverApp().m_bPreview != FALSE;
    MSG msg;
    for (int i = 0; i < kPumpBatch; ++i) {
        if (!platform.PeekMessage(&msg))
            return;
        if (bPreview) {
            platform.TranslateMessage(&msg);
            platform.DispatchMessage(&msg);
        } else {
            ScreenMessage(msg);
        }
    }
}

void Pause(int nSeconds)
{
    const std::int64_t nSteps = std::int64_t(nSeconds) * 1000 / 100;
    for (std::int64_t i = 0; i < nSteps; ++i) {
        AfxGetPlatform().Sleep(100);
        PumpMessages();
    }
}
