// CJigsawDoc: the jigsaw document carried by the saver (picture, message,
// font and style) and the board state cut from it. Loading is here; the
// board operations are defined by the board subsystem.
#pragma once

#include <memory>

#include "board/piece_list.h"
#include "framework/cstring.h"
#include "framework/types.h"

class CFile;
class CDC;

// Largest picture side the saver accepts from a document.
constexpr LONG kMaxPictureSide = 16384;

class CJigsawDoc {
public:
    CJigsawDoc() = default;
    virtual ~CJigsawDoc();
    CJigsawDoc(const CJigsawDoc&) = delete;
    CJigsawDoc& operator=(const CJigsawDoc&) = delete;

    // Reads one document from the file's current position.
    void Load(CFile* pFile);

    // Board set-up.
    void NewBoard();
    void ClearBoard();
    void CutPicture();
    void ScatterPieces();
    SIZE GetBoardSize() const;
    BOOL HasMessage() const;

    // Composition and autoplay.
    // Draws every group into pDC, touching only prcDirty (device
    // coordinates of pDC; null: everything).
    void DrawBoard(CDC* pDC, const RECT* prcDirty);
    void Autoplay();
    void BringToTop(CPieceGroup* pGroup);

    BITMAPINFOHEADER m_bih{};
    std::unique_ptr<BYTE[]> m_pBits;
    CString m_strMessage;
    CString m_strFontFace;
    COLORREF m_crText = 0;
    DWORD m_bBold = 0;
    DWORD m_bItalic = 0;
    DWORD m_nSpare = 0;
    int m_nPieces = 0;
    int m_nRows = 0;
    int m_nCols = 0;
    CPieceList m_pieces;
    int m_nBoardZoom = 0;
};

// Checks a stored picture header before anything is allocated from it:
// positive width and height of at most kMaxPictureSide, 24 bits, no
// compression, biSizeImage at least stride x height and not beyond it by
// more than one row. Throws CArchiveException otherwise.
void CheckPictureHeader(const BITMAPINFOHEADER& bih);
