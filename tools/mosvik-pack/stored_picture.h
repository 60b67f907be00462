// The picture as the saver stores it: a baseline JFIF stream (8-bit, three
// components sampled 2x2/1x1/1x1, one scan) holding the picture upside
// down, so that its first row is the picture's bottom row, plus the 40-byte
// header that describes the decoded 24-bit picture.
#pragma once

#include <string>
#include <vector>

#include "document/picture.h"
#include "picture_load.h"
#include "framework/types.h"

struct StoredPicture {
    int width = 0;
    int height = 0;
    std::vector<BYTE> stream;
    bool lossless = false;             // the input's own data, flipped without re-encoding
    std::vector<std::string> warnings; // decoder complaints about a slightly damaged input
};

constexpr int kEncodeQuality = 95;

// Makes the stored stream from the input. A baseline 4:2:0 JPEG that needs
// no scaling or turning is flipped in the compressed domain (when its
// height allows a perfect flip); everything else is decoded, turned
// upright, scaled to fit maxSide and encoded with its rows bottom first.
StoredPicture MakeStoredPicture(const PictureFile& input, int maxSide);

// Encodes top-down RGB rows into the stored form (rows given bottom first).
std::vector<BYTE> EncodeBottomFirst(const RgbImage& image);

