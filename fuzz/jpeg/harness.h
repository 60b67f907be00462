// Fuzz bodies shared by the libFuzzer targets and the regression replay
// test: every failure must be a Velt::Error (anything else escapes and is
// reported), every delivered row byte is read so that the sanitizers see
// any access beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "document/picture.h"
#include "jpeg/velt.h"

namespace velt_fuzz {

// CreateDecoder, then NextRow for every row (and one more, which must fail).
inline unsigned RunDecoder(const std::uint8_t* data, std::size_t size)
{
    CMemorySource source(data, int(size > 0x7FFFFFFF ? 0x7FFFFFFF : size));
    Velt::Decoder* decoder = nullptr;
    unsigned sum = 0;
    try {
        int width = 0, height = 0, units = 0;
        unsigned char colour = 0;
        unsigned short xd = 0, yd = 0;
        decoder = Velt::CreateDecoder(&source, &width, &height, &colour, &units, &xd, &yd);
        if (decoder) {
            const int rows = height;
            const std::size_t rowBytes = decoder->RowBytes();
            for (int y = 0; y < rows; ++y) {
                const unsigned char* row = decoder->NextRow();
                for (std::size_t i = 0; i < rowBytes; i += 7)
                    sum += row[i];
                sum += row[rowBytes - 1];
            }
            decoder->NextRow(); // beyond the last row: throws
            __builtin_trap();
        }
    } catch (const Velt::Error&) {
    }
    Velt::DestroyDecoder(decoder);
    return sum;
}

// DecodePicture with a header made from the first 5 bytes: width and height
// 1 to 1024, and a block possibly shorter than the header implies.
inline unsigned RunPicture(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = 1 + ((data[0] | (data[1] << 8)) & 1023);
    h.biHeight = 1 + ((data[2] | (data[3] << 8)) & 1023);
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::size_t stride = PictureStride(h.biWidth);
    std::size_t full = stride * std::size_t(h.biHeight);
    h.biSizeImage = DWORD(data[4] & 1 ? full : full - std::min<std::size_t>(full, data[4]));
    auto block = DecodePicture(h, data + 5, size - 5);
    unsigned sum = 0;
    for (std::size_t i = 0; i < h.biSizeImage; i += 13)
        sum += block[i];
    return sum;
}

} // namespace velt_fuzz
