// The container: the backward scan for the last marker (never at position
// 0), the separator skipped whatever it holds, and what reaches the memory
// file when the document is missing or empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "doc_fixture.h"
#include "document/container.h"
#include "document/jigsaw_doc.h"
#include "framework/exceptions.h"
#include "framework/file.h"

using namespace testdoc;

namespace {

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

std::size_t Find(const std::string& s) { return FindLastMarker(Bytes(s).data(), s.size(), ContainerMarker()); }

TEST(ContainerScan, FindsTheLastMarkerButNeverPositionZero)
{
    const std::string m = ContainerMarker();
    ASSERT_EQ(m.size(), 13u);
    EXPECT_EQ(Find("exe" + m + "?doc"), 3u);
    EXPECT_EQ(Find("exe" + m + "?one" + m + "?two"), 3u + 13 + 4);
    EXPECT_EQ(Find("x" + m), 1u); // ends at the last byte
    EXPECT_EQ(Find(m + "?doc"), std::string::npos);
    EXPECT_EQ(Find(m), std::string::npos);
    EXPECT_EQ(Find("exe" + m.substr(0, 12)), std::string::npos);
    EXPECT_EQ(Find("no marker here at all"), std::string::npos);
    EXPECT_EQ(Find(""), std::string::npos);
}

class ContainerFile : public ::testing::Test {
protected:
    // Writes exe + tail to a file and reads it back through the container.
    std::unique_ptr<CMemFile> Read(const std::vector<BYTE>& tail)
    {
        std::vector<BYTE> file = Bytes("MZ fake executable image");
        file.insert(file.end(), tail.begin(), tail.end());
        WriteFile(dir / "saver", file);
        auto mem = std::make_unique<CMemFile>(1024);
        ReadEmbeddedDocument((dir / "saver").string(), mem.get());
        return mem;
    }
    std::vector<BYTE> Tail(const std::vector<BYTE>& doc, BYTE separator)
    {
        std::vector<BYTE> t = Bytes(ContainerMarker());
        t.push_back(separator);
        t.insert(t.end(), doc.begin(), doc.end());
        return t;
    }
    ScratchDir dir;
};

TEST_F(ContainerFile, DocumentBehindTheLastMarkerWhateverTheSeparator)
{
    StoredDocument d;
    FillSample(d);
    const std::vector<BYTE> doc = Serialise(d);
    for (BYTE separator : {BYTE(0x00), BYTE(0x41), BYTE(0xFF)}) {
        std::vector<BYTE> tail = Tail(Bytes("an older document"), 0);
        const std::vector<BYTE> last = Tail(doc, separator);
        tail.insert(tail.end(), last.begin(), last.end());
        auto mem = Read(tail);
        ASSERT_EQ(mem->GetLength(), doc.size());
        EXPECT_TRUE(std::equal(doc.begin(), doc.end(), mem->GetBuffer()));
        mem->Seek(0, CFile::begin);
        CJigsawDoc loaded;
        loaded.Load(mem.get());
        EXPECT_EQ(loaded.m_message.text.str(), "Thank you");
    }
}

TEST_F(ContainerFile, MarkerAcrossTheScanWindowsIsFound)
{
    // The newest marker straddles, starts or ends at a window's edge, with an
    // older one a window further back.
    const std::size_t m = ContainerMarker().size();
    for (std::size_t after : {kContainerScanWindow - m - 1, kContainerScanWindow - 5, kContainerScanWindow - 1,
                              kContainerScanWindow, kContainerScanWindow + 3}) {
        std::vector<BYTE> doc(after - 1, BYTE('d'));
        std::vector<BYTE> tail = Tail(Bytes("an older document"), 0);
        tail.resize(tail.size() + kContainerScanWindow, BYTE('x'));
        const std::vector<BYTE> last = Tail(doc, 0);
        tail.insert(tail.end(), last.begin(), last.end());
        auto mem = Read(tail);
        ASSERT_EQ(mem->GetLength(), doc.size()) << after;
        EXPECT_TRUE(std::equal(doc.begin(), doc.end(), mem->GetBuffer()));
    }
}

TEST_F(ContainerFile, MarkerAtTheEndGivesAnEmptyDocument)
{
    for (const std::vector<BYTE>& tail : {Bytes(ContainerMarker()), Tail({}, 0)}) {
        auto mem = Read(tail);
        EXPECT_EQ(mem->GetLength(), 0u);
        CJigsawDoc doc;
        try {
            doc.Load(mem.get());
            FAIL() << "an empty document loaded";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        }
    }
}

TEST_F(ContainerFile, NoMarkerIsTheGenericFileError)
{
    WriteFile(dir / "bare", Bytes("just an executable"));
    CMemFile mem(1024);
    try {
        ReadEmbeddedDocument((dir / "bare").string(), &mem);
        FAIL() << "a file without a marker gave a document";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::generic);
        EXPECT_EQ(e.m_lOsError, -1);
        EXPECT_TRUE(e.m_strFileName.empty());
    }
    EXPECT_EQ(mem.GetLength(), 0u);
}

TEST_F(ContainerFile, MissingFileIsTheOpenError)
{
    CMemFile mem(1024);
    try {
        ReadEmbeddedDocument((dir / "missing").string(), &mem);
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
}

} // namespace
