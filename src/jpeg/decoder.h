// The decoder object: header state, frame geometry and the per-MCU-row
// pipeline (entropy decoding, inverse DCT, row building). Included by
// velt.h so that callers can ask a Decoder for rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "jpeg/colour.h"
#include "jpeg/huffman.h"
#include "jpeg/idct.h"
#include "jpeg/kernels.h"
#include "jpeg/scan.h"
#include "jpeg/source.h"

namespace Velt {

// One frame component (T.81 B.2.2) with its derived geometry.
struct Component {
    int id = 0;
    int h = 0, v = 0;        // sampling factors
    int tq = 0;              // quantisation table selector
    int blocks = 0;          // blocks per MCU: h * v
    int firstBlock = 0;      // index of its first block within the MCU
    int width = 0, height = 0;                 // in samples
    int widthInBlocks = 0, heightInBlocks = 0;
    IndexRows map;           // upsampling map (colour streams only)
    std::int32_t dequant[64] = {}; // column by column (tables.h), 13 fractional bits
};

class Decoder : public Reader {
public:
    // Largest memory for one MCU row's buffers; larger frames are refused.
    static constexpr std::size_t kMaxRowMemory = std::size_t(64) << 20;

    Decoder(Source* source, int* width, int* height, unsigned char* isColour, int* densityUnits,
            unsigned short* xDensity, unsigned short* yDensity);
    ~Decoder() override;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    const unsigned char* NextRow() override;

    // Decodes with the given kernel version instead of the fastest (all give
    // the same bytes); throws Error when it is not available here.
    void UsePath(Path path);

    // Read-only views for tools and tests.
    int Width() const { return width; }
    int Height() const { return height; }
    int ComponentCount() const { return nf; }
    int McuWidth() const { return mcuWidth; }
    int McuHeight() const { return mcuHeight; }
    int McusPerRow() const { return mcusPerRow; }
    int PaddedWidth() const { return paddedWidth; }
    int BlocksPerMcu() const { return blocksPerMcu; }
    bool Converts() const { return convert != 0; }
    const Component& ComponentAt(int i) const { return components[i]; }
    std::size_t RowBytes() const { return std::size_t(paddedWidth) * std::size_t(nf); }

private:
    // Header segments (headers.cpp).
    void ReadHeaders();
    void ReadFrameHeader();
    void ReadHuffmanTables();
    void ReadQuantTables();
    void ReadRestartInterval();
    void ReadJfif();
    void ReadAdobe();
    void ReadScanHeader();

    // Start of decoding and the row pipeline (decoder.cpp).
    void StartDecoding();
    void ComputeGeometry();
    void DecodeMcuRow();
    // Component k's samples of the MCU row (RowContext): 8 * v rows of
    // mcusPerRow * 8 * h, the components one after another.
    std::int16_t* Plane(int k) const;

    unsigned char jfifSeen = 0, frameSeen = 0, adobeSeen = 0;
    int adobeTransform = 0;
    Source* source;
    int width = 0, height = 0;
    unsigned char colour = 0;
    unsigned short xDensity = 0, yDensity = 0;
    int densityUnits = 0;
    unsigned short restartInterval = 0;
    unsigned char convert = 1;
    int nf = 0;
    Component components[8];
    int hmax = 0, vmax = 0;
    std::unique_ptr<HuffmanTable> dcTables[4];
    std::unique_ptr<HuffmanTable> acTables[4];
    std::unique_ptr<QuantTable> quantTables[4];
    int paddedWidth = 0, mcuWidth = 0, mcuHeight = 0, mcusPerRow = 0;
    int blocksPerMcu = 0, coefficientsPerMcu = 0;
    static constexpr int kBlockWidth = 8, kBlockHeight = 8;
    // Entropy decoding writes coefficients into zeroed blocks; the transform
    // turns them into samples and clears them again. A row that fails
    // leaves them dirty.
    std::unique_ptr<std::int16_t[]> coefficients;
    std::unique_ptr<std::int16_t[]> samples;
    unsigned char coefficientsDirty = 0;
    const Kernels* kernels = &FastestKernels();
    std::unique_ptr<std::int16_t[]> lines; // scratch lines of the row builders
    int firstRowHeld = 0, endRowHeld = 0, nextRow = 0;
    ByteRows rows;
    void (*rowBuilder)(const RowContext&) = nullptr;
    RowContext context;
    // Declared last so that it is destroyed first: it returns its unread
    // bytes to the source.
    std::unique_ptr<ScanDecoder> scan;
};

} // namespace Velt
