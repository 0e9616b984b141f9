// Pieces of a text cut at a one-character delimiter.
#include <gtest/gtest.h>

#include "core/uHelpers.h"

namespace {
QString Piece(const QString &s, int index)
{
    QString r = "stale";
    GetPiece(s, '@', index, r);
    return r;
}
} // namespace

TEST(Pieces, CountIsDelimitersPlusOne)
{
    EXPECT_EQ(PieceCount("", '@'), 1);
    EXPECT_EQ(PieceCount("a", '@'), 1);
    EXPECT_EQ(PieceCount("a@b@", '@'), 3);
    EXPECT_EQ(PieceCount("°°", QChar(0x00B0)), 3);
}

TEST(Pieces, GetPieceGivesEmptyTextForMissingPieces)
{
    EXPECT_EQ(Piece("a@b@c", 0), "a");
    EXPECT_EQ(Piece("a@b@c", 1), "b");
    EXPECT_EQ(Piece("a@b@c", 2), "c");
    EXPECT_EQ(Piece("a@b@c", 3), "");
    EXPECT_EQ(Piece("a@b@c", -1), "");
    EXPECT_EQ(Piece("a@@c", 1), "");
    EXPECT_EQ(Piece("", 0), "");
}

TEST(Pieces, SetPiecePadsMissingPieces)
{
    QString s = "a";
    SetPiece(s, '@', 3, "z");
    EXPECT_EQ(s, "a@@@z");
    s = "a@b@c";
    SetPiece(s, '@', 1, "XY");
    EXPECT_EQ(s, "a@XY@c");
    SetPiece(s, '@', 2, "");
    EXPECT_EQ(s, "a@XY@");
    s.clear();
    SetPiece(s, '@', 0, "v");
    EXPECT_EQ(s, "v");
    SetPiece(s, '@', -1, "w");
    EXPECT_EQ(s, "v");
}

TEST(Pieces, SetPieceCountCutsOrPads)
{
    QString s = "a@b@c";
    SetPieceCount(s, '@', 2);
    EXPECT_EQ(s, "a@b");
    SetPieceCount(s, '@', 4);
    EXPECT_EQ(s, "a@b@@");
    SetPieceCount(s, '@', 1);
    EXPECT_EQ(s, "a");
    SetPieceCount(s, '@', 0);
    EXPECT_EQ(s, "");
}

TEST(Pieces, GetPieceRangeClipsItsBounds)
{
    QString r;
    GetPieceRange("a@b@c@d", '@', 1, r, 2);
    EXPECT_EQ(r, "b@c");
    GetPieceRange("a@b@c@d", '@', -5, r, 99);
    EXPECT_EQ(r, "a@b@c@d");
    GetPieceRange("a@b@c@d", '@', 3, r, 1);
    EXPECT_EQ(r, "");
    GetPieceRange("a@@c", '@', 1, r, 1);
    EXPECT_EQ(r, "");
}
