// The byte source shared by every decoder stage: a 1024-byte read-ahead
// buffer with 4 bytes of put-back room in front of every refill, and the
// marker helpers of T.81 Annex B. Trades a copy per byte block for a tiny
// interface (a concrete source implements only Read).
#include "jpeg/source.h"

namespace Velt {

const char* Error::what() const noexcept { return "Jpeg error"; }

Reader::~Reader() = default;

Source::Source()
    : buffer(new unsigned char[kBufferSize]),
      readPos(buffer),
      dataEnd(buffer),
      bufferEnd(buffer + kBufferSize),
      refillStart(buffer + kPutBackRoom)
{
}

Source::~Source() { delete[] buffer; }

int Source::Refill()
{
    // The very first fill starts at the buffer's beginning; later ones leave
    // the put-back room in front.
    unsigned char* fillPoint = dataEnd < refillStart ? dataEnd : refillStart;
    readPos = fillPoint;
    int count = Read(fillPoint, int(bufferEnd - fillPoint));
    if (count < 0)
        count = 0;
    if (count > bufferEnd - fillPoint) // a source that claims more than it was given room for
        count = int(bufferEnd - fillPoint);
    dataEnd = fillPoint + count;
    return count;
}

unsigned Source::ReadWord()
{
    unsigned high = ReadByte();
    return (high << 8) | ReadByte();
}

void Source::PutBack(unsigned char byte)
{
    if (readPos == buffer)
        throw Error();
    *--readPos = byte;
}

unsigned char Source::NextMarker()
{
    for (;;) {
        while (ReadByte() != 0xFF) {
        }
        unsigned char code;
        do {
            code = ReadByte();
        } while (code == 0xFF); // fill bytes (T.81 B.1.1.2)
        if (code != 0x00)       // 0xFF 0x00 is a stuffed data byte
            return code;
    }
}

void Source::SkipSegment()
{
    auto remaining = static_cast<unsigned short>(ReadWord() - 2u);
    while (remaining != 0) {
        if (readPos == dataEnd && Refill() < 1)
            throw Error();
        auto available = static_cast<unsigned>(dataEnd - readPos);
        unsigned step = remaining < available ? remaining : available;
        readPos += step;
        remaining = static_cast<unsigned short>(remaining - step);
    }
}

} // namespace Velt
