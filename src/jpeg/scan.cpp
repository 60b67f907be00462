// Restart handling (T.81 E.2.4, F.2.1.3.1) and the two scan decoders; the
// blocks themselves are decoded in block.cpp. Each row is decoded with a
// working copy of the bit state, stored back only when the row succeeds.
#include "jpeg/scan.h"

namespace Velt {

ScanDecoder::ScanDecoder(Source* src, unsigned short interval)
    : source(src), bits(src), restartInterval(interval),
      restartCountdown(static_cast<unsigned short>(interval + 1))
{
}

ScanDecoder::~ScanDecoder() = default;

void ScanDecoder::Restart(BitReader& working)
{
    ResetPredictors();
    working.ReturnBytes();
    if (source->NextMarker() != 0xD0 + nextRestart)
        throw Error();
    restartCountdown = restartInterval;
    nextRestart = static_cast<unsigned short>((nextRestart + 1) & 7);
}

std::unique_ptr<HuffmanDecoder> ScanDecoder::Build(const TableSlots& slots, int number)
{
    if (number < 0 || number > 3 || !slots[number])
        throw Error();
    return std::make_unique<HuffmanDecoder>(*slots[number]);
}

InterleavedScan::InterleavedScan(Source* src, int cpm, int mcus, int count, const ScanComponent* list,
                                 const TableSlots& dcSlots, const TableSlots& acSlots,
                                 unsigned short interval)
    : ScanDecoder(src, interval), coefficientsPerMcu(cpm), mcusPerRow(mcus), ns(count)
{
    if (ns < 1 || ns > 4)
        throw Error();
    for (int j = 0; j < ns; ++j) {
        entries[j] = list[j];
        const ScanComponent& e = entries[j];
        if (e.predictor < 0 || e.predictor > 3 || e.dcTable < 0 || e.dcTable > 3 || e.acTable < 0 ||
            e.acTable > 3 || !dcSlots[e.dcTable] || !acSlots[e.acTable])
            throw Error();
    }
    for (int j = 0; j < ns; ++j) {
        if (!dcDecoders[entries[j].dcTable])
            dcDecoders[entries[j].dcTable] = Build(dcSlots, entries[j].dcTable);
        if (!acDecoders[entries[j].acTable])
            acDecoders[entries[j].acTable] = Build(acSlots, entries[j].acTable);
    }
}

void InterleavedScan::ResetPredictors()
{
    for (auto& p : predictors)
        p = 0;
}

void InterleavedScan::DecodeRow(std::int16_t* coefficients)
{
    BitReader working = bits.Detached();
    Window w(working);
    std::int16_t* mcu = coefficients;
    for (int m = 0; m < mcusPerRow; ++m, mcu += coefficientsPerMcu) {
        HandleRestart(w);
        for (int j = 0; j < ns; ++j) {
            const ScanComponent& e = entries[j];
            const HuffmanDecoder& dc = *dcDecoders[e.dcTable];
            const HuffmanDecoder& ac = *acDecoders[e.acTable];
            std::int16_t* block = mcu + e.offset;
            for (int b = 0; b < e.blocks; ++b, block += 64)
                w.Decode(block, predictors[e.predictor], dc, ac);
        }
    }
    w.Save();
    bits.StoreState(working);
}

SingleScan::SingleScan(Source* src, int cpm, int widthBlocks, int heightBlocks, int firstOffset, int hFactor,
                       int vFactor, int dcTable, int acTable, const TableSlots& dcSlots,
                       const TableSlots& acSlots, unsigned short interval)
    : ScanDecoder(src, interval), coefficientsPerMcu(cpm), widthInBlocks(widthBlocks),
      remainingBlockRows(heightBlocks), offset(firstOffset), v(vFactor), h(hFactor)
{
    dcDecoders[0] = Build(dcSlots, dcTable);
    acDecoders[0] = Build(acSlots, acTable);
    dc = dcDecoders[0].get();
    ac = acDecoders[0].get();
}

void SingleScan::ResetPredictors() { predictor = 0; }

void SingleScan::DecodeRow(std::int16_t* coefficients)
{
    BitReader working = bits.Detached();
    Window w(working);
    int rows = v < remainingBlockRows ? v : remainingBlockRows;
    for (int r = 0; r < rows; ++r) {
        int done = 0;
        std::int16_t* mcu = coefficients;
        for (; done < widthInBlocks; mcu += coefficientsPerMcu) {
            std::int16_t* block = mcu + offset + 64 * (r * h);
            for (int hb = 0; hb < h && done < widthInBlocks; ++hb, ++done, block += 64) {
                HandleRestart(w);
                w.Decode(block, predictor, *dc, *ac);
            }
        }
    }
    remainingBlockRows -= rows;
    w.Save();
    bits.StoreState(working);
}

} // namespace Velt
