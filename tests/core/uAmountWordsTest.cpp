// Sums in words on the printed documents.
#include <gtest/gtest.h>

#include "core/uAmountWords.h"

namespace {
QString Words(long double x)
{
    QString s;
    AmountToWords(x, s);
    return s;
}
#define EXPECT_WORDS(x, text) EXPECT_EQ(Words(x), QString::fromUtf8(text))
} // namespace

TEST(AmountToWords, ZeroAndStotinki)
{
    EXPECT_WORDS(0, "нула лева и нула стотинки");
    EXPECT_WORDS(0.29, "нула лева и двадесет и девет стотинки");
    EXPECT_WORDS(0.01, "нула лева и една стотинка");
    EXPECT_WORDS(0.02, "нула лева и две стотинки");
    EXPECT_WORDS(0.12, "нула лева и дванадесет стотинки");
    EXPECT_WORDS(0.11, "нула лева и единадесет стотинки");
    EXPECT_WORDS(0.4, "нула лева и четиридесет стотинки");
    EXPECT_WORDS(0.21, "нула лева и двадесет и една стотинки");
    EXPECT_WORDS(1.995, "два лева и нула стотинки");
    EXPECT_WORDS(-0.001, "нула лева и нула стотинки");
}

TEST(AmountToWords, LevaUpToAThousand)
{
    EXPECT_WORDS(1, "един лев и нула стотинки");
    EXPECT_WORDS(2, "два лева и нула стотинки");
    EXPECT_WORDS(10, "десет лева и нула стотинки");
    EXPECT_WORDS(17, "седемнадесет лева и нула стотинки");
    EXPECT_WORDS(21, "двадесет и един лева и нула стотинки");
    EXPECT_WORDS(100, "сто лева и нула стотинки");
    EXPECT_WORDS(105, "сто и пет лева и нула стотинки");
    EXPECT_WORDS(111, "сто и единадесет лева и нула стотинки");
    EXPECT_WORDS(120, "сто и двадесет лева и нула стотинки");
    EXPECT_WORDS(125.5, "сто двадесет и пет лева и петдесет стотинки");
    EXPECT_WORDS(999, "деветстотин деветдесет и девет лева и нула стотинки");
}

TEST(AmountToWords, ThousandsAreFeminine)
{
    EXPECT_WORDS(1000, "хиляда лева и нула стотинки");
    EXPECT_WORDS(1001, "хиляда и един лева и нула стотинки");
    EXPECT_WORDS(1100, "хиляда и сто лева и нула стотинки");
    EXPECT_WORDS(1105, "хиляда сто и пет лева и нула стотинки");
    EXPECT_WORDS(2000, "две хиляди лева и нула стотинки");
    EXPECT_WORDS(2005, "две хиляди и пет лева и нула стотинки");
    EXPECT_WORDS(12000, "дванадесет хиляди лева и нула стотинки");
    EXPECT_WORDS(21000, "двадесет и една хиляди лева и нула стотинки");
    EXPECT_WORDS(101000, "сто и една хиляди лева и нула стотинки");
    EXPECT_WORDS(201000, "двеста и една хиляди лева и нула стотинки");
    EXPECT_WORDS(202000, "двеста и две хиляди лева и нула стотинки");
}

TEST(AmountToWords, MillionsAndAboveAreMasculine)
{
    EXPECT_WORDS(1000000, "един милион лева и нула стотинки");
    EXPECT_WORDS(2000000, "два милиона лева и нула стотинки");
    EXPECT_WORDS(21000000, "двадесет и един милиона лева и нула стотинки");
    EXPECT_WORDS(2005000, "два милиона и пет хиляди лева и нула стотинки");
    EXPECT_WORDS(1001000, "един милион и хиляда лева и нула стотинки");
    EXPECT_WORDS(1120000, "един милион сто и двадесет хиляди лева и нула стотинки");
    EXPECT_WORDS(3000000001.0L, "три милиарда и един лева и нула стотинки");
    EXPECT_WORDS(1e12L, "един билион лева и нула стотинки");
    EXPECT_WORDS(2e15L, "два билиарда лева и нула стотинки");
}

TEST(AmountToWords, NegativeSumsReadMinus)
{
    EXPECT_WORDS(-12.50, "минус дванадесет лева и петдесет стотинки");
    EXPECT_WORDS(-0.5, "минус нула лева и петдесет стотинки");
    EXPECT_WORDS(-1, "минус един лев и нула стотинки");
}
