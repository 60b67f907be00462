// Block decoding (T.81 F.2.2.1, F.2.2.2): the DC difference and the AC
// run/size symbols of a block, each symbol with its appended value bits,
// with the bit state held in a Window across the blocks of a row.
//
// The common symbol takes one step: a refill of the 64-bit window that is
// free of branches (whole bytes up to the next 0xFF), one fast table look-up
// for the code and its value, and the reference reader's fill points
// (BitReader::Need) followed by table as a count of the bits it would hold.
// Codes longer than the fast table are decoded from the window. Everything
// else (0xFF bytes, the end of the source buffer, a marker ahead, a fill
// point that needs the source) goes through the bit reader's own exact
// procedures. Trades straight-line code for a window that keeps the next
// bytes' bits below its valid ones, and about 18 KiB of tables.
#pragma once

#include <cstdint>
#include <cstring>

#include "jpeg/bit_reader.h"
#include "jpeg/huffman.h"
#include "jpeg/tables.h"

#if defined(__GNUC__)
#define VELT_INLINE inline __attribute__((always_inline))
#define VELT_LIKELY(x) __builtin_expect(!!(x), 1)
#define VELT_KEEP_BRANCH(v) __asm__ volatile("" : "+r"(v))
#else
#define VELT_INLINE inline
#define VELT_LIKELY(x) (x)
#define VELT_KEEP_BRANCH(v)
#endif

namespace Velt {

// Decodes one block's coefficients (natural order) into cells, which the
// caller has set to 0. predictor is the component's DC predictor.
void DecodeBlock(std::int16_t* cells, BitReader& bits, std::int16_t& predictor, const HuffmanDecoder& dc,
                 const HuffmanDecoder& ac);

// A refill leaves at least this many valid bits; with them a symbol can
// always take the fast step: every fill point it passes is served by
// prefetched bytes and its code and value bits are all held.
constexpr int kStepBits = 48;
static_assert(HuffmanDecoder::kFastBits <= 15 && kStepBits - 16 >= 32);

// For a symbol with a code of `length` bits and s value bits, row (length
// << 4 | s), and the bits h the reference reader held before it, column h:
// after, the bits it holds after the symbol (8 bits wanted before the code,
// 9 and then 1 per further bit for codes longer than 8 (T.81 F.16), s before
// the value bits); need, the bits the window must hold for the symbol to
// take the fast step.
struct HeldTable {
    static constexpr int kSize = (16 << 4 | 15) * HuffmanDecoder::kHeldStates + HuffmanDecoder::kHeldStates;
    std::uint8_t after[kSize];
    std::uint8_t need[kSize];
};
extern const HeldTable kHeld;

// The reader's side of the window (block.cpp). PrefetchBytes reads ahead
// byte by byte and sets the reader's refill limit; SymbolThroughReader
// decodes one symbol and its value with the reader's exact procedures.
void PrefetchBytes(BitReader& r);
int SymbolThroughReader(BitReader& r, const HuffmanDecoder& h, int& value);

// The bit state in locals while blocks are decoded; Save() stores it back
// into the reader, Load() takes it up again (around anything else that uses
// the reader). `window` holds the valid bits at its top, oldest highest;
// below them it holds either zeros or the first bits of the byte at `next`,
// which the next refill ORs in again unchanged.
struct Window {
    BitReader& reader;
    Source& source;
    std::uint64_t window;
    std::uint64_t peek;   // the window's top kFastBits bits, taken before the refill ORs in below them
    int bits;             // valid bits, 0 to 63
    std::uint64_t held;   // bits the reference reader holds: bits - lag, 0 to 32
    unsigned char* next;  // the source's read position
    unsigned char* end;   // the source's data end
    std::uintptr_t limit; // BitReader::refillLimit

    explicit Window(BitReader& r) : reader(r), source(*r.source) { Load(); }

    void Load()
    {
        bits = reader.count;
        window = bits ? reader.accumulator << (64 - bits) : 0;
        peek = window >> (64 - HuffmanDecoder::kFastBits);
        held = std::uint64_t(bits - reader.lag);
        next = source.readPos;
        end = source.dataEnd;
        limit = reader.refillLimit;
    }
    void Save()
    {
        reader.accumulator = bits ? window >> (64 - bits) : 0;
        reader.count = bits;
        reader.lag = bits - int(held);
        reader.refillLimit = limit;
        source.readPos = next;
    }

    // Whole bytes up to 56 to 63 valid bits, in one step while the bytes
    // taken are below the limit; else through PrefetchBytes. The next bytes
    // go in below the valid bits: with kFastBits of them held already, the
    // peek stays as it was and the next look-up need not wait for the load.
    VELT_INLINE void Refill()
    {
        const int n = (63 - bits) >> 3;
        if (VELT_LIKELY(std::uintptr_t(next) + std::uintptr_t(n) <= limit)) {
            std::uint64_t word;
            std::memcpy(&word, next, 8);
            window |= BigEndian(word) >> bits;
            if (bits < HuffmanDecoder::kFastBits) {
                peek = window >> (64 - HuffmanDecoder::kFastBits);
                VELT_KEEP_BRANCH(peek); // a select would make every peek wait for the load
            }
            next += n;
            bits |= 56;
            return;
        }
        Save();
        PrefetchBytes(reader);
        Load();
    }

    // The fast table entry for the next bits.
    VELT_INLINE std::uint64_t Entry(const HuffmanDecoder& h) const { return h.fast[peek]; }
    VELT_INLINE bool Ready() const { return bits >= kStepBits; }
    // Ready() or enough bits for this entry's symbol all the same.
    VELT_INLINE bool Ready(std::uint64_t e) const
    {
        return bits >= kStepBits || bits >= kHeld.need[(e >> 50) + held];
    }

    // Takes the code and value bits of a fast entry (Ready(e) true); the
    // held count follows the reference reader.
    VELT_INLINE void Take(std::uint64_t e)
    {
        window <<= (e & 63);
        peek = window >> (64 - HuffmanDecoder::kFastBits);
        bits -= int(e & 63);
        held = kHeld.after[(e >> 50) + held];
    }

    // Takes a code of `length` bits and the value bits of its symbol (which
    // are held, the fill points served); returns the value (EXTEND of T.81
    // F.12), 0 when there are none.
    VELT_INLINE int TakeCode(int length, int symbol)
    {
        const int s = symbol & 15;
        const std::uint64_t value = window << length;
        window = value << s;
        peek = window >> (64 - HuffmanDecoder::kFastBits);
        bits -= length + s;
        held = kHeld.after[std::uint64_t((length << 4 | s) * HuffmanDecoder::kHeldStates) + held];
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

    // One block (T.81 F.2.2.1, F.2.2.2) into cells, which the caller has
    // set to 0; predictor is the component's DC predictor.
    VELT_INLINE void Decode(std::int16_t* cells, std::int16_t& predictor, const HuffmanDecoder& dc,
                            const HuffmanDecoder& ac)
    {
        // DC: difference category, then the difference itself (F.2.2.1).
        Refill();
        int diff;
        std::uint64_t e = Entry(dc);
        if (VELT_LIKELY((e & HuffmanDecoder::kWhole) && Ready())) {
            Take(e);
            diff = std::int16_t(e >> 32);
        } else if (e && Ready(e)) {
            diff = TakeCode(int(e >> 16) & 15, int(e >> 8) & 0xFF);
        } else if (!Ready() || LongCode(dc, diff) < 0) {
            SlowSymbol(dc, diff);
        }
        predictor = static_cast<std::int16_t>(predictor + diff);
        cells[0] = predictor;

        // AC: run/size symbols (F.2.2.2).
        for (std::ptrdiff_t k = 1;;) {
            Refill();
            e = Entry(ac);
            if (VELT_LIKELY((e & HuffmanDecoder::kValue) && Ready())) {
                // The common symbol: a run, then a value wholly in the entry.
                Take(e);
                k += int(e >> 12) & 15;
                cells[kZigzag[k]] = std::int16_t(e >> 32);
                if (k >= 63)
                    break;
                ++k;
                continue;
            }
            int symbol, value;
            if (e && Ready(e)) {
                symbol = int(e >> 8) & 0xFF;
                value = TakeCode(int(e >> 16) & 15, symbol);
            } else if (!Ready() || (symbol = LongCode(ac, value)) < 0) {
                symbol = SlowSymbol(ac, value);
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


} // namespace Velt
