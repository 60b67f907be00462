// Test pictures in every format the saver reads, written with the same
// libraries it decodes with (libpng, libjpeg-turbo, libwebp, libheif), each
// optionally stored turned and tagged with an EXIF orientation and a date.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "picture_source.h"

namespace pictest {

// A picture whose quadrants are red, green / blue, white as seen.
RgbImage Quadrants(int width, int height);
// The same turned a quarter anticlockwise: EXIF orientation 6 shows it upright.
RgbImage TurnedAnticlockwise(const RgbImage& upright);
// True when `image` shows the quadrants upright (colours within 40).
bool ShowsQuadrants(const RgbImage& image);

// A TIFF-structured EXIF block (little-endian, no "Exif" prefix) with an
// orientation and, unless empty, a DateTimeOriginal.
std::vector<unsigned char> ExifBlock(int orientation, const std::string& taken);

enum class Format { png, jpeg, webp, heic, avif };
const char* Extension(Format format);
// Writes `stored` in the format with the EXIF block (none when empty).
// HEIF files carry the orientation as their own transform as well as in
// the EXIF block, as cameras write them. Returns false when this system's
// libheif has no encoder for the format.
bool WritePicture(const std::filesystem::path& path, Format format, const RgbImage& stored,
                  const std::vector<unsigned char>& exif = {});

// A PNG written row by row from `row(y, rgb)` (3 * width bytes), so a large
// one never sits in the test's memory.
void WritePngRows(const std::filesystem::path& path, int width, int height,
                  const std::function<void(int, unsigned char*)>& row);

} // namespace pictest
