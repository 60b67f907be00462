// The entropy-coded segment's bit reader (T.81 F.2.2.5 and F.2.2.3):
// byte unstuffing, marker detection, bit extraction and Huffman symbol
// decoding. The accumulator is 64 bits wide: a fill always brings at least
// 25 bits (refilling the source as needed) and then reads further ahead only
// from bytes already in the source buffer, so that every whole unread byte
// still fits into the source's put-back room when it is returned.
#pragma once

#include <cstdint>

#include "jpeg/huffman.h"
#include "jpeg/source.h"

namespace Velt {

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
                // Only after a failed row can the room run out; the decoder is
                // being destroyed then and nobody reads the source any more.
            }
        }
    }

    BitReader(const BitReader&) = default;
    BitReader& operator=(const BitReader&) = default;

    // Brings the accumulator to at least 25 bits unless a marker stops it.
    void Fill()
    {
        Source& s = *source;
        while (count <= 56) {
            unsigned char* p = s.readPos;
            if (s.dataEnd - p < 2) {
                if (count >= 25)
                    return; // read-ahead beyond the minimum stays inside the buffer
                if (!FillByteSlow())
                    return;
                continue;
            }
            unsigned byte = p[0];
            if (byte == 0xFF) {
                if (p[1] != 0x00)
                    return; // a marker: leave the source positioned at its 0xFF
                p += 1;     // stuffed 0xFF 0x00
            }
            s.readPos = p + 1;
            accumulator = (accumulator << 8) | byte;
            count += 8;
        }
    }

    // n = 1 to 16 bits, oldest bit highest.
    unsigned GetBits(int n)
    {
        if (count < n) {
            Fill();
            if (count < n)
                throw Error();
        }
        count -= n;
        return unsigned(accumulator >> count) & ((1u << n) - 1);
    }

    int PeekFast()
    {
        return int(accumulator >> (count - HuffmanDecoder::kFastBits)) & ((1 << HuffmanDecoder::kFastBits) - 1);
    }

    // One Huffman symbol (T.81 F.2.2.3, DECODE), fast tables first.
    int DecodeSymbol(const HuffmanDecoder& h)
    {
        if (count < HuffmanDecoder::kFastBits) {
            Fill();
            if (count < HuffmanDecoder::kFastBits)
                return DecodeSlow(h, 1);
        }
        unsigned entry = h.fastCode[PeekFast()];
        if (entry) {
            count -= int(entry >> 8);
            return int(entry & 0xFF);
        }
        return DecodeSlow(h, HuffmanDecoder::kFastBits + 1);
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

    // EXTEND of Figure F.12 applied to s (1 to 15) bits.
    int Receive(int s)
    {
        int v = int(GetBits(s));
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }

    // Gives the whole unread bytes back to the source, in the order they
    // were read; the bits of a partly used byte are dropped.
    void ReturnBytes()
    {
        count &= ~7;
        while (count > 0) {
            source->PutBack(static_cast<unsigned char>(accumulator & 0xFF)); // newest first
            accumulator >>= 8;
            count -= 8;
        }
        accumulator = 0;
    }

    std::uint64_t accumulator = 0; // valid bits are the lowest `count`, oldest highest
    int count = 0;
    Source* source = nullptr;
    unsigned char detached = 0;

private:
    // One byte through the source's refilling read; false at a marker.
    bool FillByteSlow()
    {
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
