// Installing a saver from the pack window (see saver_install.h). The values
// it writes are the installer's (packaging/windows/mosvik.nsi): the record
// of the saver chosen before lives beside the saver's own settings, under
// HKCU\Software\Korvel Screen Savers\Mosvik. Paths are compared as Windows
// compares file names (ordinal, ignoring case) after making them long; a
// folder reached through a link under another name counts as another one.
#include <windows.h>
#include <shlobj.h>

#include <stdexcept>
#include <string>

#include "framework/own_path.h"
#include "resources/resource.h"
#include "saver_install.h"

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mosvik";
const wchar_t kRecordKey[] = L"Software\\" MOSVIK_REGISTRY_KEY L"\\Mosvik";

// A registry key owned for a scope.
class Key {
public:
    Key(HKEY root, const wchar_t* path, bool create)
    {
        const LONG r = create ? ::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key,
                                                  nullptr)
                              : ::RegOpenKeyExW(root, path, 0, KEY_READ, &m_key);
        if (r != ERROR_SUCCESS)
            m_key = nullptr;
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key()
    {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    explicit operator bool() const { return m_key != nullptr; }

    // The string value `name`; false when it is not there (or not a string).
    bool Read(const wchar_t* name, std::wstring& out) const
    {
        DWORD type = 0, bytes = 0;
        if (!m_key || ::RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 65536)
            return false;
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
            ERROR_SUCCESS)
            return false;
        text.resize(bytes / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        out = std::move(text);
        return true;
    }
    void Write(const wchar_t* name, const std::wstring& value) const
    {
        const DWORD bytes = DWORD((value.size() + 1) * sizeof(wchar_t));
        if (::RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
            ERROR_SUCCESS)
            throw std::runtime_error("the registry refused the screen saver setting");
    }

private:
    HKEY m_key = nullptr;
};

std::wstring LongPath(const std::wstring& path)
{
    const DWORD n = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n == 0)
        return path;
    std::wstring out(n, L'\0');
    const DWORD m = ::GetLongPathNameW(path.c_str(), out.data(), n);
    if (m == 0 || m >= n)
        return path;
    out.resize(m);
    return out;
}

std::wstring ShortPath(const std::wstring& path)
{
    const DWORD n = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0)
        return path;
    std::wstring out(n, L'\0');
    const DWORD m = ::GetShortPathNameW(path.c_str(), out.data(), n);
    if (m == 0 || m >= n)
        return path;
    out.resize(m);
    return out;
}

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool SameFolder(const std::wstring& a, const std::wstring& b)
{
    std::wstring x = LongPath(a), y = LongPath(b);
    while (!x.empty() && (x.back() == L'\\' || x.back() == L'/'))
        x.pop_back();
    while (!y.empty() && (y.back() == L'\\' || y.back() == L'/'))
        y.pop_back();
    return !x.empty() && ::CompareStringOrdinal(x.c_str(), int(x.size()), y.c_str(), int(y.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

std::wstring SaverInstallFolder()
{
    const std::wstring tool = OwnExecutablePath().parent_path().wstring();
    std::wstring installed;
    if (Key(HKEY_CURRENT_USER, kUninstallKey, false).Read(L"InstallLocation", installed) && SameFolder(installed, tool))
        return tool;
    PWSTR local = nullptr;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local)) || !local) {
        ::CoTaskMemFree(local);
        throw std::runtime_error("the local application data folder cannot be found");
    }
    std::wstring folder = local;
    ::CoTaskMemFree(local);
    folder += L"\\Mosvik\\Savers";
    const int r = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (r != ERROR_SUCCESS && r != ERROR_ALREADY_EXISTS && r != ERROR_FILE_EXISTS)
        throw std::runtime_error("the folder for installed savers cannot be made");
    return folder;
}

std::wstring InstalledSaverName(const std::wstring& picture)
{
    std::wstring name = picture.substr(picture.find_last_of(L"\\/") + 1); // npos + 1 == 0
    if (const std::size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos && dot > 0)
        name.resize(dot);
    return L"Mosvik - " + (name.empty() ? std::wstring(L"default") : name) + L".scr";
}

void MakeCurrentSaver(const std::wstring& path)
{
    const Key desktop(HKEY_CURRENT_USER, kDesktopKey, true);
    const Key record(HKEY_CURRENT_USER, kRecordKey, true);
    if (!desktop || !record)
        throw std::runtime_error("the screen saver settings cannot be opened");
    std::wstring previous, active;
    if (!record.Read(L"PreviousScreenSaver", previous)) {
        // An empty record stands for a value that was not there.
        previous.clear();
        desktop.Read(L"SCRNSAVE.EXE", previous);
        if (previous.empty() || !SameFolder(FolderOf(previous), FolderOf(path))) {
            desktop.Read(L"ScreenSaveActive", active);
            record.Write(L"PreviousScreenSaver", previous);
            record.Write(L"PreviousScreenSaveActive", active);
        }
    }
    desktop.Write(L"SCRNSAVE.EXE", ShortPath(path));
    if (!::SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
        desktop.Write(L"ScreenSaveActive", L"1");
}
