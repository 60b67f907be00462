// Byte form of the archive primitives: little-endian integers; strings
// prefixed by 1, 3 or 7 bytes (0xFF, 0xFFFF escapes); a wide string marked
// by 0xFF 0xFFFE; counts as 16 bits or 0xFFFF plus 32 bits.
#include "framework/archive.h"

#include <algorithm>
#include <cstring>

#include "framework/exceptions.h"
#include "framework/file.h"

CArchive::CArchive(CFile* pFile, Mode mode, std::size_t bufSize)
    : m_pFile(pFile), m_mode(mode), m_buf(bufSize < 16 ? 16 : bufSize)
{
}

CArchive::~CArchive()
{
    if (m_mode == store && !m_closed) {
        try {
            Flush();
        } catch (...) {
        }
    }
}

void CArchive::Close()
{
    if (m_mode == store)
        Flush();
    m_closed = true;
}

void CArchive::Flush()
{
    if (m_mode == store && m_cur > 0) {
        m_pFile->Write(m_buf.data(), m_cur);
        m_cur = 0;
    }
}

void CArchive::FillBuffer(std::size_t needed)
{
    if (m_max - m_cur >= needed)
        return;
    // Keep the unread bytes, then read to fill the rest of the buffer.
    std::size_t left = m_max - m_cur;
    std::memmove(m_buf.data(), m_buf.data() + m_cur, left);
    m_cur = 0;
    m_max = left;
    while (m_max < needed) {
        std::size_t n = m_pFile->Read(m_buf.data() + m_max, m_buf.size() - m_max);
        if (n == 0)
            AfxThrowArchiveException(CArchiveException::endOfFile);
        m_max += n;
    }
}

CArchive& CArchive::operator>>(BYTE& v)
{
    FillBuffer(1);
    v = m_buf[m_cur++];
    return *this;
}

CArchive& CArchive::operator>>(WORD& v)
{
    FillBuffer(2);
    v = WORD(m_buf[m_cur] | (m_buf[m_cur + 1] << 8));
    m_cur += 2;
    return *this;
}

CArchive& CArchive::operator>>(DWORD& v)
{
    FillBuffer(4);
    const unsigned char* p = m_buf.data() + m_cur;
    v = DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
    m_cur += 4;
    return *this;
}

CArchive& CArchive::operator>>(LONG& v)
{
    DWORD d;
    *this >> d;
    v = static_cast<LONG>(d);
    return *this;
}

std::size_t CArchive::Read(void* buf, std::size_t n)
{
    auto* out = static_cast<unsigned char*>(buf);
    std::size_t fromBuf = std::min(n, m_max - m_cur);
    if (fromBuf) // n may be 0 with a null buffer
        std::memcpy(out, m_buf.data() + m_cur, fromBuf);
    m_cur += fromBuf;
    std::size_t done = fromBuf;
    // The rest comes straight from the file and may be short.
    while (done < n) {
        std::size_t got = m_pFile->Read(out + done, n - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

std::uint32_t CArchive::ReadCount()
{
    WORD w;
    *this >> w;
    if (w != 0xFFFF)
        return w;
    DWORD d;
    *this >> d;
    return d;
}

std::uint32_t CArchive::ReadStringLength(bool& wide)
{
    BYTE b;
    *this >> b;
    if (b < 0xFF)
        return b;
    WORD w;
    *this >> w;
    if (w == 0xFFFE && !wide) {
        // Wide form: a second prefix of the same kind gives the UTF-16 length.
        wide = true;
        return ReadStringLength(wide);
    }
    if (w < 0xFFFF)
        return w;
    DWORD d;
    *this >> d;
    return d;
}

CArchive& CArchive::operator>>(CString& s)
{
    bool wide = false;
    std::uint32_t n = ReadStringLength(wide);
    std::uint64_t bytes = wide ? std::uint64_t(n) * 2 : n;
    // Read in buffer-sized pieces: a length the data cannot back never
    // leads to one large allocation, and a short text is end-of-file.
    std::string raw;
    while (raw.size() < bytes) {
        std::size_t want = std::size_t(std::min<std::uint64_t>(bytes - raw.size(), m_buf.size()));
        FillBuffer(want);
        raw.append(reinterpret_cast<const char*>(m_buf.data() + m_cur), want);
        m_cur += want;
    }
    if (!wide) {
        s = CString(std::move(raw));
    } else {
        std::u16string u(n, u'\0');
        for (std::uint32_t i = 0; i < n; ++i)
            u[i] = char16_t(static_cast<unsigned char>(raw[2 * i]) | (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
        s = CString(cp1252::FromUtf16(u));
    }
    return *this;
}

void CArchive::Write(const void* buf, std::size_t n)
{
    const auto* in = static_cast<const unsigned char*>(buf);
    while (n > 0) {
        if (m_cur == m_buf.size())
            Flush();
        std::size_t k = std::min(n, m_buf.size() - m_cur);
        std::memcpy(m_buf.data() + m_cur, in, k);
        m_cur += k;
        in += k;
        n -= k;
    }
}

CArchive& CArchive::operator<<(BYTE v)
{
    Write(&v, 1);
    return *this;
}

CArchive& CArchive::operator<<(WORD v)
{
    unsigned char b[2] = {BYTE(v), BYTE(v >> 8)};
    Write(b, 2);
    return *this;
}

CArchive& CArchive::operator<<(DWORD v)
{
    unsigned char b[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
    Write(b, 4);
    return *this;
}

CArchive& CArchive::operator<<(LONG v) { return *this << static_cast<DWORD>(v); }

void CArchive::WriteCount(std::uint32_t n)
{
    if (n < 0xFFFF) {
        *this << WORD(n);
    } else {
        *this << WORD(0xFFFF);
        *this << DWORD(n);
    }
}

CArchive& CArchive::operator<<(const CString& s)
{
    std::uint32_t n = std::uint32_t(s.GetLength());
    if (n < 255) {
        *this << BYTE(n);
    } else if (n < 0xFFFE) {
        *this << BYTE(0xFF) << WORD(n);
    } else {
        *this << BYTE(0xFF) << WORD(0xFFFF) << DWORD(n);
    }
    Write(s.c_str(), n);
    return *this;
}
