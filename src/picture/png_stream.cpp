// PNG by rows with libpng's low-level reader: palettes, grey and 16-bit
// samples become 8-bit RGB through libpng's transforms, files that say
// they are not sRGB are brought to it, and alpha is laid over white here.
// Each row goes to the resampler as it comes. For the common kinds (8-bit
// RGB, palette or grey without transparency) the rows are the values the
// pack tool's whole-picture decode gives, so the result is the same.
//
// libpng reports errors by longjmp: every call that may raise one is made
// from a small function that sets the jump point and owns nothing, so no
// destructor is ever skipped; the reading callback hands its failure to
// libpng only after its own exception is gone.
#include "picture_prepare.h"

#include <png.h>

#include <csetjmp>
#include <exception>

#include "exif.h"
#include "picture_load.h"
#include "resample.h"

namespace {

constexpr int kStopCheckRows = 64;
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20; // ancillary chunks (text, ICC profiles)

struct Io {
    CPictureInput* input = nullptr;
    std::string error;
};

void ReadData(png_structp png, png_bytep data, png_size_t n)
{
    Io* io = static_cast<Io*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        io->input->Read(data, n);
    } catch (const std::exception& e) {
        io->error = e.what();
        failed = true;
    }
    if (failed)
        png_error(png, "read failed");
}

void OnError(png_structp png, png_const_charp message)
{
    Io* io = static_cast<Io*>(png_get_error_ptr(png));
    if (io->error.empty())
        io->error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

class CPngReader {
public:
    explicit CPngReader(Io& io)
    {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
        if (m_png)
            m_info = png_create_info_struct(m_png);
        if (!m_png || !m_info)
            throw PictureError("cannot start the PNG decoder");
        png_set_read_fn(m_png, &io, ReadData);
        png_set_chunk_malloc_max(m_png, kMaxChunkBytes);
    }
    ~CPngReader() { png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr); }
    CPngReader(const CPngReader&) = delete;
    CPngReader& operator=(const CPngReader&) = delete;
    png_structp Png() const { return m_png; }
    png_infop Info() const { return m_info; }

private:
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

// The guarded calls: false when libpng raised an error.
bool ReadInfo(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    return true;
}

bool SetUpTransforms(png_structp png, png_infop info, int* passes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png); // palette to RGB, small grey to 8 bits, tRNS to alpha
    if (png_get_bit_depth(png, info) == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_gamma(png, PNG_DEFAULT_sRGB, PNG_DEFAULT_sRGB); // no change for sRGB files or files that say nothing
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadRow(png_structp png, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_row(png, row, nullptr);
    return true;
}

bool ReadImage(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

} // namespace

LoadedPicture StreamPng(CPictureInput& input, int maxSide, const DecodeLimits& limits)
{
    Io io;
    io.input = &input;
    CPngReader reader(io);
    png_structp png = reader.Png();
    png_infop info = reader.Info();
    auto damaged = [&] {
        return PictureError(input.Name() + ": damaged PNG, it cannot be read whole (" + io.error + ")");
    };
    if (!ReadInfo(png, info))
        throw damaged();
    const std::int64_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    CheckPixelCount(input.Name(), width, height);
    const PictureSize stored{int(width), int(height)};
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    const ExifFields fields =
        png_get_eXIf_1(png, info, &exifSize, &exif) && exif ? ReadExif(exif, exifSize) : ExifFields{};
    const int orientation = fields.orientation;
    const PictureSize target = CheckedTargetSize(input.Name(), OrientedSize(stored, orientation), maxSide);
    const PictureSize want = OrientedSize(target, orientation);

    int passes = 1;
    if (!SetUpTransforms(png, info, &passes))
        throw damaged();
    const int channels = png_get_channels(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    if (png_get_bit_depth(png, info) != 8 || (channels != 3 && channels != 4) ||
        rowBytes != png_size_t(width) * png_size_t(channels))
        throw PictureError(input.Name() + ": a PNG of an unexpected layout");
    const std::uint64_t targetBytes = std::uint64_t(target.width) * std::uint64_t(target.height) * 3;

    CRowResampler resampler(stored.width, stored.height, want.width, want.height);
    std::vector<unsigned char> rgb(channels == 4 ? std::size_t(width) * 3 : 0);
    auto push = [&](const unsigned char* row) {
        if (channels == 4) {
            OverWhite(row, rgb.data(), stored.width);
            row = rgb.data();
        }
        resampler.Push(row);
    };
    if (passes == 1) {
        CheckMemory(input.Name(), 2 * rowBytes + 2 * targetBytes, limits);
        std::vector<unsigned char> row(rowBytes);
        for (std::int64_t y = 0; y < height; ++y) {
            if (y % kStopCheckRows == 0)
                CheckStop(limits);
            if (!ReadRow(png, row.data()))
                throw damaged();
            push(row.data());
        }
    } else {
        // Seven passes each add pixels to every part of the picture: the
        // rows are complete only after the last one.
        CheckMemory(input.Name(), std::uint64_t(rowBytes) * std::uint64_t(height) + 2 * targetBytes, limits);
        std::vector<unsigned char> whole(rowBytes * png_size_t(height));
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (std::size_t y = 0; y < rows.size(); ++y)
            rows[y] = whole.data() + y * rowBytes;
        if (!ReadImage(png, rows.data()))
            throw damaged();
        for (std::int64_t y = 0; y < height; ++y) {
            if (y % kStopCheckRows == 0)
                CheckStop(limits);
            push(rows[std::size_t(y)]);
        }
    }
    LoadedPicture out;
    out.image = resampler.Take();
    if (orientation != 1)
        out.image = Orient(out.image, orientation);
    out.taken = fields.taken;
    return out;
}
