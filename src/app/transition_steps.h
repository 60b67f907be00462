// One paced copy of a transition: the rectangle, clipped to the effect's
// area, is copied from the source to the same place on the target, then the
// copy waits for its due time (transition_pace.h) on the millisecond tick
// count. Times are compared as elapsed ticks since the effect's start
// (unsigned), so a tick count that wraps during an effect changes nothing.
#pragma once

#include <cstdint>

#include "framework/types.h"

class CDC;

class CTransitionSteps {
public:
    // Reads the start tick; the effect's time follows from its copies and
    // duration.
    CTransitionSteps(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration, std::int64_t nCopies);

    // Copies (x, y, w, h) when it is not empty, then waits until it is due.
    void operator()(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);

private:
    CDC* m_pDst;
    CDC* m_pSrc;
    std::int64_t m_nWidth, m_nHeight;
    std::int64_t m_nCopies;
    std::int64_t m_nTotalMs;
    std::int64_t m_nDone = 0;      // copies made so far
    std::int64_t m_nLastDueMs = 0; // due time of the copy before
    DWORD m_dwStart;
};
