// A walk over a JPEG stream's markers: frame type and geometry, sampling,
// the number of scans, the JFIF segment and the EXIF orientation. It tells
// how much memory a decode needs, and the pack tool uses it to decide
// whether an input can be flipped without loss and to check that what it
// stores is the kind of stream the saver decodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "exif.h"

struct JpegLayout {
    int frameMarker = 0; // 0xC0 for baseline, 0xC2 progressive, ...
    int precision = 0;
    int width = 0;
    int height = 0;
    int components = 0;
    int sampling[4] = {}; // H << 4 | V per component (first four)
    int scans = 0;
    int firstScanComponents = 0;
    bool jfif = false;
    bool endSeen = false; // EOI reached
    int orientation = 1;  // EXIF orientation, 1 = as stored
    std::string taken;    // EXIF DateTimeOriginal, "YYYY:MM:DD HH:MM:SS" or empty
};

// Nothing when the stream does not start with SOI or a segment runs past
// the end of the data. Entropy-coded data is skipped, not decoded.
std::optional<JpegLayout> ProbeJpeg(const unsigned char* data, std::size_t size);

// The stream the saver wants: baseline, 8-bit, JFIF, three components
// sampled 2x2/1x1/1x1, one scan holding all three, complete.
bool IsSaverReady(const JpegLayout& layout);

// True when a libjpeg decoder must keep the whole frame's coefficients:
// the stream is progressive or its first scan does not hold every
// component (every scan is then needed before a row can be output).
bool NeedsCoefficientBuffer(const JpegLayout& layout);

// Bytes of the whole-frame coefficient buffers (128 per 8x8 block of every
// component), as decoding such a stream or any lossless transform needs
// them. Components past the fourth count at full size.
std::uint64_t CoefficientBufferBytes(const JpegLayout& layout);
