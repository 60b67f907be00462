// CIniProfile: the per-user setting kept the way the framework's profile
// functions keep it in the registry, as one INI file per application:
// <config home>/<registry key>/<application name>.ini, with sections and
// "Entry=value" lines. Names compare without regard to case, as registry
// names do. Writes replace the whole file atomically (a temporary file in
// the same directory, flushed, then renamed), so a reader never sees half
// a file; lines this class does not understand are kept as they were.
// Texts are kept as they are, in double quotes when blanks at either end
// or quotes around them would otherwise be lost; a text holding a line
// break cannot be kept on one line and is refused.
// Trade-off: files larger than kMaxFileSize are not read (their values
// give the default) and are replaced whole on the next write.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

class CIniProfile {
public:
    explicit CIniProfile(std::filesystem::path configHome) : m_home(std::move(configHome)) {}

    static constexpr std::size_t kMaxFileSize = 64 * 1024;

    // The value, or nDefault when the file, section or entry is missing,
    // unreadable or not a decimal 32-bit number.
    int GetInt(const std::string& registryKey, const std::string& appName, const std::string& section,
               const std::string& entry, int nDefault) const;
    // Stores the value, creating directories and the file as needed;
    // false when it could not be written (the old file is then unchanged).
    bool WriteInt(const std::string& registryKey, const std::string& appName, const std::string& section,
                  const std::string& entry, int value) const;
    // The text of an entry (any bytes but line breaks; a folder name is
    // UTF-8), or nothing when the file, section or entry is missing.
    std::optional<std::string> GetString(const std::string& registryKey, const std::string& appName,
                                         const std::string& section, const std::string& entry) const;
    // As WriteInt; false also for a text holding a line break or NUL.
    bool WriteString(const std::string& registryKey, const std::string& appName, const std::string& section,
                     const std::string& entry, const std::string& value) const;

    // The file for a key and application; empty when a name cannot be a
    // single path component (empty, ".", "..", or holding '/' or NUL).
    std::filesystem::path FilePath(const std::string& registryKey, const std::string& appName) const;

    // $XDG_CONFIG_HOME when set to an absolute path, else $HOME/.config;
    // empty when neither is known.
    static std::filesystem::path DefaultConfigHome();

private:
    // The entry's value as written in the file, blanks around it removed.
    std::optional<std::string> RawValue(const std::string& registryKey, const std::string& appName,
                                        const std::string& section, const std::string& entry) const;
    bool WriteRaw(const std::string& registryKey, const std::string& appName, const std::string& section,
                  const std::string& entry, const std::string& raw) const;

    std::filesystem::path m_home;
};
