// CFile over the C library's streams and the in-memory CMemFile.
#include "framework/file.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#ifdef _WIN32
#include <filesystem>
#endif

#include "framework/exceptions.h"

namespace {
// Paths are UTF-8. The Windows C library would read a narrow path in the
// ANSI code page, so there the path goes through its wide call.
std::FILE* OpenStream(const std::string& path, const char* mode)
{
#ifdef _WIN32
    const std::filesystem::path native(std::u8string(path.begin(), path.end()));
    const std::wstring wmode(mode, mode + std::strlen(mode));
    return ::_wfopen(native.c_str(), wmode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}
} // namespace

CFile::~CFile()
{
    if (m_fp)
        std::fclose(m_fp);
}

bool CFile::Open(const std::string& path, unsigned flags)
{
    Close();
    m_path = path;
    const char* mode = (flags & modeCreate) ? "wb" : (flags & modeWrite) ? "r+b" : "rb";
    errno = 0;
    m_fp = OpenStream(path, mode);
    m_lastError = m_fp ? 0 : errno;
    return m_fp != nullptr;
}

void CFile::Close()
{
    if (m_fp)
        std::fclose(m_fp);
    m_fp = nullptr;
}

void CFile::ThrowOsError(int fallbackCause) const
{
    int cause = fallbackCause;
    if (m_lastError == ENOENT)
        cause = CFileException::fileNotFound;
    else if (m_lastError == EACCES)
        cause = CFileException::accessDenied;
    AfxThrowFileException(cause, m_lastError, m_path);
}

std::uint64_t CFile::GetLength() const
{
    if (!m_fp)
        ThrowOsError(CFileException::generic);
    long pos = std::ftell(m_fp);
    if (pos < 0 || std::fseek(m_fp, 0, SEEK_END) != 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_path);
    long len = std::ftell(m_fp);
    std::fseek(m_fp, pos, SEEK_SET);
    if (len < 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_path);
    return std::uint64_t(len);
}

std::uint64_t CFile::GetPosition() const
{
    if (!m_fp)
        ThrowOsError(CFileException::generic);
    long pos = std::ftell(m_fp);
    if (pos < 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_path);
    return std::uint64_t(pos);
}

std::uint64_t CFile::Seek(std::int64_t offset, int from)
{
    if (!m_fp)
        ThrowOsError(CFileException::generic);
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    if (std::fseek(m_fp, long(offset), whence) != 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_path);
    return GetPosition();
}

std::size_t CFile::Read(void* buf, std::size_t count)
{
    if (!m_fp)
        ThrowOsError(CFileException::generic);
    std::size_t n = std::fread(buf, 1, count, m_fp);
    if (n < count && std::ferror(m_fp))
        AfxThrowFileException(CFileException::hardIO, errno, m_path);
    return n;
}

void CFile::Write(const void* buf, std::size_t count)
{
    if (!m_fp)
        ThrowOsError(CFileException::generic);
    if (std::fwrite(buf, 1, count, m_fp) != count)
        AfxThrowFileException(CFileException::diskFull, errno, m_path);
}

CMemFile::CMemFile(const void* data, std::size_t size) : m_nGrowBytes(1024)
{
    Write(data, size);
    m_nPosition = 0;
}

void CMemFile::GrowFile(std::size_t newLen)
{
    if (newLen <= m_buffer.size())
        return;
    // Capacity grows in whole steps of the grow size.
    std::size_t cap = (newLen + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
    if (cap < newLen)
        AfxThrowFileException(CFileException::diskFull);
    m_buffer.resize(cap);
}

std::uint64_t CMemFile::Seek(std::int64_t offset, int from)
{
    std::int64_t base = from == begin ? 0 : from == current ? std::int64_t(m_nPosition) : std::int64_t(m_nFileSize);
    std::int64_t pos = base + offset;
    if (pos < 0)
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = std::size_t(pos);
    return m_nPosition;
}

std::size_t CMemFile::Read(void* buf, std::size_t count)
{
    if (m_nPosition >= m_nFileSize)
        return 0;
    std::size_t n = std::min(count, m_nFileSize - m_nPosition);
    std::memcpy(buf, m_buffer.data() + m_nPosition, n);
    m_nPosition += n;
    return n;
}

void CMemFile::Write(const void* buf, std::size_t count)
{
    if (count == 0)
        return;
    if (m_nPosition + count < m_nPosition)
        AfxThrowFileException(CFileException::diskFull);
    GrowFile(m_nPosition + count);
    std::memcpy(m_buffer.data() + m_nPosition, buf, count);
    m_nPosition += count;
    if (m_nPosition > m_nFileSize)
        m_nFileSize = m_nPosition;
}
