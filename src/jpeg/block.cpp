// Block decoding (T.81 F.2.2.1, F.2.2.2): the DC difference and the AC
// run/size symbols of one block, each symbol with its appended value bits.
//
// The common symbol takes one step: a refill of the 64-bit window that is
// free of branches (whole bytes as long as none of them is 0xFF), one fast
// table look-up for the code, and the value bits read from the window
// behind it. The reference reader's fill points (BitReader::Need) are
// followed alongside without branches, as a count of the bits it would
// hold. Everything else (codes longer than the fast table, 0xFF bytes, the
// end of the source buffer, a marker ahead) goes through the bit reader's
// own exact procedures. Trades straight-line code for a window that keeps
// the next bytes' bits below its valid ones.
#include <cstring>

#include "jpeg/scan.h"
#include "jpeg/tables.h"

namespace Velt {

namespace {

#if defined(__GNUC__)
#define VELT_INLINE inline __attribute__((always_inline))
#define VELT_NOINLINE __attribute__((noinline))
#define VELT_LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define VELT_INLINE inline
#define VELT_NOINLINE
#define VELT_LIKELY(x) (x)
#endif

// A refill leaves at least this many valid bits; a symbol takes the fast
// step only with them, so that every fill point it passes is served by
// prefetched bytes and its code and value bits are all held.
constexpr int kStepBits = 48;
static_assert(HuffmanDecoder::kFastBits <= 15 && kStepBits - 16 >= 32);

// The reference reader's fill point BitReader::Need(n) for a reader holding
// h bits: below n it takes whole bytes until it holds 25 to 32.
constexpr int Need(int h, int n) { return h < n ? h + ((32 - h) & ~7) : h; }

// Bits the reference reader holds after one symbol with a code of `length`
// bits and s value bits, for each number it held before: 8 bits wanted
// before the code, 9 and then 1 per further bit for codes longer than 8
// (T.81 F.16), s before the value bits. Row (length << 4 | s), column h.
struct HeldTable {
    std::uint8_t after[(16 << 4 | 15) * HuffmanDecoder::kHeldStates + HuffmanDecoder::kHeldStates];
};
constexpr HeldTable MakeHeldTable()
{
    HeldTable t{};
    for (int length = 1; length <= 16; ++length)
        for (int s = 0; s < 16; ++s)
            for (int h0 = 0; h0 < HuffmanDecoder::kHeldStates; ++h0) {
                int h = Need(h0, 8);
                if (length <= 8) {
                    h -= length;
                } else {
                    h = Need(h, 9) - 9;
                    for (int l = 9; l < length; ++l)
                        h = Need(h, 1) - 1;
                }
                if (s)
                    h = Need(h, s) - s;
                t.after[(length << 4 | s) * HuffmanDecoder::kHeldStates + h0] = std::uint8_t(h);
            }
    return t;
}
constexpr HeldTable kHeld = MakeHeldTable();

// Reads ahead byte by byte: a stuffed 0xFF 0x00 gives 0xFF; stops before a
// marker and where fewer than two bytes are left (0xFF could not be told
// from a marker), never refills the source. Then sets the limit for the
// next whole-word refills: the next 0xFF, or eight bytes before the end.
VELT_NOINLINE void PrefetchBytes(BitReader& r)
{
    Source& s = *r.source;
    unsigned char* p = s.readPos;
    unsigned char* const end = s.dataEnd;
    while (r.count <= 55 && end - p >= 2) {
        const unsigned byte = p[0];
        if (byte == 0xFF) {
            if (p[1] != 0x00)
                break;
            p += 2;
        } else {
            p += 1;
        }
        r.accumulator = (r.accumulator << 8) | byte;
        r.count += 8;
        r.lag += 8;
    }
    s.readPos = p;
    r.refillLimit = 0;
    if (end - p >= 8) {
        const void* ff = std::memchr(p, 0xFF, std::size_t(end - p));
        const std::uintptr_t last = std::uintptr_t(end) - 8;
        r.refillLimit = ff && std::uintptr_t(ff) < last ? std::uintptr_t(ff) : last;
    }
}

// One symbol and its value through the reader's exact procedures.
VELT_NOINLINE int SymbolThroughReader(BitReader& r, const HuffmanDecoder& h, int& value)
{
    const int symbol = r.DecodeSymbol(h);
    const int s = symbol & 15;
    value = s ? r.Receive(s) : 0;
    return symbol;
}

// The bit state of one block in locals. `window` holds the valid bits at its
// top, oldest highest; below them it holds either zeros or the first bits
// of the byte at `next`, which the next refill ORs in again unchanged.
struct Window {
    BitReader& reader;
    Source& source;
    std::uint64_t window;
    int bits;             // valid bits, 0 to 63
    int held;             // bits the reference reader holds: bits - lag
    unsigned char* next;  // the source's read position
    unsigned char* end;   // the source's data end
    std::uintptr_t limit; // BitReader::refillLimit

    explicit Window(BitReader& r) : reader(r), source(*r.source) { Load(); }

    void Load()
    {
        bits = reader.count;
        window = bits ? reader.accumulator << (64 - bits) : 0;
        held = bits - reader.lag;
        next = source.readPos;
        end = source.dataEnd;
        limit = reader.refillLimit;
    }
    void Save()
    {
        reader.accumulator = bits ? window >> (64 - bits) : 0;
        reader.count = bits;
        reader.lag = bits - held;
        reader.refillLimit = limit;
        source.readPos = next;
    }

    // Whole bytes up to 56 to 63 valid bits, in one step while the bytes
    // taken are below the limit; else through PrefetchBytes.
    VELT_INLINE void Refill()
    {
        const int n = (63 - bits) >> 3;
        if (VELT_LIKELY(std::uintptr_t(next) + std::uintptr_t(n) <= limit)) {
            std::uint64_t word;
            std::memcpy(&word, next, 8);
            window |= BigEndian(word) >> bits;
            next += n;
            bits |= 56;
            return;
        }
        Save();
        PrefetchBytes(reader);
        Load();
    }

    // The fast table entry for the next bits.
    VELT_INLINE std::uint64_t Entry(const HuffmanDecoder& h) const
    {
        return h.fast[window >> (64 - HuffmanDecoder::kFastBits)];
    }
    VELT_INLINE bool Ready() const { return bits >= kStepBits; }

    // Takes the code and value bits of a fast entry (Ready() true); the held
    // count follows the reference reader.
    VELT_INLINE void Take(std::uint64_t e)
    {
        window <<= (e & 63);
        bits -= int(e & 63);
        held = kHeld.after[(e >> 50) + std::uint64_t(held)];
    }

    // Takes a code of `length` bits and the value bits of its symbol;
    // returns the value (EXTEND of T.81 F.12), 0 when there are none.
    VELT_INLINE int TakeCode(int length, int symbol)
    {
        const int s = symbol & 15;
        const std::uint64_t value = window << length;
        window = value << s;
        bits -= length + s;
        held = kHeld.after[(length << 4 | s) * HuffmanDecoder::kHeldStates + held];
        const int raw = int(value >> 32 >> (32 - s));
        // A leading 0 bit marks a negative value: raw - (2^s - 1).
        const int negative = ~int(std::int64_t(value) >> 63);
        return raw - (negative & ((1 << s) - 1));
    }

    // A symbol whose code is too long for the fast table (Ready() true):
    // DECODE of T.81 F.16 on the held bits. Returns -1 when no code of up
    // to 16 bits matches (left to the reader, which fails).
    VELT_INLINE int LongCode(const HuffmanDecoder& h, int& value)
    {
        int length = 9;
        while (length <= 16 && std::int32_t(window >> (64 - length)) > h.maxCode[length])
            ++length;
        if (length > 16)
            return -1;
        const int symbol = h.values[(std::int32_t(window >> (64 - length)) - h.valueOffset[length]) & 0xFF];
        value = TakeCode(length, symbol);
        return symbol;
    }

    // The exact procedures for one symbol, through the reader.
    VELT_INLINE int SlowSymbol(const HuffmanDecoder& h, int& value)
    {
        Save();
        const int symbol = SymbolThroughReader(reader, h, value);
        Load();
        return symbol;
    }
};

} // namespace

void DecodeBlock(std::int16_t* cells, BitReader& bits, std::int16_t& predictor,
                 const HuffmanDecoder& dc, const HuffmanDecoder& ac)
{
    Window w(bits);

    // DC: difference category, then the difference itself (F.2.2.1).
    w.Refill();
    int diff;
    std::uint64_t e = w.Entry(dc);
    if (VELT_LIKELY((e & HuffmanDecoder::kWhole) && w.Ready())) {
        w.Take(e);
        diff = std::int16_t(e >> 32);
    } else if (e && w.Ready()) {
        diff = w.TakeCode(int(e >> 16) & 15, int(e >> 8) & 0xFF);
    } else if (!w.Ready() || w.LongCode(dc, diff) < 0) {
        w.SlowSymbol(dc, diff);
    }
    predictor = static_cast<std::int16_t>(predictor + diff);
    cells[0] = predictor;

    // AC: run/size symbols (F.2.2.2).
    for (int k = 1;;) {
        w.Refill();
        e = w.Entry(ac);
        if (VELT_LIKELY((e & HuffmanDecoder::kValue) && w.Ready())) {
            // The common symbol: a run, then a value wholly in the entry.
            w.Take(e);
            k += int(e >> 12) & 15;
            cells[kZigzag[k]] = std::int16_t(e >> 32);
            if (k >= 63)
                break;
            ++k;
            continue;
        }
        int symbol, value;
        if (e && w.Ready()) {
            symbol = int(e >> 8) & 0xFF;
            value = w.TakeCode(int(e >> 16) & 15, symbol);
        } else if (!w.Ready() || (symbol = w.LongCode(ac, value)) < 0) {
            symbol = w.SlowSymbol(ac, value);
        }
        const int r = symbol >> 4;
        if (symbol & 15) {
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
    w.Save();
}

} // namespace Velt
