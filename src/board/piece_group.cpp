// Piece groups: construction (which takes the current speed setting) and
// the set-up operations applied to every piece of a group.
#include "board/piece_group.h"

#include "board/board_globals.h"
#include "board/board_host.h"

int CPieceArray::Add(CPiece* p)
{
    m_pieces.emplace_back(p);
    return int(m_pieces.size()) - 1;
}

CPieceGroup::CPieceGroup(CPiece* pFirst)
{
    m_arrPieces.Add(pFirst);
    m_nLevel = 1;
    if (IBoardHost* host = GetBoardHost())
        g_nAnimSpeed = host->GetSpeed();
}

CPieceGroup::~CPieceGroup()
{
    if (g_pTurningGroup == this)
        g_pTurningGroup = nullptr; // never leave the refinement timer a dangling group
}

void CPieceGroup::Scatter(RECT rcArea, int nKind)
{
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        m_arrPieces[i]->ScatterPiece(rcArea, nKind);
}

void CPieceGroup::SetZoom(int nPercent)
{
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        m_arrPieces[i]->SetZoom(nPercent);
}
