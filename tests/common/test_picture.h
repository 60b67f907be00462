// A picture of one byte value, w by h, installed in a document: the
// starting point of board, screen and shell tests.
#pragma once

#include <cstring>
#include <memory>

#include "document/jigsaw_doc.h"
#include "document/picture.h"

inline void MakePicture(CJigsawDoc& doc, LONG w, LONG h, BYTE fill = 0xFF)
{
    doc.m_bih = BITMAPINFOHEADER{};
    doc.m_bih.biSize = 40;
    doc.m_bih.biWidth = w;
    doc.m_bih.biHeight = h;
    doc.m_bih.biPlanes = 1;
    doc.m_bih.biBitCount = 24;
    doc.m_bih.biSizeImage = DWORD(PictureStride(w) * std::size_t(h));
    doc.m_pBits = std::make_unique<BYTE[]>(doc.m_bih.biSizeImage);
    std::memset(doc.m_pBits.get(), fill, doc.m_bih.biSizeImage);
}
