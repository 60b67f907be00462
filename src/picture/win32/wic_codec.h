// Picture decoding and encoding for the Windows builds,
// through the Windows Imaging Component (present on every Windows since 7,
// so the tool needs no file beside it). This header includes neither
// windows.h nor the core's headers: both sides of the tool can use it.
#pragma once

#include <vector>

#include "picture_source.h"

// Decodes a JPEG or PNG into RGB rows; transparent parts are laid over
// white. The decoded size is checked against kMaxDecodedPixels before any
// pixel buffer is allocated; PictureError names the file on any failure.
RgbImage WicDecode(const PictureFile& file);

// Encodes top-down RGB rows as a JPEG stream whose first row is the
// picture's bottom row (the rows are handed to the encoder bottom first),
// asking for the given quality (1..100) and 4:2:0 sampling. The caller
// checks the result with the marker walk.
std::vector<unsigned char> WicEncodeBottomFirst(const RgbImage& image, int quality);
