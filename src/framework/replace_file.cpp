// CReplacementFile over the C library: fopen's "x" mode gives the
// exclusive creation (O_EXCL: an existing name, link or not, fails), and
// the name's random part comes from std::random_device. The data is synced
// before the rename and the folder after it (POSIX), so a crash leaves the
// old file or the new one, never an empty one.
#include "framework/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kNameAttempts = 16;

std::string Reason(int err) { return err ? std::strerror(err) : "unknown error"; }

// Creates `p` only if nothing has that name. Windows reads a narrow file
// name in the ANSI code page, so the name is given in UTF-16 there.
std::FILE* CreateExclusive(const fs::path& p)
{
#ifdef _WIN32
    return _wfopen(p.c_str(), L"wbx");
#else
    return std::fopen(p.c_str(), "wbx");
#endif
}

// The file's data on the disk before it is renamed over the target, so a
// crash never leaves the target empty.
bool SyncToDisk(std::FILE* fp)
{
#ifdef _WIN32
    return _commit(_fileno(fp)) == 0;
#else
    return ::fsync(::fileno(fp)) == 0;
#endif
}

// Best effort: Windows has no folder to sync (NTFS journals the rename).
void SyncFolder(const fs::path& folder)
{
#ifndef _WIN32
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

} // namespace

struct CReplacementFile::Handle {
    std::FILE* fp = nullptr;
    ~Handle()
    {
        if (fp)
            std::fclose(fp);
    }
};

void CheckReplaceable(const fs::path& target, const std::string& what)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(target, ec);
    if (ec || !fs::exists(st) || fs::is_regular_file(st))
        return;
    const char* kind = fs::is_directory(st)   ? "a directory"
                       : fs::is_symlink(st)   ? "a symbolic link"
                       : fs::is_fifo(st)      ? "a FIFO"
                       : fs::is_socket(st)    ? "a socket"
                       : fs::is_block_file(st) || fs::is_character_file(st) ? "a device"
                                                                             : "not a regular file";
    throw ReplaceFileError(what + " " + target.string() + " is " + kind + "; only a regular file is replaced");
}

CReplacementFile::CReplacementFile(const fs::path& target, const std::string& what)
    : m_target(target), m_what(what), m_file(std::make_unique<Handle>())
{
    CheckReplaceable(target, what);
    std::random_device rd;
    int err = 0;
    for (int attempt = 0; attempt < kNameAttempts && !m_file->fp; ++attempt) {
        char tag[32];
        std::snprintf(tag, sizeof tag, ".tmp-%08x%08x", unsigned(rd()), unsigned(rd()));
        m_temp = target;
        m_temp += tag;
        errno = 0;
        m_file->fp = CreateExclusive(m_temp);
        err = errno;
        if (!m_file->fp && err != EEXIST)
            break;
    }
    if (!m_file->fp)
        throw ReplaceFileError("cannot create a file beside " + what + " " + target.string() + ": " + Reason(err));
}

CReplacementFile::~CReplacementFile()
{
    m_file.reset();
    if (!m_committed) {
        std::error_code ec;
        fs::remove(m_temp, ec);
    }
}

void CReplacementFile::Fail(const std::string& action) const
{
    throw ReplaceFileError("cannot " + action + " " + m_what + " " + m_target.string() + ": " + Reason(errno));
}

void CReplacementFile::Write(const void* data, std::size_t size)
{
    errno = 0;
    if (!m_file->fp || (size && std::fwrite(data, 1, size, m_file->fp) != size))
        Fail("write");
}

void CReplacementFile::Commit(bool executable)
{
    if (!m_file->fp)
        Fail("write");
    errno = 0;
    std::FILE* fp = m_file->fp;
    m_file->fp = nullptr;
    const bool flushed = std::fflush(fp) == 0 && SyncToDisk(fp);
    if (std::fclose(fp) != 0 || !flushed)
        Fail("write");
    std::error_code ec;
    if (executable) {
        // The read bits the umask left, copied to the run bits.
        const fs::perms p = fs::status(m_temp, ec).permissions();
        fs::perms run = fs::perms::none;
        if ((p & fs::perms::owner_read) != fs::perms::none)
            run |= fs::perms::owner_exec;
        if ((p & fs::perms::group_read) != fs::perms::none)
            run |= fs::perms::group_exec;
        if ((p & fs::perms::others_read) != fs::perms::none)
            run |= fs::perms::others_exec;
        if (!ec)
            fs::permissions(m_temp, run, fs::perm_options::add, ec);
        if (ec)
            throw ReplaceFileError("cannot make " + m_what + " " + m_target.string() + " runnable: " + ec.message());
    }
    CheckReplaceable(m_target, m_what); // something may have appeared there meanwhile
    fs::rename(m_temp, m_target, ec);
    if (ec)
        throw ReplaceFileError("cannot replace " + m_what + " " + m_target.string() + ": " + ec.message());
    m_committed = true;
    SyncFolder(m_target.parent_path()); // the rename itself, where the system lets a folder be synced
}
