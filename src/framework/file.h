// Files of the framework: CFile over an operating-system file (through the
// C library, so the core stays free of OS headers) and CMemFile, a growable
// in-memory file. Both report failures as CFileException.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/object.h"

class CFile : public CObject {
public:
    enum OpenFlags : unsigned { modeRead = 0x0000, modeWrite = 0x0001, modeCreate = 0x1000 };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile() override;

    // Opens a file; returns false (and keeps the OS error) when it cannot.
    virtual bool Open(const std::string& path, unsigned flags);
    virtual void Close();
    virtual std::uint64_t GetLength() const;
    virtual std::uint64_t GetPosition() const;
    virtual std::uint64_t Seek(std::int64_t offset, int from);
    virtual std::size_t Read(void* buf, std::size_t count);
    virtual void Write(const void* buf, std::size_t count);

    const std::string& GetFilePath() const { return m_path; }

private:
    [[noreturn]] void ThrowOsError(int fallbackCause) const;

    std::FILE* m_fp = nullptr;
    std::string m_path;
    int m_lastError = 0;
};

class CMemFile : public CFile {
public:
    explicit CMemFile(std::size_t nGrowBytes = 1024) : m_nGrowBytes(nGrowBytes ? nGrowBytes : 1024) {}
    // A read-only view filled from existing bytes (copied).
    CMemFile(const void* data, std::size_t size);

    bool Open(const std::string&, unsigned) override { return true; }
    void Close() override {}
    std::uint64_t GetLength() const override { return m_nFileSize; }
    std::uint64_t GetPosition() const override { return m_nPosition; }
    std::uint64_t Seek(std::int64_t offset, int from) override;
    std::size_t Read(void* buf, std::size_t count) override;
    void Write(const void* buf, std::size_t count) override;

    const unsigned char* GetBuffer() const { return m_buffer.data(); }

private:
    void GrowFile(std::size_t newLen);

    std::size_t m_nGrowBytes;
    std::size_t m_nPosition = 0;
    std::size_t m_nFileSize = 0;
    std::vector<unsigned char> m_buffer; // size() is the allocated capacity
};
