// Byte form of the archive primitives: string prefixes at every boundary,
// counts, integers, the wide string form, and how short data ends a read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/archive.h"
#include "framework/exceptions.h"
#include "framework/file.h"

namespace {

using Bytes = std::vector<BYTE>;

template <typename F>
Bytes Stored(F write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return Bytes(file.GetBuffer(), file.GetBuffer() + file.GetLength());
}

// The leading bytes of the stored form of a string of n 'x' characters.
Bytes StringPrefix(std::size_t n)
{
    Bytes b = Stored([&](CArchive& ar) { ar << CString(std::string(n, 'x')); });
    EXPECT_EQ(b.size() - n, b.size() == n + 1 ? 1u : b.size() == n + 3 ? 3u : 7u);
    return Bytes(b.begin(), b.end() - std::ptrdiff_t(n));
}

CString LoadString(const Bytes& bytes, std::size_t bufSize = 4096)
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load, bufSize);
    CString s;
    ar >> s;
    return s;
}

int EndOfFileCause(const Bytes& bytes, void (*read)(CArchive&))
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

TEST(ArchiveString, PrefixFormsAtEveryBoundary)
{
    EXPECT_EQ(StringPrefix(0), Bytes({0x00}));
    EXPECT_EQ(StringPrefix(254), Bytes({0xFE}));
    EXPECT_EQ(StringPrefix(255), Bytes({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(StringPrefix(65533), Bytes({0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(StringPrefix(65534), Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(StringPrefix(70000), Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(Stored([](CArchive& ar) { ar << CString("Arial"); }), Bytes({0x05, 0x41, 0x72, 0x69, 0x61, 0x6C}));
}

TEST(ArchiveString, EveryFormReadsBackWholeThroughASmallBuffer)
{
    for (std::size_t n : {0u, 1u, 254u, 255u, 4096u, 65533u, 65534u, 70000u}) {
        std::string text(n, '\0');
        for (std::size_t i = 0; i < n; ++i)
            text[i] = char('a' + i % 26);
        Bytes b = Stored([&](CArchive& ar) { ar << CString(text) << DWORD(0xCAFEF00D); });
        CMemFile file(b.data(), b.size());
        CArchive ar(&file, CArchive::load, 64);
        CString s;
        DWORD after = 0;
        ar >> s >> after;
        EXPECT_EQ(s.str(), text) << n;
        EXPECT_EQ(after, 0xCAFEF00Du) << n;
    }
}

TEST(ArchiveString, WideFormIsConvertedToTheCodePage)
{
    // FF FE FF, then a one-byte length of 3 UTF-16 units: 'a', euro sign, a CJK character.
    EXPECT_EQ(LoadString({0xFF, 0xFE, 0xFF, 0x03, 'a', 0x00, 0xAC, 0x20, 0xE5, 0x65}).str(), "a\x80?");
    // Second prefix in its three-byte form (256 units) and seven-byte form (2 units).
    Bytes wide = {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01};
    for (int i = 0; i < 256; ++i) {
        wide.push_back('z');
        wide.push_back(0);
    }
    EXPECT_EQ(LoadString(wide).str(), std::string(256, 'z'));
    EXPECT_EQ(LoadString({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 'o', 0, 'k', 0}).str(), "ok");
}

TEST(ArchiveString, ShortTextIsEndOfFileNotAShortString)
{
    auto readString = [](CArchive& ar) {
        CString s;
        ar >> s;
    };
    EXPECT_EQ(EndOfFileCause({0x05, 'A', 'r'}, readString), CArchiveException::endOfFile);
    EXPECT_EQ(EndOfFileCause({0xFF, 0x00}, readString), CArchiveException::endOfFile);              // in the prefix
    EXPECT_EQ(EndOfFileCause({0xFF, 0xFE, 0xFF, 0x02, 'a', 0}, readString), CArchiveException::endOfFile); // wide
    // A length the data cannot back fails without allocating it.
    EXPECT_EQ(EndOfFileCause({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}, readString), CArchiveException::endOfFile);
    EXPECT_EQ(EndOfFileCause({}, readString), CArchiveException::endOfFile);
}

TEST(ArchiveIntegers, LittleEndianAndSigned)
{
    CMemFile file(Bytes({0xFD, 0xFF, 0xFF, 0xFF, 0xFA, 0x00, 0x00, 0x00}).data(), 8);
    CArchive ar(&file, CArchive::load);
    LONG minusThree = 0;
    DWORD twoFifty = 0;
    ar >> minusThree >> twoFifty;
    EXPECT_EQ(minusThree, -3);
    EXPECT_EQ(twoFifty, 250u);
    EXPECT_EQ(Stored([](CArchive& a) { a << LONG(-3) << DWORD(250); }),
              Bytes({0xFD, 0xFF, 0xFF, 0xFF, 0xFA, 0x00, 0x00, 0x00}));
    auto readDword = [](CArchive& a) {
        DWORD v;
        a >> v;
    };
    EXPECT_EQ(EndOfFileCause({1, 2, 3}, readDword), CArchiveException::endOfFile);
}

TEST(ArchiveCount, SixteenBitsOrEscapedThirtyTwo)
{
    EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(65534); }), Bytes({0xFE, 0xFF}));
    EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(65535); }), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    for (std::uint32_t n : {0u, 7u, 65534u, 65535u, 0x12345678u}) {
        Bytes b = Stored([&](CArchive& ar) { ar.WriteCount(n); });
        CMemFile file(b.data(), b.size());
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(ar.ReadCount(), n);
    }
}

TEST(ArchiveRawBlock, ComesBackShortWithoutFailing)
{
    // 4 bytes buffered by an integer read, then a raw block that runs from
    // the buffer into the file and past its end.
    Bytes data(100);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = BYTE(i);
    CMemFile file(data.data(), data.size());
    CArchive ar(&file, CArchive::load, 16);
    DWORD first = 0;
    ar >> first;
    EXPECT_EQ(first, 0x03020100u);
    Bytes block(200, 0xEE);
    EXPECT_EQ(ar.Read(block.data(), block.size()), 96u);
    EXPECT_EQ(block[0], 4);
    EXPECT_EQ(block[95], 99);
    EXPECT_EQ(block[96], 0xEE);
    EXPECT_EQ(ar.Read(block.data(), 10), 0u);
    EXPECT_EQ(ar.Read(nullptr, 0), 0u);
}

} // namespace
