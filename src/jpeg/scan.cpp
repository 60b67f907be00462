// Block decoding (T.81 F.2.2.1, F.2.2.2), restart handling (T.81 E.2.4,
// F.2.1.3.1) and the two scan decoders. Each row is decoded with a working
// copy of the bit state, stored back only when the row succeeds.
#include "jpeg/scan.h"

#include <cstring>

#include "jpeg/tables.h"

namespace Velt {

namespace {

#if defined(__GNUC__)
#define VELT_INLINE inline __attribute__((always_inline))
#else
#define VELT_INLINE inline
#endif

// The bit state of one block held in locals (registers), synchronised with
// the reader only around its out-of-line paths.
struct LocalBits {
    BitReader& r;
    std::uint64_t acc;
    int count, lag;

    explicit LocalBits(BitReader& b) : r(b), acc(b.accumulator), count(b.count), lag(b.lag) {}

    VELT_INLINE void Save()
    {
        r.accumulator = acc;
        r.count = count;
        r.lag = lag;
    }
    VELT_INLINE void Load()
    {
        acc = r.accumulator;
        count = r.count;
        lag = r.lag;
    }
    // BitReader::Prefetch's whole-word step, else the reader's own loop.
    VELT_INLINE void Prefetch()
    {
        Source& s = *r.source;
        unsigned char* p = s.readPos;
        if (s.dataEnd - p >= 9) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            word = BigEndian(word);
            const int n = (64 - count) >> 3;
            const std::uint64_t zeroBytes = (~word - 0x0101010101010101ull) & word & 0x8080808080808080ull;
            const std::uint64_t taken = n == 8 ? ~0ull : ~(~0ull >> (8 * n));
            if ((zeroBytes & taken) == 0) {
                acc = n == 8 ? word : (acc << (8 * n)) | (word >> (64 - 8 * n));
                count += 8 * n;
                lag += 8 * n;
                s.readPos = p + n;
                return;
            }
        }
        Save();
        r.Prefetch();
        Load();
    }
    // BitReader::Need, with its common case (the bytes are prefetched) inline.
    VELT_INLINE void Need(int n)
    {
        const int held = count - lag;
        if (held < n) {
            const int wanted = ((32 - held) >> 3) << 3;
            if (lag >= wanted) {
                lag -= wanted;
                return;
            }
            Save();
            r.Fill();
            Load();
        }
    }
    VELT_INLINE int Peek() const
    {
        return int(acc >> (count - HuffmanDecoder::kFastBits)) & ((1 << HuffmanDecoder::kFastBits) - 1);
    }
    VELT_INLINE void ConsumeCode(int length)
    {
        if (length <= 8) {
            count -= length;
            return;
        }
        Save();
        r.ConsumeCode(length);
        Load();
    }
    // EXTEND (T.81 F.12) of the next s bits, s = 1 to 15.
    VELT_INLINE int Receive(int s)
    {
        Need(s);
        if (count < s)
            throw Error(); // a marker ends the data here
        count -= s;
        int v = int(acc >> count) & ((1 << s) - 1);
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }
    // A symbol whose code is in the fast table but whose value bits are not.
    VELT_INLINE int DecodeSymbol(const HuffmanDecoder& h)
    {
        if (count >= HuffmanDecoder::kFastBits) {
            if (unsigned entry = h.fastCode[Peek()]) {
                ConsumeCode(int(entry >> 8));
                return int(entry & 0xFF);
            }
        }
        return DecodeSymbolSlow(h);
    }
    int DecodeSymbolSlow(const HuffmanDecoder& h)
    {
        Save();
        int v = r.DecodeSymbol(h);
        Load();
        return v;
    }
};

} // namespace

void DecodeBlock(std::int16_t* cells, BitReader& bits, std::int16_t& predictor,
                 const HuffmanDecoder& dc, const HuffmanDecoder& ac)
{
    constexpr int kFast = HuffmanDecoder::kFastBits;
    LocalBits b(bits);

    // DC: difference category, then the difference itself (F.2.2.1).
    if (b.count < 32)
        b.Prefetch();
    b.Need(8);
    int diff;
    std::int32_t entry = b.count >= kFast ? dc.fastValue[b.Peek()] : 0;
    if (entry) {
        b.ConsumeCode(entry & 15);
        if (int s = (entry >> 12) & 15) {
            b.Need(s);
            b.count -= s;
        }
        diff = entry >> 16;
    } else {
        int s = b.DecodeSymbol(dc) & 0x0F;
        diff = s ? b.Receive(s) : 0;
    }
    predictor = static_cast<std::int16_t>(predictor + diff);
    cells[0] = predictor;

    // AC: run/size symbols (F.2.2.2).
    for (int k = 1;;) {
        if (b.count < 32)
            b.Prefetch();
        b.Need(8);
        int r, s, value;
        entry = b.count >= kFast ? ac.fastValue[b.Peek()] : 0;
        if (entry) {
            b.ConsumeCode(entry & 15);
            r = (entry >> 8) & 15;
            s = (entry >> 12) & 15;
            if (s) {
                b.Need(s);
                b.count -= s;
            }
            value = entry >> 16;
        } else {
            int rs = b.DecodeSymbol(ac);
            r = rs >> 4;
            s = rs & 15;
            value = s ? b.Receive(s) : 0;
        }
        if (s) {
            k += r;
            cells[kZigzag[k]] = static_cast<std::int16_t>(value);
            if (k >= 63)
                break;
            ++k;
        } else if (r == 15 && k < 48) {
            k += 16; // ZRL: sixteen zeros
        } else {
            break;   // EOB, a late ZRL or an undefined s = 0 symbol
        }
    }
    b.Save();
}

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
    std::int16_t* mcu = coefficients;
    for (int m = 0; m < mcusPerRow; ++m, mcu += coefficientsPerMcu) {
        HandleRestart(working);
        for (int j = 0; j < ns; ++j) {
            const ScanComponent& e = entries[j];
            const HuffmanDecoder& dc = *dcDecoders[e.dcTable];
            const HuffmanDecoder& ac = *acDecoders[e.acTable];
            std::int16_t* block = mcu + e.offset;
            for (int b = 0; b < e.blocks; ++b, block += 64)
                DecodeBlock(block, working, predictors[e.predictor], dc, ac);
        }
    }
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
    int rows = v < remainingBlockRows ? v : remainingBlockRows;
    for (int r = 0; r < rows; ++r) {
        int done = 0;
        std::int16_t* mcu = coefficients;
        for (; done < widthInBlocks; mcu += coefficientsPerMcu) {
            std::int16_t* block = mcu + offset + 64 * (r * h);
            for (int hb = 0; hb < h && done < widthInBlocks; ++hb, ++done, block += 64) {
                HandleRestart(working);
                DecodeBlock(block, working, predictor, *dc, *ac);
            }
        }
    }
    remainingBlockRows -= rows;
    bits.StoreState(working);
}

} // namespace Velt
