// The picture payload: a baseline JPEG stream (stored upside down) decoded
// into the bottom-up blue-green-red pixel block its 40-byte header describes.
#pragma once

#include <cstddef>
#include <memory>

#include "jpeg/source.h"
#include "framework/types.h"

// Row stride of a 24-bit picture row: 3 * width rounded up to 4 bytes.
inline std::size_t PictureStride(LONG width) { return DibStride24(width); }

// The stored header of a width x height picture: 40 bytes, 24 bits, BI_RGB,
// biSizeImage = stride x height.
BITMAPINFOHEADER PictureHeader(int width, int height);

// Decodes `count` stored bytes into a new block of header.biSizeImage bytes.
// Never throws on a bad stream: rows that do not decode stay white. The
// header must already have been checked (positive size, 24 bits, BI_RGB,
// biSizeImage >= stride * height).
std::unique_ptr<BYTE[]> DecodePicture(const BITMAPINFOHEADER& header, const BYTE* bytes, std::size_t count);

// The decoder's byte source over the stored bytes (not owned).
class CMemorySource : public Velt::Source {
public:
    CMemorySource(const BYTE* data, int size) : m_nPosition(0), m_nSize(size < 0 ? 0 : size), m_pData(data) {}

    // Copies min(maxCount, size - position) bytes; 0 at the end of the data.
    int Read(unsigned char* dst, int maxCount) override;

    int m_nPosition;
    int m_nSize;
    const BYTE* m_pData;
};
