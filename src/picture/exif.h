// The two EXIF fields pictures need: the orientation (how to turn the
// stored rows upright) and DateTimeOriginal (when the picture was taken).
// The TIFF structure is walked with every offset checked against the end
// of the block; anything malformed reads as "not there".
// Trade-off: only IFD0 and the EXIF IFD it points to are read; makers'
// notes, thumbnails and GPS data are never looked at.
#pragma once

#include <cstddef>
#include <string>

struct ExifFields {
    int orientation = 1; // 1..8, 1 = as stored
    std::string taken;   // DateTimeOriginal, "YYYY:MM:DD HH:MM:SS"; empty when absent or malformed
};

// A TIFF-structured block ("II*\0" or "MM\0*" first), as PNG's eXIf and
// WebP's EXIF chunks hold it, or the same after "Exif\0\0", as a JPEG's
// APP1 body and most HEIF files hold it.
ExifFields ReadExif(const unsigned char* data, std::size_t size);

// The orientation tag (0x0112) of an EXIF APP1 body (starting "Exif\0\0"),
// or 1 when there is none or it is out of range.
int ExifOrientation(const unsigned char* data, std::size_t size);

// The eXIf chunk of a PNG held whole in memory (chunks before the first
// IDAT are looked at); nothing found reads as ExifFields{}.
ExifFields PngExif(const unsigned char* png, std::size_t size);
