// The stored document: where every field lands, the user record's stream
// order, what Load keeps, and the picture header checks that run before
// anything is allocated from the header.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "doc_fixture.h"
#include "document/current_user.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "framework/archive.h"
#include "framework/exceptions.h"
#include "framework/file.h"

using namespace testdoc;

namespace {

void LoadBytes(CJigsawDoc& doc, const std::vector<BYTE>& bytes)
{
    CMemFile file(bytes.data(), bytes.size());
    doc.Load(&file);
}

TEST(DocumentLayout, FieldsShiftBehindVariableStrings)
{
    StoredDocument d;
    FillSample(d);
    d.strSource = CString(std::string(35, 's'));
    d.strTitle = CString(std::string(15, 't'));
    d.strThird = "";
    d.user.m_strUser = CString(std::string(11, 'u'));
    d.user.m_strSecond = CString(std::string(6, 'v'));
    d.message.text = CString(std::string(20, 'm'));
    d.message.face = "Arial";
    d.message.colour = 0x00336699;
    d.message.bold = 7;
    d.message.italic = 0x100;
    d.nSpare = 0xABCD;
    const std::vector<BYTE> b = Serialise(d);

    EXPECT_EQ(b[0x00], 35);
    EXPECT_EQ(b[0x24], 15);
    EXPECT_EQ(b[0x34], 0);
    EXPECT_EQ(Le32(b, 0x35), 41u);
    EXPECT_EQ(Le32(b, 0x39), 250u);
    EXPECT_EQ(Le32(b, 0x3D), d.stream.size());
    EXPECT_EQ(Le32(b, 0x41), 1u); // first option of the user record
    EXPECT_EQ(b[0x91], 20);
    EXPECT_EQ(b[0xA6], 5);
    EXPECT_EQ(Le32(b, 0xAC), 0x00336699u);
    EXPECT_EQ(Le32(b, 0xB0), 7u);
    EXPECT_EQ(Le32(b, 0xB4), 0x100u);
    EXPECT_EQ(Le32(b, 0xB8), 0xABCDu);
    EXPECT_EQ(Le32(b, 0xBC), 40u); // biSize
    ASSERT_EQ(b.size(), 0xE4 + d.stream.size());
    EXPECT_EQ(b[0xE4], 0xFF);
    EXPECT_EQ(b[0xE5], 0xD8);

    CJigsawDoc doc;
    LoadBytes(doc, b);
    EXPECT_EQ(doc.m_message.text.str(), std::string(20, 'm'));
    EXPECT_EQ(doc.m_message.face.str(), "Arial");
    EXPECT_EQ(doc.m_message.colour, 0x00336699u);
    EXPECT_EQ(doc.m_message.bold, 7u);
    EXPECT_EQ(doc.m_message.italic, 0x100u);
    EXPECT_EQ(std::memcmp(&doc.m_bih, &d.bih, sizeof d.bih), 0);
    ASSERT_TRUE(doc.m_pBits);
}

TEST(DocumentLayout, EmptyLeadingStringsLongMessageEmptyFace)
{
    StoredDocument d;
    FillSample(d);
    d.strSource = d.strTitle = d.strThird = "";
    d.message.text = CString(std::string(300, 'x'));
    d.message.face = "";
    const std::vector<BYTE> b = Serialise(d);
    EXPECT_EQ(Le32(b, 3), 41u);
    EXPECT_EQ(Le32(b, 7), 250u);

    CJigsawDoc doc;
    LoadBytes(doc, b);
    EXPECT_EQ(doc.m_message.text.GetLength(), 300);
    EXPECT_TRUE(doc.m_message.face.IsEmpty());
}

TEST(CurrentUser, StreamOrderDiffersFromDeclaredOrder)
{
    CCurrentUser u;
    DWORD* options[] = {&u.m_nOption1, &u.m_nOption2, &u.m_nOption3,  &u.m_nOption4,  &u.m_nOption5,  &u.m_nOption6,
                        &u.m_nOption7, &u.m_nOption8, &u.m_nOption9,  &u.m_nOption10, &u.m_nOption11, &u.m_nOption13,
                        &u.m_nOption14, &u.m_nOption15, &u.m_nOption16};
    DWORD value = 101;
    for (DWORD* p : options)
        *p = value++;
    u.m_strText = "T";
    u.m_nOption12 = -3;
    u.m_tsSpan = 7500;
    u.m_strUser = "user";
    u.m_strSecond = "2nd";

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        u.Serialize(ar);
        ar.Close();
    }
    std::vector<BYTE> b(file.GetBuffer(), file.GetBuffer() + file.GetLength());
    // Options 1-4, 7, 8, 5, 6, 10, 11; options 9 and 13 are not stored.
    const DWORD expected[] = {101, 102, 103, 104, 107, 108, 105, 106, 110, 111};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Le32(b, std::size_t(i) * 4), expected[i]) << i;
    EXPECT_EQ(b[40], 1);
    EXPECT_EQ(b[41], 'T');
    EXPECT_EQ(Le32(b, 42), DWORD(-3));
    EXPECT_EQ(Le32(b, 46), 7500u);
    EXPECT_EQ(Le32(b, 50), 113u);
    EXPECT_EQ(Le32(b, 54), 114u);
    EXPECT_EQ(Le32(b, 58), 115u);
    EXPECT_EQ(b[62], 4);
    EXPECT_EQ(b[67], 3);
    EXPECT_EQ(b.size(), 71u);

    file.Seek(0, CFile::begin);
    CCurrentUser back;
    CArchive ar(&file, CArchive::load);
    back.Serialize(ar);
    EXPECT_EQ(back.m_nOption7, 107u);
    EXPECT_EQ(back.m_nOption5, 105u);
    EXPECT_EQ(back.m_nOption9, 0u);  // default, not stored
    EXPECT_EQ(back.m_nOption13, 1u); // default, not stored
    EXPECT_EQ(back.m_nOption12, -3);
    EXPECT_EQ(back.m_strSecond.str(), "2nd");
}

TEST(PictureHeader, RejectsWhatCannotDescribeThePicture)
{
    BITMAPINFOHEADER good{};
    good.biSize = 40;
    good.biWidth = 800;
    good.biHeight = 600;
    good.biPlanes = 1;
    good.biBitCount = 24;
    good.biSizeImage = 1440000;
    EXPECT_NO_THROW(CheckPictureHeader(good));
    BITMAPINFOHEADER oddWidth = good;
    oddWidth.biWidth = 801;
    oddWidth.biSizeImage = 2404 * 600;
    EXPECT_NO_THROW(CheckPictureHeader(oddWidth));

    auto bad = [&](auto change) {
        BITMAPINFOHEADER h = good;
        change(h);
        try {
            CheckPictureHeader(h);
        } catch (const CArchiveException& e) {
            return e.m_cause == CArchiveException::badSchema;
        }
        return false;
    };
    EXPECT_TRUE(bad([](auto& h) { h.biWidth = 0; }));
    EXPECT_TRUE(bad([](auto& h) { h.biHeight = -600; })); // top-down pictures are not stored
    EXPECT_TRUE(bad([](auto& h) { h.biWidth = kMaxPictureSide + 1; }));
    EXPECT_TRUE(bad([](auto& h) { h.biHeight = kMaxPictureSide + 1; }));
    EXPECT_TRUE(bad([](auto& h) { h.biBitCount = 32; }));
    EXPECT_TRUE(bad([](auto& h) { h.biCompression = 1; }));
    EXPECT_TRUE(bad([](auto& h) { h.biSizeImage = 1440000 - 1; }));
    EXPECT_TRUE(bad([](auto& h) { h.biSizeImage = 0xFFFFFFFF; }));
}

TEST(PictureHeader, IsCheckedBeforeTheStreamIsRead)
{
    // A bad header followed by a byte count of 4 GiB and no stream: the
    // header fails first, so nothing is allocated or read for the stream.
    StoredDocument d;
    FillSample(d);
    d.bih.biBitCount = 8;
    std::vector<BYTE> b = Serialise(d);
    const std::size_t headerEnd = b.size() - d.stream.size();
    b.resize(headerEnd);
    const std::size_t countAt = 1 + d.strSource.GetLength() + 1 + d.strTitle.GetLength() + 1 + 8;
    b[countAt] = b[countAt + 1] = b[countAt + 2] = b[countAt + 3] = 0xFF;
    CJigsawDoc doc;
    try {
        LoadBytes(doc, b);
        FAIL() << "a bad header was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badSchema);
    }

    // A good header with the same impossible count ends early instead.
    StoredDocument g;
    FillSample(g);
    std::vector<BYTE> gb = Serialise(g);
    gb.resize(gb.size() - g.stream.size());
    gb[countAt] = gb[countAt + 1] = gb[countAt + 2] = gb[countAt + 3] = 0xFF;
    CJigsawDoc doc2;
    try {
        LoadBytes(doc2, gb);
        FAIL() << "a missing stream was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

TEST(DocumentLoad, UndecodableStreamLeavesAWhitePicture)
{
    StoredDocument d;
    FillSample(d);
    d.stream.assign(64, 0x42);
    CJigsawDoc doc;
    LoadBytes(doc, Serialise(d));
    ASSERT_TRUE(doc.m_pBits);
    for (DWORD i = 0; i < d.bih.biSizeImage; ++i)
        ASSERT_EQ(doc.m_pBits[i], 0xFF) << i;
}

} // namespace
