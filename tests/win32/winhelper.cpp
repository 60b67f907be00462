// Helper for the Wine tests of mosvik.scr (a console program):
//
//   winhelper preview SAVER SECONDS
//     Opens a 320 x 240 host window at (40, 40), prints "hwnd N" and the
//     client area as "client L T R B" (screen coordinates), starts
//     "SAVER /p N", keeps its window alive for SECONDS while pumping
//     messages, then prints "running" if the saver is still alive, the
//     client size of the host's child window as "child W x H", and
//     "ready" (stdout is flushed line by line); 3 s later it goes on. Then it destroys the host
//     window and waits up to 15 s for the saver: prints "gone after MS ms"
//     and "exit CODE".
//     Status 0 only when the saver lived until then and exited with 0.
//   winhelper close SAVER COUNT SECONDS
//     Starts COUNT full-screen savers at once and posts WM_CLOSE to the
//     window of the i-th at a moment spread over the first SECONDS; prints
//     "close AT_MS SEEN_MS ENDED_MS CODE" per saver (from the post to the
//     window's end and to the process's end). Status 0 when each process
//     ended by the close with code 0.
//   winhelper slider [SECONDS]
//     Waits (default 20 s) for the configuration dialog and prints
//     "slider POS MIN MAX" from its trackbar (item 1013) and "offset DX DY",
//     its centre less the centre of the screen's work area. Status 0 if
//     found.
//   winhelper msgbox [SECONDS]
//     Waits (default 20 s) for a message box captioned "Mosvik", prints
//     "msgbox TEXT" (UTF-8) and closes it with OK. Status 0 if found.
//   winhelper manifest FILE
//     Prints the manifest resource (1) of FILE. Status 0 if it has one.
//   winhelper regkeys
//     Prints the subkeys of HKCU\Software\Korvel Screen Savers, one a
//     line as "key NAME" (UTF-8).
//   winhelper regtext SAVER ENTRY [VALUE]
//     Without VALUE prints the text entry ENTRY of the saver named SAVER
//     (HKCU\Software\Korvel Screen Savers\SAVER\MOSVIK) as "text VALUE"
//     (UTF-8), or "no text" (status 1) when it is missing or not REG_SZ;
//     with VALUE stores it as REG_SZ. The arguments are read as UTF-16, so
//     any name survives.
//   winhelper link FILE.lnk
//     Prints the shell link's target as "target PATH" and its arguments as
//     "arguments ARGS" (UTF-8). Status 0 if it could be read.
//   winhelper dpichange TITLE DPI
//     Tells the window titled TITLE (waiting up to 20 s for it) that its
//     monitor now has DPI, as Windows does when a window moves to another
//     monitor: WM_DPICHANGED with a suggested rectangle whose client area is
//     scaled from 96 DPI (the rectangle is written into the window's process:
//     Wine passes this message's pointer on as it is). Prints "scaled K of N"
//     for the N visible controls, K of which changed their width by
//     DPI / 96 (to 2 pixels). Status 0 when all did.
//   winhelper layout TITLE [SECONDS]
//     Waits (default 20 s) for a visible window titled TITLE and checks its
//     layout in physical pixels (the helper makes itself DPI aware): prints
//     "dpi N", "client W H", "overlap A B" for each two visible controls
//     whose rectangles meet (A, B their ids; a group box may hold controls) and "outside A" for each that
//     leaves the client area, then "layout CONTROLS OVERLAPS OUTSIDE".
//     Status 0 when found and nothing overlaps or sticks out.
//
// It talks to the other process only through window handles, the way the
// display settings do.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void Line(const char* fmt, long long a = 0, long long b = 0, long long c = 0, long long d = 0)
{
    std::printf(fmt, a, b, c, d);
    std::printf("\n");
    std::fflush(stdout);
}

// Pumps this thread's messages for `ms` milliseconds, or until `process`
// (if given) has ended. True if the process ended.
bool PumpFor(DWORD ms, HANDLE process)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return false;
        const DWORD n = process ? 1 : 0;
        const DWORD r = MsgWaitForMultipleObjects(n, process ? &process : nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        if (process && r == WAIT_OBJECT_0)
            return true;
    }
}

struct Found {
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindProcessWindow(HWND h, LPARAM l)
{
    auto* f = reinterpret_cast<Found*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != f->pid || !IsWindowVisible(h))
        return TRUE;
    f->hwnd = h;
    return FALSE;
}

double NowMs()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

int Preview(const char* saver, int seconds)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "MosvikPreviewHost";
    if (!RegisterClassA(&wc))
        return 2;
    // A child-less popup with no frame, so its client area is its whole rectangle.
    HWND host = CreateWindowExA(0, wc.lpszClassName, "Mosvik preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 320,
                                240, nullptr, nullptr, wc.hInstance, nullptr);
    if (!host)
        return 2;
    PumpFor(200, nullptr);
    RECT rc;
    GetClientRect(host, &rc);
    POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
    ClientToScreen(host, &tl);
    ClientToScreen(host, &br);
    const long long handle = static_cast<long long>(reinterpret_cast<INT_PTR>(host));
    Line("hwnd %lld", handle);
    Line("client %lld %lld %lld %lld", tl.x, tl.y, br.x, br.y);

    std::string cmd = std::string("\"") + saver + "\" /p " + std::to_string(handle);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Line("cannot start the saver (error %lld)", GetLastError());
        return 2;
    }
    CloseHandle(pi.hThread);

    const bool endedEarly = PumpFor(DWORD(seconds) * 1000, pi.hProcess);
    if (!endedEarly)
        Line("running");
    if (HWND child = GetWindow(host, GW_CHILD)) {
        RECT cr;
        GetClientRect(child, &cr);
        Line("child %lld x %lld", cr.right - cr.left, cr.bottom - cr.top);
    }
    Line("ready");
    // Give the script time to look at the screen before the host goes.
    if (!endedEarly)
        PumpFor(3000, pi.hProcess);
    const double destroyed = NowMs();
    DestroyWindow(host);
    DWORD code = 259;
    const bool gone = PumpFor(15000, pi.hProcess) || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    Line("gone after %lld ms", (long long)(NowMs() - destroyed));
    if (!gone) {
        Line("saver still running after its parent went");
        TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hProcess);
        return 1;
    }
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    Line("exit %lld", code);
    return !endedEarly && code == 0 ? 0 : 1;
}

int Close(const char* saver, int count, int seconds)
{
    struct Run {
        PROCESS_INFORMATION pi{};
        double at = 0;
        bool posted = false;
    };
    std::vector<Run> runs(std::size_t(count > 0 ? count : 0));
    const double start = NowMs();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::string cmd = std::string("\"") + saver + "\" /s";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &runs[i].pi)) {
            Line("cannot start the saver (error %lld)", GetLastError());
            return 2;
        }
        CloseHandle(runs[i].pi.hThread);
        runs[i].at = 1000.0 + double(i) * (seconds * 1000.0 - 1500.0) / double(runs.size()) + double(i * 137 % 1000);
    }
    int bad = 0;
    for (Run& r : runs) {
        while (NowMs() - start < r.at)
            Sleep(1);
        Found f{r.pi.dwProcessId, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&f));
        const double posted = NowMs();
        if (f.hwnd)
            PostMessageA(f.hwnd, WM_CLOSE, 0, 0);
        // The saver has seen the request once its window is gone; the
        // process's own end follows at the system's pace.
        while (f.hwnd && IsWindow(f.hwnd) && NowMs() - posted < 5000)
            Sleep(1);
        const double seen = NowMs() - posted;
        const bool ended = WaitForSingleObject(r.pi.hProcess, 10000) == WAIT_OBJECT_0;
        const double took = NowMs() - posted;
        DWORD code = 259;
        if (!ended)
            TerminateProcess(r.pi.hProcess, 99);
        GetExitCodeProcess(r.pi.hProcess, &code);
        CloseHandle(r.pi.hProcess);
        Line("close %lld %lld %lld %lld", (long long)r.at, (long long)seen, (long long)took, (long long)code);
        if (!f.hwnd || !ended || code != 0)
            ++bad;
    }
    return bad == 0 ? 0 : 1;
}

int Slider(int seconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < DWORD(seconds) * 1000) {
        HWND dlg = FindWindowA(nullptr, "Mosvik configuration");
        HWND tb = dlg ? GetDlgItem(dlg, 1013) : nullptr;
        if (tb) {
            Sleep(300); // let WM_INITDIALOG finish
            const LRESULT pos = SendMessageA(tb, TBM_GETPOS, 0, 0);
            const LRESULT lo = SendMessageA(tb, TBM_GETRANGEMIN, 0, 0);
            const LRESULT hi = SendMessageA(tb, TBM_GETRANGEMAX, 0, 0);
            Line("slider %lld %lld %lld", pos, lo, hi);
            RECT rc, work;
            GetWindowRect(dlg, &rc);
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            Line("offset %lld %lld", (rc.left + rc.right - work.left - work.right) / 2,
                 (rc.top + rc.bottom - work.top - work.bottom) / 2);
            return 0;
        }
        Sleep(100);
    }
    Line("no dialog");
    return 1;
}

void Utf8Line(const char* label, const wchar_t* text, int len)
{
    std::string out(std::size_t(len) * 4 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, len, out.data(), int(out.size()), nullptr, nullptr);
    out.resize(std::size_t(n > 0 ? n : 0));
    std::printf("%s %s\n", label, out.c_str());
    std::fflush(stdout);
}

int MessageBoxText(int seconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < DWORD(seconds) * 1000) {
        if (HWND box = FindWindowW(L"#32770", L"Mosvik")) {
            Sleep(300);
            wchar_t text[1024] = {};
            // The message box shows its text in static item 0xFFFF.
            const int n = GetDlgItemTextW(box, 0xFFFF, text, 1024);
            Utf8Line("msgbox", text, n);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(100);
    }
    Line("no message box");
    return 1;
}

int Manifest(const char* file)
{
    HMODULE m = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC res = m ? FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr; // RT_MANIFEST
    HGLOBAL data = res ? LoadResource(m, res) : nullptr;
    const char* text = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (!text)
        return 1;
    std::fwrite(text, 1, SizeofResource(m, res), stdout);
    std::printf("\n");
    FreeLibrary(m);
    return 0;
}

int RegistryKeys()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Korvel Screen Savers", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 1;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        Utf8Line("key", name, int(len));
    }
    RegCloseKey(key);
    return 0;
}

// The command line's arguments as UTF-16 (argv holds them in the ANSI code page).
std::vector<std::wstring> WideArguments()
{
    int n = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::wstring> out;
    for (int i = 0; args && i < n; ++i)
        out.emplace_back(args[i]);
    if (args)
        LocalFree(args);
    return out;
}

int RegistryText(const std::vector<std::wstring>& args)
{
    const std::wstring path = L"Software\\Korvel Screen Savers\\" + args[2] + L"\\MOSVIK";
    HKEY key;
    if (args.size() == 5) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return 1;
        const LONG r = RegSetValueExW(key, args[3].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(args[4].c_str()),
                                      DWORD((args[4].size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return r == ERROR_SUCCESS ? 0 : 1;
    }
    wchar_t text[4096] = {};
    DWORD size = sizeof text - sizeof(wchar_t), type = 0;
    LONG r = ERROR_FILE_NOT_FOUND;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        r = RegQueryValueExW(key, args[3].c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(key);
    }
    if (r != ERROR_SUCCESS || type != REG_SZ) {
        Line("no text");
        return 1;
    }
    Utf8Line("text", text, int(wcslen(text)));
    return 0;
}

int Link(const char* file)
{
    if (FAILED(CoInitialize(nullptr)))
        return 2;
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    int status = 1;
    const int n = MultiByteToWideChar(CP_UTF8, 0, file, -1, nullptr, 0);
    std::wstring wfile(std::size_t(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, file, -1, wfile.data(), n);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(wfile.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = L"", arguments[1024] = L"";
        if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
            SUCCEEDED(link->GetArguments(arguments, 1024))) {
            Utf8Line("target", target, int(wcslen(target)));
            Utf8Line("arguments", arguments, int(wcslen(arguments)));
            status = 0;
        }
    }
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return status;
}

// The visible window titled `title` (ASCII), waiting up to `seconds`; null
// when there is none.
HWND WaitForWindow(const char* title, int seconds)
{
    const std::wstring wtitle(title, title + std::strlen(title));
    const DWORD start = GetTickCount();
    HWND window = FindWindowW(nullptr, wtitle.c_str());
    while ((!window || !IsWindowVisible(window)) && GetTickCount() - start < DWORD(seconds) * 1000) {
        Sleep(100);
        window = FindWindowW(nullptr, wtitle.c_str());
    }
    if (!window || !IsWindowVisible(window)) {
        Line("no window");
        return nullptr;
    }
    Sleep(500); // let its layout settle
    return window;
}

std::vector<RECT> ControlRects(HWND window)
{
    std::vector<RECT> rects;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c))
            continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
    }
    return rects;
}

int DpiChange(const char* title, int dpi)
{
    SetProcessDPIAware();
    HWND window = WaitForWindow(title, 20);
    if (!window || dpi <= 0)
        return 1;
    RECT frame, client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    RECT suggested = frame;
    suggested.right += MulDiv(client.right, dpi, 96) - client.right;
    suggested.bottom += MulDiv(client.bottom, dpi, 96) - client.bottom;
    const std::vector<RECT> before = ControlRects(window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = process ? VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                            PAGE_READWRITE)
                           : nullptr;
    if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr)) {
        Line("cannot write into the window's process");
        if (process)
            CloseHandle(process);
        return 2;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                        SMTO_ABORTIFHUNG, 5000, &result);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    const std::vector<RECT> after = ControlRects(window);
    long long scaled = 0;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
        const int want = MulDiv(before[i].right - before[i].left, dpi, 96);
        scaled += std::abs(after[i].right - after[i].left - want) <= 2 ? 1 : 0;
    }
    Line("scaled %lld of %lld", scaled, (long long)after.size());
    return scaled == (long long)after.size() && after.size() == before.size() ? 0 : 1;
}

int Layout(const char* title, int seconds)
{
    SetProcessDPIAware();
    HWND window = WaitForWindow(title, seconds);
    if (!window)
        return 1;
    HDC screen = GetDC(nullptr);
    Line("dpi %lld", GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    RECT client;
    GetClientRect(window, &client);
    Line("client %lld %lld", client.right, client.bottom);
    struct Control {
        int id;
        RECT r;
        bool group; // a group box: it frames the controls inside it
    };
    std::vector<Control> controls;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c))
            continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        wchar_t cls[16] = L"";
        GetClassNameW(c, cls, 16);
        const bool group = lstrcmpiW(cls, L"Button") == 0 && (GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        controls.push_back({GetDlgCtrlID(c), r, group});
    }
    auto inside = [](const RECT& in, const RECT& out) {
        return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
    };
    int overlaps = 0, outside = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const RECT& a = controls[i].r;
        if (a.left < 0 || a.top < 0 || a.right > client.right || a.bottom > client.bottom) {
            Line("outside %lld", controls[i].id);
            ++outside;
        }
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            RECT both;
            const Control& b = controls[j];
            if ((controls[i].group && inside(b.r, a)) || (b.group && inside(a, b.r)))
                continue;
            if (IntersectRect(&both, &a, &b.r)) {
                Line("overlap %lld %lld", controls[i].id, controls[j].id);
                ++overlaps;
            }
        }
    }
    Line("layout %lld %lld %lld", (long long)controls.size(), overlaps, outside);
    return overlaps == 0 && outside == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "preview" && argc == 4)
        return Preview(argv[2], std::atoi(argv[3]));
    if (mode == "slider")
        return Slider(argc > 2 ? std::atoi(argv[2]) : 20);
    if (mode == "msgbox")
        return MessageBoxText(argc > 2 ? std::atoi(argv[2]) : 20);
    if (mode == "manifest" && argc == 3)
        return Manifest(argv[2]);
    if (mode == "regkeys")
        return RegistryKeys();
    if (mode == "link" && argc == 3)
        return Link(argv[2]);
    if (mode == "dpichange" && argc == 4)
        return DpiChange(argv[2], std::atoi(argv[3]));
    if (mode == "layout" && (argc == 3 || argc == 4))
        return Layout(argv[2], argc == 4 ? std::atoi(argv[3]) : 20);
    if (mode == "close" && argc == 5)
        return Close(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "regtext" && (argc == 4 || argc == 5)) {
        const std::vector<std::wstring> args = WideArguments();
        return args.size() == std::size_t(argc) ? RegistryText(args) : 2;
    }
    std::fprintf(stderr, "usage: winhelper preview SAVER SECONDS | close SAVER COUNT SECONDS | slider [SECONDS] | "
                         "msgbox [SECONDS] | manifest FILE | regkeys | regtext SAVER ENTRY [VALUE] | link FILE.lnk | "
                         "dpichange TITLE DPI | layout TITLE [SECONDS]\n");
    return 2;
}
