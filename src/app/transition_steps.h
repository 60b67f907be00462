// One paced copy of a transition: the rectangle, clipped to the effect's
// area, is copied from the source to the same place on the target, then the
// tick count is waited on so that the copies of an effect spread over its
// duration (with the duration 0, each copy waits for the next tick).
#pragma once

#include <cstdint>

#include "platform/types.h"

class CDC;

class CTransitionSteps {
public:
    // The step time is the duration over the copy count, rounded up.
    CTransitionSteps(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration, std::int64_t nCopies);

    // Copies (x, y, w, h) when it is not empty, then waits.
    void operator()(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);

private:
    CDC* m_pDst;
    CDC* m_pSrc;
    std::int64_t m_nWidth, m_nHeight;
    DWORD m_dwStep;
};
