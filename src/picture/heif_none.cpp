// Builds without libheif: HEIC and AVIF files are named and skipped.
#include "webp_heif.h"

LoadedPicture LoadHeif(const PictureFile& file, int, const DecodeLimits&)
{
    throw PictureError(file.name + ": HEIC and AVIF pictures are not read by this build (no libheif)");
}
