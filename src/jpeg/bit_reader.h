// The entropy-coded segment's bit reader (T.81 F.2.2.5, F.2.2.3): byte
// unstuffing, marker detection, bit extraction and Huffman symbol decoding.
//
// The reference behaviour is a 32-bit reader that fills, whenever it holds
// fewer bits than it needs, until it holds at least 25. For speed this
// reader keeps up to 63 bits: the block decoder (block.cpp) reads further
// ahead ("prefetch") from bytes that are already in the source buffer,
// never past a marker and never by refilling the source. `lag` counts the prefetched bits that the reference
// reader would not have read yet; the reference fill points are kept exactly
// (Need), so that a stream which runs dry without a marker fails at the same
// symbol, and ReturnBytes leaves the source exactly where the reference
// reader would.
#pragma once

#include <cstdint>
#include <cstring>

#include "jpeg/huffman.h"
#include "jpeg/source.h"

namespace Velt {

inline std::uint64_t BigEndian(std::uint64_t v)
{
#if defined(__GNUC__)
    if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
        return __builtin_bswap64(v);
    return v;
#else
    unsigned char b[8];
    std::memcpy(b, &v, 8);
    std::uint64_t r = 0;
    for (unsigned char c : b)
        r = (r << 8) | c;
    return r;
#endif
}

class BitReader {
public:
    BitReader() = default;
    explicit BitReader(Source* src) : source(src) {}

    // A working copy for one row: it never returns bytes on destruction.
    BitReader Detached() const
    {
        BitReader copy(*this);
        copy.detached = 1;
        return copy;
    }

    ~BitReader()
    {
        if (!detached && source) {
            try {
                ReturnBytes();
            } catch (const Error&) {
                // Only after a failed row (stale state): the decoder is being
                // destroyed and nobody reads the source any more.
            }
        }
    }

    BitReader(const BitReader&) = default;
    BitReader& operator=(const BitReader&) = default;

    // A reference fill point: the reference reader fills when it holds fewer
    // than n bits.
    void Need(int n)
    {
        if (count - lag < n)
            Fill();
    }

    // The reference fill: whole bytes until 25 bits are held. Prefetched
    // bytes are taken first (all of them data bytes: prefetching stops at
    // markers); then the source is read, refilled as needed, and running dry
    // throws.
    void Fill()
    {
        const int held = count - lag;
        if (held >= 25)
            return;
        const int wanted = ((32 - held) >> 3) << 3;
        if (lag >= wanted) {
            lag -= wanted;
            return;
        }
        lag = 0;
        while (count < 25)
            if (!ReadByteAtMarker())
                return;
    }

    // n = 1 to 16 bits, oldest bit highest.
    unsigned GetBits(int n)
    {
        Need(n);
        if (count < n)
            throw Error();
        count -= n;
        return unsigned(accumulator >> count) & ((1u << n) - 1);
    }

    int Peek(int bits) const { return int(accumulator >> (count - bits)) & ((1 << bits) - 1); }

    // The reference decoder (T.81 F.2.2.3 with an 8-bit lookahead).
    int DecodeSymbolReference(const HuffmanDecoder& h)
    {
        Need(8);
        int l;
        if (count - lag >= 8) {
            int index = Peek(8);
            if (int length = h.lookLength[index]) {
                count -= length;
                return h.lookSymbol[index];
            }
            l = 9;
        } else { // a marker stopped the fill: only the present bits, zeros below
            int index = int(accumulator << (8 - count)) & 0xFF;
            int length = h.lookLength[index];
            if (length > 0 && length <= count) {
                count -= length;
                return h.lookSymbol[index];
            }
            l = count + 1;
        }
        return DecodeSlow(h, l);
    }

    // DECODE of Figure F.16 entered at length l.
    int DecodeSlow(const HuffmanDecoder& h, int l)
    {
        std::int32_t code = std::int32_t(GetBits(l));
        while (code > h.maxCode[l]) {
            code = code * 2 + std::int32_t(GetBits(1));
            ++l;
        }
        if (l >= 17)
            throw Error();
        return h.values[(code - h.valueOffset[l]) & 0xFF];
    }

    // Consumes a code of `length` bits already identified from the held
    // bits, passing through the reference fill points of its decoding.
    void ConsumeCode(int length)
    {
        // Need(8) has been done by the caller.
        if (length <= 8) {
            count -= length;
            return;
        }
        Need(9);
        count -= 9;
        for (int l = 9; l < length; ++l) {
            Need(1);
            count -= 1;
        }
    }

    // One symbol: the fast table when 10 bits are held, else the reference.
    int DecodeSymbol(const HuffmanDecoder& h)
    {
        Need(8);
        if (count >= HuffmanDecoder::kFastBits) {
            if (std::uint64_t entry = h.fast[Peek(HuffmanDecoder::kFastBits)]) {
                ConsumeCode(int((entry >> 16) & 15));
                return int((entry >> 8) & 0xFF);
            }
        }
        return DecodeSymbolReference(h);
    }

    // EXTEND of Figure F.12 applied to s (1 to 15) bits.
    int Receive(int s)
    {
        int v = int(GetBits(s));
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }

    // Gives the whole unread bytes back to the source, in the order they
    // were read (a stuffed 0xFF 0x00 goes back as 0xFF); the bits of a
    // partly used byte are dropped. Prefetched bytes are simply unread.
    void ReturnBytes()
    {
        // Prefetched bytes are still in the source buffer: step back over
        // them (a held 0xFF took two bytes there, 0xFF 0x00).
        refillLimit = 0;
        std::ptrdiff_t raw = 0;
        for (int i = 0; i < lag; i += 8)
            raw += ((accumulator >> i) & 0xFF) == 0xFF ? 2 : 1;
        if (raw > source->readPos - source->buffer)
            throw Error();
        source->readPos -= raw;
        accumulator = lag >= 64 ? 0 : accumulator >> lag;
        count -= lag;
        lag = 0;
        count &= ~7;
        while (count > 0) {
            source->PutBack(static_cast<unsigned char>(accumulator & 0xFF)); // newest first
            accumulator >>= 8;
            count -= 8;
        }
        accumulator = 0;
    }

    void StoreState(const BitReader& working)
    {
        accumulator = working.accumulator;
        count = working.count;
        lag = working.lag;
        refillLimit = working.refillLimit;
    }

    std::uint64_t accumulator = 0; // valid bits are the lowest `count`, oldest highest
    int count = 0;
    int lag = 0;                   // prefetched bits (a multiple of 8), the newest ones
    Source* source = nullptr;
    // The block decoder's bound for whole-word refills (block.cpp): the
    // bytes before it hold no 0xFF and eight bytes from any position before
    // it are in the buffer. 0 (unknown) whenever the reader itself moves
    // through the source.
    std::uintptr_t refillLimit = 0;
    unsigned char detached = 0;

private:
    // One byte through the source's refilling read; false at a marker, which
    // is left in the source.
    bool ReadByteAtMarker()
    {
        refillLimit = 0;
        Source& s = *source;
        unsigned byte = s.ReadByte();
        if (byte == 0xFF) {
            unsigned char next = s.ReadByte();
            if (next != 0x00) {
                s.PutBack(next);
                s.PutBack(0xFF);
                return false;
            }
        }
        accumulator = (accumulator << 8) | byte;
        count += 8;
        return true;
    }
};

} // namespace Velt
