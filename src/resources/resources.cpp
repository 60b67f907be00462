// The built-in resources: the string table and the background tile, whose
// bytes (a whole .bmp file) are compiled in from tile.bmp.
#include "resources/resources.h"

namespace res::detail {
extern const unsigned char kTileBmp[];
extern const std::size_t kTileBmpSize;
} // namespace res::detail

namespace res {
namespace {
constexpr std::size_t kFileHeaderSize = 14; // "BM", file size, reserved, offset of the bits
}

const char* LoadString(UINT id)
{
    switch (id) {
    case IDS_SAVER_NAME:
        return MOSVIK_NAME_TEXT;
    case IDS_STOCK_MESSAGE:
        return MOSVIK_STOCK_TEXT;
    default:
        return "";
    }
}

std::vector<BYTE> BuiltinBitmap(UINT id)
{
    if (id != IDB_TILE)
        return {};
    // A packed DIB is the file without its file header: the info header,
    // the colour table and the rows follow one another.
    const unsigned char* file = detail::kTileBmp;
    if (detail::kTileBmpSize <= kFileHeaderSize || file[0] != 'B' || file[1] != 'M')
        return {};
    return std::vector<BYTE>(file + kFileHeaderSize, file + detail::kTileBmpSize);
}
} // namespace res
