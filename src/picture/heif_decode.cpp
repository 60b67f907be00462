// HEIC and AVIF through libheif: the primary picture of the file, decoded
// by libheif with its transforms (rotation, mirroring, cropping) applied
// and high bit depths brought to 8 bits, then resampled from libheif's own
// plane one row at a time (no copy of the whole picture). Decoding runs on
// the calling thread alone, which keeps the memory to one picture. The
// library is loaded at the first such file (heif_library.h).
#include "webp_heif.h"

#include <algorithm>
#include <memory>

#include "exif.h"
#include "heif_library.h"
#include "picture_load.h"
#include "resample.h"

namespace {

constexpr std::size_t kMaxExifBytes = 1 << 20; // EXIF blocks hold a thumbnail at most
constexpr int kStopCheckRows = 64;

// Frees a libheif object through the loaded table.
template <class T, class Free>
struct HeifFree {
    Free free;
    void operator()(T* p) const { free(p); }
};
using Context = std::unique_ptr<heif_context, HeifFree<heif_context, decltype(&heif_context_free)>>;
using Handle = std::unique_ptr<heif_image_handle, HeifFree<heif_image_handle, decltype(&heif_image_handle_release)>>;
using Image = std::unique_ptr<heif_image, HeifFree<heif_image, decltype(&heif_image_release)>>;
using Options =
    std::unique_ptr<heif_decoding_options, HeifFree<heif_decoding_options, decltype(&heif_decoding_options_free)>>;

void Check(const heif_error& e, const PictureFile& file, const char* what)
{
    if (e.code != heif_error_Ok)
        throw PictureError(file.name + ": " + what + " (" + (e.message ? e.message : "libheif error") + ")");
}

// The EXIF block's date; the block starts with the offset of its TIFF header.
std::string HeifTaken(const HeifLibrary& heif, const heif_image_handle* handle)
{
    heif_item_id id = 0;
    if (heif.heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1)
        return {};
    const std::size_t size = heif.heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > kMaxExifBytes)
        return {};
    std::vector<unsigned char> block(size);
    if (heif.heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
        return {};
    const std::size_t skip = std::size_t(block[0]) << 24 | std::size_t(block[1]) << 16 | std::size_t(block[2]) << 8 |
                             block[3];
    if (skip > size - 4)
        return {};
    return ReadExif(block.data() + 4 + skip, size - 4 - skip).taken;
}

} // namespace

LoadedPicture LoadHeif(const PictureFile& file, int maxSide, const DecodeLimits& limits)
{
    const HeifLibrary& heif = LoadHeifLibrary(file.name);
    Context context(heif.heif_context_alloc(), {heif.heif_context_free});
    if (!context)
        throw PictureError("cannot start the HEIF decoder");
    heif.heif_context_set_max_decoding_threads(context.get(), 0);
    Check(heif.heif_context_read_from_memory_without_copy(context.get(), file.bytes.data(), file.bytes.size(), nullptr),
          file, "not a readable HEIF file");
    heif_image_handle* raw = nullptr;
    Check(heif.heif_context_get_primary_image_handle(context.get(), &raw), file, "no picture in the HEIF file");
    const Handle handle(raw, {heif.heif_image_handle_release});
    const int width = heif.heif_image_handle_get_width(handle.get()), height = heif.heif_image_handle_get_height(handle.get());
    CheckPixelCount(file.name, width, height);
    const PictureSize target = CheckedTargetSize(file, {width, height}, maxSide);
    const bool alpha = heif.heif_image_handle_has_alpha_channel(handle.get()) != 0;
    // libheif holds the decoded planes (4:2:0, as cameras write them: one
    // and a half samples a pixel, two bytes a sample above 8 bits, and the
    // alpha plane) while it makes the interleaved result. A 4:4:4 file
    // takes one and a half bytes a pixel more than this says.
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    const std::uint64_t sampleBytes = heif.heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8 ? 2 : 1;
    const std::uint64_t planes = (pixels * 3 / 2 + (alpha ? pixels : 0)) * sampleBytes;
    const std::uint64_t out = pixels * (alpha ? 4 : 3);
    CheckMemory(file.name,
                file.bytes.size() + planes + out + std::uint64_t(target.width) * std::uint64_t(target.height) * 3,
                limits);
    CheckStop(limits);

    Options options(heif.heif_decoding_options_alloc(), {heif.heif_decoding_options_free});
    if (!options)
        throw PictureError("cannot start the HEIF decoder");
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    Check(heif.heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()),
          file, "damaged HEIF picture, it cannot be decoded");
    const Image image(decoded, {heif.heif_image_release});
    int stride = 0;
    const std::uint8_t* plane = heif.heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int w = heif.heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif.heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || w <= 0 || h <= 0 || stride < w * (alpha ? 4 : 3) ||
        heif.heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8)
        throw PictureError(file.name + ": libheif gave no 8-bit RGB picture");
    // Cropping may leave another size than the headers said.
    const PictureSize size = w == width && h == height ? target : CheckedTargetSize(file, {w, h}, maxSide);
    CRowResampler resampler(w, h, size.width, size.height);
    std::vector<unsigned char> row(alpha ? std::size_t(w) * 3 : 0);
    for (int y = 0; y < h; ++y) {
        if (y % kStopCheckRows == 0)
            CheckStop(limits);
        const std::uint8_t* src = plane + std::size_t(y) * std::size_t(stride);
        if (alpha) {
            OverWhite(src, row.data(), w);
            src = row.data();
        }
        resampler.Push(src);
    }
    LoadedPicture result;
    result.image = resampler.Take();
    result.taken = HeifTaken(heif, handle.get());
    return result;
}
