// Output by temporary file and rename. The temporary name is random and
// opened exclusively, so two packs into one folder never share it.
#include "saver_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "document/container.h"
#include "pack_error.h"
#include "picture_source.h"

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Removes the temporary file unless the rename took it.
class TempFile {
public:
    explicit TempFile(const fs::path& target)
    {
        std::random_device rd;
        for (int attempt = 0; attempt < 16 && !m_fp; ++attempt) {
            char tag[24];
            std::snprintf(tag, sizeof tag, ".tmp-%08x", unsigned(rd()));
            m_path = target;
            m_path += tag;
            errno = 0;
            m_fp.reset(std::fopen(m_path.string().c_str(), "wbx"));
            if (!m_fp && errno != EEXIST)
                break;
        }
        if (!m_fp)
            throw PackError("cannot create a file beside " + target.string() + ": " + std::strerror(errno));
    }
    ~TempFile()
    {
        m_fp.reset();
        if (!m_committed) {
            std::error_code ec;
            fs::remove(m_path, ec);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const void* data, std::size_t size)
    {
        if (size && std::fwrite(data, 1, size, m_fp.get()) != size)
            throw PackError("cannot write " + m_path.string() + ": " + std::strerror(errno));
    }
    void Commit(const fs::path& target, fs::perms perms)
    {
        if (std::fflush(m_fp.get()) != 0 || std::fclose(m_fp.release()) != 0)
            throw PackError("cannot write " + m_path.string() + ": " + std::strerror(errno));
        std::error_code ec;
        fs::permissions(m_path, perms, ec);
        if (ec)
            throw PackError("cannot set the permissions of " + m_path.string() + ": " + ec.message());
        fs::rename(m_path, target, ec);
        if (ec)
            throw PackError("cannot replace " + target.string() + ": " + ec.message());
        m_committed = true;
    }

private:
    fs::path m_path;
    std::unique_ptr<std::FILE, FileCloser> m_fp;
    bool m_committed = false;
};

} // namespace

std::size_t ExecutableLength(const std::vector<BYTE>& saver)
{
    const std::string marker = ContainerMarker();
    if (saver.size() <= 1)
        return saver.size();
    auto it = std::search(saver.begin() + 1, saver.end(), marker.begin(), marker.end());
    return std::size_t(it - saver.begin());
}

void WriteSaver(const fs::path& saver, const fs::path& out, const std::vector<BYTE>& document)
{
    const std::vector<BYTE> image = ReadWholeFile(saver, kMaxSaverBytes, "saver executable");
    std::error_code ec;
    const fs::perms perms = fs::status(saver, ec).permissions();
    if (ec)
        throw PackError("cannot read the saver executable " + saver.string() + ": " + ec.message());
    if (fs::is_directory(out, ec))
        throw PackError("output is a directory: " + out.string());

    TempFile temp(out);
    temp.Write(image.data(), ExecutableLength(image));
    const std::string marker = ContainerMarker();
    temp.Write(marker.data(), marker.size());
    const BYTE separator = 0;
    temp.Write(&separator, 1);
    temp.Write(document.data(), document.size());
    // The saver's permission bits, and whatever lets its owner write the copy.
    temp.Commit(out, perms | fs::perms::owner_write);
}
