// Geometry of the input picture: turning it upright by its EXIF
// orientation, fitting it inside the largest side (enlarging a small one),
// and resampling with a Lanczos-3 filter (separable, in 8-bit sRGB values,
// as most image tools do by default; it keeps edges sharp where a box
// filter would blur them).
#pragma once

#include "picture_source.h"

// The size that keeps the aspect ratio and has neither side above maxSide
// (rounded to the nearest pixel, at least 1); the size itself when it fits.
PictureSize FitWithin(PictureSize size, int maxSide);

// Smallest longer side a stored picture gets: smaller pictures are
// enlarged to it (or to maxSide when that is less), so the board can cut
// them into pieces one can see.
constexpr int kMinLongSide = 256;

// FitWithin, then enlarged to kMinLongSide when the longer side is below it.
PictureSize TargetSize(PictureSize size, int maxSide);

// The picture as it is meant to be seen for EXIF orientation 1..8.
RgbImage Orient(const RgbImage& src, int orientation);

// Size after Orient: orientations 5 to 8 swap width and height.
PictureSize OrientedSize(PictureSize stored, int orientation);

// Resampling fed one source row at a time, top row first, so a decoder
// that hands out rows never needs the whole source in memory. The
// horizontal pass is kept only for the source rows the pending output rows
// need: a few rows of floats. Equal sizes copy.
class CRowResampler {
public:
    // Sizes of at least 1 pixel.
    CRowResampler(int srcWidth, int srcHeight, int width, int height);
    CRowResampler(const CRowResampler&) = delete;
    CRowResampler& operator=(const CRowResampler&) = delete;

    // The next source row (3 * srcWidth bytes of RGB); rows past the last are ignored.
    void Push(const unsigned char* row);
    // Every source row has been pushed.
    bool Complete() const { return m_received >= m_srcHeight; }
    // The result, once Complete().
    RgbImage Take() { return std::move(m_dst); }

private:
    struct Taps {
        int first = 0;
        std::vector<float> weights;
    };
    static std::vector<Taps> MakeTaps(int srcLen, int dstLen);
    void PassAcross(const unsigned char* row, int y);

    int m_srcHeight;
    std::vector<Taps> m_across, m_down;
    std::size_t m_ring = 1;
    std::vector<float> m_mid, m_acc;
    RgbImage m_dst;
    int m_received = 0; // source rows pushed
    int m_out = 0;      // output rows written
};

// One row of RGBA (not premultiplied) laid over white, as RGB.
void OverWhite(const unsigned char* rgba, unsigned char* rgb, int width);

// Resamples a whole picture to width x height (equal sizes copy).
RgbImage Resample(const RgbImage& src, int width, int height);
