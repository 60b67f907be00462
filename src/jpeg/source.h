// The decoder library's frame: its error type, the byte source every stage
// reads through, the reader interface and the entry points. Internal stages
// include this; callers include velt.h.
#pragma once

#include <exception>

namespace Velt {

// The library's only exception type; every failure throws a fresh one.
class Error : public std::exception {
public:
    const char* what() const noexcept override;
};

// Abstract byte source with its own read-ahead buffer. A concrete source
// supplies only Read; the decoder stages share the helpers below and hand
// bytes back with PutBack when they read a marker too far.
class Source {
public:
    static constexpr int kBufferSize = 1024;
    static constexpr int kPutBackRoom = 4;

    Source();
    virtual ~Source();
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    // Copies up to maxCount bytes into dst; returns the count, 0 or less at the end.
    virtual int Read(unsigned char* dst, int maxCount) = 0;

    unsigned char ReadByte()
    {
        if (readPos == dataEnd && Refill() < 1)
            throw Error();
        return *readPos++;
    }
    unsigned ReadWord();                 // two bytes, first byte high
    void PutBack(unsigned char byte);    // throws when there is no room
    unsigned char NextMarker();          // skips to the next marker code (T.81 B.1.1.2)
    void SkipSegment();                  // skips a segment by its 16-bit length
    int Refill();                        // only called when every byte is consumed

    unsigned char* buffer;      // kBufferSize bytes, owned
    unsigned char* readPos;
    unsigned char* dataEnd;     // one past the last valid byte
    unsigned char* bufferEnd;   // buffer + kBufferSize
    unsigned char* refillStart; // buffer + kPutBackRoom
};

// Abstract picture reader: one row per call, top row first.
class Reader {
public:
    virtual ~Reader();
    virtual const unsigned char* NextRow() = 0;
};

class Decoder;

// Reads every header segment from source and prepares decoding. The six
// outputs are optional (null = not wanted). Returns null only when the
// decoder object itself cannot be allocated; a bad stream throws Error. The
// source must outlive the decoder.
Decoder* CreateDecoder(Source* source, int* width, int* height, unsigned char* isColour,
                       int* densityUnits, unsigned short* xDensity, unsigned short* yDensity);

// Deletes the decoder (null allowed); returns its unread bytes to the source.
void DestroyDecoder(Decoder* decoder);

} // namespace Velt

