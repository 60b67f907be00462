// Per-monitor DPI for the windows people read: the saver's configuration
// dialog and the pack tool's window (the full-screen show counts physical
// pixels and needs none of this). The calls that tell a window's DPI and
// size a frame or a font for it came with Windows 10 (1607); they are looked
// up in user32 at run time, and without them a window takes the system DPI,
// the only one on Windows 7 and 8. Windows 8.1 gives each monitor a DPI of
// its own but tells it only through shcore, which is not loaded for it:
// there a window starts at the system DPI and WM_DPICHANGED, which 8.1
// sends, brings it to its monitor's when it moves. Only files that include
// windows.h use this header.
#pragma once

#include <windows.h>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"

namespace w32 {

constexpr int kBaseDpi = 96; // 100 %: the sizes a layout is written in

// The DPI of the primary monitor at log-on (what GetDeviceCaps reports).
int SystemDpi();

// `value` pixels at 96 DPI, at `dpi`.
inline int ScaleForDpi(int value, int dpi) { return ::MulDiv(value, dpi, kBaseDpi); }
RECT ScaleForDpi(const RECT& r96, int dpi);

// The outer size of a window of `style` whose client area is `client` at
// `dpi` (its frame drawn at that DPI where the system can say so).
SIZE FrameForClient(SIZE client, DWORD style, DWORD exStyle, int dpi);

// The font `lf` describes at `fromDpi`, made for `toDpi`.
Font FontForDpi(LOGFONTW lf, int fromDpi, int toDpi);
// The font of `font` (a stock or any other font made at the system DPI)
// at `dpi`.
Font StockFontForDpi(HGDIOBJ font, int dpi);

} // namespace w32
