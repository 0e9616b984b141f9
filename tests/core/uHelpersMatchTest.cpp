// Masks, period texts and the nested wait cursor.
#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <stdexcept>

#include "core/uHelpers.h"

namespace {
QString U(const char *s)
{
    return QString::fromUtf8(s);
}
QString Period(const char *value, bool english = false, bool addYear = false)
{
    QString r = "stale";
    PeriodToText(U(value), english, addYear, r);
    return r;
}
} // namespace

TEST(WildcardMatch, MatchesTheWholeValue)
{
    EXPECT_EQ(WildcardMatch("A?#", "AB7"), 1);
    EXPECT_EQ(WildcardMatch("A?#", "AB"), 0);
    EXPECT_EQ(WildcardMatch("A?#", "ABC"), 0);
    EXPECT_EQ(WildcardMatch("A?#", "AB77"), 0);
    EXPECT_EQ(WildcardMatch("*", ""), 1);
    EXPECT_EQ(WildcardMatch("", "anything"), 1);
    EXPECT_EQ(WildcardMatch("***", "x"), 1);
    EXPECT_EQ(WildcardMatch("x", ""), -1);
    EXPECT_EQ(WildcardMatch("a*", ""), -1);
    EXPECT_EQ(WildcardMatch("a*c", "abbbc"), 1);
    EXPECT_EQ(WildcardMatch("a*c", "ac"), 1);
    EXPECT_EQ(WildcardMatch("a+c", "ac"), 0);
    EXPECT_EQ(WildcardMatch("a+c", "abc"), 1);
    // "*?" and "?*" mean one or more.
    EXPECT_EQ(WildcardMatch("a*?", "a"), 0);
    EXPECT_EQ(WildcardMatch("a?*", "ab"), 1);
    EXPECT_EQ(WildcardMatch("@@#", U("Жx5")), 1);
    EXPECT_EQ(WildcardMatch("@", "5"), 0);
    EXPECT_EQ(WildcardMatch("@", "_"), 0);
    EXPECT_EQ(WildcardMatch("abc", "ABC"), 0);
    EXPECT_EQ(WildcardMatch("[a]", "[a]"), 1);
}

TEST(BracketMaskMatch, SetsAndMalformedMasks)
{
    EXPECT_EQ(BracketMaskMatch("[A,B,C]##", "B12"), 1);
    EXPECT_EQ(BracketMaskMatch("[A,B,C]##", "D12"), 0);
    EXPECT_EQ(BracketMaskMatch(U("*[хляб,кифла]"), U("бял хляб")), 1);
    EXPECT_EQ(BracketMaskMatch("[A,B]*", ""), -1);
    EXPECT_EQ(BracketMaskMatch("[A,B", "A"), 0);
    EXPECT_EQ(BracketMaskMatch("A]", "A"), 0);
    EXPECT_EQ(BracketMaskMatch("[A,[B]]", "A"), 0);
    EXPECT_EQ(BracketMaskMatch("A,B", "A"), 0);
    EXPECT_EQ(BracketMaskMatch("[A,,B]", "A"), 0);
    EXPECT_EQ(BracketMaskMatch("[A,B,]", "A"), 0);
    EXPECT_EQ(BracketMaskMatch("[]", "A"), 0);
}

TEST(MatchesWildcard, OnlyStarAndIgnoringCase)
{
    EXPECT_TRUE(MatchesWildcard(U("*хляб*"), U("Бял ХЛЯБ 500г")));
    EXPECT_TRUE(MatchesWildcard("a?c", "A?C"));
    EXPECT_FALSE(MatchesWildcard("a?c", "abc"));
    EXPECT_TRUE(MatchesWildcard("*", ""));
    EXPECT_FALSE(MatchesWildcard("ab", "abc"));
}

TEST(CompareAffix, ComparesWithTheStartOrEnd)
{
    EXPECT_EQ(ComparePrefix("ab", "abc", false), 0);
    EXPECT_EQ(ComparePrefix("AB", "abc", false), -1);
    EXPECT_EQ(ComparePrefix("AB", "abc", true), 0);
    EXPECT_EQ(ComparePrefix("b", "abc", false), 1);
    EXPECT_EQ(CompareSuffix("bc", "abc", false), 0);
    EXPECT_EQ(CompareSuffix(U("ЛЯБ"), U("хляб"), true), 0);
    EXPECT_EQ(CompareSuffix("abcd", "bcd", false), -1);
}

TEST(PeriodToText, BulgarianNamesAndRanges)
{
    EXPECT_EQ(Period("1@3"), U("Март"));
    EXPECT_EQ(Period("2@4"), U("Четвърто тримесечие"));
    EXPECT_EQ(Period("3@1"), U("Първо полугодие"));
    EXPECT_EQ(Period("4@12"), U("Декември с натрупване"));
    EXPECT_EQ(Period("5@20080201@20080231"), "01.02.2008 - 29.02.2008");
    EXPECT_EQ(Period("6@1@3"), U("Януари - Март"));
    EXPECT_EQ(Period("9@1"), U("Грешка"));
    // The accounting year is "" without the M-language link.
    EXPECT_EQ(Period("1@3", false, true), U("Март "));
    EXPECT_EQ(Period("5@20080201@20080229", false, true), "01.02.2008 - 29.02.2008");
}

TEST(PeriodToText, EnglishNamesCarryTheYear)
{
    EXPECT_EQ(Period("1@3", true), "March ");
    EXPECT_EQ(Period("2@1", true, true), "First quarter  ");
    EXPECT_EQ(Period("4@2", true), "February  with accumulations");
    EXPECT_EQ(Period("6@1@2", true), "January  - February ");
}

TEST(PeriodToText, OutOfRangeGivesEmptyText)
{
    EXPECT_EQ(Period("1@13"), "");
    EXPECT_EQ(Period("1@0", false, true), "");
    EXPECT_EQ(Period("2@5"), "");
    EXPECT_EQ(Period("3@3"), "");
    EXPECT_EQ(Period("4@x"), "");
    EXPECT_EQ(Period("6@1@13"), "");
    EXPECT_EQ(Period("6@0@2"), "");
    EXPECT_EQ(Period("5@2008@x"), "");
    EXPECT_EQ(Period(""), "");
}

TEST(Wait, NestsAndSurvivesAnException)
{
    ASSERT_EQ(WaitCount(), 0);
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    BeginWait(U("Сортиране ..."));
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    try {
        WaitScope inner(U("Филтриране на данните ..."));
        EXPECT_EQ(WaitCount(), 2);
        throw std::runtime_error("passing through");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(WaitCount(), 1);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    EndWait();
    EXPECT_EQ(WaitCount(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Extra EndWait calls keep the counter at 0 and leave others' cursors.
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    EndWait();
    EXPECT_EQ(WaitCount(), 0);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    {
        WaitScope a;
        WaitScope b;
        EXPECT_EQ(WaitCount(), 2);
    }
    EXPECT_EQ(WaitCount(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
