// CArchive: the framework's serialisation archive over a CFile, in loading
// or storing mode, with a 4096-byte buffer. It reads and writes the
// document's primitives: little-endian 32-bit integers, length-prefixed
// ANSI strings (and, when loading, the wide form), raw blocks and counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/cstring.h"
#include "framework/types.h"

class CFile;

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(CFile* pFile, Mode mode, std::size_t bufSize = 4096);
    ~CArchive(); // flushes a storing archive (errors are dropped there; call Close to see them)
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }

    // Loading. Integers and strings raise CArchiveException(endOfFile) when
    // the file cannot supply their bytes.
    CArchive& operator>>(DWORD& v);
    CArchive& operator>>(LONG& v);
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(CString& s);
    // Raw block: may come back short; returns the bytes delivered.
    std::size_t Read(void* buf, std::size_t n);
    std::uint32_t ReadCount();

    // Storing.
    CArchive& operator<<(DWORD v);
    CArchive& operator<<(LONG v);
    CArchive& operator<<(WORD v);
    CArchive& operator<<(BYTE v);
    CArchive& operator<<(const CString& s);
    void Write(const void* buf, std::size_t n);
    void WriteCount(std::uint32_t n);

    void Flush();
    void Close();

private:
    void FillBuffer(std::size_t needed); // make sure `needed` bytes are buffered, or throw
    std::uint32_t ReadStringLength(bool& wide);

    CFile* m_pFile;
    Mode m_mode;
    std::vector<unsigned char> m_buf;
    std::size_t m_cur = 0; // next byte (loading) or next free byte (storing)
    std::size_t m_max = 0; // end of valid data when loading
    bool m_closed = false;
};
