// Numbers held as '.'-decimal text: the system's rounding, its text forms
// and the text arithmetic.
#include <QLocale>
#include <climits>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

#include "core/uHelpers.h"

namespace {
QString Rounded(int precision, long double x)
{
    QString s;
    FormatFloatRounded(precision, s, x);
    return s;
}
QString General(long double x)
{
    QString s;
    FloatToDotStr(-1, s, x);
    return s;
}
QString Fixed(int n, long double x)
{
    QString s;
    FloatToFixedDotStr(n, s, x);
    return s;
}
} // namespace

TEST(RoundFloat, RoundsHalfAwayFromZeroAfterTheDecimalCut)
{
    EXPECT_EQ(RoundFloat(2, 0.125), 0.13L);
    EXPECT_EQ(RoundFloat(0, -0.5), -1.0L);
    EXPECT_EQ(RoundFloat(0, 0.5), 1.0L);
    EXPECT_EQ(RoundFloat(2, 2.345), 2.35L);
    EXPECT_EQ(RoundFloat(2, -2.345), -2.35L);
    // The binary doubles of these lie just below the written decimals.
    EXPECT_EQ(RoundFloat(2, 1.005), 1.01L);
    EXPECT_EQ(RoundFloat(2, 2.675), 2.68L);
    EXPECT_EQ(RoundFloat(3, 1.0005), 1.001L);
    EXPECT_EQ(RoundFloat(2, 2.344), 2.34L);
    EXPECT_EQ(RoundFloat(4, 0.00005), 0.0001L);
}

TEST(RoundFloat, ZeroResultCarriesNoSign)
{
    EXPECT_FALSE(std::signbit(RoundFloat(2, -0.001)));
    EXPECT_FALSE(std::signbit(RoundFloat(2, -0.0)));
    EXPECT_EQ(Rounded(2, -0.001), "0.00");
    EXPECT_EQ(Rounded(0, -0.4), "0");
    QString s;
    FloatToDotStr(2, s, -0.004);
    EXPECT_EQ(s, "0.00");
}

TEST(RoundFloat, LeavesValuesBeyondFifteenDigitsUnrounded)
{
    const long double big = 12345678901234.56L;
    EXPECT_EQ(RoundFloat(2, big), big);
    EXPECT_EQ(RoundFloat(2, -big), -big);
    EXPECT_EQ(RoundFloat(2, 1.5e15L), 1.5e15L);
    EXPECT_EQ(RoundFloat(0, 1.5e15L), 1.5e15L);
    // With six decimals the cut already fails below 10^13.
    EXPECT_EQ(RoundFloat(6, 5e12L + 0.25L), 5e12L + 0.25L);
    // Fourteen and fifteen integer digits in the scaled value: the cut
    // still cuts and adds no cent.
    EXPECT_EQ(RoundFloat(2, 1e12L), 1e12L);
    EXPECT_EQ(Rounded(2, 1e12L), "1000000000000.00");
    EXPECT_EQ(Rounded(2, 123456789012.344L), "123456789012.34");
    EXPECT_EQ(Rounded(2, 123456789012.345L), "123456789012.35");
    EXPECT_EQ(Rounded(2, 1234567890123.444L), "1234567890123.44");
    // Just below the limit the rounding still works.
    EXPECT_EQ(Rounded(2, 9999999999999.125L), "9999999999999.13");
    EXPECT_EQ(Rounded(2, big), "12345678901234.56");
    EXPECT_EQ(Rounded(2, 1.5e15L), "1500000000000000.00");
}

TEST(FormatFloatRounded, NeverRoundsBinaryTiesToEven)
{
    EXPECT_EQ(Rounded(2, 0.125), "0.13");   // not 0.12 (half to even)
    EXPECT_EQ(Rounded(2, 0.375), "0.38");
    EXPECT_EQ(Rounded(2, 2.345), "2.35");
    EXPECT_EQ(Rounded(2, 1.005), "1.01");
    EXPECT_EQ(Rounded(2, 2.675), "2.68");
    EXPECT_EQ(Rounded(2, -2.675), "-2.68");
    EXPECT_EQ(Rounded(0, 2.5), "3");
    EXPECT_EQ(Rounded(3, 1234.5), "1234.500");
    // An exact tie of an unrounded large value goes away from zero too.
    EXPECT_EQ(Rounded(2, 1e13L + 0.125L), "10000000000000.13");
    QString s;
    FloatToAmountStr(s, 10.005);
    EXPECT_EQ(s, "10.01");
}

TEST(FloatToDotStr, GeneralFormHasFifteenSignificantDigits)
{
    EXPECT_EQ(General(41.0), "41");
    EXPECT_EQ(General(-2.5), "-2.5");
    EXPECT_EQ(General(0), "0");
    EXPECT_EQ(General(123.456L), "123.456");
    EXPECT_EQ(General(1.0L / 3), "0.333333333333333");
    EXPECT_EQ(General(2.0L / 3), "0.666666666666667");
    EXPECT_EQ(General(0.1 + 0.2), "0.3");
    EXPECT_EQ(General(999999999999999.0L), "999999999999999");
    EXPECT_EQ(General(0.00001L), "0.00001");
    EXPECT_EQ(General(1.5e15L), "1.5E15");
    EXPECT_EQ(General(1e-6L), "1E-6");
    EXPECT_EQ(General(-2.5e-7L), "-2.5E-7");
    EXPECT_EQ(General(9.9999999999999999e14L), "1E15");
}

TEST(FloatToFixedDotStr, WritesExactlyTheGivenDecimals)
{
    EXPECT_EQ(Fixed(3, 2), "2.000");
    EXPECT_EQ(Fixed(2, 2.5), "2.50");
    EXPECT_EQ(Fixed(0, 2.5), "3");
    EXPECT_EQ(Fixed(2, -0.001), "0.00");
    EXPECT_EQ(Fixed(6, 0.000001), "0.000001");
    EXPECT_EQ(Fixed(4, 12.34567), "12.3457");
    QString s;
    FormatDotStr("", 2, s);
    EXPECT_EQ(s, "0.00");
    FormatDotStr("7.1", 3, s);
    EXPECT_EQ(s, "7.100");
    FormatDotStr("abc", 2, s);
    EXPECT_EQ(s, "0.00");
}

TEST(DotStrToFloat, ReadsOnlyDotDecimalNumbers)
{
    EXPECT_EQ(DotStrToFloat(""), 0.0L);
    EXPECT_EQ(DotStrToFloat("", 7), 0.0L);
    EXPECT_EQ(DotStrToFloat("2.5"), 2.5L);
    EXPECT_EQ(DotStrToFloat(" -0.75 "), -0.75L);
    EXPECT_EQ(DotStrToFloat("+3"), 3.0L);
    EXPECT_EQ(DotStrToFloat("5."), 5.0L);
    EXPECT_EQ(DotStrToFloat(".5"), 0.5L);
    EXPECT_EQ(DotStrToFloat("1.5E3"), 1500.0L);
    EXPECT_EQ(DotStrToFloat("1E-6"), 1e-6L);
    EXPECT_EQ(DotStrToFloat("2.345"), 2.345L);
    EXPECT_EQ(DotStrToFloat("1,5", 7), 7.0L);
    EXPECT_EQ(DotStrToFloat("1.2.3", 7), 7.0L);
    EXPECT_EQ(DotStrToFloat("abc", 7), 7.0L);
    EXPECT_EQ(DotStrToFloat(".", 7), 7.0L);
    EXPECT_EQ(DotStrToFloat("1e", 7), 7.0L);
    EXPECT_EQ(DotStrToFloat("1e99999", 7), 7.0L);
    EXPECT_EQ(DotStrToFloat("12 3", 7), 7.0L);
    EXPECT_EQ(DotStrToRoundedFloat("2.345", 2), 2.35L);
    EXPECT_EQ(DotStrToRoundedFloat("x", 2), 0.0L);
}

TEST(DotStrArithmetic, WorksOnTextAndReadsBadTextAsZero)
{
    QString s;
    AddDotStr("0.1", "0.2", s);
    EXPECT_EQ(s, "0.3");
    AddDotStr("", "2.5", s);
    EXPECT_EQ(s, "2.5");
    SubDotStr("1", "1.25", s);
    EXPECT_EQ(s, "-0.25");
    MulDotStr("1.1", "3", s);
    EXPECT_EQ(s, "3.3");
    DivDotStr("5", "0", s);
    EXPECT_EQ(s, "0");
    DivDotStr("5", "", s);
    EXPECT_EQ(s, "0");
    DivDotStr("1", "3", s);
    EXPECT_EQ(s, "0.333333333333333");
    AddDotStr("x", "4", s);
    EXPECT_EQ(s, "4");
}

TEST(StrToIntOrZero, GivesZeroForAnythingButAnInteger)
{
    EXPECT_EQ(StrToIntOrZero("12"), 12);
    EXPECT_EQ(StrToIntOrZero(" -7 "), -7);
    EXPECT_EQ(StrToIntOrZero(""), 0);
    EXPECT_EQ(StrToIntOrZero("1.5"), 0);
    EXPECT_EQ(StrToIntOrZero("abc"), 0);
    EXPECT_EQ(StrToIntOrZero("-"), 0);
    EXPECT_EQ(StrToIntOrZero("2147483647"), INT_MAX);
    EXPECT_EQ(StrToIntOrZero("-2147483648"), INT_MIN);
    EXPECT_EQ(StrToIntOrZero("2147483648"), 0);
    EXPECT_EQ(StrToIntOrZero("99999999999999999999"), 0);
    EXPECT_EQ(CountDecimals("1.234"), 3);
    EXPECT_EQ(CountDecimals("12"), 0);
    EXPECT_EQ(CountDecimals("12."), 0);
}

TEST(DotDecimalText, CommaLocaleStillWritesAndReadsADot)
{
    const QLocale savedDefault;
    const std::string savedNumeric = std::setlocale(LC_NUMERIC, nullptr);
    QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    ASSERT_EQ(QLocale().decimalPoint(), ",");
    // The process locale too, where the machine has one with a comma.
    for (const char *name : {"bg_BG.UTF-8", "bg_BG.utf8", "de_DE.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name))
            break;

    QString s;
    FormatFloatRounded(2, s, 1234.565);
    EXPECT_EQ(s, "1234.57");
    FloatToDotStr(-1, s, 0.5);
    EXPECT_EQ(s, "0.5");
    FloatToDotStr(-1, s, 2.5e-7L);
    EXPECT_EQ(s, "2.5E-7");
    FloatToFixedDotStr(3, s, 2);
    EXPECT_EQ(s, "2.000");
    EXPECT_EQ(DotStrToFloat("2.5"), 2.5L);
    EXPECT_EQ(DotStrToFloat("2,5", -1), -1.0L);
    EXPECT_EQ(DecimalSeparator(), QChar('.'));

    std::setlocale(LC_NUMERIC, savedNumeric.c_str());
    QLocale::setDefault(savedDefault);
}
