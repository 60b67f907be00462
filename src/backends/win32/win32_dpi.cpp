// The DPI helpers (see win32_dpi.h). The Windows 10 calls are found in
// user32, which every GUI process has loaded, so nothing is loaded by name;
// each lookup is done once per process and kept in a function-local
// constant.
#include "backends/win32/win32_dpi.h"

namespace w32 {
namespace {

// The user32 function `name` as type Fn, or null on a system without it.
template <class Fn>
Fn User32Function(const char* name)
{
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    // GetProcAddress yields a generic function pointer; the caller names
    // the real type.
    auto proc = user32 ? reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)) : nullptr;
    return reinterpret_cast<Fn>(proc);
}

} // namespace

int SystemDpi()
{
    WindowDc dc(nullptr);
    const int dpi = dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(Handle h)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpi && h) {
        if (const UINT dpi = getDpi(h))
            return int(dpi);
    }
    return SystemDpi();
}

RECT ScaleForDpi(const RECT& r, int dpi)
{
    return RECT{ScaleForDpi(int(r.left), dpi), ScaleForDpi(int(r.top), dpi), ScaleForDpi(int(r.right), dpi),
                ScaleForDpi(int(r.bottom), dpi)};
}

SIZE FrameForClient(SIZE client, DWORD style, DWORD exStyle, int dpi)
{
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, client.cx, client.cy};
    if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, UINT(dpi)))
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle); // the frame at the system DPI
    return SIZE{r.right - r.left, r.bottom - r.top};
}

Font FontForDpi(LOGFONTW lf, int fromDpi, int toDpi)
{
    if (fromDpi > 0) {
        lf.lfHeight = ::MulDiv(lf.lfHeight, toDpi, fromDpi);
        lf.lfWidth = ::MulDiv(lf.lfWidth, toDpi, fromDpi);
    }
    return Font(::CreateFontIndirectW(&lf));
}

Font StockFontForDpi(HGDIOBJ font, int dpi)
{
    LOGFONTW lf{};
    if (!font || ::GetObjectW(font, sizeof lf, &lf) != int(sizeof lf))
        return Font();
    return FontForDpi(lf, SystemDpi(), dpi);
}

} // namespace w32
