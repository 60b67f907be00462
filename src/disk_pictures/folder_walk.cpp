// POSIX: each folder is opened with O_DIRECTORY | O_NONBLOCK, known by the
// fstat of that descriptor, and read with readdir; entry kinds come from
// d_type, with stat (which follows links) only for links and file systems
// that leave the kind unknown. Windows: std::filesystem's iterator, with
// the hidden attribute and the resolved path of each folder.
#include "disk_pictures/folder_walk.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

bool Hidden(const fs::path& name)
{
    const auto s = name.native();
    return !s.empty() && s[0] == '.';
}

#ifndef _WIN32

const char* Kind(mode_t mode)
{
    return S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                                                                     : "not a file";
}

class CDir {
public:
    explicit CDir(const fs::path& path)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            m_error = errno;
            return;
        }
        if (::fstat(fd, &m_stat) != 0 || !(m_dir = ::fdopendir(fd))) {
            m_error = errno;
            ::close(fd);
        }
    }
    ~CDir()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    CDir(const CDir&) = delete;
    CDir& operator=(const CDir&) = delete;
    DIR* Get() const { return m_dir; }
    int Error() const { return m_error; }
    const struct stat& Stat() const { return m_stat; }

private:
    DIR* m_dir = nullptr;
    int m_error = 0;
    struct stat m_stat {};
};

#endif

} // namespace

#ifndef _WIN32

FolderListing ListFolder(const fs::path& dir, bool subfolders, const std::atomic<bool>* stop)
{
    FolderListing out;
    std::set<std::pair<dev_t, ino_t>> walked;
    std::vector<fs::path> pending{dir};
    while (!pending.empty() && !Stopped(stop)) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        CDir d(folder);
        if (!d.Get()) {
            out.skipped.emplace_back(folder, std::string("cannot read the folder: ") + std::strerror(d.Error()));
            continue;
        }
        if (!walked.insert({d.Stat().st_dev, d.Stat().st_ino}).second)
            continue; // reached before, through a link or a loop
        std::vector<fs::path> below;
        while (const dirent* e = ::readdir(d.Get())) {
            const fs::path name(e->d_name);
            if (Hidden(name)) // ".", ".." and hidden entries
                continue;
            fs::path path = folder / name;
            unsigned char type = e->d_type;
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat st {};
                if (::stat(path.c_str(), &st) != 0) {
                    out.skipped.emplace_back(std::move(path), errno == ELOOP ? "a link in a circle"
                                                              : errno == ENOENT ? "a link that leads nowhere"
                                                                                : std::strerror(errno));
                    continue;
                }
                type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_FIFO;
                if (type == DT_FIFO) {
                    out.skipped.emplace_back(std::move(path), Kind(st.st_mode));
                    continue;
                }
            }
            if (type == DT_REG) {
                out.files.push_back(std::move(path));
                if (out.files.size() >= kMaxListedFiles) {
                    out.full = true;
                    return out;
                }
            } else if (type == DT_DIR) {
                if (subfolders)
                    below.push_back(std::move(path));
            } else {
                out.skipped.emplace_back(std::move(path), type == DT_FIFO ? "a FIFO" : type == DT_SOCK ? "a socket"
                                                                                                       : "a device");
            }
        }
        // Folders in reverse so they are walked in the order read.
        pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    return out;
}

#else

FolderListing ListFolder(const fs::path& dir, bool subfolders, const std::atomic<bool>* stop)
{
    FolderListing out;
    std::set<fs::path> walked;
    std::vector<fs::path> pending{dir};
    while (!pending.empty() && !Stopped(stop)) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        const fs::path resolved = fs::canonical(folder, ec);
        if (!ec && !walked.insert(resolved).second)
            continue;
        fs::directory_iterator it(folder, ec);
        if (ec) {
            out.skipped.emplace_back(folder, "cannot read the folder: " + ec.message());
            continue;
        }
        std::vector<fs::path> below;
        for (fs::directory_iterator end; it != end; it.increment(ec)) {
            if (ec)
                break;
            const fs::path path = it->path();
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (Hidden(path.filename()) ||
                (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN)))
                continue;
            std::error_code kind;
            if (it->is_regular_file(kind)) {
                out.files.push_back(path);
                if (out.files.size() >= kMaxListedFiles) {
                    out.full = true;
                    return out;
                }
            } else if (it->is_directory(kind)) {
                if (subfolders)
                    below.push_back(path);
            } else {
                out.skipped.emplace_back(path, "not a file");
            }
        }
        pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    return out;
}

#endif
