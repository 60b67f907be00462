// The per-user setting on Win32, laid out as the framework's profile
// functions lay it out: HKCU\Software\<registry key>\<application>\<section>,
// one REG_DWORD per entry. The keys are created on first access, reading
// included. Without a registry key the application's .INI file is used, as
// the framework does. The application name is the executable's own (UTF-8
// from the core), so the keys are made with the wide calls.
#include <windows.h>

#include <string>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"
#include "backends/win32/win32_wide.h"

namespace w32 {
namespace {

std::wstring SectionPath(const std::string& registryKey, const std::string& appName, const char* section)
{
    return Widen("Software\\" + registryKey + "\\" + appName + "\\" + section);
}

// Opens (creating it when missing) the section's key. A reader that may
// not create keys still gets to read an existing one.
bool OpenSection(const std::wstring& path, bool forWriting, RegKey& key)
{
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, key.Put(), nullptr) == ERROR_SUCCESS)
        return true;
    if (forWriting)
        return false;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

std::wstring IniFile(const std::string& appName) { return Widen(appName + ".INI"); }

} // namespace

int ReadProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                   const char* entry, int nDefault)
{
    if (registryKey.empty())
        return int(::GetPrivateProfileIntW(Widen(section).c_str(), Widen(entry).c_str(), nDefault, IniFile(appName).c_str()));
    RegKey key;
    if (!OpenSection(SectionPath(registryKey, appName, section), false, key))
        return nDefault;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExW(key.Get(), Widen(entry).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return nDefault;
    // Only a 32-bit number counts; a string or a short value is unreadable.
    if (type != REG_DWORD || size != sizeof value)
        return nDefault;
    return int(value);
}

bool StoreProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                     const char* entry, int value)
{
    if (registryKey.empty()) {
        return ::WritePrivateProfileStringW(Widen(section).c_str(), Widen(entry).c_str(),
                                            std::to_wstring(value).c_str(), IniFile(appName).c_str()) != FALSE;
    }
    RegKey key;
    if (!OpenSection(SectionPath(registryKey, appName, section), true, key))
        return false;
    const DWORD v = DWORD(value);
    return ::RegSetValueExW(key.Get(), Widen(entry).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
           ERROR_SUCCESS;
}

} // namespace w32
