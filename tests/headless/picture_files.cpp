// Writers of the test pictures. libpng's writer raises errors by longjmp;
// the one function that calls it owns nothing that needs destroying.
#include "picture_files.h"

#include <libheif/heif.h>
#include <png.h>
#include <turbojpeg.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
// libx265 (HEIC encoding in libheif) keeps a little memory to the end.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }
#endif

namespace pictest {

RgbImage Quadrants(int width, int height)
{
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            unsigned char* p = image.Row(y) + std::size_t(x) * 3;
            p[0] = right == bottom ? 255 : 0;
            p[1] = right ? 255 : 0;
            p[2] = bottom ? 255 : 0;
        }
    return image;
}

RgbImage TurnedAnticlockwise(const RgbImage& upright)
{
    RgbImage stored(upright.height, upright.width);
    for (int y = 0; y < stored.height; ++y)
        for (int x = 0; x < stored.width; ++x)
            std::copy_n(upright.Row(x) + std::size_t(upright.width - 1 - y) * 3, 3, stored.Row(y) + std::size_t(x) * 3);
    return stored;
}

bool ShowsQuadrants(const RgbImage& image)
{
    auto near = [&](int fx, int fy, int r, int g, int b) {
        const unsigned char* p = image.Row(image.height * fy / 4) + std::size_t(image.width * fx / 4) * 3;
        return std::abs(p[0] - r) <= 40 && std::abs(p[1] - g) <= 40 && std::abs(p[2] - b) <= 40;
    };
    return image.width > 0 && near(1, 1, 255, 0, 0) && near(3, 1, 0, 255, 0) && near(1, 3, 0, 0, 255) &&
           near(3, 3, 255, 255, 255);
}

std::vector<unsigned char> ExifBlock(int orientation, const std::string& taken)
{
    // IFD0 at 8: orientation and the EXIF IFD's offset; the EXIF IFD at 38
    // holds DateTimeOriginal, whose 20 characters follow at 56.
    std::vector<unsigned char> b = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto u16 = [&](unsigned v) { b.insert(b.end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)}); };
    auto u32 = [&](unsigned v) { u16(v & 0xFFFF); u16(v >> 16); };
    u16(taken.empty() ? 1 : 2);
    u16(0x0112), u16(3), u32(1), u16(unsigned(orientation)), u16(0);
    if (!taken.empty())
        u16(0x8769), u16(4), u32(1), u32(38);
    u32(0);
    if (!taken.empty()) {
        u16(1);
        u16(0x9003), u16(2), u32(20), u32(56);
        u32(0);
        b.insert(b.end(), taken.begin(), taken.end());
        b.push_back(0);
    }
    return b;
}

const char* Extension(Format format)
{
    switch (format) {
    case Format::png: return ".png";
    case Format::jpeg: return ".jpg";
    case Format::webp: return ".webp";
    case Format::heic: return ".heic";
    case Format::avif: return ".avif";
    }
    return "";
}

namespace {

void WriteBytes(const fs::path& path, const unsigned char* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

bool WritePngGuarded(png_structp png, png_infop info, std::FILE* f, int width, int height,
                     const std::function<void(int, unsigned char*)>* row, unsigned char* buffer,
                     const std::vector<unsigned char>* exif)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, f);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!exif->empty())
        png_set_eXIf_1(png, info, png_uint_32(exif->size()), const_cast<png_bytep>(exif->data()));
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        (*row)(y, buffer);
        png_write_row(png, buffer);
    }
    png_write_end(png, info);
    return true;
}

void WritePng(const fs::path& path, int width, int height, const std::function<void(int, unsigned char*)>& row,
              const std::vector<unsigned char>& exif)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<unsigned char> buffer(std::size_t(width) * 3);
    const bool ok = f && WritePngGuarded(png, info, f.get(), width, height, &row, buffer.data(), &exif);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
}

bool WriteHeif(const fs::path& path, bool avif, const RgbImage& stored, const std::vector<unsigned char>& exif,
               int orientation)
{
    heif_context* ctx = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    bool ok = heif_context_get_encoder_for_format(ctx, avif ? heif_compression_AV1 : heif_compression_HEVC, &encoder)
                  .code == heif_error_Ok;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, 90);
        if (avif)
            heif_encoder_set_parameter(encoder, "speed", "9");
        ok = heif_image_create(stored.width, stored.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image)
                 .code == heif_error_Ok &&
             heif_image_add_plane(image, heif_channel_interleaved, stored.width, stored.height, 8).code ==
                 heif_error_Ok;
    }
    if (ok) {
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < stored.height; ++y)
            std::copy_n(stored.Row(y), std::size_t(stored.width) * 3, plane + std::size_t(y) * std::size_t(stride));
        heif_encoding_options* options = heif_encoding_options_alloc();
        options->image_orientation = heif_orientation(orientation);
        heif_image_handle* handle = nullptr;
        ok = heif_context_encode_image(ctx, image, encoder, options, &handle).code == heif_error_Ok;
        heif_encoding_options_free(options);
        if (ok && !exif.empty())
            ok = heif_context_add_exif_metadata(ctx, handle, exif.data(), int(exif.size())).code == heif_error_Ok;
        heif_image_handle_release(handle);
        ok = ok && heif_context_write_to_file(ctx, path.c_str()).code == heif_error_Ok;
    }
    heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(ctx);
    return ok;
}

int OrientationOf(const std::vector<unsigned char>& exif)
{
    return exif.size() >= 18 ? exif[18] : 1; // the first entry's value, as ExifBlock writes it
}

} // namespace

void WritePngRows(const fs::path& path, int width, int height, const std::function<void(int, unsigned char*)>& row)
{
    WritePng(path, width, height, row, {});
}

bool WritePicture(const fs::path& path, Format format, const RgbImage& stored, const std::vector<unsigned char>& exif)
{
    switch (format) {
    case Format::png:
        WritePng(path, stored.width, stored.height,
                 [&](int y, unsigned char* rgb) { std::copy_n(stored.Row(y), std::size_t(stored.width) * 3, rgb); },
                 exif);
        return true;
    case Format::jpeg: {
        tjhandle h = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        const int failed = tjCompress2(h, stored.rgb.data(), stored.width, 0, stored.height, TJPF_RGB, &jpeg, &size,
                                       TJSAMP_444, 95, 0);
        tjDestroy(h);
        if (failed)
            throw std::runtime_error("cannot encode a JPEG");
        std::vector<unsigned char> bytes(jpeg, jpeg + size);
        tjFree(jpeg);
        if (!exif.empty()) {
            const std::size_t length = exif.size() + 8;
            std::vector<unsigned char> app1 = {0xFF, 0xE1, static_cast<unsigned char>(length >> 8),
                                               static_cast<unsigned char>(length), 'E', 'x', 'i', 'f', 0, 0};
            app1.insert(app1.end(), exif.begin(), exif.end());
            bytes.insert(bytes.begin() + 2, app1.begin(), app1.end());
        }
        WriteBytes(path, bytes.data(), bytes.size());
        return true;
    }
    case Format::webp: {
        std::uint8_t* encoded = nullptr;
        const std::size_t size =
            WebPEncodeRGB(stored.rgb.data(), stored.width, stored.height, stored.width * 3, 90, &encoded);
        WebPMux* mux = WebPMuxNew();
        const WebPData image{encoded, size}, exifData{exif.data(), exif.size()};
        WebPData out{};
        const bool ok = size > 0 && WebPMuxSetImage(mux, &image, 1) == WEBP_MUX_OK &&
                        (exif.empty() || WebPMuxSetChunk(mux, "EXIF", &exifData, 1) == WEBP_MUX_OK) &&
                        WebPMuxAssemble(mux, &out) == WEBP_MUX_OK;
        if (ok)
            WriteBytes(path, out.bytes, out.size);
        WebPDataClear(&out);
        WebPMuxDelete(mux);
        WebPFree(encoded);
        if (!ok)
            throw std::runtime_error("cannot encode a WebP");
        return true;
    }
    case Format::heic:
    case Format::avif:
        return WriteHeif(path, format == Format::avif, stored, exif, OrientationOf(exif));
    }
    return false;
}

} // namespace pictest
