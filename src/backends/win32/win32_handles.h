// Owners for the Win32 handles the backend holds: each releases its handle
// the way its kind requires. Only files that include windows.h use them.
#pragma once

#include <windows.h>

#include <utility>

namespace w32 {

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : m_h(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, H{})) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept
    {
        if (this != &o)
            Reset(std::exchange(o.m_h, H{}));
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    void Reset(H h = H{})
    {
        if (m_h)
            Traits::Close(m_h);
        m_h = h;
    }
    H Get() const { return m_h; }
    H* Put() { Reset(); return &m_h; } // for out-parameters
    explicit operator bool() const { return m_h != H{}; }

private:
    H m_h{};
};

struct GdiObjectTraits {
    static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct DcTraits {
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct RegKeyTraits {
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};

using Font = UniqueHandle<HFONT, GdiObjectTraits>;
using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using MemoryDc = UniqueHandle<HDC, DcTraits>;
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using Module = UniqueHandle<HMODULE, ModuleTraits>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND h) : m_hWnd(h), m_hDC(::GetDC(h)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// An object selected into a DC for a scope; the previous one comes back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) : m_hDC(dc), m_hOld(::SelectObject(dc, obj)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// The header of a 32-bit, top-down, uncompressed DIB of w x h pixels.
inline BITMAPINFO TopDown32BitmapInfo(int w, int h)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

} // namespace w32
