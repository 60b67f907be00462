// The picture payload: the stored JPEG stream decoded into the bottom-up
// blue-green-red block its header describes. Row k of the block takes the
// k-th decoded row (the stream is stored upside down). A damaged stream
// never fails the load: rows that do not decode stay white. Where stream
// and header disagree the smaller wins: a row copies at most what the
// decoder delivers, rows past the decoder's height stay white, and grey
// rows are expanded to three equal bytes.
#include "document/picture.h"

#include <algorithm>
#include <cstring>

#include "jpeg/velt.h"

int CMemorySource::Read(unsigned char* dst, int maxCount)
{
    int count = std::min(maxCount, m_nSize - m_nPosition);
    if (count <= 0)
        return 0;
    std::memcpy(dst, m_pData + m_nPosition, std::size_t(count));
    m_nPosition += count;
    return count;
}

namespace {

// Owns a decoder: destroyed before the source it reads from.
struct DecoderHolder {
    Velt::Decoder* decoder = nullptr;
    ~DecoderHolder() { Velt::DestroyDecoder(decoder); }
};

void DecodeRows(const BITMAPINFOHEADER& header, CMemorySource& source, BYTE* block)
{
    const std::size_t stride = PictureStride(header.biWidth);
    const std::size_t width = std::size_t(header.biWidth);
    int decodedWidth = 0, decodedHeight = 0;
    unsigned char colour = 0;
    DecoderHolder holder;
    holder.decoder = Velt::CreateDecoder(&source, &decodedWidth, &decodedHeight, &colour, nullptr, nullptr, nullptr);
    if (!holder.decoder)
        return;
    Velt::Decoder& decoder = *holder.decoder;

    // Rows that fit the block, the header and the stream.
    std::size_t rows = std::min<std::size_t>(std::size_t(header.biHeight), std::size_t(decodedHeight));
    rows = std::min<std::size_t>(rows, stride ? header.biSizeImage / stride : 0);
    const std::size_t rowBytes = decoder.RowBytes(); // what NextRow delivers, MCU padding included
    for (std::size_t k = 0; k < rows; ++k) {
        const unsigned char* src = decoder.NextRow();
        BYTE* dst = block + k * stride;
        if (colour) {
            std::size_t bytes = std::min(stride, rowBytes);
            std::memcpy(dst, src, bytes);
            std::size_t pixels = std::min(width, bytes / 3);
            for (std::size_t i = 0; i < pixels; ++i)
                std::swap(dst[3 * i], dst[3 * i + 2]); // R,G,B -> B,G,R
        } else {
            std::size_t pixels = std::min(width, rowBytes);
            for (std::size_t i = 0; i < pixels; ++i)
                dst[3 * i] = dst[3 * i + 1] = dst[3 * i + 2] = src[i];
        }
    }
}

} // namespace

std::unique_ptr<BYTE[]> DecodePicture(const BITMAPINFOHEADER& header, const BYTE* bytes, std::size_t count)
{
    auto block = std::make_unique<BYTE[]>(header.biSizeImage);
    std::memset(block.get(), 0xFF, header.biSizeImage);
    if (header.biWidth <= 0 || header.biHeight <= 0 || !bytes)
        return block;
    // The source counts in int; a larger block is cut (the decoder never needs it whole).
    CMemorySource source(bytes, int(std::min<std::size_t>(count, 0x7FFFFFFF)));
    try {
        DecodeRows(header, source, block.get());
    } catch (...) {
        // A damaged stream: the rows copied so far stay, the rest stays white.
    }
    return block;
}

BITMAPINFOHEADER PictureHeader(int width, int height)
{
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = width;
    bih.biHeight = height;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    bih.biSizeImage = DWORD(PictureStride(width) * std::size_t(height));
    return bih;
}
