// The per-user settings on Win32, laid out as the framework's profile
// functions lay them out: HKCU\Software\<registry key>\<application>\<section>,
// one REG_DWORD per number and one REG_SZ per text. The keys are created on
// first access, reading included. Without a registry key the application's
// .INI file is used, as the framework does. Names and texts are UTF-8 in
// the core, so everything goes through the wide calls. Trade-off: texts
// longer than kMaxTextChars (a path's limit) read as missing.
#include <windows.h>

#include <string>
#include <vector>

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

constexpr DWORD kMaxTextChars = 32767; // the longest path the wide calls take

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

bool ReadProfileText(const std::string& registryKey, const std::string& appName, const char* section,
                     const char* entry, std::string& value)
{
    if (registryKey.empty()) {
        // A default no entry could hold tells a missing entry from an empty one.
        std::vector<wchar_t> buf(kMaxTextChars + 1);
        const DWORD n = ::GetPrivateProfileStringW(Widen(section).c_str(), Widen(entry).c_str(), L"\n", buf.data(),
                                                   DWORD(buf.size()), IniFile(appName).c_str());
        if (n == 1 && buf[0] == L'\n')
            return false;
        value = Narrow(buf.data(), n);
        return true;
    }
    RegKey key;
    if (!OpenSection(SectionPath(registryKey, appName, section), false, key))
        return false;
    const std::wstring name = Widen(entry);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ || size > (kMaxTextChars + 1) * sizeof(wchar_t))
        return false;
    // One more character than asked for: a value stored without its NUL
    // still ends in one.
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = DWORD(buf.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::size_t len = 0;
    while (len < buf.size() && len < got / sizeof(wchar_t) && buf[len] != L'\0')
        ++len;
    value = Narrow(buf.data(), len);
    return true;
}

bool StoreProfileText(const std::string& registryKey, const std::string& appName, const char* section,
                      const char* entry, const std::string& value)
{
    const std::wstring text = Widen(value);
    if (text.size() > kMaxTextChars)
        return false;
    if (registryKey.empty()) {
        return ::WritePrivateProfileStringW(Widen(section).c_str(), Widen(entry).c_str(), text.c_str(),
                                            IniFile(appName).c_str()) != FALSE;
    }
    RegKey key;
    if (!OpenSection(SectionPath(registryKey, appName, section), true, key))
        return false;
    const DWORD bytes = DWORD((text.size() + 1) * sizeof(wchar_t)); // the NUL included
    return ::RegSetValueExW(key.Get(), Widen(entry).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            bytes) == ERROR_SUCCESS;
}

} // namespace w32
