// The format is told by the file's first bytes; PNGs stream, the others are
// read whole within kMaxWholeFileBytes and handed to LoadPicture.
#include "picture_prepare.h"

#include <algorithm>

#include "picture_load.h"

namespace {
constexpr std::size_t kHeadBytes = 64; // enough for every format's signature and a HEIF brand list
} // namespace

LoadedPicture PreparePicture(CPictureInput& input, int maxSide, const DecodeLimits& limits,
                             std::vector<std::string>& warnings)
{
    const std::vector<unsigned char> head = input.Head(kHeadBytes);
    const PictureFormat format = DetectFormat(head.data(), head.size(), input.Name());
#ifndef _WIN32
    if (format == PictureFormat::png)
        return StreamPng(input, maxSide, limits);
#endif
    CheckStop(limits);
    PictureFile file;
    file.name = input.Name();
    file.format = format;
    file.bytes = input.ReadAll(std::min(kMaxWholeFileBytes, limits.memoryBytes));
    return LoadPicture(file, maxSide, limits, warnings);
}
