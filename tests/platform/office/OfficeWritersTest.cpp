// The spreadsheet and document writers, read back: the .xlsx's sheet and
// styles XML out of the archive, the .rtf's control words and text.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/office/RtfWriter.h"
#include "platform/office/XlsxWriter.h"
#include "support/QtPrinters.h"

using namespace platform::office;

namespace {

QString Unzip(const QString &Archive, const QString &Member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), Archive, Member});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

QByteArray ReadAll(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

XlsxLook Plain()
{
    XlsxLook l;
    l.FontName = QStringLiteral("Times New Roman");
    l.FontSize = 8;
    return l;
}

} // namespace

TEST(XlsxWriter, WritesTextsNumbersMergesAndOneFormatPerLook)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.xlsx"));
    XlsxWorkbook book(file);
    XlsxLook money = Plain();
    money.NumberFormat = QStringLiteral("#,##0.00\\ _л_в;[Red]-#,##0.00\\ _л_в");
    money.Horizontal = XlsxLook::HRight;
    XlsxLook head = Plain();
    head.FillColor = 0x00FFFF;
    head.Border = 2;
    head.BorderColor = 0;
    book.MergeText(0, 0, 0, 2, QStringLiteral("Продажби <по> & обекти"), head);
    book.WriteText(1, 0, QStringLiteral("Кифла"), Plain());
    book.WriteNumber(1, 1, 12.5, money);
    book.WriteNumber(2, 1, -3, money);
    book.WriteText(2, 0, QStringLiteral("Хляб"), Plain());
    EXPECT_EQ(book.FormatCount(), 3);
    book.SetColumnWidth(0, 20);
    book.Close();
    EXPECT_FALSE(book.IsOpen());

    const QString sheet = Unzip(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<mergeCell ref=\"A1:C1\"/>"))) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"B2\" s=\"")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<v>12.5</v>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<v>-3</v>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("width=\"20.7109375\"")) ||
                sheet.contains(QStringLiteral("<col min=\"1\" max=\"1\"")));
    const QString strings = Unzip(file, QStringLiteral("xl/sharedStrings.xml"));
    EXPECT_TRUE(strings.contains(QStringLiteral("Продажби &lt;по&gt; &amp; обекти")));
    EXPECT_TRUE(strings.contains(QStringLiteral("Кифла")));
    const QString styles = Unzip(file, QStringLiteral("xl/styles.xml"));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0.00\\ _л_в;[Red]-#,##0.00\\ _л_в\"")))
        << styles.toStdString();
    EXPECT_TRUE(styles.contains(QStringLiteral("<name val=\"Times New Roman\"/>")));
    EXPECT_TRUE(styles.contains(QStringLiteral("<fgColor rgb=\"FF00FFFF\"/>")));
    EXPECT_TRUE(styles.contains(QStringLiteral("<left style=\"medium\">")));
}

TEST(XlsxWriter, ABlockOfOneCellIsWrittenAsTheCellWithoutMerging)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("one.xlsx"));
    XlsxWorkbook book(file);
    book.MergeText(0, 1, 0, 1, QStringLiteral("Заглавие"), Plain());
    book.MergeNumber(3, 2, 3, 2, 7, Plain());
    book.Close();
    const QString sheet = Unzip(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_FALSE(sheet.contains(QStringLiteral("mergeCell")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"B1\"")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C4\"")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<v>7</v>")));
}

TEST(XlsxWriter, DiscardedOrFailedWorkbooksLeaveNoFileAndTheOldOneWhole)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept.xlsx"));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    {
        XlsxWorkbook book(file);
        book.WriteText(0, 0, QStringLiteral("нов"), Plain());
        book.Discard();
    }
    {
        XlsxWorkbook book(file); // destroyed without Close
        book.WriteText(0, 0, QStringLiteral("нов"), Plain());
    }
    EXPECT_EQ(ReadAll(file), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_THROW(XlsxWorkbook(dir.filePath(QStringLiteral("missing/x.xlsx"))), EXlsxError);
}

namespace {

// The control words of an RTF text (without their numbers) and its plain
// text, Unicode escapes decoded and their stand-in bytes skipped.
struct ParsedRtf
{
    QStringList Words; // "cellx4000", "clvmgf", ...
    QString Text;
};

ParsedRtf ParseRtf(const QByteArray &Rtf)
{
    ParsedRtf out;
    int skip = 0;
    for (int i = 0; i < Rtf.size();) {
        const char c = Rtf[i];
        if (c == '\\') {
            ++i;
            if (i < Rtf.size() && QChar::isLetter(Rtf[i])) {
                QByteArray word;
                while (i < Rtf.size() && QChar::isLetter(Rtf[i]))
                    word += Rtf[i++];
                QByteArray num;
                while (i < Rtf.size() && (Rtf[i] == '-' || QChar::isDigit(Rtf[i])))
                    num += Rtf[i++];
                if (i < Rtf.size() && Rtf[i] == ' ')
                    ++i;
                out.Words << QString::fromLatin1(word + num);
                if (word == "u") {
                    out.Text += QChar(static_cast<char16_t>(num.toInt()));
                    skip = 1;
                } else if (word == "line" || word == "par" || word == "cell" || word == "row") {
                    out.Text += QLatin1Char('|');
                }
            } else if (i < Rtf.size() && Rtf[i] == '\'') {
                i += 3;
                if (skip)
                    --skip;
                else
                    out.Text += QLatin1Char('?');
            } else if (i < Rtf.size()) {
                if (skip)
                    --skip;
                else
                    out.Text += QLatin1Char(Rtf[i]);
                ++i;
            }
        } else {
            if (c != '{' && c != '}' && c != '\n' && c != '\r') {
                if (skip)
                    --skip;
                else
                    out.Text += QLatin1Char(c);
            }
            ++i;
        }
    }
    return out;
}

} // namespace

TEST(RtfWriter, TextIsCodePage1251WithUnicodeEscapes)
{
    EXPECT_EQ(RtfDocument::EncodeText(QStringLiteral("Аб")), QByteArray("\\u1040\\'c0\\u1073\\'e1"));
    EXPECT_EQ(RtfDocument::EncodeText(QStringLiteral("a{b}\\c")), QByteArray("a\\{b\\}\\\\c"));
    EXPECT_EQ(RtfDocument::EncodeText(QStringLiteral("1\r\n2\n3\t4")), QByteArray("1\\line 2\\line 3\\tab 4"));
    // A character Windows-1251 lacks keeps its escape and a '?' for old readers.
    EXPECT_EQ(RtfDocument::EncodeText(QStringLiteral("€ ω")), QByteArray("\\u8364\\'88 \\u969?"));
}

TEST(RtfWriter, TablesWithHeaderMergesColoursAndOrientation)
{
    RtfDocument doc;
    doc.SetLandscape(true);
    RtfFont bold;
    bold.Bold = true;
    bold.Size = 8;
    bold.Color = 0xFF0000;
    doc.BeginHeader();
    doc.AddParagraph(QStringLiteral("Продажби"), RtfFont(), RtfAlign::Center);
    doc.EndHeader();
    RtfCell a;
    a.RightEdge = 2000;
    a.Text = QStringLiteral("Обект");
    a.Font = bold;
    a.Shading = 0x00FFFF;
    a.Borders = true;
    a.VerticalMerge = RtfCell::VFirst;
    a.Vertical = RtfVAlign::Center;
    RtfCell b;
    b.RightEdge = 5000;
    b.Text = QStringLiteral("12.50");
    b.Horizontal = RtfAlign::Right;
    doc.AddTableRow({a, b});
    a.VerticalMerge = RtfCell::VContinue;
    a.Text = QStringLiteral("скрит");
    doc.AddTableRow({a, b});
    const QByteArray rtf = doc.ToRtf();
    const ParsedRtf p = ParseRtf(rtf);

    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("landscape")));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("paperw16838")));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("header")));
    EXPECT_EQ(p.Words.count(QStringLiteral("clvmgf")), 1);
    EXPECT_EQ(p.Words.count(QStringLiteral("clvmrg")), 1);
    EXPECT_EQ(p.Words.count(QStringLiteral("cellx2000")), 2);
    EXPECT_EQ(p.Words.count(QStringLiteral("cellx5000")), 2);
    EXPECT_EQ(p.Words.count(QStringLiteral("row")), 2);
    EXPECT_TRUE(p.Words.contains(QStringLiteral("clvertalc")));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("qr")));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("fs16")));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("clbrdrt")));
    // colour table in the order of first use: 1 turquoise (the shading of
    // the row definition), 2 red (the font of the cell text)
    EXPECT_TRUE(rtf.contains("{\\colortbl;\\red0\\green255\\blue255;\\red255\\green0\\blue0;}"));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("cf2")));
    EXPECT_TRUE(p.Words.contains(QStringLiteral("clcbpat1")));
    EXPECT_TRUE(p.Text.contains(QStringLiteral("Продажби")));
    EXPECT_TRUE(p.Text.contains(QStringLiteral("Обект|12.50|")));
    EXPECT_FALSE(p.Text.contains(QStringLiteral("скрит"))); // a continued cell shows no text
}

TEST(RtfWriter, SavesThroughATemporaryFileAndRefusesAMissingFolder)
{
    QTemporaryDir dir;
    RtfDocument doc;
    doc.AddParagraph(QStringLiteral("Здравей"), RtfFont());
    const QString file = dir.filePath(QStringLiteral("d.rtf"));
    doc.SaveToFile(file);
    EXPECT_TRUE(ParseRtf(ReadAll(file)).Text.contains(QStringLiteral("Здравей")));
    EXPECT_THROW(doc.SaveToFile(dir.filePath(QStringLiteral("no/d.rtf"))), ERtfError);
}
