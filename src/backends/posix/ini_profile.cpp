// INI reading and atomic rewriting for the profile settings.
#include "backends/posix/ini_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "framework/replace_file.h"

namespace {

bool IsComponent(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// "[name]" → name; nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return Trim(line.substr(1, line.size() - 2));
}

// "entry = value" → (entry, value); nothing for comments and other lines.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#')
        return std::nullopt;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
}

std::optional<int> ParseInt(std::string_view v)
{
    long long n = 0;
    const char* first = v.data();
    const char* last = v.data() + v.size();
    if (first != last && *first == '+')
        ++first;
    auto [ptr, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || ptr != last || first == last || n < INT_MIN || n > INT_MAX)
        return std::nullopt;
    return static_cast<int>(n);
}

// The whole file, or nothing when it is missing, unreadable or too large.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string data;
    char buf[4096];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (data.size() + std::size_t(n) > CIniProfile::kMaxFileSize) {
            ok = false;
            break;
        }
        data.append(buf, std::size_t(n));
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return data;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, nl));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

} // namespace

std::filesystem::path CIniProfile::DefaultConfigHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::filesystem::path(home) / ".config";
    return {};
}

std::filesystem::path CIniProfile::FilePath(const std::string& registryKey, const std::string& appName) const
{
    if (m_home.empty() || !IsComponent(registryKey) || !IsComponent(appName))
        return {};
    return m_home / registryKey / (appName + ".ini");
}

std::optional<std::string> CIniProfile::RawValue(const std::string& registryKey, const std::string& appName,
                                                 const std::string& section, const std::string& entry) const
{
    const std::filesystem::path path = FilePath(registryKey, appName);
    if (path.empty())
        return std::nullopt;
    const std::optional<std::string> text = ReadSmallFile(path);
    if (!text)
        return std::nullopt;
    bool inSection = false;
    for (std::string_view line : SplitLines(*text)) {
        if (auto name = SectionName(line)) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = KeyValue(line); kv && EqualNoCase(kv->first, entry))
            return std::string(kv->second);
    }
    return std::nullopt;
}

int CIniProfile::GetInt(const std::string& registryKey, const std::string& appName, const std::string& section,
                        const std::string& entry, int nDefault) const
{
    const std::optional<std::string> raw = RawValue(registryKey, appName, section, entry);
    const std::optional<int> n = raw ? ParseInt(*raw) : std::nullopt;
    return n ? *n : nDefault;
}

std::optional<std::string> CIniProfile::GetString(const std::string& registryKey, const std::string& appName,
                                                  const std::string& section, const std::string& entry) const
{
    std::optional<std::string> raw = RawValue(registryKey, appName, section, entry);
    if (raw && raw->size() >= 2 && raw->front() == '"' && raw->back() == '"')
        return raw->substr(1, raw->size() - 2);
    return raw;
}

bool CIniProfile::WriteInt(const std::string& registryKey, const std::string& appName, const std::string& section,
                           const std::string& entry, int value) const
{
    return WriteRaw(registryKey, appName, section, entry, std::to_string(value));
}

bool CIniProfile::WriteString(const std::string& registryKey, const std::string& appName, const std::string& section,
                              const std::string& entry, const std::string& value) const
{
    if (value.find_first_of(std::string_view("\n\r\0", 3)) != std::string::npos)
        return false;
    // Quoted when reading it bare would change it.
    const bool quoted = Trim(value).size() != value.size() ||
                        (value.size() >= 2 && value.front() == '"' && value.back() == '"');
    return WriteRaw(registryKey, appName, section, entry, quoted ? '"' + value + '"' : value);
}

bool CIniProfile::WriteRaw(const std::string& registryKey, const std::string& appName, const std::string& section,
                           const std::string& entry, const std::string& raw) const
{
    const std::filesystem::path path = FilePath(registryKey, appName);
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec)
        return false;

    // Rebuild the file: every line kept, the entry replaced in place or
    // added at the end of its section (the section added when missing).
    const std::string old = ReadSmallFile(path).value_or(std::string());
    const std::string newLine = entry + "=" + raw;
    std::string out;
    bool inSection = false, sectionSeen = false, written = false;
    for (std::string_view line : SplitLines(old)) {
        if (auto name = SectionName(line)) {
            if (inSection && !written) {
                out += newLine + "\n";
                written = true;
            }
            inSection = EqualNoCase(*name, section);
            sectionSeen = sectionSeen || inSection;
        } else if (inSection && !written) {
            if (auto kv = KeyValue(line); kv && EqualNoCase(kv->first, entry)) {
                out += newLine + "\n";
                written = true;
                continue;
            }
        }
        out.append(line.data(), line.size());
        out += '\n';
    }
    if (!written) {
        if (!sectionSeen) {
            if (!out.empty())
                out += '\n';
            out += "[" + section + "]\n";
        }
        out += newLine + "\n";
    }

    // A settings file kept as a link (a dotfile manager's) keeps its link:
    // the file it points at is replaced.
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        target = std::filesystem::canonical(path, ec);
        if (ec)
            return false;
    }
    try {
        CReplacementFile file(target, "settings file");
        file.Write(out.data(), out.size());
        file.Commit();
    } catch (const ReplaceFileError&) {
        return false;
    }
    return true;
}
