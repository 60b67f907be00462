// The 17 transition variants and the dispatcher that draws one at random.
// The geometry lives in transition_plan.h; the dissolve, whose order is
// random, is built here from a list of square numbers.
#include "app/transitions.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "app/transition_plan.h"
#include "app/transition_steps.h"
#include "framework/crt_rand.h"
#include "framework/platform.h"

namespace tp = transition_plan;

namespace {
// Every effect needs a non-empty area: its step time divides by the copy
// count, and the frames divide by the width.
bool IsEmptyArea(int W, int H) { return W <= 0 || H <= 0; }

// Squares a dissolve may number; far beyond any surface the raster allows.
constexpr std::int64_t kMaxDissolveSquares = std::int64_t(1) << 24;
} // namespace

void TransBlinds(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    CTransitionSteps steps(pDst, pSrc, W, H, dwDuration, tp::BlindsCopies(W, H, nVariant));
    tp::Blinds(W, H, nVariant, steps);
}

void TransBlocks(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    CTransitionSteps steps(pDst, pSrc, W, H, dwDuration, tp::BlocksCopies(W, H));
    tp::Blocks(W, H, nVariant, steps);
}

void TransSplit(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    CTransitionSteps steps(pDst, pSrc, W, H, dwDuration, tp::SplitCopies(W, H, nVariant));
    tp::Split(W, H, nVariant, steps);
}

void TransWipe(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    CTransitionSteps steps(pDst, pSrc, W, H, dwDuration, tp::WipeCopies(W, H, nVariant));
    tp::Wipe(W, H, nVariant, steps);
}

void TransFrames(CDC* pDst, CDC* pSrc, int W, int H, int nVariant, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    CTransitionSteps steps(pDst, pSrc, W, H, dwDuration, tp::FramesCopies(W, H));
    tp::Frames(W, H, nVariant, steps);
}

void TransDissolve(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    const std::int64_t cols = (std::int64_t(W) + 31) / 32, rows = (std::int64_t(H) + 31) / 32;
    const std::int64_t count = cols * rows;
    if (count > kMaxDissolveSquares)
        throw std::length_error("dissolve area too large");

    std::vector<std::uint32_t> squares(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < squares.size(); ++i)
        squares[i] = std::uint32_t(i);
    crt::srand(AfxGetPlatform().GetTickCount());

    CTransitionSteps steps(pDst, pSrc, W, H, dwDuration, count);
    while (!squares.empty()) {
        const std::size_t r = std::size_t(crt::rand()) % squares.size();
        const std::int64_t i = squares[r];
        squares.erase(squares.begin() + std::ptrdiff_t(r)); // later numbers move up one place
        steps(32 * (i % cols), 32 * (i / cols), 32, 32);
    }
}

void RunTransition(CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration)
{
    if (IsEmptyArea(W, H))
        return;
    RunTransitionVariant(crt::rand() % kTransitionCount, pDst, pSrc, W, H, dwDuration);
}

void RunTransitionVariant(int k, CDC* pDst, CDC* pSrc, int W, int H, DWORD dwDuration)
{
    if (k < 2)
        TransBlinds(pDst, pSrc, W, H, k, dwDuration);
    else if (k < 6)
        TransBlocks(pDst, pSrc, W, H, k - 2, dwDuration);
    else if (k < 10)
        TransSplit(pDst, pSrc, W, H, k - 6, dwDuration);
    else if (k < 14)
        TransWipe(pDst, pSrc, W, H, k - 10, dwDuration);
    else if (k < 16)
        TransFrames(pDst, pSrc, W, H, k - 14, dwDuration);
    else
        TransDissolve(pDst, pSrc, W, H, dwDuration);
}
