// CPiece: one jigsaw piece with its placement (home corners, centre,
// offset, angle, zoom), its outline region and its cached image. The
// outline itself comes from the derived CSplinePiece. A piece samples the
// picture of the board it belongs to.
#pragma once

#include <cstddef>
#include <vector>

#include "framework/object.h"
#include "raster/region.h"
#include "raster/surface.h"
#include "framework/types.h"

class CDC;
class CJigsawBoard;

// Sub-pixel units (1/64 picture pixel) times a zoom in percent, divided by
// this, are board pixels; adding half of it first rounds to the nearest.
constexpr LONG kSubPixelZoomDivisor = 64 * 100;

// Border of the shading map, pixels.
constexpr int g_nShadeMargin = 3;

// Bytes of the shading map's BITMAPINFO: the header with its first colour
// entry, then 256 entries more, so one entry beyond the 256 the grey ramp
// fills (always allocated so, zero-filled).
constexpr std::size_t kShadeInfoSize = sizeof(BITMAPINFOHEADER) + 257 * sizeof(RGBQUAD);
static_assert(kShadeInfoSize == 1068);

// The 8-bit shading map of a piece while its image is built. One map is
// needed at a time, so the board keeps one for all its pieces; its memory
// is kept between builds (DeleteObject only marks it gone), so building an
// image does not fault in fresh pages.
class CShadeBitmap {
public:
    BYTE* Create(std::size_t bytes);
    void DeleteObject() { m_bValid = false; }
    bool IsValid() const { return m_bValid; }

private:
    std::vector<BYTE> m_bits;
    bool m_bValid = false;
};

class CPiece : public CObject {
public:
    explicit CPiece(const CJigsawBoard& board) : m_pBoard(&board) {}
    ~CPiece() override = default;

    // Piece operations that the outline class provides.
    virtual void Rotate(int nDelta, int nFlag) {}
    virtual void DrawOutline(CDC* pDC, COLORREF crPen) {}
    virtual void SetZoom(int nPercent);
    virtual void CreateRegion() {}

    // Placement (sub-pixel units).
    void Translate(POINT d);
    void MoveCentreTo(POINT p);
    void UpdateCorners();
    void UpdateRotatedBox();
    void ScatterPiece(RECT rcArea, int nKind);
    bool IsHome() const { return m_ptOffset.x == 0 && m_ptOffset.y == 0 && m_nAngle == 0; }

    // Image and shading.
    void RenderImage();
    POINT GetPivot() const;
    void BuildShadeMap();
    void EmbossShadeMap();
    void SmoothShadeMap();
    void ApplyShade();

    // Drawing.
    void Draw(CDC* pDC, const RECT* prc);
    RECT GetScreenRect() const;

    const CJigsawBoard* m_pBoard; // the board whose picture the piece shows
    RECT m_rcBounds{};      // outline box at zoom 100, angle 0 (picture pixels)
    RECT m_rcRotated{};     // m_rcBounds turned about the centre
    POINT m_ptHome[4]{};    // home corners TL, TR, BR, BL (sub-pixel units)
    POINT m_ptCorner[4]{};  // current corners
    POINT m_ptCentre{};     // centre of the home corners
    POINT m_ptOffset{};     // displacement from home
    CRgn m_rgn;             // outline at current angle and zoom, home place, board pixels
    int m_nReduction = 1;
    int m_nZoom = 100;
    int m_nAngle = 0;
    int m_nSin64 = 0;
    int m_nCos64 = 64;

    BITMAPINFOHEADER m_bihImage{};
    std::vector<BYTE> m_pImage;      // image rows (empty: no image); capacity is reused
    // While the image is built: the BITMAPINFO (kShadeInfoSize bytes) and the
    // rows of the shading map, which lie in the board's m_bmpShade.
    std::vector<BYTE> m_pShadeInfo;  // empty: no map
    BYTE* m_pShadeBits = nullptr;
};
