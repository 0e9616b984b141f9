// Two-dimensional pointer and bit lists.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/List2d.h"

namespace {
void *V(std::intptr_t n)
{
    return reinterpret_cast<void *>(n);
}
} // namespace

TEST(List2d, CellsOutsideTheGridReadNilAndIgnoreWrites)
{
    T2dList l;
    l.SetSize(2, 3);
    l.SetCells(1, 2, V(7));
    EXPECT_EQ(V(7), l.Cells(1, 2));
    EXPECT_EQ(nullptr, l.Cells(0, 0));
    EXPECT_EQ(nullptr, l.Cells(2, 0));
    EXPECT_EQ(nullptr, l.Cells(0, 3));
    EXPECT_EQ(nullptr, l.Cells(-1, 0));
    l.SetCells(2, 0, V(1));
    l.SetCells(0, -1, V(1));
    EXPECT_EQ(2, l.ColCount());
    EXPECT_EQ(3, l.RowCount());
}

TEST(List2d, ResizingKeepsCellsAndAddsNilOnes)
{
    T2dList l;
    l.SetSize(2, 2);
    l.SetCells(1, 1, V(5));
    l.SetColCount(4);
    l.SetRowCount(3);
    EXPECT_EQ(V(5), l.Cells(1, 1));
    EXPECT_EQ(nullptr, l.Cells(3, 1));
    EXPECT_EQ(nullptr, l.Cells(3, 2));
    l.SetColCount(1);
    EXPECT_EQ(nullptr, l.Cells(1, 1));
    l.SetColCount(2);
    EXPECT_EQ(nullptr, l.Cells(1, 1)); // shrinking dropped the value
    l.SetRowCount(-1);
    EXPECT_EQ(3, l.RowCount());
}

TEST(List2d, FillRowHonoursTheFillFlagAndFillAllOverridesIt)
{
    T2dList l;
    l.SetSize(3, 2);
    l.SetCells(0, 0, V(9));
    l.FillRow(0, V(1));
    EXPECT_EQ(V(9), l.Cells(0, 0));
    EXPECT_EQ(V(1), l.Cells(1, 0));
    EXPECT_EQ(nullptr, l.Cells(1, 1));
    l.SetFillEmptyOnly(false);
    l.FillRow(0, V(2));
    EXPECT_EQ(V(2), l.Cells(0, 0));
    l.SetFillEmptyOnly(true);
    l.FillAll(V(3));
    EXPECT_EQ(V(3), l.Cells(0, 0));
    EXPECT_EQ(V(3), l.Cells(2, 1));
    EXPECT_TRUE(l.FillEmptyOnly());
}

TEST(List2d, AssignCopiesSizesFlagAndCells)
{
    T2dList a;
    a.SetSize(2, 2);
    a.SetFillEmptyOnly(false);
    a.SetCells(1, 0, V(4));
    T2dList b;
    b.SetSize(5, 5);
    b.Assign(a);
    EXPECT_EQ(2, b.ColCount());
    EXPECT_EQ(2, b.RowCount());
    EXPECT_FALSE(b.FillEmptyOnly());
    EXPECT_EQ(V(4), b.Cells(1, 0));
}

TEST(List2dBits, BitsOutsideTheGridReadFalse)
{
    T2dBitsList l;
    l.SetSize(2, 2);
    EXPECT_TRUE(l.Bits(1, 1));
    EXPECT_FALSE(l.Bits(2, 0));
    EXPECT_FALSE(l.Bits(0, 2));
    EXPECT_FALSE(l.Bits(-1, 0));
    l.SetBits(5, 5, true); // ignored
    EXPECT_EQ(2, l.ColCount());
}

TEST(List2dBits, GrowingColumnsGivesNewBitsTheDefault)
{
    T2dBitsList l;
    l.SetSize(2, 2);
    l.SetAll(false);
    l.SetColCount(4);
    for (int r = 0; r < 2; ++r) {
        EXPECT_FALSE(l.Bits(1, r));
        EXPECT_TRUE(l.Bits(2, r));
        EXPECT_TRUE(l.Bits(3, r));
    }
    l.SetDefaultValue(false);
    l.SetRowCount(3);
    l.SetColCount(5);
    EXPECT_FALSE(l.Bits(0, 2));
    EXPECT_FALSE(l.Bits(4, 0));
    EXPECT_TRUE(l.Bits(3, 0));
}

TEST(List2dBits, SetRowSetAllAndAssign)
{
    T2dBitsList l;
    l.SetDefaultValue(false);
    l.SetSize(3, 2);
    l.SetRow(1, true);
    EXPECT_FALSE(l.Bits(0, 0));
    EXPECT_TRUE(l.Bits(2, 1));
    l.SetBits(0, 1, false);
    T2dBitsList copy;
    copy.Assign(l);
    EXPECT_FALSE(copy.DefaultValue());
    EXPECT_EQ(3, copy.ColCount());
    EXPECT_FALSE(copy.Bits(0, 1));
    EXPECT_TRUE(copy.Bits(1, 1));
    l.SetAll(true);
    EXPECT_TRUE(l.Bits(0, 0));
    EXPECT_FALSE(copy.Bits(0, 0));
}

TEST(BitsList, RangeIsClippedToTheArray)
{
    TBitsList b;
    b.SetSize(5);
    b.SetRange(-3, 2, true);
    EXPECT_TRUE(b.Bits(0));
    EXPECT_TRUE(b.Bits(2));
    EXPECT_FALSE(b.Bits(3));
    b.SetRange(3, 99, true);
    EXPECT_TRUE(b.Bits(4));
    EXPECT_EQ(5, b.Size());
    b.SetAll(false);
    EXPECT_FALSE(b.Bits(4));
    EXPECT_THROW(b.Bits(5), EBitsError);
    b.SetBits(7, true); // writing past the end grows
    EXPECT_EQ(8, b.Size());
    EXPECT_TRUE(b.Bits(7));
}
