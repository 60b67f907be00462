// An in-memory platform for the shell's tests: windows are surfaces, the
// queue is a deque, the tick count advances by one on every read (so busy
// waits end) and by the slept time, and every service the shell asks for is
// recorded. Exit throws FakeExit instead of ending the test process.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/platform.h"
#include "raster/surface.h"
#include "raster/text.h"
#include "framework/wnd.h"

// Thrown by FakePlatform::Exit; not a std::exception, so the per-message
// guard lets it through to the test.
struct FakeExit {
    int status;
};

// Measures every text at a fixed size and records the fonts it is given.
class FakeTextEngine : public ITextEngine {
public:
    SIZE Measure(const LOGFONT& font, std::string_view text) override
    {
        measured.push_back(font);
        return extent;
    }
    void Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box, TextMask& out) override
    {
        rendered.push_back(font);
        renderedText.emplace_back(text);
        renderedFormat.push_back(format);
        renderedBox.push_back(box);
        out.rc = RECT{};
        out.alpha.clear();
    }

    SIZE extent{200, 20};
    std::vector<LOGFONT> measured, rendered;
    std::vector<std::string> renderedText;
    std::vector<UINT> renderedFormat;
    std::vector<RECT> renderedBox;
};

class FakePlatform : public IPlatform {
public:
    struct Window {
        CWnd* owner = nullptr;
        DWORD style = 0;
        HWND parent = nullptr;
        RECT rc{};
        std::unique_ptr<CSurface> surface;
        bool alive = true;
        bool ncDestroyed = false; // WM_NCDESTROY delivered (the object may be gone)
    };
    struct Timer {
        UINT elapse = 0;
        TIMERPROC proc = nullptr;
    };

    // Process.
    std::string GetModuleFileName() override { return modulePath; }
    [[noreturn]] void Exit(int status) override
    {
        exitStatuses.push_back(status);
        throw FakeExit{status};
    }

    // Time.
    DWORD GetTickCount() override
    {
        ++tickReads;
        ticks += tickStep;
        return ticks;
    }
    void Sleep(DWORD ms) override
    {
        sleeps.push_back(ms);
        ticks += ms;
        if (onSleep)
            onSleep();
    }
    // Jumps to the tick without counting as a sleep of the show.
    void SleepUntilTick(DWORD tick) override
    {
        ++tickSleeps;
        if (onSleepUntilTick)
            onSleepUntilTick(tick);
        else if (DWORD(tick - ticks) < 0x80000000u)
            ticks = tick;
    }
    std::int64_t GetTime() override { return now; }

    // Display.
    SIZE GetScreenSize() override { return screen; }
    int GetLogPixelsY() override { return logPixelsY; }
    int ScalePixels(HWND, int n) override { return n * pixelScale; }

    // Windows.
    HWND CreateWindow(CWnd* owner, DWORD exStyle, DWORD style, const RECT& rc, HWND parent) override
    {
        createCalls.push_back({style, parent, rc});
        if (failCreate)
            return nullptr;
        // Handles stay unique across fakes: the framework's handle map is process-wide.
        static std::intptr_t s_nextHandle = 0x10000;
        s_nextHandle += 16;
        ++windowCount;
        HWND h = reinterpret_cast<HWND>(s_nextHandle);
        Window& w = windows[h];
        w.owner = owner;
        w.style = style;
        w.parent = parent;
        w.rc = rc;
        w.surface = std::make_unique<CSurface>(rc.right - rc.left, rc.bottom - rc.top);
        if (owner->OnMessageGuarded(h, WM_CREATE, 0, 0) == -1) {
            windows.erase(h);
            return nullptr;
        }
        return h;
    }
    BOOL DestroyWindow(HWND hwnd) override
    {
        auto it = windows.find(hwnd);
        if (it == windows.end() || !it->second.alive)
            return FALSE;
        it->second.alive = false;
        destroyed.push_back(hwnd);
        CWnd* owner = it->second.owner;
        owner->OnMessageGuarded(hwnd, WM_DESTROY, 0, 0);
        it->second.ncDestroyed = true;
        owner->OnMessageGuarded(hwnd, WM_NCDESTROY, 0, 0);
        return TRUE;
    }
    BOOL IsWindow(HWND hwnd) override
    {
        auto it = windows.find(hwnd);
        if (it != windows.end())
            return it->second.alive;
        return foreign.count(hwnd) ? TRUE : FALSE;
    }
    BOOL GetClientRect(HWND hwnd, RECT* rc) override
    {
        if (auto f = foreign.find(hwnd); f != foreign.end()) {
            *rc = f->second;
            return TRUE;
        }
        auto it = windows.find(hwnd);
        if (it == windows.end() || !it->second.alive)
            return FALSE;
        *rc = RECT{0, 0, it->second.rc.right - it->second.rc.left, it->second.rc.bottom - it->second.rc.top};
        return TRUE;
    }
    CSurface* GetWindowSurface(HWND hwnd) override
    {
        auto it = windows.find(hwnd);
        return it == windows.end() ? nullptr : it->second.surface.get();
    }
    void Present(HWND hwnd, const RECT& rc) override { presents.push_back({hwnd, rc}); }
    void WaitForRefresh(HWND hwnd) override
    {
        refreshWaits.push_back({hwnd, presents.size()});
        if (onRefresh)
            onRefresh();
    }

    // Messages.
    BOOL PeekMessage(MSG* msg) override
    {
        ++peeks;
        if (queue.empty())
            return FALSE;
        *msg = queue.front();
        queue.pop_front();
        return TRUE;
    }
    BOOL GetMessage(MSG* msg) override
    {
        if (queue.empty())
            return FALSE;
        *msg = queue.front();
        queue.pop_front();
        return msg->message != WM_QUIT;
    }
    void TranslateMessage(const MSG* msg) override { translated.push_back(msg->message); }
    LRESULT DispatchMessage(const MSG* msg) override
    {
        dispatched.push_back(msg->message);
        if (msg->message == WM_TIMER && msg->lParam) {
            reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, ticks);
            return 0;
        }
        if (CWnd* w = CWnd::FromHandlePermanent(msg->hwnd))
            return w->OnMessageGuarded(msg->hwnd, msg->message, msg->wParam, msg->lParam);
        return 0;
    }
    LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        defaults.push_back(message);
        return 0;
    }
    void PostQuitMessage(int code) override { Post(nullptr, WM_QUIT, WPARAM(code), 0); }
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) override
    {
        timers[{hwnd, id}] = Timer{elapse, proc};
        timerSets.push_back(id);
        return id;
    }
    BOOL KillTimer(HWND hwnd, UINT_PTR id) override
    {
        timerKills.push_back(id);
        return timers.erase({hwnd, id}) ? TRUE : FALSE;
    }
    bool HasTimer(HWND hwnd, UINT_PTR id) const { return timers.count({hwnd, id}) != 0; }

    // Services.
    ITextEngine& Text() override { return text; }
    int GetProfileInt(const std::string& key, const std::string& app, const char* section, const char* entry,
                      int nDefault) override
    {
        profileReads.push_back(key + "\\" + app + "\\" + section + "\\" + entry);
        auto it = profile.find(std::string(section) + "\\" + entry);
        return it == profile.end() ? nDefault : it->second;
    }
    BOOL WriteProfileInt(const std::string& key, const std::string& app, const char* section, const char* entry,
                         int value) override
    {
        profileWrites.push_back({std::string(section) + "\\" + entry, value});
        profile[std::string(section) + "\\" + entry] = value;
        return TRUE;
    }
    std::optional<std::string> GetProfileString(const std::string& key, const std::string& app, const char* section,
                                                const char* entry) override
    {
        profileReads.push_back(key + "\\" + app + "\\" + section + "\\" + entry);
        auto it = profileText.find(std::string(section) + "\\" + entry);
        return it == profileText.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    BOOL WriteProfileString(const std::string& key, const std::string& app, const char* section, const char* entry,
                            const std::string& value) override
    {
        profileTextWrites.push_back({std::string(section) + "\\" + entry, value});
        profileText[std::string(section) + "\\" + entry] = value;
        return TRUE;
    }
    int RunDialog(CDialog& dlg, UINT templateId) override
    {
        dialogTemplates.push_back(templateId);
        return runDialog ? runDialog(dlg) : IDCANCEL;
    }
    BOOL FindExecutable(const std::string& file, std::string& program) override
    {
        lookups.push_back(file);
        if (onFindExecutable)
            onFindExecutable(file);
        if (!browserFound)
            return FALSE;
        program = "browser";
        return TRUE;
    }
    void ShellExecute(const std::string& program, const char* verb, const char* parameters) override
    {
        launches.push_back(program + "|" + verb + "|" + parameters);
    }

    // Test helpers.
    void Post(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        queue.push_back(MSG{hwnd, message, wParam, lParam});
    }
    CSurface& SurfaceOf(HWND hwnd) { return *windows.at(hwnd).surface; }
    std::uint64_t TotalSleep() const
    {
        std::uint64_t t = 0;
        for (DWORD s : sleeps)
            t += s;
        return t;
    }

    // Configuration.
    std::string modulePath = "/nonexistent/mosvik.scr";
    SIZE screen{320, 240};
    int logPixelsY = 96;
    int pixelScale = 1; // ScalePixels multiplies by this
    std::int64_t now = 1000000;
    DWORD tickStep = 1;
    bool failCreate = false;
    bool browserFound = true;
    std::function<int(CDialog&)> runDialog;
    std::function<void(const std::string&)> onFindExecutable;
    std::function<void()> onSleep;
    std::function<void()> onRefresh;
    std::function<void(DWORD)> onSleepUntilTick; // replaces the jump
    std::map<HWND, RECT> foreign; // windows of other processes (preview parents)
    std::map<std::string, int> profile;
    std::map<std::string, std::string> profileText;

    // State and records.
    DWORD ticks = 0;
    std::uint64_t tickReads = 0;
    std::uint64_t tickSleeps = 0;
    int windowCount = 0;
    std::map<HWND, Window> windows;
    std::deque<MSG> queue;
    std::map<std::pair<HWND, UINT_PTR>, Timer> timers;
    FakeTextEngine text;
    struct CreateCall {
        DWORD style;
        HWND parent;
        RECT rc;
    };
    std::vector<CreateCall> createCalls;
    std::vector<HWND> destroyed;
    std::vector<std::pair<HWND, RECT>> presents;
    std::vector<std::pair<HWND, std::size_t>> refreshWaits; // window, presents made before
    std::vector<DWORD> sleeps;
    std::vector<UINT> translated, dispatched, defaults;
    std::vector<UINT_PTR> timerSets, timerKills;
    std::vector<int> exitStatuses;
    std::vector<std::string> profileReads;
    std::vector<std::pair<std::string, int>> profileWrites;
    std::vector<std::pair<std::string, std::string>> profileTextWrites;
    std::vector<UINT> dialogTemplates;
    std::vector<std::string> lookups, launches;
    int peeks = 0;
};
