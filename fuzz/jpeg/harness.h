// Fuzz bodies shared by the libFuzzer targets and the regression replay
// test: every failure must be a Velt::Error (anything else escapes and is
// reported), every delivered row byte is read so that the sanitizers see
// any access beyond it, and every kernel version decodes alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "document/picture.h"
#include "jpeg/velt.h"

namespace velt_fuzz {

// What a decoder delivered: its rows and a hash (FNV-1a) of their bytes;
// rows is -1 when the stream is refused.
struct Delivered {
    int rows = -1;
    std::uint64_t hash = 14695981039346656037ull;
    bool operator==(const Delivered&) const = default;
};

// CreateDecoder with the given kernel version, then NextRow for every row
// (and one more, which must fail).
inline Delivered DecodeWith(const std::uint8_t* data, std::size_t size, Velt::Path path)
{
    CMemorySource source(data, int(size > 0x7FFFFFFF ? 0x7FFFFFFF : size));
    Velt::Decoder* decoder = nullptr;
    Delivered d;
    try {
        int width = 0, height = 0, units = 0;
        unsigned char colour = 0;
        unsigned short xd = 0, yd = 0;
        decoder = Velt::CreateDecoder(&source, &width, &height, &colour, &units, &xd, &yd);
        if (decoder) {
            decoder->UsePath(path);
            d.rows = 0;
            const std::size_t rowBytes = decoder->RowBytes();
            for (int y = 0; y < height; ++y, ++d.rows) {
                const unsigned char* row = decoder->NextRow();
                for (std::size_t i = 0; i < rowBytes; ++i)
                    d.hash = (d.hash ^ row[i]) * 1099511628211ull;
            }
            decoder->NextRow(); // beyond the last row: throws
            __builtin_trap();
        }
    } catch (const Velt::Error&) {
    }
    Velt::DestroyDecoder(decoder);
    return d;
}

// Decodes with every kernel version this processor runs: each must deliver
// the same rows and fail at the same one.
inline unsigned RunDecoder(const std::uint8_t* data, std::size_t size)
{
    const Delivered plain = DecodeWith(data, size, Velt::Path::Plain);
    for (Velt::Path path : {Velt::Path::Sse2, Velt::Path::Avx2})
        if (Velt::KernelsFor(path) && !(DecodeWith(data, size, path) == plain))
            __builtin_trap();
    return unsigned(plain.hash);
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
