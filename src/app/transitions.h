// The transition effects that reveal each new screen: a finished off-screen
// image (source) is copied onto the window (target) rectangle by rectangle,
// the copies spread over a bounded time (transition_pace.h) by waits on the
// millisecond tick count. Every effect leaves the target equal to the source
// over (0, 0, W, H). The waits sleep and handle no messages: input made
// during an effect is seen once it has ended, at most 2.5 s later.
#pragma once

#include "framework/types.h"

class CDC;

constexpr int kTransitionCount = 17;

// Picks one of the 17 variants with the next random number and runs it.
void RunTransition(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration);
// Runs variant k (0 to 16) of the table the dispatcher draws from.
void RunTransitionVariant(int k, CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration);

// Vertical (0) or horizontal (1) blinds in 16 bands.
void TransBlinds(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration);
// 64-pixel squares: rows from the top (0), columns from the right (1),
// columns from the left (2), rows from the bottom (3).
void TransBlocks(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration);
// 8-pixel strips: vertical from the centre (0) or from both sides (1),
// horizontal from the centre (2) or from top and bottom (3).
void TransSplit(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration);
// 8-pixel strips: top to bottom (0), right to left (1), left to right (2),
// bottom to top (3).
void TransWipe(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration);
// Concentric frames growing from the centre (0) or closing in (1).
void TransFrames(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration);
// 32-pixel squares in random order (reseeds the shared random generator).
void TransDissolve(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration);

// Returns once the tick count has passed start + ms, or has wrapped below
// start; sleeps meanwhile.
void WaitTicks(DWORD ms);
