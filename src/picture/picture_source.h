// A picture file from the disk: its bytes with their format (told by the
// leading bytes, not the name), and the decoders that turn a JPEG or PNG
// into plain RGB rows. Decoding is done by libjpeg-turbo and libpng;
// nothing here knows about the saver's own decoder. Shared by mosvik-pack
// and the POSIX saver's pictures from disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "jpeg_probe.h"

// A picture that cannot be read, decoded or used; what() is one line that
// names the file.
class PictureError : public std::runtime_error {
public:
    explicit PictureError(const std::string& what) : std::runtime_error(what) {}
};

enum class PictureFormat { jpeg, png };

struct PictureFile {
    std::string name; // file name without directories (stored in the document)
    PictureFormat format = PictureFormat::jpeg;
    std::vector<unsigned char> bytes;
};

// RGB rows, top row first, 3 * width bytes per row, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    RgbImage() = default;
    RgbImage(int w, int h);
    unsigned char* Row(int y) { return rgb.data() + std::size_t(y) * std::size_t(width) * 3; }
    const unsigned char* Row(int y) const { return rgb.data() + std::size_t(y) * std::size_t(width) * 3; }
};

// Largest input file, largest decoded picture and largest coefficient
// buffer of a progressive (or multi-scan) JPEG a decode accepts. With them
// one decode, turn, scale and encode stays well below 1 GiB.
constexpr std::uintmax_t kMaxPictureFileBytes = 512u << 20;
constexpr std::uint64_t kMaxDecodedPixels = std::uint64_t(1) << 26;
constexpr std::uint64_t kMaxCoefficientBytes = std::uint64_t(256) << 20;

// Reads a whole file; PictureError when it is missing, unreadable or too large.
std::vector<unsigned char> ReadWholeFile(const std::filesystem::path& path, std::uintmax_t limit, const char* what);

// Reads the input picture; PictureError for a missing or unreadable file or a
// format other than JPEG and PNG.
PictureFile ReadPictureFile(const std::filesystem::path& path);

// Decodes a JPEG at the smallest of libjpeg-turbo's DCT scales that is still
// at least minWidth x minHeight (the full size when nothing smaller fits).
// The memory it would need (from `layout`, the marker walk over the file)
// is checked first. A stream the decoder cannot read whole is a PictureError;
// stray bytes between segments only add a line to `warnings`.
RgbImage DecodeJpeg(const PictureFile& file, const JpegLayout& layout, int minWidth, int minHeight,
                    std::vector<std::string>& warnings);

// Decodes a PNG of any kind into 8-bit RGB; transparent parts are laid
// over white.
RgbImage DecodePng(const PictureFile& file);
