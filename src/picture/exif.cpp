// IFD entries are 12 bytes: tag, type, count, then the value itself when
// it fits in 4 bytes or else its offset from the TIFF header.
#include "exif.h"

#include <cstring>

namespace {

constexpr unsigned kTagOrientation = 0x0112;
constexpr unsigned kTagExifIfd = 0x8769;
constexpr unsigned kTagDateTimeOriginal = 0x9003;
constexpr unsigned kTypeAscii = 2, kTypeShort = 3, kTypeLong = 4;
constexpr std::size_t kDateLength = 19; // "YYYY:MM:DD HH:MM:SS"

class CTiff {
public:
    CTiff(const unsigned char* data, std::size_t size) : m_p(data), m_n(size) {}
    bool Open()
    {
        if (m_n < 8)
            return false;
        if (m_p[0] == 'I' && m_p[1] == 'I')
            m_little = true;
        else if (!(m_p[0] == 'M' && m_p[1] == 'M'))
            return false;
        return U16(2) == 42;
    }
    unsigned U16(std::size_t at) const
    {
        return m_little ? unsigned(m_p[at]) | unsigned(m_p[at + 1]) << 8 : unsigned(m_p[at]) << 8 | m_p[at + 1];
    }
    std::size_t U32(std::size_t at) const
    {
        return m_little ? std::size_t(U16(at)) | std::size_t(U16(at + 2)) << 16
                        : std::size_t(U16(at)) << 16 | std::size_t(U16(at + 2));
    }
    // Calls f(entryOffset, tag, type) for each whole entry of the IFD at `ifd`.
    template <class F>
    void Walk(std::size_t ifd, F&& f) const
    {
        if (ifd > m_n || m_n - ifd < 2)
            return;
        const unsigned entries = U16(ifd);
        for (unsigned i = 0; i < entries; ++i) {
            const std::size_t at = ifd + 2 + std::size_t(i) * 12;
            if (at + 12 > m_n)
                return;
            f(at, U16(at), U16(at + 2));
        }
    }
    // An ASCII value of exactly kDateLength characters and its NUL.
    std::string Date(std::size_t at) const
    {
        if (U32(at + 4) != kDateLength + 1)
            return {};
        const std::size_t off = U32(at + 8);
        if (off > m_n || m_n - off < kDateLength)
            return {};
        std::string s(reinterpret_cast<const char*>(m_p + off), kDateLength);
        for (std::size_t i = 0; i < kDateLength; ++i) {
            const char c = s[i];
            const bool digit = c >= '0' && c <= '9';
            if ((i == 4 || i == 7) ? c != ':' : i == 10 ? c != ' ' : (i == 13 || i == 16) ? c != ':' : !digit)
                return {};
        }
        return s;
    }

private:
    const unsigned char* m_p;
    std::size_t m_n;
    bool m_little = false;
};

} // namespace

ExifFields ReadExif(const unsigned char* data, std::size_t size)
{
    ExifFields out;
    if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
        data += 6;
        size -= 6;
    }
    CTiff tiff(data, size);
    if (!tiff.Open())
        return out;
    bool orientationSeen = false;
    std::size_t exifIfd = 0;
    tiff.Walk(tiff.U32(4), [&](std::size_t at, unsigned tag, unsigned type) {
        if (tag == kTagOrientation && type == kTypeShort && !orientationSeen) {
            orientationSeen = true;
            const unsigned v = tiff.U16(at + 8);
            out.orientation = v >= 1 && v <= 8 ? int(v) : 1;
        } else if (tag == kTagExifIfd && type == kTypeLong) {
            exifIfd = tiff.U32(at + 8);
        }
    });
    if (exifIfd != 0)
        tiff.Walk(exifIfd, [&](std::size_t at, unsigned tag, unsigned type) {
            if (tag == kTagDateTimeOriginal && type == kTypeAscii && out.taken.empty())
                out.taken = tiff.Date(at);
        });
    return out;
}

int ExifOrientation(const unsigned char* data, std::size_t size)
{
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    return ReadExif(data, size).orientation;
}

ExifFields PngExif(const unsigned char* png, std::size_t size)
{
    auto be32 = [&](std::size_t at) {
        return std::size_t(png[at]) << 24 | std::size_t(png[at + 1]) << 16 | std::size_t(png[at + 2]) << 8 | png[at + 3];
    };
    // Signature, then chunks of length, type, data and CRC.
    for (std::size_t at = 8; at <= size && size - at >= 12;) {
        const std::size_t length = be32(at);
        if (length > size - at - 12)
            break;
        const unsigned char* type = png + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0)
            break;
        if (std::memcmp(type, "eXIf", 4) == 0)
            return ReadExif(png + at + 8, length);
        at += 12 + length;
    }
    return {};
}
