// Pacing of the transition copies and the busy wait on the tick count.
#include "app/transition_steps.h"

#include <algorithm>

#include "app/transitions.h"
#include "platform/dc.h"
#include "platform/platform.h"

CTransitionSteps::CTransitionSteps(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration, std::int64_t nCopies)
    : m_pDst(pDst), m_pSrc(pSrc), m_nWidth(W), m_nHeight(H),
      m_dwStep(nCopies > 0 ? DWORD((std::int64_t(dwDuration) + nCopies - 1) / nCopies) : dwDuration)
{
}

void CTransitionSteps::operator()(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
{
    IPlatform& platform = AfxGetPlatform();
    const DWORD t0 = platform.GetTickCount();
    if (w > 0 && h > 0) {
        const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
        const std::int64_t right = std::min(x + w, m_nWidth), bottom = std::min(y + h, m_nHeight);
        if (left < right && top < bottom)
            m_pDst->BitBlt(int(left), int(top), int(right - left), int(bottom - top), m_pSrc, int(left), int(top),
                           SRCCOPY);
    }
    const DWORD t1 = platform.GetTickCount();
    if (t1 < t0 + m_dwStep) // unsigned, wrapping like the tick count
        WaitTicks(t0 + m_dwStep - t1);
    else
        WaitTicks(1);
}

void WaitTicks(DWORD ms)
{
    IPlatform& platform = AfxGetPlatform();
    const DWORD start = platform.GetTickCount();
    for (;;) {
        const DWORD now = platform.GetTickCount();
        if (now > start + ms || now < start)
            return;
    }
}
