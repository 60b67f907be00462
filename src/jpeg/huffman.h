// Huffman tables as read from DHT segments and their decoding form with an
// 8-bit lookahead (T.81 Annex C, Figures C.1, C.2 and F.15). The decoding
// form also carries two wider fast tables: one that resolves a code of up to
// kFastBits bits, one that resolves a code together with its appended value
// bits. They return exactly what the lookahead and the slow procedure would
// (the shortest matching code); they only get there in one step.
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

    // Indexed by the next kFastBits bits.
    // fastCode: symbol | length << 8, 0 when no code of <= kFastBits bits matches.
    std::uint16_t fastCode[1 << kFastBits];
    // fastValue: value << 16 | s << 12 | r << 8 | code length, where the
    // symbol is r << 4 | s and value is its s appended bits extended (T.81
    // F.12); 0 when code and value bits together exceed kFastBits.
    std::int32_t fastValue[1 << kFastBits];
};

} // namespace Velt
