// Marker walk: SOI, then segments with 16-bit lengths; after each SOS the
// entropy-coded data runs to the next marker that is not a stuffed 0xFF00
// or a restart marker. Every read is checked against the end of the data.
#include "jpeg_probe.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

unsigned Be16(const unsigned char* p) { return unsigned(p[0]) << 8 | p[1]; }

bool IsFrameMarker(int code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

} // namespace

std::optional<JpegLayout> ProbeJpeg(const unsigned char* data, std::size_t size)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return std::nullopt;
    JpegLayout out;
    std::size_t pos = 2;
    while (pos < size) {
        if (data[pos] != 0xFF)
            return std::nullopt; // segments must follow each other directly
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size)
            return std::nullopt;
        const int code = data[pos++];
        if (code == 0xD9) {
            out.endSeen = true;
            return out;
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue; // marker without a segment
        if (size - pos < 2)
            return std::nullopt;
        const std::size_t len = Be16(data + pos);
        if (len < 2 || len > size - pos)
            return std::nullopt;
        const unsigned char* seg = data + pos + 2;
        const std::size_t segLen = len - 2;
        pos += len;

        if (IsFrameMarker(code)) {
            if (segLen < 6 || out.frameMarker != 0)
                return std::nullopt;
            out.frameMarker = code;
            out.precision = seg[0];
            out.height = int(Be16(seg + 1));
            out.width = int(Be16(seg + 3));
            out.components = seg[5];
            if (segLen < 6 + std::size_t(out.components) * 3)
                return std::nullopt;
            for (int c = 0; c < out.components && c < 4; ++c)
                out.sampling[c] = seg[6 + c * 3 + 1];
        } else if (code == 0xE0) {
            if (segLen >= 14 && std::memcmp(seg, "JFIF\0", 5) == 0)
                out.jfif = true;
        } else if (code == 0xE1) {
            if (segLen >= 6 && std::memcmp(seg, "Exif\0\0", 6) == 0) {
                ExifFields exif = ReadExif(seg, segLen);
                out.orientation = exif.orientation;
                if (!exif.taken.empty())
                    out.taken = std::move(exif.taken);
            }
        } else if (code == 0xDA) {
            if (segLen < 1)
                return std::nullopt;
            if (++out.scans == 1)
                out.firstScanComponents = seg[0];
            // Skip the entropy-coded data up to the next real marker.
            while (pos + 1 < size && !(data[pos] == 0xFF && data[pos + 1] != 0x00 &&
                                       !(data[pos + 1] >= 0xD0 && data[pos + 1] <= 0xD7)))
                ++pos;
            if (pos + 1 >= size)
                return out; // ends inside the entropy data: no EOI
        }
    }
    return out;
}

bool NeedsCoefficientBuffer(const JpegLayout& l)
{
    const bool progressive = l.frameMarker == 0xC2 || l.frameMarker == 0xC6 || l.frameMarker == 0xCA ||
                             l.frameMarker == 0xCE;
    return progressive || l.firstScanComponents < l.components;
}

std::uint64_t CoefficientBufferBytes(const JpegLayout& l)
{
    auto factor = [&](int c, int shift) {
        const int v = c < 4 ? (l.sampling[c] >> shift) & 0x0F : 0;
        return v > 0 ? v : 1;
    };
    int hMax = 1, vMax = 1;
    for (int c = 0; c < l.components && c < 4; ++c) {
        hMax = std::max(hMax, factor(c, 4));
        vMax = std::max(vMax, factor(c, 0));
    }
    auto blocks = [](std::uint64_t size, std::uint64_t f, std::uint64_t fMax) {
        const std::uint64_t n = (size * f + fMax * 8 - 1) / (fMax * 8);
        return (n + f - 1) / f * f; // whole MCUs
    };
    std::uint64_t total = 0;
    for (int c = 0; c < l.components; ++c) {
        const int h = c < 4 ? factor(c, 4) : hMax, v = c < 4 ? factor(c, 0) : vMax;
        total += blocks(std::uint64_t(l.width), h, hMax) * blocks(std::uint64_t(l.height), v, vMax) * 128;
    }
    return total;
}

bool IsSaverReady(const JpegLayout& l)
{
    return l.frameMarker == 0xC0 && l.precision == 8 && l.jfif && l.components == 3 && l.sampling[0] == 0x22 &&
           l.sampling[1] == 0x11 && l.sampling[2] == 0x11 && l.scans == 1 && l.firstScanComponents == 3 &&
           l.endSeen && l.width > 0 && l.height > 0;
}
