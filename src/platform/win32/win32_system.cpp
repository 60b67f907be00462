// Process, time, display and shell services on Win32: the module path, the
// tick count and sleeping, the screen's size and resolution, bitmap
// resources and the shell's program lookup.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_handles.h"

namespace w32 {

std::string ModuleFileName()
{
    // The path may be longer than MAX_PATH: grow until it fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

std::uint32_t TickCount() { return ::GetTickCount(); }

void SleepMs(std::uint32_t ms) { ::Sleep(ms); }

void ScreenSize(std::int32_t& cx, std::int32_t& cy)
{
    cx = ::GetSystemMetrics(SM_CXSCREEN);
    cy = ::GetSystemMetrics(SM_CYSCREEN);
}

int LogPixelsY()
{
    WindowDc dc(nullptr);
    return dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

bool LoadBitmapBytes(unsigned id, std::vector<std::uint8_t>& dib)
{
    // RT_BITMAP resources are packed DIBs: the file without its header.
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)); // RT_BITMAP
    if (!res)
        return false;
    HGLOBAL data = ::LoadResource(module, res);
    const DWORD size = ::SizeofResource(module, res);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes || size == 0)
        return false;
    dib.resize(size);
    std::memcpy(dib.data(), bytes, size);
    return true;
}

bool FindProgramFor(const std::string& file, std::string& program)
{
    char buf[MAX_PATH + 1] = {};
    const HINSTANCE r = ::FindExecutableA(file.c_str(), nullptr, buf);
    if (reinterpret_cast<INT_PTR>(r) <= 32)
        return false;
    program = buf;
    return true;
}

void OpenWithProgram(const std::string& program, const char* verb, const char* parameters)
{
    ::ShellExecuteA(nullptr, verb, program.c_str(), parameters, nullptr, SW_SHOWDEFAULT);
}

} // namespace w32
