// Lanczos-3 resampling: for each output column (then row) a list of source
// taps with normalised weights, computed once per axis. The horizontal pass
// writes floats for each source row as it comes; an output row is summed,
// rounded and clamped as soon as its last source row has come.
#include "resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double Lanczos3(double x)
{
    x = std::fabs(x);
    if (x < 1e-9)
        return 1.0;
    if (x >= 3.0)
        return 0.0;
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

unsigned char ToByte(float v) { return static_cast<unsigned char>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

} // namespace

PictureSize FitWithin(PictureSize size, int maxSide)
{
    if (size.width <= maxSide && size.height <= maxSide)
        return size;
    PictureSize out;
    if (size.width >= size.height) {
        out.width = maxSide;
        out.height = int(std::lround(double(size.height) * maxSide / size.width));
    } else {
        out.height = maxSide;
        out.width = int(std::lround(double(size.width) * maxSide / size.height));
    }
    out.width = std::max(out.width, 1);
    out.height = std::max(out.height, 1);
    return out;
}

PictureSize TargetSize(PictureSize size, int maxSide)
{
    const PictureSize fit = FitWithin(size, maxSide);
    const int longSide = std::max(fit.width, fit.height), want = std::min(kMinLongSide, maxSide);
    if (longSide >= want || longSide <= 0)
        return fit;
    PictureSize out;
    out.width = std::max(1, int(std::lround(double(fit.width) * want / longSide)));
    out.height = std::max(1, int(std::lround(double(fit.height) * want / longSide)));
    return out;
}

PictureSize OrientedSize(PictureSize stored, int orientation)
{
    return orientation >= 5 && orientation <= 8 ? PictureSize{stored.height, stored.width} : stored;
}

RgbImage Orient(const RgbImage& src, int orientation)
{
    if (orientation < 2 || orientation > 8)
        return src;
    const int w = src.width, h = src.height;
    const PictureSize size = OrientedSize({w, h}, orientation);
    RgbImage out(size.width, size.height);
    for (int y = 0; y < out.height; ++y) {
        unsigned char* dst = out.Row(y);
        for (int x = 0; x < out.width; ++x, dst += 3) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2: sx = w - 1 - x; break;                  // mirrored
            case 3: sx = w - 1 - x; sy = h - 1 - y; break;  // turned half round
            case 4: sy = h - 1 - y; break;                  // upside down
            case 5: sx = y; sy = x; break;                  // transposed
            case 6: sx = y; sy = h - 1 - x; break;          // needs a quarter turn clockwise
            case 7: sx = w - 1 - y; sy = h - 1 - x; break;  // transverse
            case 8: sx = w - 1 - y; sy = x; break;          // needs a quarter turn anticlockwise
            }
            const unsigned char* s = src.Row(sy) + std::size_t(sx) * 3;
            dst[0] = s[0];
            dst[1] = s[1];
            dst[2] = s[2];
        }
    }
    return out;
}

// Taps for every destination index along one axis of `srcLen` samples.
std::vector<CRowResampler::Taps> CRowResampler::MakeTaps(int srcLen, int dstLen)
{
    const double scale = double(srcLen) / dstLen;
    const double support = 3.0 * std::max(scale, 1.0);
    const double stretch = std::max(scale, 1.0);
    std::vector<Taps> taps(static_cast<std::size_t>(dstLen));
    for (int i = 0; i < dstLen; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        const int lo = std::max(0, int(std::floor(centre - support)));
        const int hi = std::min(srcLen - 1, int(std::ceil(centre + support)));
        Taps& t = taps[std::size_t(i)];
        t.first = lo;
        double sum = 0;
        std::vector<double> w;
        for (int j = lo; j <= hi; ++j) {
            w.push_back(Lanczos3((j - centre) / stretch));
            sum += w.back();
        }
        for (double v : w)
            t.weights.push_back(float(sum != 0 ? v / sum : 0));
    }
    return taps;
}

CRowResampler::CRowResampler(int srcWidth, int srcHeight, int width, int height)
    : m_srcHeight(srcHeight), m_dst(width, height)
{
    if (width == srcWidth && height == srcHeight)
        return; // rows are copied
    m_across = MakeTaps(srcWidth, width);
    m_down = MakeTaps(srcHeight, height);
    for (const Taps& t : m_down)
        m_ring = std::max(m_ring, t.weights.size());
    m_mid.resize(m_ring * std::size_t(width) * 3);
    m_acc.resize(std::size_t(width) * 3);
}

// The horizontal pass of source row y into its place in the ring of rows.
void CRowResampler::PassAcross(const unsigned char* row, int y)
{
    const int width = m_dst.width;
    float* out = &m_mid[std::size_t(y) % m_ring * std::size_t(width) * 3];
    for (int x = 0; x < width; ++x, out += 3) {
        const Taps& t = m_across[std::size_t(x)];
        float r = 0, g = 0, b = 0;
        const unsigned char* s = row + std::size_t(t.first) * 3;
        for (float wgt : t.weights) {
            r += wgt * s[0];
            g += wgt * s[1];
            b += wgt * s[2];
            s += 3;
        }
        out[0] = r;
        out[1] = g;
        out[2] = b;
    }
}

void CRowResampler::Push(const unsigned char* row)
{
    if (m_received >= m_srcHeight)
        return;
    const int y = m_received++;
    if (m_down.empty()) {
        std::copy_n(row, std::size_t(m_dst.width) * 3, m_dst.Row(y));
        return;
    }
    // A row before the pending output row's first tap is needed by no
    // output row: those done ended before it, those to come start later.
    if (m_out >= m_dst.height || y < m_down[std::size_t(m_out)].first)
        return;
    PassAcross(row, y);
    // Every output row whose taps end with this row is complete; the
    // taps' first rows never go back, so the ring still holds them all.
    const std::size_t midStride = std::size_t(m_dst.width) * 3;
    for (; m_out < m_dst.height; ++m_out) {
        const Taps& t = m_down[std::size_t(m_out)];
        if (t.first + int(t.weights.size()) > y + 1)
            break;
        std::fill(m_acc.begin(), m_acc.end(), 0.0f);
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
            const float wgt = t.weights[k];
            const float* m = &m_mid[(std::size_t(t.first) + k) % m_ring * midStride];
            for (std::size_t i = 0; i < midStride; ++i)
                m_acc[i] += wgt * m[i];
        }
        unsigned char* out = m_dst.Row(m_out);
        for (std::size_t i = 0; i < midStride; ++i)
            out[i] = ToByte(m_acc[i]);
    }
}

void OverWhite(const unsigned char* rgba, unsigned char* rgb, int width)
{
    for (int x = 0; x < width; ++x, rgba += 4, rgb += 3) {
        const unsigned a = rgba[3], white = 255 * (255 - a);
        for (int c = 0; c < 3; ++c)
            rgb[c] = static_cast<unsigned char>((rgba[c] * a + white + 127) / 255);
    }
}

RgbImage Resample(const RgbImage& src, int width, int height)
{
    if (width == src.width && height == src.height)
        return src;
    CRowResampler resampler(src.width, src.height, width, height);
    for (int y = 0; y < src.height; ++y)
        resampler.Push(src.Row(y));
    return resampler.Take();
}
