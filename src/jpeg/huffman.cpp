// Reading DHT tables and building their decoding form (T.81 Annex C and
// F.2.2.3): value offsets, maximum codes, the 8-bit lookahead and the fast
// table. Built once per scan for the table numbers the scan uses; trades
// about 9 KiB per decoding form for one-step decoding of short codes.
#include "jpeg/huffman.h"

#include <cstring>

#include "jpeg/source.h"

namespace Velt {

std::unique_ptr<HuffmanTable> HuffmanTable::Read(Source& source, int& tableClass, int& slot)
{
    auto table = std::make_unique<HuffmanTable>();
    unsigned char tcTh = source.ReadByte();
    tableClass = (tcTh >> 4) & 1; // the other bits of the high nibble are ignored
    slot = tcTh & 0x0F;
    int total = 0;
    for (int l = 1; l <= 16; ++l) {
        table->counts[l] = source.ReadByte();
        total += table->counts[l];
    }
    if (total > 255)
        throw Error();
    for (int i = 0; i < total; ++i)
        table->values[i] = source.ReadByte();
    table->size = 17 + total;
    return table;
}

HuffmanDecoder::HuffmanDecoder(const HuffmanTable& table)
{
    std::memcpy(values, table.values, sizeof values);
    std::memset(lookLength, 0, sizeof lookLength);
    std::memset(lookSymbol, 0, sizeof lookSymbol);
    std::memset(fast, 0, sizeof fast);

    // Codes in order (Figures C.1, C.2): consecutive within a length, doubled
    // when the length grows.
    std::int32_t code = 0;
    int k = 0; // codes of lengths below l
    for (int l = 1; l <= 16; ++l) {
        int n = table.counts[l];
        if (n == 0) {
            maxCode[l] = -1;
            valueOffset[l] = 0;
        } else {
            valueOffset[l] = code - k;
            for (int i = 0; i < n; ++i, ++code, ++k) {
                // A table that claims more codes than its length allows has
                // "codes" that no l-bit prefix can match: leave them out.
                if (code >= (std::int32_t(1) << l) || l > kFastBits)
                    continue;
                std::uint8_t symbol = values[k];
                if (l <= 8) {
                    int first = code << (8 - l);
                    for (int j = 0; j < (1 << (8 - l)); ++j) {
                        lookSymbol[first + j] = symbol;
                        lookLength[first + j] = std::uint8_t(l);
                    }
                }
                const int shift = kFastBits - l;
                const int s = symbol & 0x0F;
                const std::uint64_t entry = std::uint64_t(l + s) | std::uint64_t(symbol) << 8 |
                                            std::uint64_t(l) << 16 |
                                            std::uint64_t((l << 4 | s) * kHeldStates) << 50;
                for (int j = 0; j < (1 << shift); ++j) {
                    std::uint64_t e = entry;
                    if (l + s <= kFastBits) {
                        int value = (j >> (shift - s)) & ((1 << s) - 1);
                        if (s > 0 && value < (1 << (s - 1)))
                            value = value - (1 << s) + 1;
                        e |= kWhole | (s > 0 ? kValue : 0) | std::uint64_t(std::uint16_t(value)) << 32;
                    }
                    fast[(code << shift) + j] = e;
                }
            }
            maxCode[l] = code - 1;
        }
        code <<= 1;
    }
    maxCode[17] = 0x7FFFFFFF;
}

} // namespace Velt
