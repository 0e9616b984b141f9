// The text mode of the grid print: lines of a grid against expected text
// files, page sizes from the paper, the page count taken from the lines
// built, and the bytes that reach the raw printer.
#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "framework/unPrintPreview.h"
#include "platform/print/CodePages.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

namespace {

// Code, name, quantity (right-aligned), sum; a totals row.
void SetUpGoods(TRichGrid &g, int dataRows = 3)
{
    g.SetColCount(4);
    g.SetRowCount(2);
    g.SetFixedCols(0);
    g.SetFixedRows(1);
    g.SetRows(0, {"Код", "Наименование", "Количество", "Сума"});
    TCellAlignment right;
    right.Set(caRight, true);
    g.GetColAttributes(2)->SetAlignment(right);
    g.GetColAttributes(3)->SetAlignment(right);
    QStringList records;
    const QStringList names = {"Хляб Добруджа", "Кифла", "Козунак с орехи"};
    for (int i = 0; i < dataRows; ++i)
        records << QString("%1@%2@%3@%4")
                       .arg(i + 1)
                       .arg(names[i % names.size()])
                       .arg((i % 7) * 10 + 5)
                       .arg(QString::number(12.5 * (i + 1), 'f', 2));
    records << QString::fromUtf8("¤Общо:@@@99.99");
    TDelimitedStringList list;
    list.SetTextStr(records.join(QChar(0x00B0)));
    FillGridFromDelimitedStrings(g, list, false);
}

TGridTextLayout Layout(int lines, int width)
{
    TGridTextLayout l;
    l.LinesPerPage = lines;
    l.LineWidth = width;
    l.Title = "Продажби";
    l.SubTitle = "за 01.12.2026";
    l.Now = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3));
    return l;
}

// The expected lines; on a difference the lines built are written under
// build/test-output for a look.
QStringList Expected(const QString &name, const QStringList &got)
{
    QFile out(testsupport::OutputPath(name));
    if (out.open(QIODevice::WriteOnly))
        out.write((got.join('\n') + '\n').toUtf8());
    QFile f(QString(TOLVEX_TEST_DATA) + "/gridprint/" + name);
    if (!f.open(QIODevice::ReadOnly))
        return {"<missing " + name + ">"};
    QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

TEST(GridPrintText, PageSizesFollowThePaper)
{
    int lines = 0, width = 0;
    TextPageSizeFromPaper(210, 297, lines, width);
    EXPECT_EQ(62, lines);
    EXPECT_EQ(128, width);
    TextPageSizeFromPaper(297, 210, lines, width);
    EXPECT_EQ(44, lines);
    EXPECT_EQ(182, width);
    TextPageSizeFromPaper(381, 297, lines, width);
    EXPECT_EQ(233, width);
}

TEST(GridPrintText, GridBecomesRuledLinesWithThePageHead)
{
    TRichGrid g;
    SetUpGoods(g);
    TGridTextLayout layout = Layout(62, 80);
    layout.TextBelowTable = "Изготвил: ..........\r\nПроверил: ..........";
    TGridTextDocument doc;
    QString error;
    ASSERT_TRUE(BuildGridTextDocument(g, {}, {}, layout, doc, error)) << error.toStdString();
    EXPECT_EQ(Expected("goods_ruled.txt", doc.Lines), doc.Lines);
    EXPECT_EQ(1, doc.PageCount);
    // The totals row prints bold, the first two head lines condensed.
    ASSERT_EQ(size_t(doc.Lines.size()), doc.Bold.size());
    EXPECT_TRUE(doc.Bold[9]);
    EXPECT_FALSE(doc.Bold[8]);
    EXPECT_TRUE(doc.Condensed[0] && doc.Condensed[1]);
    EXPECT_FALSE(doc.Condensed[2]);
}

TEST(GridPrintText, HiddenColumnsStretchingAndNoRules)
{
    TRichGrid g;
    SetUpGoods(g);
    TGridTextLayout layout = Layout(62, 60);
    layout.VerticalRules = false;
    TGridTextDocument doc;
    QString error;
    ASSERT_TRUE(BuildGridTextDocument(g, {true, true, false, true}, {false, true, false, false}, layout, doc, error));
    EXPECT_EQ(Expected("goods_stretched.txt", doc.Lines), doc.Lines);
}

TEST(GridPrintText, PagesRepeatTheHeadAndCountFromTheLinesBuilt)
{
    TRichGrid g;
    SetUpGoods(g, 10);
    // 12 lines a page: a head of 6 lines and 6 rows. 11 rows (10 and the
    // totals) and the closing rule fill page 2; the text below the table
    // needs a third page, which the count includes.
    TGridTextLayout layout = Layout(12, 70);
    layout.TextBelowTable = "Край";
    TGridTextDocument doc;
    QString error;
    ASSERT_TRUE(BuildGridTextDocument(g, {}, {}, layout, doc, error));
    EXPECT_EQ(3, doc.PageCount);
    EXPECT_EQ(Expected("goods_pages.txt", doc.Lines), doc.Lines);
    EXPECT_TRUE(doc.Lines[1].endsWith("Стр.: 1 / 3"));
    EXPECT_TRUE(doc.Lines[13].endsWith("Стр.: 2 / 3"));
    EXPECT_TRUE(doc.Lines.last().contains("Край"));
}

TEST(GridPrintText, ContinuousPaperHasOneHeadAndNoPageNumbers)
{
    TRichGrid g;
    SetUpGoods(g, 10);
    TGridTextLayout layout = Layout(12, 70);
    layout.Continuous = true;
    TGridTextDocument doc;
    QString error;
    ASSERT_TRUE(BuildGridTextDocument(g, {}, {}, layout, doc, error));
    // Head 6, 11 rows, closing rule.
    EXPECT_EQ(18, doc.Lines.size());
    EXPECT_EQ(2, doc.PageCount);
    EXPECT_EQ(1, doc.Lines.filter("Код").size());
    EXPECT_FALSE(doc.Lines[1].contains("Стр."));
}

TEST(GridPrintText, PageTooShortForItsHeadIsRefused)
{
    TRichGrid g;
    SetUpGoods(g);
    TGridTextDocument doc;
    QString error;
    // A head of three lines, two rules and one header row fills six lines.
    EXPECT_FALSE(BuildGridTextDocument(g, {}, {}, Layout(6, 80), doc, error));
    EXPECT_EQ("Страницата събира 6 реда - твърде малко за заглавната част на таблицата (нужни са поне 7).", error);
    EXPECT_TRUE(doc.Lines.isEmpty());
    EXPECT_TRUE(BuildGridTextDocument(g, {}, {}, Layout(7, 80), doc, error));
    TGridTextLayout continuous = Layout(0, 80);
    continuous.Continuous = true;
    EXPECT_FALSE(BuildGridTextDocument(g, {}, {}, continuous, doc, error));
}

TEST(GridPrintText, RawPageIsMikWithPrinterCodes)
{
    TRichGrid g;
    SetUpGoods(g, 1);
    TGridTextDocument doc;
    QString error;
    ASSERT_TRUE(BuildGridTextDocument(g, {}, {}, Layout(62, 80), doc, error));
    const QByteArray bytes = GridTextPageBytes(doc, 1);
    const QList<QByteArray> lines = bytes.split('\n');
    // Condensed head lines, the bold totals row, CR LF after each line.
    EXPECT_TRUE(lines[0].startsWith("\x1b\x0f"));
    EXPECT_TRUE(lines[1].startsWith("\x1b\x0f"));
    EXPECT_FALSE(lines[2].startsWith("\x1b"));
    EXPECT_TRUE(lines[0].endsWith('\r'));
    const QByteArray totals = lines[7];
    EXPECT_TRUE(totals.startsWith("\x1bG")) << totals.toStdString();
    EXPECT_TRUE(totals.endsWith("\x1bH\r"));
    EXPECT_EQ(platform::EncodeCodePage(doc.Lines[7], platform::CodePage::Mik), totals.mid(2, totals.size() - 5));
    // "Общо" in MIK, where А..я run from 0x80 to 0xBF.
    EXPECT_TRUE(totals.contains(QByteArray("\x8E\xA1\xB9\xAE")));
    EXPECT_EQ(bytes.count("\r\n"), doc.Lines.size());
    EXPECT_TRUE(GridTextPageBytes(doc, 2).isEmpty());
}
