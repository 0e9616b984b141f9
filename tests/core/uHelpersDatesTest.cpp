// Day numbers and the date texts of the system.
#include <gtest/gtest.h>

#include "core/uHelpers.h"
#include "platform/Exception.h"

TEST(DayNumbers, CountDaysSinceTheEndOf1899)
{
    const QDate leapDay(2008, 2, 29);
    EXPECT_EQ(DateToDayNumber(leapDay), 39507);
    EXPECT_EQ(DayNumberToDate(39507), leapDay);
    EXPECT_EQ(SqlDayNumber(leapDay), "39507");
    EXPECT_EQ(DateToDayNumber(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(DateToDisplayText(DayNumberToDate(0)), "30.12.1899");
    EXPECT_EQ(DateToDayNumber(QDate()), 0);
    EXPECT_EQ(DayNumberToDate(-1), QDate(1899, 12, 29));
    EXPECT_EQ(DateToDisplayText(QDate(2024, 3, 5)), "05.03.2024");
}

TEST(YyyymmddDates, LowerTheDayToTheMonthsLength)
{
    EXPECT_EQ(YyyymmddToDate("20080231"), QDate(2008, 2, 29));
    EXPECT_EQ(YyyymmddToDate("20070231"), QDate(2007, 2, 28));
    EXPECT_EQ(YyyymmddToDate("20240430"), QDate(2024, 4, 30));
    EXPECT_THROW(YyyymmddToDate("2008ab01"), EConvertError);
    EXPECT_THROW(YyyymmddToDate("20081301"), EConvertError);
    EXPECT_THROW(YyyymmddToDate("20080100"), EConvertError);
    EXPECT_THROW(YyyymmddToDate(""), EConvertError);
    QString s;
    DateToYyyymmdd(QDate(2008, 2, 9), s);
    EXPECT_EQ(s, "20080209");
    YyyymmddToDisplayDate("20080231", s);
    EXPECT_EQ(s, "29.02.2008");
}

TEST(DisplayDates, ConvertToYyyymmdd)
{
    QString s;
    DisplayDateToYyyymmdd("5.3.2008", s);
    EXPECT_EQ(s, "20080305");
    DisplayDateToYyyymmdd(" 15.12.2008 г.", s);
    EXPECT_EQ(s, "20081215");
    EXPECT_EQ(DisplayDateToDate("29.02.2008"), QDate(2008, 2, 29));
    EXPECT_THROW(DisplayDateToDate("no date"), EConvertError);
}

TEST(DigitDates, AcceptOnlyRealDatesFrom1900)
{
    QDate d(2000, 1, 1);
    EXPECT_TRUE(TryDigitsToDate("29022008", 1, d));
    EXPECT_EQ(d, QDate(2008, 2, 29));
    EXPECT_TRUE(TryDigitsToDate("20080301", 2, d));
    EXPECT_EQ(d, QDate(2008, 3, 1));
    const QDate kept = d;
    EXPECT_FALSE(TryDigitsToDate("18991231", 2, d));
    EXPECT_FALSE(TryDigitsToDate("30022008", 1, d));
    EXPECT_FALSE(TryDigitsToDate("2902200x", 1, d));
    EXPECT_FALSE(TryDigitsToDate("20080301", 3, d));
    EXPECT_FALSE(TryDigitsToDate("2008031", 2, d));
    EXPECT_EQ(d, kept);
}

TEST(DottedDates, ReadTwoDigitYearsAndFallBackToTheDefault)
{
    const QDate def(2024, 6, 15);
    EXPECT_EQ(DottedStrToDate("5.3.39", 3, def), QDate(2039, 3, 5));
    EXPECT_EQ(DottedStrToDate("5.3.40", 3, def), QDate(1940, 3, 5));
    EXPECT_EQ(DottedStrToDate("5.3.99", 3, def), QDate(1999, 3, 5));
    EXPECT_EQ(DottedStrToDate("31.2.2008", 1, def), def);
    EXPECT_EQ(DottedStrToDate("29.2.2008", 1, def), QDate(2008, 2, 29));
    EXPECT_EQ(DottedStrToDate("2008.2.29", 2, def), QDate(2008, 2, 29));
    EXPECT_EQ(DottedStrToDate("3.7", 1, def), QDate(2024, 7, 3));
    EXPECT_EQ(DottedStrToDate("x.7.2020", 1, def), QDate(2020, 7, 15));
    EXPECT_EQ(DottedStrToDate("", 1, def), def);
    EXPECT_EQ(DottedStrToDate("1.1.2020", 4, def), def);
    EXPECT_EQ(DottedStrToDate("1.13.2020", 1, def), def);
}
