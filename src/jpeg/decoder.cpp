// Decoder construction (header loop, colour model), the MCU geometry
// (T.81 A.1.1, A.2.3), row delivery through the per-MCU-row pipeline, and
// the library's entry points. Memory holds one MCU row; frames whose row
// buffers would exceed kMaxRowMemory are refused.
#include <cstring>
#include <new>

#include "jpeg/decoder.h"

namespace Velt {

Decoder::Decoder(Source* src, int* widthOut, int* heightOut, unsigned char* isColour, int* densityUnitsOut,
                 unsigned short* xDensityOut, unsigned short* yDensityOut)
    : source(src)
{
    if (!source)
        throw Error();
    ReadHeaders();
    if (!frameSeen)
        throw Error();
    if (nf == 1) {
        colour = 0;
    } else if (nf == 3) {
        colour = 1;
        if (jfifSeen)
            convert = 1;
        else if (adobeSeen)
            convert = adobeTransform != 0;
        else // components labelled R, G, B hold RGB; anything else is taken as YCbCr
            convert = !(components[0].id == 0x52 && components[1].id == 0x47 && components[2].id == 0x42);
    } else {
        throw Error();
    }
    if (widthOut)
        *widthOut = width;
    if (heightOut)
        *heightOut = height;
    if (isColour)
        *isColour = colour;
    if (densityUnitsOut)
        *densityUnitsOut = densityUnits;
    if (xDensityOut)
        *xDensityOut = xDensity;
    if (yDensityOut)
        *yDensityOut = yDensity;
    StartDecoding();
}

Decoder::~Decoder() = default;

void Decoder::ComputeGeometry()
{
    if (nf == 1)
        components[0].h = components[0].v = 1; // a non-interleaved MCU is one block (T.81 A.2.2)
    hmax = vmax = 1;
    for (int i = 0; i < nf; ++i) {
        hmax = components[i].h > hmax ? components[i].h : hmax;
        vmax = components[i].v > vmax ? components[i].v : vmax;
    }
    mcuWidth = 8 * hmax;
    mcuHeight = 8 * vmax;
    mcusPerRow = (width + mcuWidth - 1) / mcuWidth;
    paddedWidth = mcusPerRow * mcuWidth;
    blocksPerMcu = 0;
    for (int i = 0; i < nf; ++i) {
        Component& c = components[i];
        c.blocks = c.h * c.v;
        c.firstBlock = blocksPerMcu;
        blocksPerMcu += c.blocks;
        c.width = int((std::int64_t(c.h) * width + hmax - 1) / hmax);
        c.height = int((std::int64_t(c.v) * height + vmax - 1) / vmax);
        c.widthInBlocks = (c.width + 7) / 8;
        c.heightInBlocks = (c.height + 7) / 8;
    }
    coefficientsPerMcu = 64 * blocksPerMcu;

    // Sizes fit easily in 64 bits (width < 2^16, at most 128 blocks per MCU).
    // Coefficients and their samples.
    std::size_t coefficientBytes = std::size_t(mcusPerRow) * std::size_t(coefficientsPerMcu) * 2 * 2;
    std::size_t rowBytes = std::size_t(mcuHeight) * std::size_t(paddedWidth) * std::size_t(nf);
    std::size_t lineBytes = colour ? kScratchLines * std::size_t(paddedWidth) * 2 : 0;
    std::size_t mapBytes = colour ? 3 * std::size_t(mcuWidth) * std::size_t(mcuHeight) * 4 : 0;
    if (coefficientBytes + rowBytes + lineBytes + mapBytes > kMaxRowMemory)
        throw Error();
}

void Decoder::StartDecoding()
{
    ComputeGeometry();
    if (coefficients)
        throw Error();
    coefficients = std::make_unique<std::int16_t[]>(std::size_t(mcusPerRow) * std::size_t(coefficientsPerMcu));
    samples = std::make_unique<std::int16_t[]>(std::size_t(mcusPerRow) * std::size_t(coefficientsPerMcu));
    rows.Allocate(mcuHeight, std::size_t(paddedWidth) * std::size_t(nf), kRowSlack);
    ReadScanHeader();

    context.kernels = kernels;
    context.mcusPerRow = mcusPerRow;
    context.mcuWidth = mcuWidth;
    context.mcuHeight = mcuHeight;
    context.hmax = hmax;
    context.rows = &rows;
    for (int k = 0; k < nf; ++k) {
        context.planes[k] = Plane(k);
        context.h[k] = components[k].h;
    }
    if (!colour) {
        rowBuilder = BuildRowsGrey;
        return;
    }
    rowBuilder = convert ? BuildRowsYCbCr : BuildRowsDirect;
    for (int k = 0; k < 3; ++k) {
        Component& c = components[k];
        BuildMap(c.map, c.h, c.v, hmax, vmax, mcuWidth, mcuHeight, context.PlaneWidth(k));
        context.maps[k] = &c.map;
    }
    lines = std::make_unique<std::int16_t[]>(kScratchLines * std::size_t(paddedWidth));
    context.lines = lines.get();
}

std::int16_t* Decoder::Plane(int k) const
{
    return samples.get() + std::size_t(mcusPerRow) * 64 * std::size_t(components[k].firstBlock);
}

void Decoder::UsePath(Path path)
{
    const Kernels* k = KernelsFor(path);
    if (!k)
        throw Error();
    kernels = k;
    context.kernels = k;
}

void Decoder::DecodeMcuRow()
{
    if (coefficientsDirty)
        std::memset(coefficients.get(), 0,
                    std::size_t(mcusPerRow) * std::size_t(coefficientsPerMcu) * sizeof(std::int16_t));
    coefficientsDirty = 1;
    scan->DecodeRow(coefficients.get());
    // Every block of every MCU is transformed, which clears them all. Block
    // b of a component is row b / h, column b % h of its blocks in the MCU.
    for (int i = 0; i < nf; ++i) {
        const Component& c = components[i];
        const int planeWidth = context.PlaneWidth(i);
        for (int b = 0; b < c.blocks; ++b)
            kernels->inverseDct(coefficients.get() + 64 * (c.firstBlock + b), coefficientsPerMcu, c.dequant,
                                mcusPerRow, Plane(i) + 8 * (b / c.h) * planeWidth + 8 * (b % c.h), 8 * c.h,
                                planeWidth);
    }
    coefficientsDirty = 0;
    rowBuilder(context);
}

const unsigned char* Decoder::NextRow()
{
    if (nextRow >= height)
        throw Error();
    if (nextRow >= endRowHeld) {
        DecodeMcuRow();
        firstRowHeld = nextRow;
        endRowHeld = nextRow + mcuHeight;
    }
    return rows[nextRow++ - firstRowHeld];
}

Decoder* CreateDecoder(Source* source, int* width, int* height, unsigned char* isColour, int* densityUnits,
                       unsigned short* xDensity, unsigned short* yDensity)
{
    try {
        return new (std::nothrow) Decoder(source, width, height, isColour, densityUnits, xDensity, yDensity);
    } catch (const Error&) {
        throw;
    } catch (...) { // allocation failures inside construction
        throw Error();
    }
}

void DestroyDecoder(Decoder* decoder) { delete decoder; }

} // namespace Velt
