// Printing and the text-file mode of the page printer: page order of copies
// and ranges on a recording printer, the exact bytes of a text file, and a
// real PDF read back with pdftotext.
#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "framework/TextPagePrinter.h"
#include "support/TestEnv.h"
#include "support/TestPrinter.h"

using testsupport::FirstText;
using testsupport::TestPrinterDevice;

namespace {

// Three pages whose first lines name them.
void WriteThreePages(TTextPagePrinter &page)
{
    page.BeginDoc();
    page.WriteLine("page 1");
    page.NewPage();
    page.WriteLine("page 2");
    page.NewPage();
    page.WriteLine("page 3");
    page.EndDoc();
}

std::vector<QString> PrintedOrder(const TestPrinterDevice &printer)
{
    std::vector<QString> order;
    for (const auto &sheet : printer.Printed)
        order.push_back(FirstText(*sheet));
    return order;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(TextPagePrinterPrint, CollatedCopiesRunCopyByCopy)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowProgress(false);
    WriteThreePages(page);
    page.SetCopies(2);
    ASSERT_TRUE(page.Collate());
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(PrintedOrder(printer),
              (std::vector<QString>{"page 1", "page 2", "page 3", "page 1", "page 2", "page 3"}));
    EXPECT_EQ(printer.Jobs, 1);
    EXPECT_EQ(printer.Ended, 1);
}

TEST(TextPagePrinterPrint, UncollatedCopiesRunPageByPage)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowProgress(false);
    WriteThreePages(page);
    page.SetCopies(2);
    page.SetCollate(false);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(PrintedOrder(printer),
              (std::vector<QString>{"page 1", "page 1", "page 2", "page 2", "page 3", "page 3"}));
}

TEST(TextPagePrinterPrint, PageRangeIsCappedAtTheLastPage)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowProgress(false);
    WriteThreePages(page);
    page.SetPrintFromPage(5);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(PrintedOrder(printer), (std::vector<QString>{"page 3"}));

    printer.Printed.clear();
    page.SetPrintFromPage(2);
    page.SetPrintToPage(2);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(PrintedOrder(printer), (std::vector<QString>{"page 2"}));

    // Numbers below one mean "not set".
    printer.Printed.clear();
    page.SetPrintFromPage(-4);
    page.SetPrintToPage(-2);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(PrintedOrder(printer), (std::vector<QString>{"page 1", "page 2", "page 3"}));
}

TEST(TextPagePrinterPrint, PrinterCopiesAreOneDuringTheJobAndComeBackAfter)
{
    TestPrinterDevice printer;
    printer.SetCopies(4);
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowProgress(false);
    page.SetTitle("Фактура 12");
    WriteThreePages(page);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(printer.CopiesAtBegin, 1);
    EXPECT_EQ(printer.Copies(), 4);
    EXPECT_EQ(printer.Title(), "Фактура 12");
}

TEST(TextPagePrinterPrint, PrintEndsAnOpenDocumentAndReplaysItsDrawing)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowProgress(false);
    page.BeginDoc();
    page.WriteLine("Стокова разписка");
    page.NewLine();
    page.Canvas()->drawLine(10, 20, 300, 20);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(page.CurrentPage(), 1);
    ASSERT_EQ(printer.Printed.size(), 1u);
    const auto &sheet = *printer.Printed.front();
    const auto &stored = *page.Pages().Items(0);
    ASSERT_EQ(sheet.TextRuns().size(), 1);
    EXPECT_EQ(sheet.TextRuns()[0].text, "Стокова разписка");
    EXPECT_EQ(sheet.TextRuns()[0].baseline, stored.TextRuns()[0].baseline);
    ASSERT_EQ(sheet.LineSegments().size(), 1);
    EXPECT_EQ(sheet.LineSegments()[0].line, QLineF(10, 20, 300, 20));

    // The pages stay and print again.
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(printer.Printed.size(), 2u);
    EXPECT_EQ(printer.Jobs, 2);
}

TEST(TextPagePrinterPrint, NothingToPrintIsDoneAtOnce)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(printer.Jobs, 0);
}

TEST(TextPagePrinterPrint, PrinterErrorEndsTheJobAndPassesOn)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowProgress(false);
    WriteThreePages(page);
    printer.OnPageDone = [](int) { throw EPrinter("Printer out of paper"); };
    EXPECT_THROW(page.Print(), EPrinter);
    // The job does not stay open to block the next print.
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.Aborted, 1);
}

TEST(TextPagePrinterPrint, TextFileModeWritesLinesPagesAndAlignment)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.txt");
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetPrintToFile(true);
    page.SetFileName("  " + path + " ");
    EXPECT_EQ(page.FileName(), path);

    page.BeginDoc();
    EXPECT_EQ(page.PageCount(), 0);
    EXPECT_EQ([&] {
        try {
            page.SetPrintToFile(false);
        } catch (const ETextPagePrinter &e) {
            return e.Message();
        }
        return QString();
    }(),
              "Can't change PrintToFile while printing");
    page.WriteLine("ab");
    page.WriteLine("Цд");
    page.NewLine();
    page.SetAlignment(TTextPagePrinter::taRightJustify);
    page.WriteAlignedLine("xy");
    page.SetAlignment(TTextPagePrinter::taCenter);
    page.WriteAlignedLine("z");
    // Lines never turn the page in a file; NewPage does.
    for (int i = 0; i < 100; ++i)
        page.NewLine();
    page.NewPage();
    page.SetTableFormat("<1|>1");
    page.WriteTableLine("ab|cd");
    page.EndDoc();

    // Blanks stand for positions: 25 pixels each; "xy" is 50 wide, "z" 25.
    QByteArray expected = QString("abЦд\r\n").toUtf8();
    expected += QByteArray((2400 - 50) / 25, ' ') + "xy\r\n";
    expected += QByteArray(((2400 - 25) / 2) / 25, ' ') + "z\r\n";
    for (int i = 0; i < 100; ++i)
        expected += "\r\n";
    expected += "\f\r\n";
    // Cells: offset 6 (0 blanks) + text + (300 - 6 - 50) / 25 blanks; the
    // right cell: (300 - 50 - 6) / 25 blanks + text + 6 / 25 blanks.
    expected += "ab" + QByteArray(9, ' ') + QByteArray(9, ' ') + "cd" + "\r\n";
    EXPECT_EQ(ReadAll(path), expected);
    // No page drawing was made.
    EXPECT_EQ(page.PageCount(), 0);
}

TEST(TextPagePrinterPrint, TextFileModeWritesTheHeaderAtTheTopOfEveryPage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.txt");
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetPrintToFile(true);
    page.SetFileName(path);
    page.SetHeader("Стр.{$PAGE}");
    page.SetHeaderFormat("<1");
    page.BeginDoc();
    page.WriteLine("body");
    page.NewPage();
    page.EndDoc();
    const QByteArray header1 = QString("Стр.1").toUtf8() + QByteArray((300 - 6 - 126) / 25, ' ') + "\r\n";
    const QByteArray header2 = QString("Стр.2").toUtf8() + QByteArray((300 - 6 - 126) / 25, ' ') + "\r\n";
    EXPECT_EQ(ReadAll(path), header1 + "body\f\r\n" + header2);
}

TEST(TextPagePrinterPrint, UnwritableTextFileIsAnInputOutputError)
{
    QTemporaryDir dir;
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetPrintToFile(true);
    page.SetFileName(dir.filePath("missing/folder/doc.txt"));
    EXPECT_THROW(page.BeginDoc(), EInOutError);
    // The document did not open: the settings can still change.
    page.SetFileName(dir.filePath("doc.txt"));
    page.SetPrintToFile(false);
    EXPECT_FALSE(page.PrintToFile());
}

TEST(TextPagePrinterPrint, EightyColumnCyrillicPageSurvivesPdf)
{
    QTemporaryDir dir;
    const QString pdfPath = dir.filePath("document.pdf");
    QPrinter qprinter(QPrinter::HighResolution);
    qprinter.setOutputFormat(QPrinter::PdfFormat);
    qprinter.setOutputFileName(pdfPath);
    qprinter.setResolution(300);
    qprinter.setPageSize(QPageSize(QPageSize::A4));
    qprinter.setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
    platform::QtPrinterDevice printer(&qprinter);

    TTextPagePrinter page(nullptr, &printer);
    page.SetMeasureUnit(muMillimeters);
    page.SetShowProgress(false);
    page.SetTitle("Text Page Printer");

    const QString alphabet = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЬЮЯабвгдежзийклмнопрстуфхцчшщъьюя0123456789!-.,";
    QStringList lines;
    for (int i = 0; i < 90; ++i) {
        QString line = QString("%1 ").arg(i + 1, 3, 10, QLatin1Char('0'));
        for (int k = 0; line.size() < 80; ++k)
            line += (k % 9 == 8) ? QChar(' ') : alphabet.at((i * 7 + k) % alphabet.size());
        lines << line.left(80);
    }
    lines[5] = "!" + QString(78, '-') + "!";
    page.BeginDoc();
    page.WriteLine(" ");
    page.NewLine();
    for (const QString &line : lines) {
        page.WriteLine("   " + line);
        page.NewLine();
    }
    page.EndDoc();
    ASSERT_EQ(page.PageCount(), 2);
    ASSERT_TRUE(page.Print());
    QFile::remove(testsupport::OutputPath("page_printer_cyrillic.pdf"));
    QFile::copy(pdfPath, testsupport::OutputPath("page_printer_cyrillic.pdf"));

    QProcess pdftotext;
    // Layout mode keeps a hyphen at a line end where it stands.
    pdftotext.start("pdftotext", {"-layout", "-enc", "UTF-8", pdfPath, "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    ASSERT_EQ(pdftotext.exitCode(), 0) << pdftotext.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const QRegularExpression space("\\s+");
    const QString got = text.split(space, Qt::SkipEmptyParts).join(' ');
    const QString want = lines.join('\n').split(space, Qt::SkipEmptyParts).join(' ');
    int at = 0;
    while (at < got.size() && at < want.size() && got.at(at) == want.at(at))
        ++at;
    EXPECT_EQ(at, want.size()) << "differs at " << at << ":\n got: " << got.mid(at - 20, 60).toStdString()
                               << "\nwant: " << want.mid(at - 20, 60).toStdString();
    EXPECT_EQ(got.size(), want.size());
}
