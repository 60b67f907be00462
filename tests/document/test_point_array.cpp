// CPointArray: the exact growth rule (first allocation, automatic step of
// size / 8 clamped to 4..1024, explicit steps), zeroing, InsertAt and the
// stored form.
#include <gtest/gtest.h>

#include "document/point_array.h"
#include "framework/archive.h"
#include "framework/exceptions.h"
#include "framework/file.h"

namespace {

POINT P(LONG x, LONG y) { return POINT{x, y}; }

TEST(PointArrayGrowth, FirstAllocationIsExactThenStepsFollowTheSize)
{
    CPointArray a;
    a.SetAtGrow(0, P(1, 2));
    EXPECT_EQ(a.GetCapacity(), 1);
    a.SetAtGrow(1, P(3, 4));
    EXPECT_EQ(a.GetCapacity(), 5); // minimum step 4
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0], P(1, 2));

    CPointArray forty;
    forty.SetSize(40);
    EXPECT_EQ(forty.GetCapacity(), 40);
    forty.Add(P(9, 9));
    EXPECT_EQ(forty.GetCapacity(), 45); // 40 / 8

    CPointArray big;
    big.SetSize(9000);
    big.Add(P(1, 1));
    EXPECT_EQ(big.GetCapacity(), 10024); // step clamped to 1024

    CPointArray jump;
    jump.SetSize(1);
    jump.SetSize(100);
    EXPECT_EQ(jump.GetCapacity(), 100); // the need is larger than capacity + step
}

TEST(PointArrayGrowth, ExplicitStepAndZeroingWithinCapacity)
{
    CPointArray a;
    a.SetSize(1, 10);
    a.SetAtGrow(1, P(5, 5));
    EXPECT_EQ(a.GetCapacity(), 11);
    for (int i = 0; i < 2; ++i)
        a[i] = P(7, 7);
    a.SetSize(1);
    a.SetSize(4); // within capacity: elements from the old size become zero
    EXPECT_EQ(a[0], P(7, 7));
    EXPECT_EQ(a[1], P(0, 0));
    EXPECT_EQ(a[3], P(0, 0));
    a.SetSize(0);
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST(PointArrayInsert, InsideMovesUpAndBeyondGrows)
{
    CPointArray a;
    a.Add(P(1, 0));
    a.Add(P(2, 0));
    a.Add(P(3, 0));
    a.InsertAt(1, P(9, 9), 2);
    ASSERT_EQ(a.GetSize(), 5);
    const POINT inside[] = {P(1, 0), P(9, 9), P(9, 9), P(2, 0), P(3, 0)};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a[i], inside[i]) << i;

    CPointArray b;
    b.Add(P(1, 1));
    b.InsertAt(3, P(4, 4), 2);
    ASSERT_EQ(b.GetSize(), 5);
    EXPECT_EQ(b[1], P(0, 0));
    EXPECT_EQ(b[2], P(0, 0));
    EXPECT_EQ(b[3], P(4, 4));
    EXPECT_EQ(b[4], P(4, 4));
}

std::vector<BYTE> Store(CPointArray& a)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        a.Serialize(ar);
        ar.Close();
    }
    return std::vector<BYTE>(file.GetBuffer(), file.GetBuffer() + file.GetLength());
}

void LoadInto(CPointArray& a, const std::vector<BYTE>& bytes)
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    a.Serialize(ar);
}

TEST(PointArrayStoredForm, CountThenLittleEndianPairs)
{
    CPointArray a;
    a.Add(P(-1, 2));
    a.Add(P(0x01020304, -0x10));
    EXPECT_EQ(Store(a), (std::vector<BYTE>{0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 0x04, 0x03, 0x02, 0x01,
                                           0xF0, 0xFF, 0xFF, 0xFF}));

    CPointArray back;
    back.Add(P(5, 5)); // replaced by the load
    back.Add(P(5, 5));
    back.Add(P(5, 5));
    LoadInto(back, Store(a));
    ASSERT_EQ(back.GetSize(), 2);
    EXPECT_EQ(back[0], P(-1, 2));
    EXPECT_EQ(back[1], P(0x01020304, -0x10));

    CPointArray many;
    many.SetSize(70000);
    for (int i = 0; i < many.GetSize(); ++i)
        many[i] = P(i, -i);
    const std::vector<BYTE> bytes = Store(many);
    EXPECT_EQ(bytes.size(), 6u + 70000u * 8u); // escaped 32-bit count
    CPointArray manyBack;
    LoadInto(manyBack, bytes);
    ASSERT_EQ(manyBack.GetSize(), 70000);
    EXPECT_EQ(manyBack[69999], P(69999, -69999));

    CPointArray empty;
    LoadInto(back, Store(empty));
    EXPECT_EQ(back.GetSize(), 0);
    EXPECT_EQ(back.GetCapacity(), 0);
}

TEST(PointArrayStoredForm, ACountTheDataCannotBackEndsEarly)
{
    // 0xFFFF escape, then a count of 2^32 - 1 with one point behind it.
    std::vector<BYTE> bytes = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 2, 0, 0, 0};
    CPointArray a;
    try {
        LoadInto(a, bytes);
        FAIL() << "a short stored form was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

TEST(PointArrayCopy, CopiesElementsNotStorage)
{
    CPointArray a;
    a.Add(P(1, 2));
    a.Add(P(3, 4));
    CPointArray b(a);
    a[0] = P(0, 0);
    ASSERT_EQ(b.GetSize(), 2);
    EXPECT_EQ(b[0], P(1, 2));
    EXPECT_EQ(b[1], P(3, 4));
}

} // namespace
