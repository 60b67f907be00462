// Scan decoders: entropy-decode one MCU row of the single scan into the
// coefficient buffer (T.81 F.2.2 for blocks, E.2.4 for restart intervals).
// InterleavedScan serves multi-component scans, SingleScan the
// one-component scan in non-interleaved block order (T.81 A.2.2).
#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/bit_reader.h"
#include "jpeg/block.h"
#include "jpeg/huffman.h"

namespace Velt {

class Source;

using TableSlots = std::unique_ptr<HuffmanTable>[4];

class ScanDecoder {
public:
    ScanDecoder(Source* source, unsigned short restartInterval);
    virtual ~ScanDecoder();
    ScanDecoder(const ScanDecoder&) = delete;
    ScanDecoder& operator=(const ScanDecoder&) = delete;

    // Decodes the next MCU row into the (zeroed) coefficient buffer.
    virtual void DecodeRow(std::int16_t* coefficients) = 0;
    virtual void ResetPredictors() {}

protected:
    // Run before each MCU (or block): counts down the restart interval and,
    // when it expires, resets the predictors and consumes the RSTn marker.
    void HandleRestart(Window& w)
    {
        if (restartInterval == 0 || --restartCountdown != 0)
            return;
        w.Save();
        Restart(w.reader);
        w.Load();
    }
    void Restart(BitReader& working);

    // Decoding form for a table slot; throws when the slot is empty.
    static std::unique_ptr<HuffmanDecoder> Build(const TableSlots& slots, int number);

    Source* source;
    BitReader bits;
    unsigned short restartInterval;
    unsigned short restartCountdown;
    unsigned short nextRestart = 0;
    std::unique_ptr<HuffmanDecoder> dcDecoders[4];
    std::unique_ptr<HuffmanDecoder> acDecoders[4];
};

struct ScanComponent {
    int offset;       // coefficient offset within the MCU: first block * 64
    int blocks;       // H * V
    int predictor;    // the component's position in the scan
    int dcTable;      // Td
    int acTable;      // Ta
};

class InterleavedScan : public ScanDecoder {
public:
    InterleavedScan(Source* source, int coefficientsPerMcu, int mcusPerRow, int ns,
                    const ScanComponent* entries, const TableSlots& dcSlots, const TableSlots& acSlots,
                    unsigned short restartInterval);

    void DecodeRow(std::int16_t* coefficients) override;
    void ResetPredictors() override;

private:
    int coefficientsPerMcu;
    int mcusPerRow;
    int ns;
    ScanComponent entries[4];
    std::int16_t predictors[4] = {};
};

class SingleScan : public ScanDecoder {
public:
    SingleScan(Source* source, int coefficientsPerMcu, int widthInBlocks, int heightInBlocks, int offset,
               int h, int v, int dcTable, int acTable, const TableSlots& dcSlots, const TableSlots& acSlots,
               unsigned short restartInterval);

    void DecodeRow(std::int16_t* coefficients) override;
    void ResetPredictors() override;

private:
    int coefficientsPerMcu;
    int widthInBlocks;
    int remainingBlockRows;
    int offset;
    int v;
    int h;
    const HuffmanDecoder* dc;
    const HuffmanDecoder* ac;
    std::int16_t predictor = 0;
};

} // namespace Velt
