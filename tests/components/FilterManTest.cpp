// Row filters: the syntax of an alternative, the text it writes back, and
// how text, number, integer and date values are matched.
#include <QDate>
#include <gtest/gtest.h>

#include "components/FilterMan.h"
#include "core/uHelpers.h"
#include "platform/Exception.h"

namespace {

QString TextOf(const QString &Filter, int Kind, const QDate &Reference = QDate(2026, 12, 7))
{
    TFilterMan f(Filter, Kind, Reference);
    QString s;
    f.GetText(s);
    return s;
}

bool Passes(const QString &Filter, int Kind, const QString &Value,
            const QDate &Reference = QDate(2026, 12, 7))
{
    return TFilterMan(Filter, Kind, Reference).Matches(Value);
}

} // namespace

TEST(FilterSyntax, EveryFormIsReadAndWrittenBack)
{
    const struct {
        const char *text;
        int form;
        const char *back;
    } cases[] = {
        {"", TSimpleFilter::sfAll, ""},
        {"~", TSimpleFilter::sfAll, ""},
        {"'", TSimpleFilter::sfAll, ""},
        {":", TSimpleFilter::sfAll, ""},
        {"a:b", TSimpleFilter::sfRange, "A:B"},
        {"a:b:c", TSimpleFilter::sfRange, "A:B:C"},
        {"a:", TSimpleFilter::sfFrom, "A:"},
        {":b", TSimpleFilter::sfTo, ":B"},
        {"~x", TSimpleFilter::sfPrefix, "~X"},
        {"x~", TSimpleFilter::sfSuffix, "X~"},
        {"~x~", TSimpleFilter::sfPrefix, "~X~"},
        {"x", TSimpleFilter::sfEquals, "X"},
        {"'x", TSimpleFilter::sfDiffers, "'X"},
        {"'x:y", TSimpleFilter::sfDiffers, "'X:Y"},
        {"хляб", TSimpleFilter::sfEquals, "ХЛЯБ"},
    };
    for (const auto &c : cases) {
        TFilterMan f(QString::fromUtf8(c.text), FilterKindText);
        const QString text = QString::fromUtf8(c.text);
        if (text.isEmpty()) {
            EXPECT_EQ(f.Count(), 0);
            continue;
        }
        ASSERT_EQ(f.Count(), 1) << c.text;
        EXPECT_EQ(f.Filter(0)->Kind(), c.form) << c.text;
        QString back;
        f.GetText(back);
        EXPECT_EQ(back, QString::fromUtf8(c.back)) << c.text;
    }
    EXPECT_EQ(TextOf("1:5;~ab", FilterKindText), "1:5; ~AB");
    EXPECT_EQ(TextOf("  ;  ; x ", FilterKindText), "; ; X");
}

TEST(FilterSyntax, DescriptionNamesTheAlternative)
{
    TFilterMan f("~ab", FilterKindText);
    QString s;
    f.Filter(0)->GetDescription(s);
    EXPECT_EQ(s, "None : \"~AB\"");
    f.Filter(0)->SetName("Име");
    f.Filter(0)->GetDescription(s);
    EXPECT_EQ(s, "Име : \"~AB\"");
    f.Filter(0)->SetName("");
    f.Filter(0)->GetDescription(s);
    EXPECT_EQ(s, "");
}

TEST(TextFilter, MatchesCaseAsideWithWildcards)
{
    EXPECT_TRUE(Passes("abc", FilterKindText, "ABC"));
    EXPECT_TRUE(Passes("ABC", FilterKindText, "abc"));
    EXPECT_FALSE(Passes("abc", FilterKindText, "ABCD"));
    EXPECT_TRUE(Passes("A*", FilterKindText, "Ябълка") == false);
    EXPECT_TRUE(Passes("A*", FilterKindText, "a"));
    EXPECT_TRUE(Passes("A*", FilterKindText, "Ammonia"));
    EXPECT_TRUE(Passes("х?яб*", FilterKindText, "Хляб бял"));
    EXPECT_TRUE(Passes("#1", FilterKindText, "71"));
    EXPECT_FALSE(Passes("#1", FilterKindText, "x1"));
    EXPECT_TRUE(Passes("~12", FilterKindText, "123"));
    EXPECT_FALSE(Passes("~12", FilterKindText, "312"));
    EXPECT_TRUE(Passes("12~", FilterKindText, "312"));
    EXPECT_TRUE(Passes("12~", FilterKindText, "5512"));
    EXPECT_FALSE(Passes("12~", FilterKindText, "123"));
    // 'x passes exactly what the mask x does not.
    for (const char *v : {"A", "ABC", "XA", "", "BA"}) {
        EXPECT_NE(Passes("'A*", FilterKindText, v), Passes("A*", FilterKindText, v)) << v;
    }
    EXPECT_TRUE(Passes("'A*", FilterKindText, "Б"));
}

TEST(TextFilter, RangesCompareByCharacters)
{
    EXPECT_TRUE(Passes("b:d", FilterKindText, "B"));
    EXPECT_TRUE(Passes("b:d", FilterKindText, "CZZ"));
    EXPECT_TRUE(Passes("b:d", FilterKindText, "D"));
    EXPECT_FALSE(Passes("b:d", FilterKindText, "DA"));
    EXPECT_FALSE(Passes("b:d", FilterKindText, "A"));
    EXPECT_TRUE(Passes("5:", FilterKindText, "5"));
    EXPECT_TRUE(Passes(":5", FilterKindText, "5"));
    EXPECT_TRUE(Passes(":5", FilterKindText, "10"));   // characters, not numbers
    EXPECT_FALSE(Passes("3:1", FilterKindText, "2"));
    EXPECT_FALSE(Passes("3:1", FilterKindText, "3"));
}

TEST(TextFilter, AlternativesAndEmptyTexts)
{
    EXPECT_TRUE(Passes("", FilterKindText, "anything"));
    EXPECT_TRUE(Passes(" ; ;", FilterKindText, "anything"));
    EXPECT_TRUE(Passes("x;~ab", FilterKindText, "abc"));
    EXPECT_TRUE(Passes("x;~ab", FilterKindText, "x"));
    EXPECT_FALSE(Passes("x;~ab", FilterKindText, "y"));
    EXPECT_TRUE(Passes("abc", 9, "zzz"));   // an unknown kind passes all
}

TEST(NumberFilter, BoundsReadAsNumbersAndWrittenAsAmounts)
{
    EXPECT_EQ(TextOf("1.5:3", FilterKindNumber), "1.50:3.00");
    EXPECT_EQ(TextOf("2.345:;:-1;~12;5~;7.5;'8", FilterKindNumber),
              "2.35:; :-1.00; ~12; 5~; 7.5; '8");
    EXPECT_TRUE(Passes("1.5:3", FilterKindNumber, "1.5"));
    EXPECT_TRUE(Passes("1.5:3", FilterKindNumber, "3"));
    EXPECT_FALSE(Passes("1.5:3", FilterKindNumber, "3.001"));
    EXPECT_TRUE(Passes("5:", FilterKindNumber, "10"));
    EXPECT_FALSE(Passes(":5", FilterKindNumber, "10"));
    EXPECT_TRUE(Passes(":5", FilterKindNumber, "-7.25"));
    EXPECT_TRUE(Passes("~12", FilterKindNumber, "12.50"));
    EXPECT_FALSE(Passes("~12", FilterKindNumber, "312"));
    EXPECT_TRUE(Passes("50~", FilterKindNumber, "12.50"));
    EXPECT_TRUE(Passes("1*", FilterKindNumber, "1.75"));
    EXPECT_FALSE(Passes("'1*", FilterKindNumber, "1.75"));
}

TEST(NumberFilter, BoundThatIsNoNumberRaises)
{
    EXPECT_THROW(TFilterMan("abc:5", FilterKindNumber), EConvertError);
    EXPECT_THROW(TFilterMan(":1,5", FilterKindNumber), EConvertError);
    EXPECT_THROW(TFilterMan("1;x:", FilterKindNumber), EConvertError);
    // Affixes and values stay texts.
    EXPECT_NO_THROW(TFilterMan("~x;x~;x;'x", FilterKindNumber));
}

TEST(IntegerFilter, BoundThatIsNoIntegerReadsZero)
{
    EXPECT_EQ(TextOf("x:5;10:;:-3", FilterKindInteger), "0:5; 10:; :-3");
    EXPECT_TRUE(Passes("x:5", FilterKindInteger, "0"));
    EXPECT_TRUE(Passes("x:5", FilterKindInteger, "abc"));
    EXPECT_TRUE(Passes("2:4", FilterKindInteger, "4"));
    EXPECT_FALSE(Passes("2:4", FilterKindInteger, "40"));
    EXPECT_TRUE(Passes("~4", FilterKindInteger, "40"));
    EXPECT_TRUE(Passes("'4", FilterKindInteger, "40"));
}

TEST(DateFilter, PartsTakeMonthAndYearFromTheReference)
{
    const QDate today(2026, 12, 7);
    EXPECT_EQ(TextOf("15", FilterKindDate, today), "15.12.2026");
    EXPECT_EQ(TextOf("31.2", FilterKindDate, today), "28.02.2026");
    EXPECT_EQ(TextOf("31.2", FilterKindDate, QDate(2024, 5, 1)), "29.02.2024");
    EXPECT_EQ(TextOf("31.4.2025", FilterKindDate, today), "30.04.2025");
    EXPECT_EQ(TextOf("1.3.24", FilterKindDate, today), "01.03.0024");   // no century added
    EXPECT_EQ(TextOf("1.1.2026:15;~3;3~;'5.1", FilterKindDate, today),
              "01.01.2026:15.12.2026; ~03.12.2026; 03.12.2026~; '05.01.2026");
    EXPECT_EQ(TextOf("1.2.3.4", FilterKindDate, today), "07.12.2026");
    // Today is taken when no reference is given.
    TFilterMan f("15", FilterKindDate);
    QString s;
    f.GetText(s);
    const QDate now = QDate::currentDate();
    EXPECT_EQ(s, DateToDisplayText(QDate(now.year(), now.month(), 15)));
}

TEST(DateFilter, ImpossibleDatesRaise)
{
    const QDate today(2026, 11, 7);
    EXPECT_THROW(TFilterMan("31", FilterKindDate, today), EConvertError);   // 30 days
    EXPECT_THROW(TFilterMan("0.5", FilterKindDate, today), EConvertError);
    EXPECT_THROW(TFilterMan("5.13", FilterKindDate, today), EConvertError);
    EXPECT_THROW(TFilterMan("abc", FilterKindDate, today), EConvertError);
    EXPECT_THROW(TFilterMan("15.", FilterKindDate, today), EConvertError);
    EXPECT_THROW(TFilterMan("1.1.0", FilterKindDate, today), EConvertError);
}

TEST(DateFilter, ValuesAreDigitDates)
{
    const QDate today(2026, 12, 7);
    EXPECT_TRUE(Passes("1.12:10", FilterKindDate, "20261205", today));
    EXPECT_TRUE(Passes("1.12:10", FilterKindDate, "20261210", today));
    EXPECT_FALSE(Passes("1.12:10", FilterKindDate, "20261211", today));
    EXPECT_TRUE(Passes("7", FilterKindDate, "20261207", today));
    EXPECT_TRUE(Passes("~7", FilterKindDate, "20261207", today));
    EXPECT_TRUE(Passes("7~", FilterKindDate, "20261207", today));
    EXPECT_FALSE(Passes("7", FilterKindDate, "20261208", today));
    EXPECT_TRUE(Passes("'7", FilterKindDate, "20261208", today));
    EXPECT_FALSE(Passes("'7", FilterKindDate, "20261207", today));
    // A value that is no date fails every date alternative, 'x included.
    for (const char *v : {"07.12.2026", "", "2026120", "18991231", "20261332"}) {
        EXPECT_FALSE(Passes("'7", FilterKindDate, v, today)) << v;
        EXPECT_FALSE(Passes("1:", FilterKindDate, v, today)) << v;
    }
    EXPECT_TRUE(Passes("", FilterKindDate, "garbage", today));
}

TEST(TextFilter, DoublePlusIsOnePlusAsInTheMaskMatcher)
{
    const TFilterMan filter(QStringLiteral("A++"), FilterKindText);
    EXPECT_TRUE(filter.Matches(QStringLiteral("AB")));
    EXPECT_TRUE(filter.Matches(QStringLiteral("ab")));
    EXPECT_TRUE(filter.Matches(QStringLiteral("ABC")));
    EXPECT_FALSE(filter.Matches(QStringLiteral("A")));
    const TFilterMan plusStar(QStringLiteral("'1+*"), FilterKindText);
    EXPECT_FALSE(plusStar.Matches(QStringLiteral("12")));
    EXPECT_TRUE(plusStar.Matches(QStringLiteral("1")));
}

TEST(WildcardPattern, AgreesWithTheMaskMatcher)
{
    const char *masks[] = {"", "*", "**", "+", "+*", "*+", "?*", "*?", "a*", "*a", "a*b",
                           "a?c", "a+c", "#", "##*", "@1", "*a*b*", "a**b", "X+Y*Z", "?",
                           "abc", "*Б?", "@@@", "a++", "++", "a+++c", "?+*", "a*+?c", "++#"};
    const char *values[] = {"", "a", "ab", "abc", "aXbXc", "1", "12", "Ж1", "j1", "acb",
                            "aab", "XYZ", "XaYZ", "XYYZZ", "ББ", "АБВ", "ab b", "1a"};
    for (const char *m : masks) {
        const TWildcardPattern p(QString::fromUtf8(m));
        for (const char *v : values)
            EXPECT_EQ(p.Matches(QString::fromUtf8(v)),
                      WildcardMatch(QString::fromUtf8(m), QString::fromUtf8(v)) == 1)
                << m << " / " << v;
    }
}
