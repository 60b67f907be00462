// Piece images: sampling at angle 0 (with the two black rows at the top of
// the top row of pieces), reduced sizes, the emboss/smooth filters on tiny
// hand-checked maps, the shading thresholds, and drawing clipped to the
// outline, including a whole board at home showing the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "board/spline_piece.h"
#include "board_fixture.h"
#include "framework/crt_rand.h"
#include "raster/dc.h"

namespace {
// A picture whose every pixel tells where it came from, in the document
// and as the board's picture.
void PatternPicture(PictureBoard& board, LONG w, LONG h)
{
    CJigsawDoc& doc = board.doc;
    MakePicture(doc, w, h);
    const std::size_t stride = PictureStride(w);
    for (LONG row = 0; row < h; ++row)
        for (LONG x = 0; x < w; ++x) {
            BYTE* p = doc.m_pBits.get() + std::size_t(row) * stride + std::size_t(x) * 3;
            p[0] = BYTE(x);
            p[1] = BYTE(row);
            p[2] = BYTE(((x >> 8) & 15) | ((row >> 8) << 4));
        }
    board.UseDocumentPicture();
}

const BYTE* ImagePixel(const CPiece& p, LONG j, LONG i)
{
    const std::size_t stride = (std::size_t(p.m_bihImage.biWidth) * 3 + 3) / 4 * 4;
    return p.m_pImage.data() + std::size_t(i) * stride + std::size_t(j) * 3;
}

void SetMap(CPiece& p, LONG mw, LONG mh, const std::vector<BYTE>& bytes)
{
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = mw;
    h.biHeight = mh;
    h.biBitCount = 8;
    p.m_pShadeInfo.assign(kShadeInfoSize, 0);
    std::memcpy(p.m_pShadeInfo.data(), &h, sizeof h);
    p.m_pShadeBits = p.m_pBoard->m_bmpShade.Create(bytes.size());
    std::memcpy(p.m_pShadeBits, bytes.data(), bytes.size());
}
} // namespace

TEST(PieceImage, AngleZeroSamplesThePictureWithTwoBlackRowsOnTop)
{
    PictureBoard board;
    PatternPicture(board, 300, 200);
    const POINT corners[4] = {{0, 0}, {100 * 64, 0}, {100 * 64, 80 * 64}, {0, 80 * 64}};
    CSplinePiece p(board, corners, FALSE); // straight edges: the bevel stays near the border
    p.m_nReduction = 2; // no shading: every sample is the picture's
    p.RenderImage();
    const RECT& b = p.m_rcBounds;
    ASSERT_EQ(p.m_bihImage.biWidth, (b.right - b.left + 1) / 2 + 2);
    // Reduced: pixel (j, i) samples column left + 2j, bottom-up row Ph - bottom + 2i.
    const BYTE* px = ImagePixel(p, 5, 7);
    const LONG row = 200 - b.bottom + 14, col = b.left + 10;
    EXPECT_EQ(px[0], BYTE(col));
    EXPECT_EQ(px[1], BYTE(row));

    p.m_nReduction = 1;
    p.RenderImage();
    const LONG W = p.m_bihImage.biWidth, H = p.m_bihImage.biHeight;
    EXPECT_EQ(W, b.right - b.left + 2);
    EXPECT_EQ(H, b.bottom - b.top + 2);
    // Deep inside the outline the bevel leaves pixels alone.
    for (LONG i = 20; i < 40; ++i)
        for (LONG j = 30; j < 60; ++j) {
            const BYTE* q = ImagePixel(p, j, i);
            ASSERT_EQ(q[0], BYTE(b.left + j)) << j << "," << i;
            ASSERT_EQ(q[1], BYTE(200 - b.bottom + i)) << j << "," << i;
        }
    // The top piece's two top rows (last in memory) lie beyond the picture: black.
    for (LONG j = 0; j < W; ++j) {
        for (LONG i : {H - 1, H - 2}) {
            const BYTE* q = ImagePixel(p, j, i);
            EXPECT_EQ(q[0] | q[1] | q[2], 0) << j << "," << i;
        }
    }
}

TEST(PieceImage, ReducedSizeFollowsTheRoundingRule)
{
    PictureBoard board;
    PatternPicture(board, 800, 600);
    const POINT corners[4] = {{64 * 100, 64 * 100}, {64 * 300, 64 * 100}, {64 * 300, 64 * 200}, {64 * 100, 64 * 200}};
    CSplinePiece p(board, corners, FALSE);
    p.m_rcRotated = RECT{100, 100, 300, 200}; // a box 200 pixels wide
    p.m_nZoom = 96;
    p.m_nReduction = 4;
    p.RenderImage();
    EXPECT_EQ(p.m_bihImage.biWidth, 50);  // (200 * 96 + 200) / 400 + 2
    EXPECT_EQ(p.m_bihImage.biHeight, 26); // (100 * 96 + 200) / 400 + 2
    // The kept image is reused while the size stays; a new size rebuilds it.
    const BYTE* before = p.m_pImage.data();
    p.RenderImage();
    EXPECT_EQ(p.m_pImage.data(), before);
    p.SetZoom(96);
    EXPECT_TRUE(p.m_pImage.empty());
}

TEST(PieceImage, EmbossIsADiagonalDifferenceOverTheByteRun)
{
    const PictureBoard board;
    CSplinePiece p(board, (const POINT[4]){{0, 0}, {64, 0}, {64, 64}, {0, 64}}, FALSE);
    std::vector<BYTE> map(8 * 8, 0);
    map[0] = 200;
    map[43] = 100;
    SetMap(p, 8, 8, map);
    p.EmbossShadeMap();
    // m = 3, S = 8: bytes 21..28 get copy[k] - copy[k + 42] + 127, clamped.
    EXPECT_EQ(p.m_pShadeBits[21], 255);
    EXPECT_EQ(p.m_pShadeBits[22], 27);
    for (int k = 23; k <= 28; ++k)
        EXPECT_EQ(p.m_pShadeBits[k], 127) << k;
    EXPECT_EQ(p.m_pShadeBits[20], 0);
    EXPECT_EQ(p.m_pShadeBits[29], 0);
    EXPECT_EQ(p.m_pShadeBits[43], 100);
}

TEST(PieceImage, SmoothingRunsBothWaysAlongRowsThenColumns)
{
    const PictureBoard board;
    CSplinePiece p(board, (const POINT[4]){{0, 0}, {64, 0}, {64, 64}, {0, 64}}, FALSE);
    SetMap(p, 4, 1, {0, 255, 0, 0});
    p.SmoothShadeMap();
    EXPECT_EQ(std::vector<BYTE>(p.m_pShadeBits, p.m_pShadeBits + 4), (std::vector<BYTE>{34, 45, 38, 35}));
    // One column of two: upward (3 * 0 + 200 + 3) / 4 = 50, then downward (3 * 50 + 0 + 3) / 4 = 38.
    SetMap(p, 1, 2, {0, 0, 0, 0, 200, 0, 0, 0});
    p.SmoothShadeMap();
    EXPECT_EQ(p.m_pShadeBits[4], 50);
    EXPECT_EQ(p.m_pShadeBits[0], 38);
}

TEST(PieceImage, ShadeFiltersMatchTheirDefinitionsOnRandomMaps)
{
    // Emboss, then rows both ways, then columns both ways, then the shading,
    // written out literally, against the filters on maps of many shapes
    // (vector groups and remainders in both directions).
    const PictureBoard board;
    CSplinePiece p(board, (const POINT[4]){{0, 0}, {64, 0}, {64, 64}, {0, 64}}, FALSE);
    std::mt19937 rng(17);
    for (auto [mw, mh] : {std::pair{1, 1}, {7, 3}, {9, 17}, {16, 16}, {33, 40}, {70, 19}, {130, 33}}) {
        const int s = (mw + 3) / 4 * 4, m = 3;
        std::vector<BYTE> map(std::size_t(s * mh));
        for (auto& b : map)
            b = rng() % 3 ? BYTE(rng() % 2 * 255) : BYTE(rng());
        SetMap(p, mw, mh, map);
        p.EmbossShadeMap();
        p.SmoothShadeMap();
        std::vector<BYTE> want = map;
        const int count = (mh - 2 * m) * s - 2 * m - 2, shift = (s - 1) * m;
        for (int k = 0; k < count; ++k)
            want[std::size_t(shift + k)] = BYTE(std::clamp(map[std::size_t(k)] - map[std::size_t(k + 2 * shift)] + 127, 0, 255));
        auto at = [&](int r, int c) -> BYTE& { return want[std::size_t(r * s + c)]; };
        for (int r = 0; r < mh; ++r) {
            for (int c = 1; c < mw; ++c)
                at(r, c) = BYTE((3 * at(r, c - 1) + at(r, c)) / 4);
            for (int c = mw - 2; c >= 0; --c)
                at(r, c) = BYTE((3 * at(r, c + 1) + at(r, c) + 3) / 4);
        }
        for (int c = 0; c < mw; ++c) {
            for (int r = 1; r < mh; ++r)
                at(r, c) = BYTE((3 * at(r - 1, c) + at(r, c) + 3) / 4);
            for (int r = mh - 2; r >= 0; --r)
                at(r, c) = BYTE((3 * at(r + 1, c) + at(r, c) + 3) / 4);
        }
        for (int r = 0; r < mh; ++r)
            ASSERT_EQ(0, std::memcmp(p.m_pShadeBits + r * s, &at(r, 0), std::size_t(mw))) << mw << "x" << mh << " row " << r;

        // Shading an image of the map's size less the margins: each byte moves
        // by its map value - 128 where that is beyond 8, clamped.
        const int w = std::max(1, mw - 2 * m), h = std::max(1, mh - 2 * m), stride = (3 * w + 3) / 4 * 4;
        p.m_bihImage.biWidth = w;
        p.m_bihImage.biHeight = h;
        p.m_pImage.resize(std::size_t(stride * h));
        for (auto& b : p.m_pImage)
            b = BYTE(rng());
        std::vector<BYTE> image = p.m_pImage;
        for (int i = 0; i < h; ++i) {
            const int base = (s + 1) * m + i * s;
            for (int j = 0; j < w && base + j < s * mh; ++j) {
                const int d = want[std::size_t(base + j)] - 128;
                for (int c = 0; c < 3; ++c) {
                    BYTE& b = image[std::size_t(i * stride + 3 * j + c)];
                    b = BYTE(std::clamp(b + (d > 8 || d < -8 ? d : 0), 0, 255));
                }
            }
        }
        p.ApplyShade();
        ASSERT_EQ(p.m_pImage, image) << mw << "x" << mh;
    }
}

TEST(PieceImage, ShadingThresholds)
{
    PictureBoard board;
    PatternPicture(board, 64, 64);
    CSplinePiece p(board, (const POINT[4]){{0, 0}, {64 * 4, 0}, {64 * 4, 64}, {0, 64}}, FALSE);
    p.m_bihImage.biWidth = 4;
    p.m_bihImage.biHeight = 1;
    p.m_pImage = {100, 100, 100, 200, 200, 200, 50, 50, 50, 100, 100, 100};
    // Map 10 x 7, stride 12: image pixel (j, 0) reads byte (12 + 1) * 3 + j.
    std::vector<BYTE> map(12 * 7, 128);
    map[39] = 120;
    map[40] = 255;
    map[41] = 0;
    map[42] = 137;
    SetMap(p, 10, 7, map);
    p.ApplyShade();
    EXPECT_EQ(p.m_pImage[0], 100);       // 120: within 8 of 128, unchanged
    EXPECT_EQ(p.m_pImage[3], 255);       // 255 adds 127, clamped
    EXPECT_EQ(p.m_pImage[6], 0);         // 0 subtracts 128, clamped
    EXPECT_EQ(p.m_pImage[9], 109);       // 137 adds 9
}

TEST(PieceDraw, NothingOutsideTheOutlineChanges)
{
    PictureBoard board;
    PatternPicture(board, 200, 200);
    const POINT corners[4] = {{64 * 40, 64 * 40}, {64 * 120, 64 * 40}, {64 * 120, 64 * 120}, {64 * 40, 64 * 120}};
    CSplinePiece p(board, corners, TRUE);
    p.Translate(POINT{64 * 10, -64 * 5}); // drawn at (10, -4): (-32000 + 3200) / 6400 truncates to -4
    CSurface surface(200, 200);
    surface.Fill(0x123456);
    CDC dc;
    dc.AttachSurface(&surface);
    p.Draw(&dc, nullptr);
    CRgn moved = p.m_rgn;
    moved.OffsetRgn(10, -4);
    int inside = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            if (moved.PtInRegion(x, y))
                inside += surface.Pixel(x, y) != 0x123456;
            else
                ASSERT_EQ(surface.Pixel(x, y), 0x123456u) << x << "," << y;
        }
    EXPECT_GT(inside, 5000);
    // The origin is restored and the clip removed: a full-surface fill reaches every pixel.
    EXPECT_EQ(dc.GetWindowOrg(), (POINT{0, 0}));
    dc.PatBlt(0, 0, 200, 200, BLACKNESS);
    EXPECT_EQ(surface.Pixel(0, 0), 0u);
}

TEST(PieceDraw, ScreenRectTruncatesAndWidens)
{
    PictureBoard board;
    PatternPicture(board, 200, 200);
    const POINT corners[4] = {{0, 0}, {64 * 50, 0}, {64 * 50, 64 * 50}, {0, 64 * 50}};
    CSplinePiece p(board, corners, TRUE);
    RECT box;
    p.m_rgn.GetRgnBox(&box);
    p.Translate(POINT{-100, 130}); // -100 * 100 / 6400 = -1 (toward zero), 130 -> 2
    RECT r = p.GetScreenRect();
    EXPECT_EQ(r, (RECT{box.left - 1 - 2, box.top + 2 - 2, box.right - 1 + 2, box.bottom + 2 + 2}));
}

TEST(PieceDraw, WholeBoardAtHomeShowsThePictureTwoRowsLower)
{
    PictureBoard scope;
    FakeBoardHost host;
    host.client = RECT{0, 0, 400, 300}; // zoom 100 for a 300 x 225 picture
    CJigsawBoard& board = scope.board;
    board.SetHost(&host);
    const CJigsawDoc& doc = scope.doc;
    PatternPicture(scope, 300, 225);
    crt::srand(17);
    board.m_nPieces = 12;
    board.CutPicture();
    ASSERT_EQ(board.m_nBoardZoom, 100);
    CSurface surface(400, 300);
    surface.Fill(0xFF00FF);
    CDC dc;
    dc.AttachSurface(&surface);
    board.DrawBoard(&dc, nullptr);
    // The board is centred: board (0, 0) is client (50, 37).
    int exact = 0, total = 0, unshifted = 0;
    for (int y = 2; y < 225; ++y)
        for (int x = 0; x < 300; ++x) {
            const std::uint32_t got = surface.Pixel(50 + x, 37 + y);
            auto at = [&](int py) {
                const BYTE* p = doc.m_pBits.get() + std::size_t(224 - py) * PictureStride(300) + std::size_t(x) * 3;
                return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
            };
            ++total;
            exact += got == at(y - 2);
            unshifted += got == at(y);
        }
    EXPECT_GT(exact, total / 2); // the bevel changes a band along every outline
    EXPECT_LT(unshifted, total / 100);
    // Outside the board only the fill remains.
    EXPECT_EQ(surface.Pixel(10, 10), 0xFF00FFu);
    EXPECT_EQ(surface.Pixel(50 + 150, 37 + 226), 0xFF00FFu);

    // A dirty rectangle limits the drawing to itself: inside it the same
    // pixels as a full drawing, outside it nothing touched.
    CSurface part(400, 300);
    part.Fill(0xFF00FF);
    CDC partDC;
    partDC.AttachSurface(&part);
    const RECT dirty{120, 90, 260, 171};
    board.DrawBoard(&partDC, &dirty);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const bool in = x >= dirty.left && x < dirty.right && y >= dirty.top && y < dirty.bottom;
            ASSERT_EQ(part.Pixel(x, y), in ? surface.Pixel(x, y) : 0xFF00FFu) << x << "," << y;
        }
    partDC.PatBlt(0, 0, 400, 300, BLACKNESS); // the limit ends with the drawing
    EXPECT_EQ(part.Pixel(0, 0), 0u);
}

// Pictures 1 or 2 pixels wider than a multiple of 4 leave less than a
// whole pixel of padding after the top row: the sample just right of it
// would read past the block (the sanitizer build catches that). It is
// black, like every other sample outside the block.
TEST(PieceImage, SampleBeyondTheLastRowEndIsBlack)
{
    for (LONG w : {801, 802}) {
        PictureBoard board;
        PatternPicture(board, w, 601);
        const POINT corners[4] = {{64 * (w - 100), 0}, {64 * w, 0}, {64 * w, 64 * 80}, {64 * (w - 100), 64 * 80}};
        CSplinePiece p(board, corners, FALSE); // the top-right piece, upright
        p.RenderImage();
        const RECT& b = p.m_rcBounds;
        // Pixel (j, i) samples column b.left + j of bottom-up row 601 - b.bottom + i.
        const LONG j = w - b.left, i = 600 - (601 - b.bottom);
        ASSERT_LT(j, p.m_bihImage.biWidth) << w;
        ASSERT_LT(i, p.m_bihImage.biHeight) << w;
        const BYTE* q = ImagePixel(p, j, i);
        EXPECT_EQ(q[0] | q[1] | q[2], 0) << w;
        const BYTE* inside = ImagePixel(p, j - 20, i - 20); // the picture itself, away from the bevel
        EXPECT_EQ(inside[0], BYTE(w - 20)) << w;
    }
}
