// CPieceGroup: pieces that move and turn together (one per group in this
// saver), owning them; and CPieceArray, the group's piece array. A group
// moves on its board: it marks the board's dirty rectangle, asks it to
// redraw and pump, and takes its animation speed and turning slot.
#pragma once

#include <memory>
#include <vector>

#include "board/piece.h"
#include "framework/object.h"
#include "framework/types.h"

class CDC;
class CJigsawBoard;

class CPieceArray : public CObject {
public:
    int GetSize() const { return int(m_pieces.size()); }
    CPiece* operator[](int i) const { return m_pieces[std::size_t(i)].get(); }
    int Add(CPiece* p);

private:
    std::vector<std::unique_ptr<CPiece>> m_pieces;
};

class CPieceGroup : public CObject {
public:
    // Takes ownership of pFirst; copies the host's speed into the board's m_nAnimSpeed.
    CPieceGroup(CJigsawBoard& board, CPiece* pFirst);
    ~CPieceGroup() override;

    void Scatter(RECT rcArea, int nKind);
    void SetZoom(int nPercent);

    // Drawing and the dirty rectangle.
    void Draw(CDC* pDC, const RECT* prc);
    RECT GetRect() const;
    void AddDirty() const;
    void Redraw() const;

    // Movement and turning.
    void RotateTo(CPieceGroup* pRef);
    void RotateBy(int nDelta, int nFlag);
    void MoveBy(int dx, int dy);
    void MoveTo(POINT ptTarget);
    POINT GetCentre() const;
    void Translate(POINT d);
    void OnRefineTimer();

    CPieceArray m_arrPieces;
    int m_nLevel = 1;
    CJigsawBoard* m_pBoard;
};
