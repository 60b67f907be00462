// A minimal platform for the raster tests: window surfaces it hands out by
// handle, a record of what was presented, a fixed LOGPIXELSY and a text
// engine whose measure and coverage the test sets. Everything else is inert.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster/dc.h"
#include "framework/platform.h"
#include "raster/surface.h"
#include "raster/text.h"

namespace rastertest {

// Measures every text as `extent`; renders `cover` (w x h, rows top first)
// with its top-left corner at the box's top-left corner plus `at`.
class FakeTextEngine : public ITextEngine {
public:
    SIZE extent{40, 12};
    POINT at{};
    int coverW = 0, coverH = 0;
    std::vector<BYTE> cover;
    bool shortMask = false; // hands back a mask with too few bytes

    LOGFONT lastFont{};
    std::string lastText;
    UINT lastFormat = 0;
    RECT lastBox{};
    int renders = 0;

    SIZE Measure(const LOGFONT& font, std::string_view text) override
    {
        lastFont = font;
        lastText = std::string(text);
        return extent;
    }
    void Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box, TextMask& out) override
    {
        ++renders;
        lastFont = font;
        lastText = std::string(text);
        lastFormat = format;
        lastBox = box;
        out.rc = RECT{box.left + at.x, box.top + at.y, box.left + at.x + coverW, box.top + at.y + coverH};
        out.alpha = cover;
        if (shortMask && !out.alpha.empty())
            out.alpha.pop_back();
    }
};

class FakePlatform : public IPlatform {
public:
    int logPixelsY = 96;
    FakeTextEngine text;
    std::map<HWND, CSurface> windows;
    std::vector<std::pair<HWND, RECT>> presented;

    std::string GetModuleFileName() override { return "mosvik"; }
    [[noreturn]] void Exit(int) override { throw std::runtime_error("exit"); }
    DWORD GetTickCount() override { return 0; }
    void Sleep(DWORD) override {}
    std::int64_t GetTime() override { return 0; }
    SIZE GetScreenSize() override { return SIZE{640, 480}; }
    int GetLogPixelsY() override { return logPixelsY; }
    HWND CreateWindow(CWnd*, DWORD, DWORD, const RECT&, HWND) override { return nullptr; }
    BOOL DestroyWindow(HWND) override { return FALSE; }
    BOOL IsWindow(HWND h) override { return windows.count(h) != 0; }
    BOOL GetClientRect(HWND h, RECT* rc) override
    {
        auto it = windows.find(h);
        if (it == windows.end())
            return FALSE;
        *rc = RECT{0, 0, it->second.Width(), it->second.Height()};
        return TRUE;
    }
    CSurface* GetWindowSurface(HWND h) override
    {
        auto it = windows.find(h);
        return it == windows.end() ? nullptr : &it->second;
    }
    void Present(HWND h, const RECT& rc) override { presented.emplace_back(h, rc); }
    void WaitForRefresh(HWND) override {}
    BOOL PeekMessage(MSG*) override { return FALSE; }
    BOOL GetMessage(MSG*) override { return FALSE; }
    void TranslateMessage(const MSG*) override {}
    LRESULT DispatchMessage(const MSG*) override { return 0; }
    LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    void PostQuitMessage(int) override {}
    UINT_PTR SetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) override { return id; }
    BOOL KillTimer(HWND, UINT_PTR) override { return TRUE; }
    ITextEngine& Text() override { return text; }
    int GetProfileInt(const std::string&, const std::string&, const char*, const char*, int n) override { return n; }
    BOOL WriteProfileInt(const std::string&, const std::string&, const char*, const char*, int) override
    {
        return TRUE;
    }
    std::optional<std::string> GetProfileString(const std::string&, const std::string&, const char*,
                                                const char*) override
    {
        return std::nullopt;
    }
    BOOL WriteProfileString(const std::string&, const std::string&, const char*, const char*,
                            const std::string&) override
    {
        return TRUE;
    }
    int RunDialog(CDialog&, UINT) override { return IDCANCEL; }
    BOOL FindExecutable(const std::string&, std::string&) override { return FALSE; }
    void ShellExecute(const std::string&, const char*, const char*) override {}
};

// Installs a fake platform for the lifetime of a test.
class ScopedPlatform {
public:
    ScopedPlatform() { AfxSetPlatform(&platform); }
    ~ScopedPlatform() { AfxSetPlatform(nullptr); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;
    FakePlatform platform;
};

// A DC that records what it reports as changed.
class RecordingDC : public CDC {
public:
    std::vector<RECT> changes;

protected:
    void OnChanged(const RECT& rc) override { changes.push_back(rc); }
};

} // namespace rastertest
