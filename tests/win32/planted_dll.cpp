// A DLL planted beside the saver under a system DLL's name (dwmapi.dll) by
// the Wine tests. Loading it writes planted-dll-loaded into the folder it
// lies in; the saver must never load it. It exports DwmFlush so that a
// saver that did load it would also find what it looks for.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) HRESULT WINAPI DwmFlush() { return S_OK; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring marker(path, n);
    marker.resize(marker.find_last_of(L'\\') + 1);
    marker += L"planted-dll-loaded";
    HANDLE f = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    return TRUE;
}
