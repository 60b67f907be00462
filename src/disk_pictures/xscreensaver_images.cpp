// Reading the image settings of ~/.xscreensaver: the file is opened
// without following it into a FIFO or device (it must be a regular file)
// and read whole; its lines are joined and unescaped as XScreenSaver does
// before the two names are looked for.
#include "disk_pictures/xscreensaver_images.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace xscreensaver {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Strip(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// The logical lines: a backslash right before a line's end joins the next
// line; then \n, \r, \t and \<char> are unescaped.
std::vector<std::string> LogicalLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string joined;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (nl != std::string_view::npos && !line.empty() && line.back() == '\\') {
            joined.append(line.substr(0, line.size() - 1));
            continue;
        }
        joined.append(line);
        std::string out;
        for (std::size_t i = 0; i < joined.size(); ++i) {
            if (joined[i] != '\\') {
                out += joined[i];
                continue;
            }
            if (++i == joined.size())
                break;
            const char c = joined[i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        lines.push_back(std::move(out));
        joined.clear();
    }
    return lines;
}

bool IsTrue(std::string_view v)
{
    return EqualNoCase(v, "true") || EqualNoCase(v, "yes") || EqualNoCase(v, "on");
}

// The whole regular file, or nothing.
std::optional<std::string> ReadRegularFile(const std::string& path)
{
    // O_NONBLOCK: a FIFO put in the file's place must not stop the saver.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        std::uint64_t(st.st_size) > kMaxFileSize)
        return std::nullopt;
    std::string data;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return data;
        if (data.size() + std::size_t(n) > kMaxFileSize) // grew while read
            return std::nullopt;
        data.append(buf, std::size_t(n));
    }
}

} // namespace

std::optional<std::string> ImageFolder(std::string_view text, const std::string& home)
{
    std::optional<std::string> folder;
    bool chooseRandom = false;
    for (const std::string& logical : LogicalLines(text)) {
        const std::string_view line = Strip(logical);
        if (line.empty() || line.front() == '#' || line.front() == '!' || line.front() == ';')
            continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = Strip(line.substr(0, colon));
        const std::string_view value = Strip(line.substr(colon + 1));
        if (EqualNoCase(name, "imageDirectory"))
            folder = std::string(value);
        else if (EqualNoCase(name, "chooseRandomImages"))
            chooseRandom = IsTrue(value);
    }
    if (!chooseRandom || !folder || folder->empty() || folder->find("://") != std::string::npos)
        return std::nullopt;
    if ((*folder)[0] == '~' && (folder->size() == 1 || (*folder)[1] == '/')) {
        if (home.empty() || home[0] != '/')
            return std::nullopt;
        folder->replace(0, 1, home);
    }
    if ((*folder)[0] != '/')
        return std::nullopt;
    return folder;
}

std::optional<std::string> ReadImageFolder()
{
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        return std::nullopt;
    const std::string dir = home;
    const std::optional<std::string> text = ReadRegularFile(dir + (dir.back() == '/' ? "" : "/") + ".xscreensaver");
    if (!text)
        return std::nullopt;
    return ImageFolder(*text, dir);
}

} // namespace xscreensaver
