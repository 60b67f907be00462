// The block decoder's tables and its out-of-line paths (the fast step is
// inline in block.h): the held-bits table, read-ahead byte by byte, one
// symbol through the reader, and DecodeBlock for a single block.
#include "jpeg/block.h"

namespace Velt {

namespace {

// The reference reader's fill point BitReader::Need(n) for a reader holding
// h bits: below n it takes whole bytes until it holds 25 to 32.
constexpr int Need(int h, int n) { return h < n ? h + ((32 - h) & ~7) : h; }

// The reference decoding of one symbol (BitReader::DecodeSymbol, Receive)
// as seen by the counts of held and consumed bits: each fill point that
// fills needs the window to hold what the reader then holds, beyond what
// the symbol has taken so far.
constexpr HeldTable MakeHeldTable()
{
    HeldTable t{};
    for (int length = 1; length <= 16; ++length)
        for (int s = 0; s < 16; ++s)
            for (int h0 = 0; h0 < HuffmanDecoder::kHeldStates; ++h0) {
                int h = h0, taken = 0, need = length + s;
                auto point = [&](int n, int bits) {
                    h = Need(h, n);
                    need = need > taken + h ? need : taken + h;
                    h -= bits;
                    taken += bits;
                };
                point(8, length <= 8 ? length : 0);
                if (length > 8) {
                    point(9, 9);
                    for (int l = 9; l < length; ++l)
                        point(1, 1);
                }
                if (s)
                    point(s, s);
                const int at = (length << 4 | s) * HuffmanDecoder::kHeldStates + h0;
                t.after[at] = std::uint8_t(h);
                t.need[at] = std::uint8_t(need);
            }
    return t;
}

} // namespace

constinit const HeldTable kHeld = MakeHeldTable();

// A stuffed 0xFF 0x00 gives 0xFF; stops before a marker and where fewer than
// two bytes are left (0xFF could not be told from a marker), never refills
// the source. Then sets the limit for the next whole-word refills: the next
// 0xFF, or eight bytes before the end.
void PrefetchBytes(BitReader& r)
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

int SymbolThroughReader(BitReader& r, const HuffmanDecoder& h, int& value)
{
    const int symbol = r.DecodeSymbol(h);
    const int s = symbol & 15;
    value = s ? r.Receive(s) : 0;
    return symbol;
}

void DecodeBlock(std::int16_t* cells, BitReader& bits, std::int16_t& predictor, const HuffmanDecoder& dc,
                 const HuffmanDecoder& ac)
{
    Window w(bits);
    w.Decode(cells, predictor, dc, ac);
    w.Save();
}

} // namespace Velt
