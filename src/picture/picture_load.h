// A picture file made ready to show: decoded, turned upright by its EXIF
// orientation, and resampled to the size a saver stores (fitted inside the
// largest side, small pictures enlarged). One set of rules for the pack
// tool and for pictures the saver reads from the disk. Trade-off: every
// picture is resampled once more after libjpeg-turbo's DCT scaling, which
// costs time but gives the same Lanczos result whatever the input size.
// Everything here holds the whole file in memory; the saver reads large
// PNGs by rows instead (picture_prepare.h).
#pragma once

#include <string>
#include <vector>

#include "picture_source.h"
#include "resample.h"

// The largest side a picture gets unless a user asks for another.
constexpr int kDefaultMaxSide = 2048;

// The size a picture `upright` (as seen) is stored at within maxSide.
// PictureError when its aspect is beyond 1:16 or a side would stay below
// 16 pixels: the board could not cut it into pieces one can see.
PictureSize CheckedTargetSize(const PictureFile& file, PictureSize upright, int maxSide);
PictureSize CheckedTargetSize(const std::string& name, PictureSize upright, int maxSide);

// The picture upright at CheckedTargetSize, top row first. PictureError for
// a damaged file, or one that would need too much memory. Warnings about
// harmless damage are appended to `warnings`.
RgbImage LoadPicture(const PictureFile& file, int maxSide, std::vector<std::string>& warnings);

// The same with the date the picture was taken, refused with PictureError
// when the decode would need more memory than `limits` allow.
LoadedPicture LoadPicture(const PictureFile& file, int maxSide, const DecodeLimits& limits,
                          std::vector<std::string>& warnings);
