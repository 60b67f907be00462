// Pacing of the transition copies and the wait on the tick count. The waits
// sleep in the platform until their tick instead of spinning; like a
// spinning wait they handle no messages. A copy waits until the count is
// past the effect's start plus its due time, so the wall time of an effect
// lies between its total and one tick more.
#include "app/transition_steps.h"

#include <algorithm>

#include "app/transition_pace.h"
#include "app/transitions.h"
#include "raster/dc.h"
#include "framework/platform.h"

namespace pace = transition_pace;

CTransitionSteps::CTransitionSteps(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration, std::int64_t nCopies)
    : m_pDst(pDst), m_pSrc(pSrc), m_nWidth(W), m_nHeight(H), m_nCopies(nCopies),
      m_nTotalMs(pace::TotalMs(nCopies, dwDuration)), m_dwStart(AfxGetPlatform().GetTickCount())
{
}

void CTransitionSteps::operator()(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
{
    if (w > 0 && h > 0) {
        const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
        const std::int64_t right = std::min(x + w, m_nWidth), bottom = std::min(y + h, m_nHeight);
        if (left < right && top < bottom)
            m_pDst->BitBlt(int(left), int(top), int(right - left), int(bottom - top), m_pSrc, int(left), int(top),
                           SRCCOPY);
    }
    // Copies that share a millisecond with the next one do not look at the
    // clock: only the last copy of each millisecond waits.
    const std::int64_t due = pace::DueMs(m_nDone++, m_nCopies, m_nTotalMs);
    if (due == m_nLastDueMs)
        return;
    m_nLastDueMs = due;
    IPlatform& platform = AfxGetPlatform();
    const DWORD elapsed = platform.GetTickCount() - m_dwStart; // unsigned: survives the wrap
    if (elapsed <= DWORD(due))
        platform.SleepUntilTick(m_dwStart + DWORD(due) + 1); // WaitTicks(due - elapsed), without reading again
}

void WaitTicks(DWORD ms)
{
    IPlatform& platform = AfxGetPlatform();
    const DWORD start = platform.GetTickCount();
    for (;;) {
        const DWORD now = platform.GetTickCount();
        if (now > start + ms || now < start)
            return;
        platform.SleepUntilTick(start + ms + 1);
    }
}
