// Helpers of the pack tests: test pictures written as PNG or JPEG with the
// same libraries the tool uses, decoding a stored stream, comparing
// pictures, and running the built tool as a process.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "picture_source.h"
#include "framework/types.h"

namespace packtest {

// A picture whose rows all differ (red follows y, green follows x), so a
// flip or a turn shows at once.
RgbImage Gradient(int width, int height);

void WritePng(const std::filesystem::path& p, const RgbImage& image, bool withAlpha = false);
// subsamp: a TJSAMP_* value; flags: TJFLAG_* (e.g. TJFLAG_PROGRESSIVE).
std::vector<BYTE> EncodeJpeg(const RgbImage& image, int subsamp, int flags = 0, int quality = 95);

// Top-down RGB of a JPEG stream, decoded by libjpeg-turbo.
RgbImage DecodeTopDown(const std::vector<BYTE>& jpeg);
RgbImage FlipRows(const RgbImage& image);
// Mean absolute difference per channel value; images must have one size.
double MeanDiff(const RgbImage& a, const RgbImage& b);
double RowDiff(const RgbImage& a, int rowA, const RgbImage& b, int rowB);

struct RunResult {
    int status = -1; // exit status, or -1 when the process did not exit
    std::string out;
    std::string err;
};

// Runs the built mosvik-pack with the arguments, in `dir`.
RunResult RunPack(const std::filesystem::path& dir, const std::vector<std::string>& args);
RunResult RunProgram(const std::filesystem::path& dir, const std::filesystem::path& exe,
                     const std::vector<std::string>& args);

std::filesystem::path PackTool();
std::filesystem::path FakeSaver();

} // namespace packtest
