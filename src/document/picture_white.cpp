// Stand-in picture payload until the decoder lands: an all-white block.
#include <cstring>

#include "document/picture.h"

std::unique_ptr<BYTE[]> DecodePicture(const BITMAPINFOHEADER& header, const BYTE*, std::size_t)
{
    auto block = std::make_unique<BYTE[]>(header.biSizeImage);
    std::memset(block.get(), 0xFF, header.biSizeImage);
    return block;
}
