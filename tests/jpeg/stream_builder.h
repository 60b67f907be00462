// Hand-built JPEG streams for the decoder tests: segment writers, a
// Huffman bit writer with byte stuffing and a block encoder, plus small
// helpers to decode a byte vector with Velt.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "jpeg/velt.h"

namespace jt {

using Bytes = std::vector<std::uint8_t>;

// Source over a byte vector that hands out at most `chunk` bytes per Read.
class VectorSource : public Velt::Source {
public:
    explicit VectorSource(Bytes data, int chunk = 1 << 30) : data_(std::move(data)), chunk_(chunk) {}
    int Read(unsigned char* dst, int maxCount) override
    {
        ++reads;
        lastMax = maxCount;
        int n = int(std::min<std::size_t>({std::size_t(maxCount), std::size_t(chunk_), data_.size() - pos_}));
        for (int i = 0; i < n; ++i)
            dst[i] = data_[pos_ + std::size_t(i)];
        pos_ += std::size_t(n);
        return n;
    }
    std::size_t Consumed() const { return pos_; }
    int reads = 0;
    int lastMax = 0;

private:
    Bytes data_;
    int chunk_;
    std::size_t pos_ = 0;
};

struct Frame {
    int id, h, v, tq;
};

struct HuffCodes {
    int counts[17] = {};
    std::vector<std::uint8_t> values;
};

// DC: categories 0..11 as 4-bit codes. AC: EOB, ZRL and every r/s with
// s = 1..10 as 8-bit codes. Both complete enough for any block.
HuffCodes SimpleDc();
HuffCodes SimpleAc();

class Writer {
public:
    Bytes bytes;

    Writer& Raw(std::initializer_list<int> list);
    Writer& Word(int v);
    Writer& Soi() { return Raw({0xFF, 0xD8}); }
    Writer& Eoi() { return Raw({0xFF, 0xD9}); }
    Writer& Segment(int marker, const Bytes& body); // length = body + 2
    Writer& Jfif(int major = 1, int units = 1, int xd = 72, int yd = 72);
    Writer& Adobe(int transform);
    Writer& Dqt(int slot, int value, int precision = 8); // every entry `value`
    Writer& Dqt(int slot, const std::uint16_t natural[64], int precision = 8);
    Writer& Sof(int marker, int width, int height, const std::vector<Frame>& comps, int precision = 8);
    Writer& Dht(int tcTh, const HuffCodes& codes);
    Writer& Dri(int interval);
    // Scan header: pairs of (component id, Td << 4 | Ta).
    Writer& Sos(const std::vector<std::pair<int, int>>& comps);
    Writer& Data(const Bytes& entropy);

    // The common prefix: SOI, JFIF, DQT 0 (all `q`), SOF0, simple DHT tables 0.
    static Writer Standard(int width, int height, const std::vector<Frame>& comps, int q = 1);
};

class BitWriter {
public:
    void Put(std::uint32_t bits, int n);
    void Flush(); // pad with 1 bits
    void Marker(int code); // flushes, then writes 0xFF code
    Bytes bytes;

private:
    std::uint32_t acc_ = 0;
    int count_ = 0;
};

class HuffEncoder {
public:
    explicit HuffEncoder(const HuffCodes& codes);
    void Encode(BitWriter& w, int symbol) const;

private:
    std::map<int, std::pair<std::uint32_t, int>> codes_;
};

// Encodes one block of quantised coefficients given in natural order.
void EncodeBlock(BitWriter& w, const HuffEncoder& dc, const HuffEncoder& ac, int& predictor,
                 const std::int16_t natural[64]);

// Decodes a whole stream, with the given kernel version or the fastest;
// rows concatenated (width * components bytes each).
struct Decoded {
    int width = 0, height = 0;
    unsigned char colour = 0;
    Bytes pixels;
};
Decoded DecodeAll(const Bytes& stream, const Velt::Path* path = nullptr);
// The kernel versions this build and processor run.
std::vector<Velt::Path> AvailablePaths();
bool Refused(const Bytes& stream); // CreateDecoder throws Velt::Error

extern const std::uint8_t kZigzagOrder[64];

} // namespace jt
