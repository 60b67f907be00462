// A picture from a folder made ready for the show within a memory budget,
// from a file opened the careful way (picture_input.h). PNGs are read row
// by row into the resampler, so neither the file nor the decoded picture is
// ever held whole (an interlaced PNG, whose rows come in seven passes, is
// decoded whole if the budget allows). JPEG, WebP and HEIF files are read
// whole and decoded as picture_load.h does (JPEG at libjpeg-turbo's
// smallest DCT scale that covers the target), after the memory they need is
// estimated from their headers and checked against the budget.
// Trade-off: the estimate refuses some pictures that would fit in practice
// (a progressive JPEG of about 35 megapixels and more, a HEIF picture of
// about 28), so that none that is accepted can take much more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_input.h"
#include "picture_source.h"

// The memory a picture's preparation may take, and the largest file read
// whole for it.
constexpr std::uint64_t kPrepareMemoryBytes = std::uint64_t(128) << 20;
constexpr std::uint64_t kMaxWholeFileBytes = std::uint64_t(64) << 20;

// The picture upright at CheckedTargetSize within maxSide, with its date.
// PictureError names the file for anything that cannot be read or shown,
// PictureStopped when the limits' stop flag was set meanwhile.
LoadedPicture PreparePicture(CPictureInput& input, int maxSide, const DecodeLimits& limits,
                             std::vector<std::string>& warnings);

#ifndef _WIN32
// A PNG read by rows (the part of PreparePicture for PNG).
LoadedPicture StreamPng(CPictureInput& input, int maxSide, const DecodeLimits& limits);
#endif
