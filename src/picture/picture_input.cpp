// lstat, then stat for a link, then open(O_NONBLOCK | O_NOFOLLOW) and
// fstat; every read is a pread at its own offset, so Head never disturbs
// the sequential reads.
#include "picture_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "picture_source.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

} // namespace

#ifdef _WIN32

struct CPictureInput::Handle {
    std::ifstream in;
};

CPictureInput::CPictureInput(const fs::path& path)
    : m_handle(std::make_unique<Handle>()), m_name(Utf8(path.filename())), m_shown(Utf8(path))
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        throw PictureError("not found: " + m_shown);
    if (!fs::is_regular_file(status))
        throw PictureError("not a regular file: " + m_shown);
    m_handle->in.open(path, std::ios::binary);
    if (!m_handle->in)
        throw PictureError("cannot open " + m_shown);
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec)
        throw PictureError("cannot read " + m_shown);
    m_size = size;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        // 100 ns ticks since 1601; the Unix epoch is 11644473600 s later.
        const std::uint64_t ticks =
            std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
        m_modified = std::int64_t(ticks / 10000000) - 11644473600;
    }
}

CPictureInput::~CPictureInput() = default;

std::size_t CPictureInput::ReadSome(void* buf, std::size_t n, std::uint64_t offset)
{
    std::ifstream& in = m_handle->in;
    in.clear();
    in.seekg(std::streamoff(offset));
    in.read(static_cast<char*>(buf), std::streamsize(n));
    if (in.bad())
        throw PictureError("cannot read " + m_shown);
    return std::size_t(in.gcount());
}

#else

struct CPictureInput::Handle {
    int fd = -1;
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

CPictureInput::CPictureInput(const fs::path& path)
    : m_handle(std::make_unique<Handle>()), m_name(Utf8(path.filename())), m_shown(Utf8(path))
{
    auto fail = [&](const char* what, int error) {
        return PictureError(std::string(what) + " " + m_shown + ": " + std::strerror(error));
    };
    auto kind = [](mode_t mode) -> const char* {
        return S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
               : S_ISDIR(mode) ? "a directory" : "not a regular file";
    };
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        throw fail("cannot look at", errno);
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(path.c_str(), &st) != 0)
        throw fail("cannot follow", errno);
    if (!S_ISREG(st.st_mode))
        throw PictureError(m_shown + " is " + kind(st.st_mode) + ", not a picture file");
    // A link is followed only when it was one at the look above; whatever
    // the name leads to now is checked once more after opening.
    m_handle->fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (link ? 0 : O_NOFOLLOW));
    if (m_handle->fd < 0)
        throw fail("cannot open", errno);
    if (::fstat(m_handle->fd, &st) != 0)
        throw fail("cannot read", errno);
    if (!S_ISREG(st.st_mode))
        throw PictureError(m_shown + " is " + kind(st.st_mode) + ", not a picture file");
    m_size = std::uint64_t(st.st_size);
    m_modified = std::int64_t(st.st_mtime);
}

CPictureInput::~CPictureInput() = default;

std::size_t CPictureInput::ReadSome(void* buf, std::size_t n, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(m_handle->fd, static_cast<char*>(buf) + done, n - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw PictureError("cannot read " + m_shown + ": " + std::strerror(errno));
        if (got == 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

#endif // !_WIN32

std::vector<unsigned char> CPictureInput::Head(std::size_t n)
{
    std::vector<unsigned char> head(std::size_t(std::min<std::uint64_t>(n, m_size)));
    head.resize(ReadSome(head.data(), head.size(), 0));
    return head;
}

void CPictureInput::Read(void* buf, std::size_t n)
{
    if (ReadSome(buf, n, m_position) != n)
        throw PictureError(m_shown + " ends early (it shrank while it was read)");
    m_position += n;
}

std::vector<unsigned char> CPictureInput::ReadAll(std::uint64_t limit)
{
    if (m_size > limit)
        throw PictureError(m_shown + " is too large (the limit is " + std::to_string(limit >> 20) + " MiB)");
    std::vector<unsigned char> bytes(static_cast<std::size_t>(m_size));
    if (ReadSome(bytes.data(), bytes.size(), 0) != bytes.size())
        throw PictureError(m_shown + " ends early (it shrank while it was read)");
    unsigned char extra;
    if (ReadSome(&extra, 1, m_size) != 0)
        throw PictureError(m_shown + " grew while it was read");
    m_position = m_size;
    return bytes;
}
