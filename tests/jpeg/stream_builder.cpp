// Hand-built JPEG streams for the decoder tests (see stream_builder.h).
#include "stream_builder.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace jt {

const std::uint8_t kZigzagOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

HuffCodes SimpleDc()
{
    HuffCodes s;
    s.counts[4] = 12;
    for (int i = 0; i < 12; ++i)
        s.values.push_back(std::uint8_t(i));
    return s;
}

HuffCodes SimpleAc()
{
    HuffCodes s;
    s.values.push_back(0x00);
    s.values.push_back(0xF0);
    for (int r = 0; r < 16; ++r)
        for (int z = 1; z <= 10; ++z)
            s.values.push_back(std::uint8_t(r << 4 | z));
    s.counts[8] = int(s.values.size());
    return s;
}

Writer& Writer::Raw(std::initializer_list<int> list)
{
    for (int b : list)
        bytes.push_back(std::uint8_t(b));
    return *this;
}

Writer& Writer::Word(int v) { return Raw({(v >> 8) & 0xFF, v & 0xFF}); }

Writer& Writer::Segment(int marker, const Bytes& body)
{
    Raw({0xFF, marker});
    Word(int(body.size()) + 2);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return *this;
}

Writer& Writer::Jfif(int major, int units, int xd, int yd)
{
    return Segment(0xE0, {'J', 'F', 'I', 'F', 0, std::uint8_t(major), 1, std::uint8_t(units),
                          std::uint8_t(xd >> 8), std::uint8_t(xd), std::uint8_t(yd >> 8), std::uint8_t(yd), 0, 0});
}

Writer& Writer::Adobe(int transform)
{
    return Segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, std::uint8_t(transform)});
}

Writer& Writer::Dqt(int slot, int value, int precision)
{
    std::uint16_t table[64];
    for (auto& t : table)
        t = std::uint16_t(value);
    return Dqt(slot, table, precision);
}

Writer& Writer::Dqt(int slot, const std::uint16_t natural[64], int precision)
{
    Bytes body{std::uint8_t((precision == 16 ? 0x10 : 0) | slot)};
    for (int k = 0; k < 64; ++k) {
        int v = natural[kZigzagOrder[k]];
        if (precision == 16)
            body.push_back(std::uint8_t(v >> 8));
        body.push_back(std::uint8_t(v));
    }
    return Segment(0xDB, body);
}

Writer& Writer::Sof(int marker, int width, int height, const std::vector<Frame>& comps, int precision)
{
    Bytes body{std::uint8_t(precision), std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8),
               std::uint8_t(width), std::uint8_t(comps.size())};
    for (const Frame& c : comps) {
        body.push_back(std::uint8_t(c.id));
        body.push_back(std::uint8_t(c.h << 4 | c.v));
        body.push_back(std::uint8_t(c.tq));
    }
    return Segment(marker, body);
}

Writer& Writer::Dht(int tcTh, const HuffCodes& codes)
{
    Bytes body{std::uint8_t(tcTh)};
    for (int l = 1; l <= 16; ++l)
        body.push_back(std::uint8_t(codes.counts[l]));
    body.insert(body.end(), codes.values.begin(), codes.values.end());
    return Segment(0xC4, body);
}

Writer& Writer::Dri(int interval) { return Segment(0xDD, {std::uint8_t(interval >> 8), std::uint8_t(interval)}); }

Writer& Writer::Sos(const std::vector<std::pair<int, int>>& comps)
{
    Bytes body{std::uint8_t(comps.size())};
    for (auto [id, tables] : comps) {
        body.push_back(std::uint8_t(id));
        body.push_back(std::uint8_t(tables));
    }
    body.push_back(0);
    body.push_back(63);
    body.push_back(0);
    return Segment(0xDA, body);
}

Writer& Writer::Data(const Bytes& entropy)
{
    bytes.insert(bytes.end(), entropy.begin(), entropy.end());
    return *this;
}

Writer Writer::Standard(int width, int height, const std::vector<Frame>& comps, int q)
{
    Writer w;
    w.Soi().Jfif().Dqt(0, q).Sof(0xC0, width, height, comps).Dht(0x00, SimpleDc()).Dht(0x10, SimpleAc());
    return w;
}

void BitWriter::Put(std::uint32_t bits, int n)
{
    for (int i = n - 1; i >= 0; --i) {
        acc_ = (acc_ << 1) | ((bits >> i) & 1);
        if (++count_ == 8) {
            bytes.push_back(std::uint8_t(acc_));
            if (std::uint8_t(acc_) == 0xFF)
                bytes.push_back(0x00);
            acc_ = 0;
            count_ = 0;
        }
    }
}

void BitWriter::Flush()
{
    while (count_ != 0)
        Put(1, 1);
}

void BitWriter::Marker(int code)
{
    Flush();
    bytes.push_back(0xFF);
    bytes.push_back(std::uint8_t(code));
}

HuffEncoder::HuffEncoder(const HuffCodes& codes)
{
    std::uint32_t code = 0;
    std::size_t k = 0;
    for (int l = 1; l <= 16; ++l) {
        for (int i = 0; i < codes.counts[l]; ++i, ++code, ++k)
            codes_[codes.values.at(k)] = {code, l};
        code <<= 1;
    }
}

void HuffEncoder::Encode(BitWriter& w, int symbol) const
{
    auto it = codes_.find(symbol);
    if (it == codes_.end())
        throw std::runtime_error("symbol without a code");
    w.Put(it->second.first, it->second.second);
}

namespace {
int Category(int v)
{
    int a = v < 0 ? -v : v, s = 0;
    while (a) {
        ++s;
        a >>= 1;
    }
    return s;
}
std::uint32_t ValueBits(int v, int s) { return std::uint32_t(v < 0 ? v + (1 << s) - 1 : v); }
} // namespace

void EncodeBlock(BitWriter& w, const HuffEncoder& dc, const HuffEncoder& ac, int& predictor,
                 const std::int16_t natural[64])
{
    int diff = natural[0] - predictor;
    predictor = natural[0];
    int s = Category(diff);
    dc.Encode(w, s);
    if (s)
        w.Put(ValueBits(diff, s), s);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        int v = natural[kZigzagOrder[k]];
        if (v == 0) {
            ++run;
            continue;
        }
        while (run > 15) {
            ac.Encode(w, 0xF0);
            run -= 16;
        }
        s = Category(v);
        ac.Encode(w, run << 4 | s);
        w.Put(ValueBits(v, s), s);
        run = 0;
    }
    if (run)
        ac.Encode(w, 0x00);
}

Decoded DecodeAll(const Bytes& stream, const Velt::Path* path)
{
    VectorSource source(stream);
    Decoded d;
    std::unique_ptr<Velt::Decoder, void (*)(Velt::Decoder*)> decoder(
        Velt::CreateDecoder(&source, &d.width, &d.height, &d.colour, nullptr, nullptr, nullptr),
        Velt::DestroyDecoder);
    if (path)
        decoder->UsePath(*path);
    std::size_t rowBytes = std::size_t(d.width) * (d.colour ? 3 : 1);
    for (int y = 0; y < d.height; ++y) {
        const unsigned char* row = decoder->NextRow();
        d.pixels.insert(d.pixels.end(), row, row + rowBytes);
    }
    return d;
}

std::vector<Velt::Path> AvailablePaths()
{
    std::vector<Velt::Path> paths;
    for (Velt::Path p : {Velt::Path::Plain, Velt::Path::Sse2, Velt::Path::Avx2})
        if (Velt::KernelsFor(p))
            paths.push_back(p);
    return paths;
}

bool Refused(const Bytes& stream)
{
    VectorSource source(stream);
    try {
        Velt::DestroyDecoder(Velt::CreateDecoder(&source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    } catch (const Velt::Error&) {
        return true;
    }
    return false;
}

} // namespace jt
