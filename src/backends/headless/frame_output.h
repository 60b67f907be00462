// Where the headless backend's samples of the display go: numbered PNG
// files (frame-00000.png, ...) and an animated WebP. Both take the frame
// as a 32-bit surface (0x00RRGGBB) and reuse their conversion buffers.
// Trade-off: PNGs are written with fast compression (bigger files, far
// less CPU per frame); the WebP is lossy at quality 80 and its encoder
// keeps only the compressed frames, so memory stays bounded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backends/headless/headless_options.h"
#include "raster/surface.h"

class IFrameSink {
public:
    virtual ~IFrameSink() = default;
    // Frame `index` (0, 1, ...) shown from `timestampMs` on.
    virtual void Add(const CSurface& frame, std::int64_t index, std::int64_t timestampMs) = 0;
    // Called once at the end with the time the last frame stops showing.
    virtual void Finish(std::int64_t endMs) = 0;
};

// Writes one PNG file per frame into a directory (created when missing).
class CPngFrameWriter : public IFrameSink {
public:
    explicit CPngFrameWriter(std::string dir); // throws std::runtime_error when the directory cannot be made
    void Add(const CSurface& frame, std::int64_t index, std::int64_t timestampMs) override;
    void Finish(std::int64_t) override {}

    static std::string FileName(std::int64_t index); // "frame-00000.png"

private:
    std::string m_dir;
    std::vector<std::uint8_t> m_rgb, m_encoded;
};

// Writes an RGB PNG of the surface through two reused buffers; throws
// std::runtime_error on failure.
void WritePng(const std::string& path, const CSurface& frame, std::vector<std::uint8_t>& rgbBuffer,
              std::vector<std::uint8_t>& encodedBuffer);

// Writes every frame's rows (0x00RRGGBB, top row first) to a file
// descriptor it owns: how one monitor's show hands its samples to the
// process that puts the desktop together.
class CRawFrameWriter : public IFrameSink {
public:
    explicit CRawFrameWriter(int fd) : m_fd(fd) {}
    ~CRawFrameWriter() override;
    void Add(const CSurface& frame, std::int64_t index, std::int64_t timestampMs) override;
    void Finish(std::int64_t) override;

private:
    int m_fd;
};

// Collects frames into an animated WebP written by Finish.
class CWebpRecorder : public IFrameSink {
public:
    CWebpRecorder(std::string path, int width, int height);
    ~CWebpRecorder() override;
    void Add(const CSurface& frame, std::int64_t index, std::int64_t timestampMs) override;
    void Finish(std::int64_t endMs) override; // no file when no frame came

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// The sinks the options name (--frames, --frame-fd, --record), in that order.
std::vector<std::unique_ptr<IFrameSink>> OpenFrameSinks(const HeadlessOptions& options);
// Hands sample `index` (at `fps` samples a second) to every sink; false,
// after one line on stderr, when one fails.
bool AddToFrameSinks(std::vector<std::unique_ptr<IFrameSink>>& sinks, const CSurface& frame, std::int64_t index,
                     int fps);
// Finishes every sink; the first failure is rethrown once all had their chance.
void FinishFrameSinks(std::vector<std::unique_ptr<IFrameSink>>& sinks, std::int64_t endMs);
