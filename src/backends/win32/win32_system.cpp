// Process, time, display and shell services on Win32: the module path, the
// screen's size and DPI, bitmap resources, error boxes and the shell's
// program lookup (the tick and sleeping are in win32_clock.cpp, the refresh
// pacing in win32_refresh.cpp). Paths and program names cross to the core
// as UTF-8 and reach Windows through its wide calls.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"
#include "backends/win32/win32_wide.h"
#include "resources/resource.h"
#include "framework/own_path.h"

namespace w32 {

std::string ModuleFileName() { return OwnExecutablePathUtf8(); }

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

void ShowErrorBox(const std::string& text)
{
    ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(MOSVIK_NAME_TEXT).c_str(),
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

bool FindProgramFor(const std::string& file, std::string& program)
{
    wchar_t buf[MAX_PATH + 1] = {};
    const HINSTANCE r = ::FindExecutableW(Widen(file).c_str(), nullptr, buf);
    if (reinterpret_cast<INT_PTR>(r) <= 32)
        return false;
    program = Narrow(buf, wcslen(buf));
    return true;
}

void OpenWithProgram(const std::string& program, const char* verb, const char* parameters)
{
    const std::wstring wVerb = verb ? Widen(verb) : std::wstring();
    const std::wstring wParameters = parameters ? Widen(parameters) : std::wstring();
    ::ShellExecuteW(nullptr, verb ? wVerb.c_str() : nullptr, Widen(program).c_str(),
                    parameters ? wParameters.c_str() : nullptr, nullptr, SW_SHOWDEFAULT);
}

} // namespace w32
