// CJigsawBoard: the board of one show, cut from the picture of the document
// it is given. It holds the piece groups (owned, head on top), the grid and
// the board zoom, the dirty rectangle waiting to be shown, the picture the
// pieces sample, the animation speed, the group whose refinement timer runs
// and the host through which it reaches the saver's shell. It reads the
// document (the picture at every cut, the message for HasMessage) and never
// changes it. The trade-off: its pieces and groups point back to it, so
// they live and die with the board that made them (tests that build pieces
// by hand keep a board beside them).
#pragma once

#include "board/piece_list.h"
#include "framework/types.h"

class CDC;
class CJigsawDoc;
class IBoardHost;

class CJigsawBoard {
public:
    explicit CJigsawBoard(const CJigsawDoc& doc) : m_pDoc(&doc) {}
    ~CJigsawBoard(); // clears the board while its state still exists
    CJigsawBoard(const CJigsawBoard&) = delete;
    CJigsawBoard& operator=(const CJigsawBoard&) = delete;

    // The shell's side: null (the default) leaves the board without a
    // window, speed setting, pump or timer.
    void SetHost(IBoardHost* pHost) { m_pHost = pHost; }
    IBoardHost* GetHost() const { return m_pHost; }
    const CJigsawDoc& GetDocument() const { return *m_pDoc; }

    // Board set-up (board_setup.cpp).
    void NewBoard();
    void ClearBoard();
    void CutPicture();
    void ScatterPieces();
    SIZE GetBoardSize() const;
    // The document's message is shown unless empty or the stock text.
    BOOL HasMessage() const;

    // Composition (composition.cpp). Draws every group into pDC, touching
    // only prcDirty (device coordinates of pDC; null: everything).
    void DrawBoard(CDC* pDC, const RECT* prcDirty);
    // Asks the host to show the dirty rectangle.
    void Redraw();

    // Autoplay (autoplay.cpp).
    void Autoplay();
    void BringToTop(CPieceGroup* pGroup);
    // Timer 13: the turning group's next refinement (none: nothing).
    void OnRefineTimer();
    void PumpMessages();

    int m_nPieces = 0;                      // pieces asked for; drawn anew at every board
    int m_nRows = 0;
    int m_nCols = 0;
    CPieceList m_pieces;
    int m_nBoardZoom = 0;                   // percent
    RECT m_rcDirty{};                       // pending dirty rectangle, board pixels
    BITMAPINFOHEADER m_bihActive{};         // picture header copied by CutPicture
    const BYTE* m_pActiveBits = nullptr;    // picture rows (the document's, not owned)
    int m_nAnimSpeed = 8;                   // animation speed, copied from the host per group
    CPieceGroup* m_pTurningGroup = nullptr; // group whose refinement timer runs
    mutable CShadeBitmap m_bmpShade;        // the shading map of the piece whose image is being built

private:
    RECT ClientRect() const; // the host's client rectangle, empty without one

    const CJigsawDoc* m_pDoc;
    IBoardHost* m_pHost = nullptr;
};
