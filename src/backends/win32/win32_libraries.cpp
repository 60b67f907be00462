// System DLLs from the system folder only (see win32_libraries.h). Whether
// the LOAD_LIBRARY_SEARCH_ flags are understood is told, as documented, by
// kernel32 exporting AddDllDirectory; kernel32 is in every process, so
// asking it loads nothing.
#include "backends/win32/win32_libraries.h"

#include <string>

namespace w32 {
namespace {

HMODULE Kernel32() { return ::GetModuleHandleW(L"kernel32.dll"); }

bool SearchFlagsSupported()
{
    const HMODULE k = Kernel32();
    return k && ::GetProcAddress(k, "AddDllDirectory") != nullptr;
}

} // namespace

void RestrictDllSearch()
{
    // The current folder leaves the search order (Windows XP SP1 and later).
    ::SetDllDirectoryW(L"");
    const HMODULE k = Kernel32();
    if (!k)
        return;
    using SetDefaultFn = BOOL(WINAPI*)(DWORD);
    // GetProcAddress yields a generic function pointer; the real type of
    // SetDefaultDllDirectories is BOOL WINAPI (DWORD).
    auto proc = reinterpret_cast<void (*)()>(::GetProcAddress(k, "SetDefaultDllDirectories"));
    if (proc)
        reinterpret_cast<SetDefaultFn>(proc)(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    if (SearchFlagsSupported())
        return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t dir[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    std::wstring path(dir, n);
    path += L'\\';
    path += name;
    return ::LoadLibraryExW(path.c_str(), nullptr, 0);
}

} // namespace w32
