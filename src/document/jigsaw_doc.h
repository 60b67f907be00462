// CJigsawDoc: the jigsaw document carried by the saver, as far as the saver
// keeps it: the picture (its stored header and the decoded pixel rows) and
// the closing message with its style. Loading is here; the board cut from
// the picture is the board's (board/jigsaw_board.h), which reads this and
// never the other way round.
#pragma once

#include <memory>

#include "document/message_style.h"
#include "framework/types.h"

class CFile;

// Largest picture side the saver accepts from a document.
constexpr LONG kMaxPictureSide = 16384;

class CJigsawDoc {
public:
    CJigsawDoc() = default;
    virtual ~CJigsawDoc() = default;
    CJigsawDoc(const CJigsawDoc&) = delete;
    CJigsawDoc& operator=(const CJigsawDoc&) = delete;

    // Reads one document from the file's current position.
    void Load(CFile* pFile);

    BITMAPINFOHEADER m_bih{};
    std::unique_ptr<BYTE[]> m_pBits;
    MessageStyle m_message;
};

// Checks a stored picture header before anything is allocated from it:
// positive width and height of at most kMaxPictureSide, 24 bits, no
// compression, biSizeImage at least stride x height and not beyond it by
// more than one row. Throws CArchiveException otherwise.
void CheckPictureHeader(const BITMAPINFOHEADER& bih);
