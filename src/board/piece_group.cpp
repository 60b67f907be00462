// Piece groups: construction (which takes the current speed setting) and
// the set-up operations applied to every piece of a group.
#include "board/piece_group.h"

#include "board/board_host.h"
#include "board/jigsaw_board.h"

int CPieceArray::Add(CPiece* p)
{
    m_pieces.emplace_back(p);
    return int(m_pieces.size()) - 1;
}

CPieceGroup::CPieceGroup(CJigsawBoard& board, CPiece* pFirst) : m_pBoard(&board)
{
    m_arrPieces.Add(pFirst);
    m_nLevel = 1;
    if (IBoardHost* host = board.GetHost())
        board.m_nAnimSpeed = host->GetSpeed();
}

CPieceGroup::~CPieceGroup()
{
    if (m_pBoard->m_pTurningGroup == this)
        m_pBoard->m_pTurningGroup = nullptr; // never leave the refinement timer a dangling group
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
