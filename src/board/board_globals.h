// Process-wide state shared by the pieces (one board exists at a time).
#pragma once

#include "framework/types.h"

class CPieceGroup;

extern RECT g_rcDirty;                 // pending dirty rectangle, board pixels
extern BITMAPINFOHEADER g_bihActive;   // picture header copied by CutPicture
extern const BYTE* g_pActiveBits;      // picture rows (not owned)
extern int g_nAnimSpeed;               // animation speed, copied from m_nSpeed per group
extern CPieceGroup* g_pTurningGroup;   // group whose refinement timer runs
constexpr int g_nShadeMargin = 3;      // border of the shading map, pixels

// Sine and cosine of a whole-degree angle times 64, truncated, with the
// saver's 3.14/180 radian factor.
constexpr double kDegToRad = 0.017444444444444446;
int Sin64(int angle);
int Cos64(int angle);
