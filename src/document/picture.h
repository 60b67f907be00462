// The picture payload: a baseline JPEG stream (stored upside down) decoded
// into the bottom-up blue-green-red pixel block its 40-byte header describes.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/types.h"

// Row stride of a 24-bit picture row: 3 * width rounded up to 4 bytes.
inline std::size_t PictureStride(LONG width) { return (std::size_t(width) * 3 + 3) / 4 * 4; }

// Decodes `count` stored bytes into a new block of header.biSizeImage bytes.
// Never throws on a bad stream: rows that do not decode stay white. The
// header must already have been checked (positive size, 24 bits, BI_RGB,
// biSizeImage >= stride * height).
std::unique_ptr<BYTE[]> DecodePicture(const BITMAPINFOHEADER& header, const BYTE* bytes, std::size_t count);
