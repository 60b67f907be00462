// A picture file from the disk: its bytes with their format (told by the
// leading bytes, not the name), and the decoders that turn a JPEG or PNG
// into plain RGB rows. Decoding is done by libjpeg-turbo and libpng (WebP
// and HEIF/AVIF: webp_heif.h); nothing here knows about the saver's own
// decoder. Shared by mosvik-pack and the saver's pictures from disk.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "jpeg_probe.h"

struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// A picture that cannot be read, decoded or used; what() is one line that
// names the file.
class PictureError : public std::runtime_error {
public:
    explicit PictureError(const std::string& what) : std::runtime_error(what) {}
};

// heif covers HEIC and AVIF (both read through libheif); other is what
// only the Windows Imaging Component may know.
enum class PictureFormat { jpeg, png, webp, heif, other };

// The format told by a file's first bytes (at least 32 of them when the
// file has them); PictureError naming `name` for one no build reads.
PictureFormat DetectFormat(const unsigned char* head, std::size_t size, const std::string& name);

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

// A picture made ready to show: upright, at the size it is stored at, and
// when it was taken (EXIF DateTimeOriginal, "YYYY:MM:DD HH:MM:SS"; empty
// when the file does not say).
struct LoadedPicture {
    RgbImage image;
    std::string taken;
};

// What decoding one picture may take. The memory a decode would need is
// estimated from the file's headers before anything large is allocated;
// `stop`, when set, is looked at between parts of the work (rows, chunks)
// and ends the decode with PictureStopped.
struct DecodeLimits {
    std::uint64_t memoryBytes = UINT64_MAX;
    const std::atomic<bool>* stop = nullptr;
};

class PictureStopped : public PictureError {
public:
    PictureStopped() : PictureError("stopped") {}
};

// Throws PictureStopped when the limits' stop flag is set.
void CheckStop(const DecodeLimits& limits);

// PictureError naming the file when `bytes` (a decode's estimated peak)
// exceeds the limits' memory.
void CheckMemory(const std::string& name, std::uint64_t bytes, const DecodeLimits& limits);

// PictureError unless width x height is positive and at most kMaxDecodedPixels.
void CheckPixelCount(const std::string& name, std::int64_t width, std::int64_t height, const char* advice = "");

// Largest input file, largest decoded picture and largest coefficient
// buffer of a progressive (or multi-scan) JPEG a decode accepts. With them
// one decode, turn, scale and encode stays well below 1 GiB.
constexpr std::uintmax_t kMaxPictureFileBytes = 512u << 20;
constexpr std::uint64_t kMaxDecodedPixels = std::uint64_t(1) << 26;
constexpr std::uint64_t kMaxCoefficientBytes = std::uint64_t(256) << 20;

// Reads a whole file; PictureError when it is missing, unreadable or too large.
std::vector<unsigned char> ReadWholeFile(const std::filesystem::path& path, std::uintmax_t limit, const char* what);

// Reads the input picture; PictureError for a missing or unreadable file or a
// format DetectFormat refuses.
PictureFile ReadPictureFile(const std::filesystem::path& path);

// The size a JPEG of width x height decodes to at the smallest of
// libjpeg-turbo's DCT scales that is still at least minWidth x minHeight
// (the full size when nothing smaller fits).
PictureSize JpegScaledSize(int width, int height, int minWidth, int minHeight);

// Decodes a JPEG at JpegScaledSize.
// The memory it would need (from `layout`, the marker walk over the file)
// is checked first. A stream the decoder cannot read whole is a PictureError;
// stray bytes between segments only add a line to `warnings`.
RgbImage DecodeJpeg(const PictureFile& file, const JpegLayout& layout, int minWidth, int minHeight,
                    std::vector<std::string>& warnings);

// Decodes a PNG of any kind into 8-bit RGB; transparent parts are laid
// over white.
RgbImage DecodePng(const PictureFile& file);

// Windows: any other format the Imaging Component reads (WebP, HEIF with
// the system's extensions installed...). Elsewhere a PictureError.
RgbImage DecodeOther(const PictureFile& file);
