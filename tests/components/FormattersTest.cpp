// Cell value formatters on a grid without a window: texts, alignment and
// colours of numbers and dates, and how the layers choose the formatter.
#include <QDate>
#include <gtest/gtest.h>

#include "components/Formatters.h"

namespace {

struct Shown
{
    QString text;
    TCellAlignment alignment;
    TColor back;
    TColor fore;
};

Shown Show(TRichGrid &g, int c, int r)
{
    TColRowAttributes a;
    Shown s;
    g.GetDisplayAttributes(c, r, &a, s.text);
    s.alignment = a.Alignment();
    s.back = a.BackColor();
    s.fore = a.ForeColor();
    return s;
}

const TCellAlignment RightCentred{caRight, caCenter};

struct FloatColumn : ::testing::Test
{
    TRichGrid grid;
    TFloatFormatter money;
    void SetUp() override
    {
        grid.SetColCount(4);
        grid.SetRowCount(6);
        grid.GetColAttributes(2)->SetFormatter(&money);
    }
};

} // namespace

TEST_F(FloatColumn, EmptyCellShowsZeroWithTheDecimalsRightAligned)
{
    const Shown s = Show(grid, 2, 1);
    EXPECT_EQ(s.text, "0.00");
    EXPECT_EQ(s.alignment, RightCentred);
    EXPECT_FALSE(money.NoChangeOnNoValue());
    EXPECT_TRUE(money.ZeroOnNoValue());
}

TEST_F(FloatColumn, NumbersShowExactlyPrecisionDecimals)
{
    money.SetPrecision(3);
    grid.SetCells(2, 1, "3.5");
    grid.SetCells(2, 2, "2.0005");
    grid.SetCells(2, 3, "-1234.56789");
    EXPECT_EQ(Show(grid, 2, 1).text, "3.500");
    EXPECT_EQ(Show(grid, 2, 2).text, "2.001");
    EXPECT_EQ(Show(grid, 2, 3).text, "-1234.568");
    money.SetPrecision(2);
    grid.SetCells(2, 1, "2.675");
    EXPECT_EQ(Show(grid, 2, 1).text, "2.68");
}

TEST_F(FloatColumn, NeverMinusZero)
{
    money.SetMarkNegative(true);
    grid.SetCells(2, 1, "-0.001");
    const Shown s = Show(grid, 2, 1);
    EXPECT_EQ(s.text, "0.00");
    EXPECT_EQ(s.back, clWindow) << "what shows as 0.00 is not marked";
}

TEST_F(FloatColumn, NegativesTakeTheNegativeLookAndKeepTheRest)
{
    grid.GetColAttributes(2)->SetForeColor(clNavy);
    money.SetMarkNegative(true);
    grid.SetCells(2, 1, "-3");
    grid.SetCells(2, 2, "3");
    Shown s = Show(grid, 2, 1);
    EXPECT_EQ(s.text, "-3.00");
    EXPECT_EQ(s.back, 0xCFCDF5);
    EXPECT_EQ(s.fore, clNavy);
    EXPECT_EQ(Show(grid, 2, 2).back, clWindow);
    // A negative look of red text, as the forms set it.
    money.NegativeAttr()->SetForeColor(clRed);
    s = Show(grid, 2, 1);
    EXPECT_EQ(s.fore, clRed);
    money.SetMarkNegative(false);
    EXPECT_EQ(Show(grid, 2, 1).back, clWindow);
}

TEST_F(FloatColumn, TextThatIsNoNumberIsNoValueAndNeverThrows)
{
    for (const char *t : {"1-2", "-", ".", "1.2.3", "--5"}) {
        grid.SetCells(2, 1, QString::fromLatin1(t));
        Shown s;
        EXPECT_NO_THROW(s = Show(grid, 2, 1)) << t;
        EXPECT_EQ(s.text, "0.00") << t;
    }
    money.SetNoChangeOnNoValue(true);
    grid.SetCells(2, 1, "1-2");
    EXPECT_EQ(Show(grid, 2, 1).text, "1-2");
    grid.SetCells(2, 1, "");
    const Shown s = Show(grid, 2, 1);
    EXPECT_EQ(s.text, "");
    EXPECT_EQ(s.alignment, TCellAlignment{}) << "no value and no zero: the text stays as it is";
    // Only digits, '-' and '.' count: a unit after the number is dropped.
    grid.SetCells(2, 1, "12.5 kg");
    EXPECT_EQ(Show(grid, 2, 1).text, "12.50");
    // A number past what a value holds is no number either.
    money.SetNoChangeOnNoValue(false);
    grid.SetCells(2, 1, QStringLiteral("1") + QString(400, QLatin1Char('0')));
    EXPECT_EQ(Show(grid, 2, 1).text, "0.00");
}

TEST_F(FloatColumn, AStoredValueWinsUntilTheTextIsWritten)
{
    grid.SetCells(2, 1, "3");
    grid.SetCellValue(2, 1, -5.0);
    EXPECT_EQ(Show(grid, 2, 1).text, "-5.00");
    grid.SetCells(2, 1, "4");
    EXPECT_EQ(Show(grid, 2, 1).text, "4.00");
    // A value of another type than a number is not the formatter's.
    grid.SetCellValue(2, 1, QStringLiteral("9"));
    EXPECT_EQ(Show(grid, 2, 1).text, "4.00");
}

TEST_F(FloatColumn, SetGridValueStoresWhatWasRead)
{
    money.SetSetGridValue(true);
    grid.SetCells(2, 1, "7.25");
    Show(grid, 2, 1);
    EXPECT_DOUBLE_EQ(grid.GetCellValue(2, 1).toDouble(), 7.25);
    Show(grid, 2, 2);
    EXPECT_DOUBLE_EQ(grid.GetCellValue(2, 2).toDouble(), 0.0);
    EXPECT_TRUE(grid.GetCellValue(2, 2).isValid());
}

TEST_F(FloatColumn, HeaderTextsStayUnformatted)
{
    grid.SetCells(2, 0, "Количество");
    EXPECT_EQ(Show(grid, 2, 0).text, "Количество");
}

TEST_F(FloatColumn, ChangesOfTheFormatterAreAnnounced)
{
    int changes = 0;
    money.OnChange = [&](QObject *) { ++changes; };
    money.SetPrecision(3);
    money.SetPrecision(3);
    money.SetMarkNegative(true);
    money.SetNoChangeOnNoValue(true);
    money.SetDefaultValue(1.0);
    EXPECT_EQ(changes, 4);
}

// Cells with attribute objects of their own (a form that colours cells one
// by one) keep the column's formatter: it must still format them.
TEST(FormattedFill, FloatColumnShowsDecimalsAndNegativesUnderCellObjects)
{
    TRichGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(4);
    TFloatFormatter quantity;
    quantity.SetPrecision(3);
    quantity.SetMarkNegative(true);
    grid.GetColAttributes(1)->SetFormatter(&quantity);
    const QStringList values{"3.5", "-2", "x"};
    for (int r = 1; r < 4; ++r) {
        grid.SetCells(0, r, QString::number(r));
        grid.SetCells(1, r, values[r - 1]);
        for (int c = 0; c < 3; ++c)
            grid.GetCellAttributes(c, r)->SetBackColor(clWindow);
    }
    EXPECT_EQ(Show(grid, 1, 1).text, "3.500");
    EXPECT_EQ(Show(grid, 1, 1).alignment, RightCentred);
    const Shown negative = Show(grid, 1, 2);
    EXPECT_EQ(negative.text, "-2.000");
    EXPECT_EQ(negative.back, 0xCFCDF5);
    EXPECT_EQ(Show(grid, 1, 3).text, "0.000");
    EXPECT_EQ(Show(grid, 0, 1).text, "1");
}

TEST(FormatterLayers, TheHighestLayerThatSetsAFormatterFormats)
{
    TRichGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(4);
    TFloatFormatter two;
    TFloatFormatter four;
    four.SetPrecision(4);
    grid.SetCells(1, 1, "1");
    grid.SetCells(1, 2, "1");
    grid.SetCells(1, 3, "1");
    grid.GetColAttributes(1)->SetFormatter(&two);
    grid.GetRowAttributes(2)->SetFormatter(&four);
    grid.GetCellAttributes(1, 3)->SetFormatter(&four);
    EXPECT_EQ(Show(grid, 1, 1).text, "1.00");
    EXPECT_EQ(Show(grid, 1, 2).text, "1.0000");
    EXPECT_EQ(Show(grid, 1, 3).text, "1.0000");
    // A cell object that sets no formatter leaves the column's in charge.
    grid.GetCellAttributes(1, 1)->SetBackColor(clYellow);
    EXPECT_EQ(Show(grid, 1, 1).text, "1.00");
    EXPECT_EQ(Show(grid, 1, 1).back, clYellow);
}

TEST(NumberFormatter, PlainNumbersInTheShortestForm)
{
    TRichGrid grid;
    TNumberFormatter n;
    grid.GetColAttributes(1)->SetFormatter(&n);
    grid.SetCells(1, 1, "3.50");
    grid.SetCells(1, 2, "-0");
    EXPECT_EQ(Show(grid, 1, 1).text, "3.5");
    EXPECT_EQ(Show(grid, 1, 2).text, "0");
    EXPECT_EQ(Show(grid, 1, 3).text, "0");
}

TEST(NumberFormatter, GetValueHandlerMaySupplyTheValue)
{
    TRichGrid grid;
    TFloatFormatter f;
    grid.GetColAttributes(1)->SetFormatter(&f);
    f.OnGetValue = [](QObject *, const QString &CellText, QVariant &Value, bool &HaveValue) {
        if (CellText == QStringLiteral("половин")) {
            Value = 0.5;
            HaveValue = true;
        }
    };
    grid.SetCells(1, 1, "половин");
    EXPECT_EQ(Show(grid, 1, 1).text, "0.50");
    // A value of the wrong type counts as none.
    f.OnGetValue = [](QObject *, const QString &, QVariant &Value, bool &HaveValue) {
        Value = QStringLiteral("x");
        HaveValue = true;
    };
    f.SetNoChangeOnNoValue(true);
    EXPECT_EQ(Show(grid, 1, 1).text, "половин");
}

TEST(DateFormatter, DatesShowAsDayMonthYear)
{
    TRichGrid grid;
    TDateValueFormatter d;
    grid.GetColAttributes(1)->SetFormatter(&d);
    EXPECT_TRUE(d.NoChangeOnNoValue());
    grid.SetCells(1, 1, "5.3.2024");
    grid.SetCells(1, 2, "31.02.2024");
    grid.SetCells(1, 3, "");
    EXPECT_EQ(Show(grid, 1, 1).text, "05.03.2024");
    EXPECT_EQ(Show(grid, 1, 2).text, "31.02.2024") << "not a date: the text stays";
    EXPECT_EQ(Show(grid, 1, 3).text, "");
    grid.SetCellValue(1, 3, QDate(2023, 12, 1));
    EXPECT_EQ(Show(grid, 1, 3).text, "01.12.2023");
    EXPECT_EQ(Show(grid, 1, 3).alignment, TCellAlignment{});
}
