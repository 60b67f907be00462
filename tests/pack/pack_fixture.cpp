#include "pack_fixture.h"

#include <png.h>
#include <sys/wait.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace packtest {

RgbImage Gradient(int width, int height)
{
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = image.Row(y) + x * 3;
            p[0] = BYTE(height > 1 ? y * 255 / (height - 1) : 0);
            p[1] = BYTE(width > 1 ? x * 255 / (width - 1) : 0);
            p[2] = BYTE(128 + 60 * std::sin(x / 9.0) * std::cos(y / 11.0));
        }
    return image;
}

void WritePng(const fs::path& p, const RgbImage& image, bool withAlpha)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(image.width);
    img.height = png_uint_32(image.height);
    std::vector<unsigned char> rgba;
    const void* data = image.rgb.data();
    img.format = PNG_FORMAT_RGB;
    if (withAlpha) {
        // Left half opaque, right half fully transparent.
        img.format = PNG_FORMAT_RGBA;
        rgba.resize(std::size_t(image.width) * image.height * 4);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const unsigned char* s = image.Row(y) + x * 3;
                unsigned char* d = &rgba[(std::size_t(y) * image.width + x) * 4];
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = x < image.width / 2 ? 255 : 0;
            }
        data = rgba.data();
    }
    if (!png_image_write_to_file(&img, p.string().c_str(), 0, data, 0, nullptr))
        throw std::runtime_error("cannot write test PNG");
}

std::vector<BYTE> EncodeJpeg(const RgbImage& image, int subsamp, int flags, int quality)
{
    tjhandle h = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(h, image.rgb.data(), image.width, 0, image.height, TJPF_RGB, &out, &size, subsamp, quality, flags) != 0) {
        tjDestroy(h);
        throw std::runtime_error("cannot encode test JPEG");
    }
    std::vector<BYTE> bytes(out, out + size);
    tjFree(out);
    tjDestroy(h);
    return bytes;
}

RgbImage DecodeTopDown(const std::vector<BYTE>& jpeg)
{
    tjhandle h = tjInitDecompress();
    int w = 0, ht = 0, ss = 0, cs = 0;
    if (tjDecompressHeader3(h, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &w, &ht, &ss, &cs) != 0) {
        tjDestroy(h);
        throw std::runtime_error("cannot read a stored stream");
    }
    RgbImage image(w, ht);
    const int rc = tjDecompress2(h, jpeg.data(), static_cast<unsigned long>(jpeg.size()), image.rgb.data(), w, 0, ht,
                                 TJPF_RGB, TJFLAG_ACCURATEDCT);
    tjDestroy(h);
    if (rc != 0)
        throw std::runtime_error("cannot decode a stored stream");
    return image;
}

RgbImage FlipRows(const RgbImage& image)
{
    RgbImage out(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        std::copy_n(image.Row(image.height - 1 - y), std::size_t(image.width) * 3, out.Row(y));
    return out;
}

double MeanDiff(const RgbImage& a, const RgbImage& b)
{
    if (a.width != b.width || a.height != b.height)
        throw std::runtime_error("pictures of different sizes");
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return a.rgb.empty() ? 0 : sum / double(a.rgb.size());
}

double RowDiff(const RgbImage& a, int rowA, const RgbImage& b, int rowB)
{
    double sum = 0;
    const std::size_t n = std::size_t(a.width) * 3;
    for (std::size_t i = 0; i < n; ++i)
        sum += std::abs(int(a.Row(rowA)[i]) - int(b.Row(rowB)[i]));
    return sum / double(n);
}

namespace {

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

fs::path PackTool() { return fs::path(MOSVIK_BINARY_DIR) / "mosvik-pack"; }
fs::path FakeSaver() { return fs::path(MOSVIK_FAKE_SAVER); }

RunResult RunProgram(const fs::path& dir, const fs::path& exe, const std::vector<std::string>& args)
{
    // Output goes to files outside `dir`, so the folder holds only what the
    // program wrote.
    const fs::path out = dir.string() + ".stdout", err = dir.string() + ".stderr";
    std::string cmd = "cd " + Quote(dir.string()) + " && " + Quote(exe.string());
    for (const std::string& a : args)
        cmd += " " + Quote(a);
    cmd += " > " + Quote(out.string()) + " 2> " + Quote(err.string());
    const int status = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

RunResult RunPack(const fs::path& dir, const std::vector<std::string>& args)
{
    return RunProgram(dir, PackTool(), args);
}

} // namespace packtest
