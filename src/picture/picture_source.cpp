// Reading the input picture and decoding it with libjpeg-turbo (TurboJPEG
// API) or libpng (simplified API). Both decoders get their whole input in
// memory; sizes are checked before any pixel buffer is allocated.
#include "picture_source.h"

#ifdef _WIN32
#include "win32/wic_codec.h" // Windows builds decode through WIC
#else
#include <png.h>
#include <turbojpeg.h>
#endif

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

RgbImage::RgbImage(int w, int h) : width(w), height(h), rgb(std::size_t(w) * std::size_t(h) * 3) {}

std::vector<unsigned char> ReadWholeFile(const fs::path& path, std::uintmax_t limit, const char* what)
{
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        throw PictureError(std::string(what) + " not found: " + path.string());
    if (fs::is_directory(status))
        throw PictureError(std::string(what) + " is a directory: " + path.string());
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PictureError("cannot open " + std::string(what) + " " + path.string() + ": " + std::strerror(errno));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        throw PictureError("cannot read " + std::string(what) + " " + path.string());
    if (std::uintmax_t(size) > limit)
        throw PictureError(std::string(what) + " is too large: " + path.string() + " (the limit is " +
                        std::to_string(limit >> 20) + " MiB)");
    in.seekg(0, std::ios::beg);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        throw PictureError("cannot read " + std::string(what) + " " + path.string());
    return bytes;
}

namespace {

#ifndef _WIN32
struct TjDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

std::string TjError(tjhandle h) { return tjGetErrorStr2(h); }

#endif // !_WIN32

std::string Mib(std::uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB"; }

bool IsHeifBrand(const unsigned char* b)
{
    static const char* const kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis"};
    for (const char* brand : kBrands)
        if (std::memcmp(b, brand, 4) == 0)
            return true;
    return false;
}

} // namespace

void CheckStop(const DecodeLimits& limits)
{
    if (limits.stop && limits.stop->load(std::memory_order_relaxed))
        throw PictureStopped();
}

void CheckMemory(const std::string& name, std::uint64_t bytes, const DecodeLimits& limits)
{
    if (bytes > limits.memoryBytes)
        throw PictureError(name + ": decoding it would take about " + Mib(bytes) + ", more than the limit of " +
                           Mib(limits.memoryBytes));
}

void CheckPixelCount(const std::string& name, std::int64_t w, std::int64_t h, const char* advice)
{
    if (w <= 0 || h <= 0 || std::uint64_t(w) * std::uint64_t(h) > kMaxDecodedPixels)
        throw PictureError(name + ": " + std::to_string(w) + " x " + std::to_string(h) +
                           " pixels to decode, more than the limit of " + std::to_string(kMaxDecodedPixels) + advice);
}

PictureFormat DetectFormat(const unsigned char* b, std::size_t size, const std::string& name)
{
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return PictureFormat::jpeg;
    if (size >= 8 && std::memcmp(b, kPng, 8) == 0)
        return PictureFormat::png;
    if (size >= 12 && std::memcmp(b, "RIFF", 4) == 0 && std::memcmp(b + 8, "WEBP", 4) == 0)
        return PictureFormat::webp;
    // An ISO base media file: a leading "ftyp" box whose major brand, or
    // one of the compatible brands within the bytes given, is a HEIF one.
    if (size >= 16 && std::memcmp(b + 4, "ftyp", 4) == 0) {
        const std::size_t box = std::size_t(b[0]) << 24 | std::size_t(b[1]) << 16 | std::size_t(b[2]) << 8 | b[3];
        if (IsHeifBrand(b + 8))
            return PictureFormat::heif;
        for (std::size_t at = 16; at + 4 <= std::min(box, size); at += 4)
            if (IsHeifBrand(b + at))
                return PictureFormat::heif;
    }
#ifdef _WIN32
    return PictureFormat::other; // the Windows Imaging Component may still know it
#else
    throw PictureError("unsupported picture format (JPEG, PNG, WebP, HEIC or AVIF expected): " + name);
#endif
}

PictureFile ReadPictureFile(const fs::path& path)
{
    PictureFile file;
    file.bytes = ReadWholeFile(path, kMaxPictureFileBytes, "picture");
    file.format = DetectFormat(file.bytes.data(), file.bytes.size(), path.string());
    const std::u8string name = path.filename().u8string(); // UTF-8 on every system
    file.name.assign(name.begin(), name.end());
    return file;
}

#ifdef _WIN32
PictureSize JpegScaledSize(int width, int height, int, int) { return {width, height}; }

RgbImage DecodeJpeg(const PictureFile& file, const JpegLayout& layout, int, int, std::vector<std::string>&)
{
    // WIC fills in what a cut-short stream lacks; the tool refuses it.
    if (!layout.endSeen)
        throw PictureError(file.name + ": damaged JPEG, it cannot be read whole (it ends early)");
    return WicDecode(file);
}

RgbImage DecodePng(const PictureFile& file) { return WicDecode(file); }

RgbImage DecodeOther(const PictureFile& file) { return WicDecode(file); }
#else
PictureSize JpegScaledSize(int w, int ht, int minWidth, int minHeight)
{
    // The smallest DCT scale that still covers the size asked for.
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    tjscalingfactor best{1, 1};
    for (int i = 0; i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom)
            continue;
        if (TJSCALED(w, f) >= minWidth && TJSCALED(ht, f) >= minHeight &&
            TJSCALED(w, f) * std::int64_t(TJSCALED(ht, f)) < TJSCALED(w, best) * std::int64_t(TJSCALED(ht, best)))
            best = f;
    }
    return {TJSCALED(w, best), TJSCALED(ht, best)};
}

RgbImage DecodeJpeg(const PictureFile& file, const JpegLayout& layout, int minWidth, int minHeight,
                    std::vector<std::string>& warnings)
{
    const std::vector<unsigned char>& jpeg = file.bytes;
    if (const std::uint64_t coefficients = CoefficientBufferBytes(layout);
        NeedsCoefficientBuffer(layout) && coefficients > kMaxCoefficientBytes)
        throw PictureError(file.name + ": a " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
                        " progressive or multi-scan JPEG needs " + Mib(coefficients) +
                        " of decoder memory, more than the limit of " + Mib(kMaxCoefficientBytes));
    TjHandle h(tjInitDecompress());
    if (!h)
        throw PictureError("cannot start the JPEG decoder");
    int w = 0, ht = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(h.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), &w, &ht, &subsamp,
                            &colorspace) != 0)
        throw PictureError(file.name + ": not a readable JPEG: " + TjError(h.get()));

    const PictureSize scaled = JpegScaledSize(w, ht, minWidth, minHeight);
    const int sw = scaled.width, sh = scaled.height;
    CheckPixelCount(file.name, sw, sh, " (use a smaller --max-side)");

    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    RgbImage image(sw, sh);
    std::vector<unsigned char> cmykRows;
    unsigned char* dst = image.rgb.data();
    if (cmyk) {
        cmykRows.resize(std::size_t(sw) * std::size_t(sh) * 4);
        dst = cmykRows.data();
    }
    if (tjDecompress2(h.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), dst, sw, 0, sh,
                      cmyk ? TJPF_CMYK : TJPF_RGB, TJFLAG_ACCURATEDCT) != 0) {
        // Data the decoder skipped or made up leaves grey or smeared areas;
        // only bytes between segments are harmless.
        const std::string why = TjError(h.get());
        if (tjGetErrorCode(h.get()) != TJERR_WARNING || why.find("extraneous bytes before marker") == std::string::npos)
            throw PictureError(file.name + ": damaged JPEG, it cannot be read whole (" + why + ")");
        warnings.push_back(file.name + ": " + why);
    }
    if (cmyk) {
        // CMYK JPEGs are written with inverted values (the common Adobe
        // convention), so each channel times K gives the RGB value.
        for (std::size_t i = 0, n = std::size_t(sw) * std::size_t(sh); i < n; ++i) {
            const unsigned char* p = &cmykRows[i * 4];
            image.rgb[i * 3 + 0] = static_cast<unsigned char>((p[0] * p[3] + 127) / 255);
            image.rgb[i * 3 + 1] = static_cast<unsigned char>((p[1] * p[3] + 127) / 255);
            image.rgb[i * 3 + 2] = static_cast<unsigned char>((p[2] * p[3] + 127) / 255);
        }
    }
    return image;
}

RgbImage DecodePng(const PictureFile& file)
{
    const std::vector<unsigned char>& png = file.bytes;
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    // png_image_free releases what the reader holds, also after a failure.
    struct Guard {
        png_image* p;
        ~Guard() { png_image_free(p); }
    } guard{&img};
    if (!png_image_begin_read_from_memory(&img, png.data(), png.size()))
        throw PictureError(file.name + ": not a readable PNG: " + img.message);
    if (img.width > 0x7FFFFFFF || img.height > 0x7FFFFFFF)
        throw PictureError(file.name + ": too large to decode");
    CheckPixelCount(file.name, img.width, img.height);
    img.format = PNG_FORMAT_RGB;
    RgbImage image(int(img.width), int(img.height));
    png_color white{255, 255, 255};
    if (!png_image_finish_read(&img, &white, image.rgb.data(), 0, nullptr))
        throw PictureError(file.name + ": damaged PNG, it cannot be read whole (" + img.message + ")");
    return image;
}

RgbImage DecodeOther(const PictureFile& file) { throw PictureError(file.name + ": unsupported picture format"); }
#endif // !_WIN32
