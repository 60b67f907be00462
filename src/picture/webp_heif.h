// The formats beyond JPEG and PNG on Linux: WebP through libwebp and HEIC
// and AVIF through libheif, each decoded straight to the upright picture at
// the size a saver stores (the rules of picture_load.h). WebP is turned by
// the orientation of its EXIF chunk; libheif turns HEIF pictures itself by
// their own transform boxes, and their EXIF orientation, which only
// repeats those, is not applied again.
// Trade-off: a WebP larger than its target is scaled by libwebp's own
// filter while it decodes (a few rows in memory instead of the whole
// picture), so it is softer than the Lanczos filter would make it; a HEIF
// picture is decoded whole (libheif has no smaller scale), which the memory
// limit bounds. Animated WebPs are refused.
#pragma once

#include "picture_source.h"

LoadedPicture LoadWebp(const PictureFile& file, int maxSide, const DecodeLimits& limits);
LoadedPicture LoadHeif(const PictureFile& file, int maxSide, const DecodeLimits& limits);
