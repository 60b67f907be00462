// What a saver carries, read back field by field exactly as the saver reads
// it (through the same archive and user record), without decoding the
// picture: for `mosvik-pack --info`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "document/message_style.h"
#include "jpeg_probe.h"
#include "framework/cstring.h"
#include "framework/types.h"

struct SaverInfo {
    CString source;
    CString title;
    DWORD pieces = 0;
    MessageStyle message;
    BITMAPINFOHEADER bih{};
    std::uint32_t streamBytes = 0;
    std::vector<BYTE> streamData;     // the stored JPEG stream
    std::uint64_t trailingBytes = 0;  // after the stream (ignored by the saver)
    std::optional<JpegLayout> stream; // the marker walk over the stored stream
};

// PackError when the file cannot be read, carries no document, or the
// document is damaged (ends early, or its picture header is unusable).
SaverInfo ReadSaverInfo(const std::filesystem::path& saver);

void PrintSaverInfo(std::ostream& out, const SaverInfo& info);
