// Autoplay: each group in list order is lifted to the top, turned upright
// in steps of at most 180 / speed degrees (drawn from quarter-resolution
// images meanwhile), then slid home in steps of a fixed size. Every step
// pumps the message queue first, which is how user input ends the show.
#include <algorithm>
#include <cstdlib>

#include "board/board_host.h"
#include "board/jigsaw_board.h"
#include "board/piece_group.h"

void CJigsawBoard::Autoplay()
{
    for (auto pos = m_pieces.GetHeadPosition(); pos;) {
        CPieceGroup* g = m_pieces.GetNext(pos); // pos now holds the successor
        BringToTop(g);
        g->RotateTo(nullptr);
        g->MoveBy(0, 0);
    }
}

void CJigsawBoard::BringToTop(CPieceGroup* pGroup)
{
    if (!pGroup)
        return;
    if (auto pos = m_pieces.Find(pGroup))
        m_pieces.MoveToHead(pos);
}

void CJigsawBoard::OnRefineTimer()
{
    if (m_pTurningGroup)
        m_pTurningGroup->OnRefineTimer();
}

void CJigsawBoard::PumpMessages()
{
    if (m_pHost)
        m_pHost->PumpMessages();
}

void CPieceGroup::RotateTo(CPieceGroup* pRef)
{
    const int target = pRef ? pRef->m_arrPieces[0]->m_nAngle : 0;
    while (m_arrPieces[0]->m_nAngle != target) {
        m_pBoard->PumpMessages();
        const int maxStep = 180 / m_pBoard->m_nAnimSpeed;
        const int d = (target - m_arrPieces[0]->m_nAngle + 360) % 360;
        int step;
        if (d > 180)
            step = -maxStep; // the last backward step may overshoot; later steps come forward
        else if (d == 180)
            step = 180;
        else
            step = std::min(d, maxStep);
        RotateBy(step, 0);
        Redraw();
    }
    if (IBoardHost* host = m_pBoard->GetHost())
        host->KillRefineTimer();
    m_pBoard->m_pTurningGroup = nullptr;
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        m_arrPieces[i]->m_nReduction = 1;
    AddDirty();
    Redraw();
}

void CPieceGroup::RotateBy(int nDelta, int nFlag)
{
    if (m_pBoard->m_pTurningGroup && m_pBoard->m_pTurningGroup != this)
        return;
    AddDirty();
    if (nFlag == 0) {
        m_nLevel = 4;
        m_pBoard->m_pTurningGroup = this;
        if (IBoardHost* host = m_pBoard->GetHost())
            host->SetRefineTimer();
    }
    for (int i = 0; i < m_arrPieces.GetSize(); ++i) {
        m_arrPieces[i]->Rotate(nDelta, nFlag);
        m_arrPieces[i]->m_nReduction = m_nLevel;
    }
    AddDirty();
    Redraw();
}

void CPieceGroup::OnRefineTimer()
{
    m_nLevel = std::max(1, m_nLevel - 1);
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        m_arrPieces[i]->m_nReduction = m_nLevel;
    AddDirty();
    Redraw();
    if (m_nLevel == 1) {
        if (IBoardHost* host = m_pBoard->GetHost())
            host->KillRefineTimer();
        m_pBoard->m_pTurningGroup = nullptr;
    }
}

void CPieceGroup::MoveBy(int dx, int dy)
{
    const POINT c = m_arrPieces[0]->m_ptCentre;
    MoveTo(POINT{c.x + dx, c.y + dy});
}

void CPieceGroup::MoveTo(POINT ptTarget)
{
    POINT c = GetCentre();
    LONG step = std::max(std::abs(ptTarget.x - c.x), std::abs(ptTarget.y - c.y)) / (2 * m_pBoard->m_nAnimSpeed);
    if (step < 1)
        step = 1;
    for (;;) {
        if (c == ptTarget)
            return;
        m_pBoard->PumpMessages();
        const LONG mx = std::clamp(ptTarget.x - c.x, -step, step);
        const LONG my = std::clamp(ptTarget.y - c.y, -step, step);
        Translate(POINT{mx, my});
        c = GetCentre();
        Redraw();
    }
}

POINT CPieceGroup::GetCentre() const
{
    const int n = m_arrPieces.GetSize();
    LONG sx = 0, sy = 0;
    for (int i = 0; i < n; ++i) {
        const CPiece* p = m_arrPieces[i];
        sx += p->m_ptCentre.x + p->m_ptOffset.x;
        sy += p->m_ptCentre.y + p->m_ptOffset.y;
    }
    return n ? POINT{sx / n, sy / n} : POINT{};
}

void CPieceGroup::Translate(POINT d)
{
    AddDirty();
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        m_arrPieces[i]->Translate(d);
    AddDirty();
}
