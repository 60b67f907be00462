// Loading the document: three discarded strings, three values, the user
// record, the message and its style, the 40-byte picture header and the
// stored picture stream, which is decoded into the picture's pixel rows.
// The piece count and the spare value are read and dropped: the board
// draws its own count.
#include "document/jigsaw_doc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/current_user.h"
#include "document/picture.h"
#include "framework/archive.h"
#include "framework/exceptions.h"

void CheckPictureHeader(const BITMAPINFOHEADER& bih)
{
    const bool sizeOk = bih.biWidth > 0 && bih.biHeight > 0 && bih.biWidth <= kMaxPictureSide &&
                        bih.biHeight <= kMaxPictureSide;
    if (!sizeOk || bih.biBitCount != 24 || bih.biCompression != BI_RGB)
        AfxThrowArchiveException(CArchiveException::badSchema);
    // Both factors are capped above, so the product fits in 64 bits easily.
    const std::uint64_t stride = PictureStride(bih.biWidth);
    const std::uint64_t need = stride * std::uint64_t(bih.biHeight);
    if (bih.biSizeImage < need || bih.biSizeImage > need + stride)
        AfxThrowArchiveException(CArchiveException::badSchema);
}

void CJigsawDoc::Load(CFile* pFile)
{
    CArchive ar(pFile, CArchive::load, 4096);
    CString discard;
    ar >> discard >> discard >> discard;
    DWORD leading, pieces, count;
    ar >> leading >> pieces >> count;
    {
        CCurrentUser user;
        user.Serialize(ar);
    }
    DWORD spare;
    ar >> m_message >> spare;

    BITMAPINFOHEADER bih;
    if (ar.Read(&bih, sizeof bih) != sizeof bih)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    m_bih = bih;
    CheckPictureHeader(m_bih);

    // The stored stream is read in pieces, so a byte count that the document
    // cannot back never becomes one huge allocation; a short stream is the
    // end-of-file failure.
    std::vector<BYTE> stream;
    constexpr std::size_t kChunk = 64 * 1024;
    while (stream.size() < count) {
        std::size_t want = std::min<std::size_t>(kChunk, count - stream.size());
        std::size_t at = stream.size();
        stream.resize(at + want);
        if (ar.Read(stream.data() + at, want) != want)
            AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    m_pBits = DecodePicture(m_bih, stream.data(), stream.size());
}
