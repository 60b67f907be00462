// PNG frames through libpng's simplified writer; the WebP animation
// through libwebp's animation encoder. Every file goes through
// CReplacementFile, and each output is tried once at start, so a folder
// that cannot be written ends the run before the show, not after it.
#include "backends/headless/frame_output.h"

#include "framework/replace_file.h"

#include <png.h>
#include <unistd.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <limits>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "backends/headless/virtual_clock.h"

namespace fs = std::filesystem;

namespace {

// WebP frame times are int milliseconds.
constexpr std::int64_t kMaxTimestampMs = std::numeric_limits<int>::max();

// Written beside the target and renamed, so a reader never sees half a
// file; only a regular file is replaced.
void WriteFile(const std::string& path, const char* what, const std::uint8_t* data, std::size_t size)
{
    CReplacementFile file(path, what);
    file.Write(data, size);
    file.Commit();
}

// Finds at start what would stop the file from being written at the end
// (a missing or read-only folder, a directory or device at the path).
void ProbeWritable(const std::string& path, const char* what) { CReplacementFile probe(path, what); }

} // namespace

void WritePng(const std::string& path, const CSurface& frame, std::vector<std::uint8_t>& rgb,
              std::vector<std::uint8_t>& encoded)
{
    const std::size_t w = std::size_t(frame.Width()), h = std::size_t(frame.Height());
    if (w == 0 || h == 0)
        throw std::runtime_error("empty frame");
    rgb.resize(w * h * 3);
    std::uint8_t* d = rgb.data();
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint32_t* s = frame.Row(int(y));
        for (std::size_t x = 0; x < w; ++x) {
            *d++ = std::uint8_t(s[x] >> 16);
            *d++ = std::uint8_t(s[x] >> 8);
            *d++ = std::uint8_t(s[x]);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = PNG_FORMAT_RGB;
    image.flags = PNG_IMAGE_FLAG_FAST;
    // One pass into a buffer of the largest size the encoding can take.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    encoded.resize(size);
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), 0, nullptr))
        throw std::runtime_error("cannot encode " + path + ": " + image.message);
    WriteFile(path, "frame", encoded.data(), size);
}

CPngFrameWriter::CPngFrameWriter(std::string dir) : m_dir(std::move(dir))
{
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    if (ec || !std::filesystem::is_directory(m_dir))
        throw std::runtime_error("cannot make frame directory " + m_dir + (ec ? ": " + ec.message() : ""));
    ProbeWritable(m_dir + "/" + FileName(0), "frame");
}

std::string CPngFrameWriter::FileName(std::int64_t index)
{
    char name[40];
    std::snprintf(name, sizeof name, "frame-%05lld.png", static_cast<long long>(index));
    return name;
}

void CPngFrameWriter::Add(const CSurface& frame, std::int64_t index, std::int64_t)
{
    WritePng(m_dir + "/" + FileName(index), frame, m_rgb, m_encoded);
}

struct CWebpRecorder::Impl {
    std::string path;
    int width = 0, height = 0;
    WebPAnimEncoder* encoder = nullptr;
    WebPConfig config{};
    WebPPicture picture{};
    bool any = false;

    ~Impl()
    {
        WebPPictureFree(&picture);
        if (encoder)
            WebPAnimEncoderDelete(encoder);
    }
};

CWebpRecorder::CWebpRecorder(std::string path, int width, int height) : m(std::make_unique<Impl>())
{
    m->path = std::move(path);
    // The file is written at the end; what would stop it is an error now.
    ProbeWritable(m->path, "recording");
    m->width = width;
    m->height = height;
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&m->config) || !WebPPictureInit(&m->picture))
        throw std::runtime_error("libwebp version mismatch");
    m->config.quality = 80;
    m->config.method = 2; // quicker than the default, a little larger
    m->config.thread_level = 0;
    m->encoder = WebPAnimEncoderNew(width, height, &options);
    if (!m->encoder)
        throw std::runtime_error("cannot start the WebP recording");
    m->picture.use_argb = 1;
    m->picture.width = width;
    m->picture.height = height;
    if (!WebPPictureAlloc(&m->picture))
        throw std::bad_alloc();
}

CWebpRecorder::~CWebpRecorder() = default;

void CWebpRecorder::Add(const CSurface& frame, std::int64_t, std::int64_t timestampMs)
{
    if (frame.Width() != m->width || frame.Height() != m->height)
        throw std::runtime_error("frame size changed during the recording");
    if (timestampMs > kMaxTimestampMs)
        throw std::runtime_error("recording longer than the WebP format allows");
    for (int y = 0; y < m->height; ++y) {
        const std::uint32_t* s = frame.Row(y);
        std::uint32_t* d = m->picture.argb + std::size_t(y) * std::size_t(m->picture.argb_stride);
        for (int x = 0; x < m->width; ++x)
            d[x] = 0xFF000000u | s[x];
    }
    if (!WebPAnimEncoderAdd(m->encoder, &m->picture, int(timestampMs), &m->config))
        throw std::runtime_error("cannot encode a WebP frame: " + std::string(WebPAnimEncoderGetError(m->encoder)));
    m->any = true;
}

void CWebpRecorder::Finish(std::int64_t endMs)
{
    if (!m->any)
        return;
    endMs = std::min(endMs, kMaxTimestampMs);
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAdd(m->encoder, nullptr, int(endMs), nullptr) || !WebPAnimEncoderAssemble(m->encoder, &data))
        throw std::runtime_error("cannot finish " + m->path + ": " + std::string(WebPAnimEncoderGetError(m->encoder)));
    try {
        WriteFile(m->path, "recording", data.bytes, data.size);
    } catch (...) {
        WebPDataClear(&data);
        throw;
    }
    WebPDataClear(&data);
    m->any = false;
}

CRawFrameWriter::~CRawFrameWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void CRawFrameWriter::Add(const CSurface& frame, std::int64_t, std::int64_t)
{
    if (frame.Height() == 0)
        return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(frame.Row(0));
    std::size_t left = std::size_t(frame.Width()) * std::size_t(frame.Height()) * sizeof(std::uint32_t);
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("cannot hand on a frame: the desktop's recorder is gone");
        data += n;
        left -= std::size_t(n);
    }
}

void CRawFrameWriter::Finish(std::int64_t)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::vector<std::unique_ptr<IFrameSink>> OpenFrameSinks(const HeadlessOptions& options)
{
    std::vector<std::unique_ptr<IFrameSink>> sinks;
    if (!options.framesDir.empty())
        sinks.push_back(std::make_unique<CPngFrameWriter>(options.framesDir));
    if (options.frameFd >= 0)
        sinks.push_back(std::make_unique<CRawFrameWriter>(options.frameFd));
    if (!options.recordFile.empty())
        sinks.push_back(std::make_unique<CWebpRecorder>(options.recordFile, options.width, options.height));
    return sinks;
}

bool AddToFrameSinks(std::vector<std::unique_ptr<IFrameSink>>& sinks, const CSurface& frame, std::int64_t index,
                     int fps)
{
    const std::int64_t ms = CVirtualClock::SampleTime(index, fps) / CVirtualClock::kUnitsPerMs;
    try {
        for (auto& sink : sinks)
            sink->Add(frame, index, ms);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return false;
    }
    return true;
}

void FinishFrameSinks(std::vector<std::unique_ptr<IFrameSink>>& sinks, std::int64_t endMs)
{
    std::exception_ptr failure;
    for (auto& sink : sinks) {
        try {
            sink->Finish(endMs);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}
