// Huffman tables as read from DHT segments and their decoding form with an
// 8-bit lookahead (T.81 Annex C, Figures C.1, C.2 and F.15). The decoding
// form also carries a wider fast table that resolves a code of up to
// kFastBits bits and tells how many bits it takes together with its
// appended value bits. It returns exactly what the lookahead and the slow
// procedure would (the shortest matching code); it only gets there in one
// step.
#pragma once

#include <cstdint>
#include <memory>

namespace Velt {

class Source;

// One table of a DHT segment (BITS and HUFFVAL of T.81 B.2.4.2).
struct HuffmanTable {
    std::int32_t counts[17] = {}; // counts[l]: codes of length l, l = 1 to 16
    std::uint8_t values[256] = {};
    int size = 0;                 // 17 + number of codes: the bytes it took in the segment

    // Reads one table; tableClass 0 = DC, 1 = AC; slot is the low nibble.
    static std::unique_ptr<HuffmanTable> Read(Source& source, int& tableClass, int& slot);
};

class HuffmanDecoder {
public:
    static constexpr int kFastBits = 10;

    explicit HuffmanDecoder(const HuffmanTable& table);

    std::uint8_t values[256];
    std::int32_t valueOffset[17]; // symbol of code C of length l: values[C - valueOffset[l]]
    std::int32_t maxCode[18];     // -1 when no code has length l; [17] is the sentinel
    std::uint8_t lookSymbol[256]; // 8-bit lookahead; length 0 = no whole code of <= 8 bits
    std::uint8_t lookLength[256];

    // The reference reader holds 0 to 32 bits (BitReader::Fill).
    static constexpr int kHeldStates = 33;

    // Indexed by the next kFastBits bits; 0 when no code of at most
    // kFastBits bits matches, else
    //   bits 0-5    length + s: the code and its value bits (s is the
    //               symbol's low nibble),
    //   bit 6       kWhole: length + s <= kFastBits, the value is included,
    //   bit 7       kValue: kWhole and s > 0,
    //   bits 8-15   the symbol,
    //   bits 16-19  the length of the code,
    //   bits 32-47  the value bits extended (T.81 F.12) when kWhole, else 0,
    //   bits 50-63  (length << 4 | s) * kHeldStates: the row of the block
    //               decoder's table of held bits after such a symbol.
    static constexpr std::uint64_t kWhole = 1 << 6, kValue = 1 << 7;
    std::uint64_t fast[1 << kFastBits];
};

} // namespace Velt
