// Pictures from the disk, each figure beside a reference of the same work
// done the plain way in the same run (scripts/bench prints the ratios):
//   - listing a tree of 100,000 files in 100 folders against the standard
//     library's recursive iterator over the same tree;
//   - preparing a 24-megapixel JPEG (DCT-scaled decode, Lanczos to 2048)
//     against decoding it at full size alone;
//   - preparing a 48-megapixel PNG by rows against the pack tool's
//     whole-picture path for the same file.
// The files are made once, in a temporary folder removed at exit.
#include <benchmark/benchmark.h>

#include <png.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "disk_pictures/folder_walk.h"
#include "picture_input.h"
#include "picture_load.h"
#include "picture_prepare.h"

namespace fs = std::filesystem;

namespace {

// A photo-like picture: smooth gradients with a little noise.
unsigned char Sample(int x, int y, int c, std::uint32_t& noise)
{
    noise = noise * 1664525u + 1013904223u;
    return static_cast<unsigned char>(((x * (c + 1)) / 31 + (y * (3 - c)) / 23 + (noise >> 29)) & 0xFF);
}

class Files {
public:
    Files() : m_dir(fs::temp_directory_path() / ("mosvik-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_dir / "tree");
        for (int d = 0; d < 100; ++d) {
            const fs::path folder = m_dir / "tree" / ("event-" + std::to_string(d));
            fs::create_directory(folder);
            for (int f = 0; f < 1000; ++f)
                std::ofstream(folder / ("IMG_" + std::to_string(f) + ".jpg"));
        }
        WriteJpeg(m_dir / "24mp.jpg", 6000, 4000);
        WritePng(m_dir / "48mp.png", 8000, 6000);
    }
    ~Files() { fs::remove_all(m_dir); }
    const fs::path& Dir() const { return m_dir; }

private:
    static void WriteJpeg(const fs::path& path, int w, int h)
    {
        std::vector<unsigned char> rgb(std::size_t(w) * h * 3);
        std::uint32_t noise = 1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(std::size_t(y) * w + x) * 3 + c] = Sample(x, y, c, noise);
        tjhandle t = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(t, rgb.data(), w, 0, h, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90, 0);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg), std::streamsize(size));
        tjFree(jpeg);
        tjDestroy(t);
    }
    static void WritePng(const fs::path& path, int w, int h)
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, f);
        png_set_compression_level(png, 1);
        png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<unsigned char> row(std::size_t(w) * 3);
        std::uint32_t noise = 1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    row[std::size_t(x) * 3 + c] = Sample(x, y, c, noise);
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
    }

    fs::path m_dir;
};

const Files& TheFiles()
{
    static const Files files;
    return files;
}

void BM_ListFolder100k(benchmark::State& state)
{
    const fs::path tree = TheFiles().Dir() / "tree";
    for (auto _ : state) {
        const FolderListing listing = ListFolder(tree, true);
        if (listing.files.size() != kMaxListedFiles)
            state.SkipWithError("not every file was listed");
        benchmark::DoNotOptimize(listing.files.data());
    }
}
BENCHMARK(BM_ListFolder100k)->Unit(benchmark::kMillisecond);

void BM_RecursiveIterator100k(benchmark::State& state)
{
    const fs::path tree = TheFiles().Dir() / "tree";
    for (auto _ : state) {
        std::vector<fs::path> files;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(tree))
            if (e.is_regular_file())
                files.push_back(e.path());
        benchmark::DoNotOptimize(files.data());
    }
}
BENCHMARK(BM_RecursiveIterator100k)->Unit(benchmark::kMillisecond);

void Prepare(benchmark::State& state, const char* name)
{
    const fs::path file = TheFiles().Dir() / name;
    for (auto _ : state) {
        CPictureInput input(file);
        std::vector<std::string> warnings;
        const LoadedPicture p = PreparePicture(input, kDefaultMaxSide, DecodeLimits{kPrepareMemoryBytes}, warnings);
        benchmark::DoNotOptimize(p.image.rgb.data());
    }
}

void BM_PrepareJpeg24MP(benchmark::State& state) { Prepare(state, "24mp.jpg"); }
BENCHMARK(BM_PrepareJpeg24MP)->Unit(benchmark::kMillisecond);

void BM_FullDecodeJpeg24MP(benchmark::State& state)
{
    const PictureFile file = ReadPictureFile(TheFiles().Dir() / "24mp.jpg");
    const auto layout = ProbeJpeg(file.bytes.data(), file.bytes.size());
    for (auto _ : state) {
        std::vector<std::string> warnings;
        const RgbImage image = DecodeJpeg(file, *layout, layout->width, layout->height, warnings);
        benchmark::DoNotOptimize(image.rgb.data());
    }
}
BENCHMARK(BM_FullDecodeJpeg24MP)->Unit(benchmark::kMillisecond);

void BM_PreparePng48MP(benchmark::State& state) { Prepare(state, "48mp.png"); }
BENCHMARK(BM_PreparePng48MP)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_WholePng48MP(benchmark::State& state)
{
    const fs::path path = TheFiles().Dir() / "48mp.png";
    for (auto _ : state) {
        std::vector<std::string> warnings;
        const RgbImage image = LoadPicture(ReadPictureFile(path), kDefaultMaxSide, warnings);
        benchmark::DoNotOptimize(image.rgb.data());
    }
}
BENCHMARK(BM_WholePng48MP)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
