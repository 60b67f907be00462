// CPieceGroup: pieces that move and turn together (one per group in this
// saver), owning them; and CPieceArray, the group's piece array.
#pragma once

#include <memory>
#include <vector>

#include "board/piece.h"
#include "framework/object.h"
#include "framework/types.h"

class CDC;

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
    explicit CPieceGroup(CPiece* pFirst); // takes ownership; copies the speed into g_nAnimSpeed
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
};

// The refinement timer's procedure (timer 13).
void TimerProc(HWND hWnd, UINT nMsg, UINT_PTR nId, DWORD dwTime);
constexpr UINT_PTR kRefineTimerId = 13;
