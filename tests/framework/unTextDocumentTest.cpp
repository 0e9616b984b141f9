// The frame of printed documents: fitting and centring, the footer line,
// the choice of road from the workstation's settings, and the raw road to
// the printer device in the MIK code page.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/unTextDocument.h"
#include "support/DatabaseTest.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

using testsupport::ExpectLinesAsFile;
using testsupport::RawPrinterFile;
using testsupport::ScopedEnvironment;

namespace {

QString Fit(const QString &Fmt, int Align, std::initializer_list<TFormatArg> Args, int Width, bool ToMik = false)
{
    QString r;
    FitText(Fmt, Align, Args, Width, ToMik, r);
    return r;
}

class FixedMoment
{
public:
    FixedMoment()
    {
        SetDocumentPrintMomentForTests([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)); });
    }
    ~FixedMoment() { SetDocumentPrintMomentForTests(nullptr); }
};

} // namespace

TEST(TextDocumentFrame, FitTextPadsCutsAndKeepsWideRightFieldsWhole)
{
    EXPECT_EQ(Fit("%s", ftaLeft, {"12345"}, 3), "123");
    EXPECT_EQ(Fit("%s", ftaLeft, {"12"}, 5), "12   ");
    EXPECT_EQ(Fit("%s", ftaRight, {"12"}, 5), "   12");
    // A right-aligned amount wider than its field is printed whole, never
    // as its last digits.
    EXPECT_EQ(Fit("%s", ftaRight, {"12345"}, 3), "12345");
    EXPECT_EQ(Fit("%.2f", ftaRight, {1234.56L}, 6), "1234.56");
    // Width 0: the formatted text, unconverted even when MIK is asked for.
    EXPECT_EQ(Fit("%s", ftaRight, {"Ёж12345"}, 0, true), "Ёж12345");
    EXPECT_EQ(Fit("Ёж", ftaLeft, {}, 4, true), "Еж  ");
    // Other alignments leave the text as it is.
    EXPECT_EQ(Fit("%s", 1, {"12345"}, 3), "12345");
    // Rounding is the system's, half away from zero.
    EXPECT_EQ(Fit("%.2f", ftaRight, {2.345L}, 6), "  2.35");
    EXPECT_EQ(Fit("%.2f", ftaRight, {-2.345L}, 6), " -2.35");
}

TEST(TextDocumentFrame, CenterTextAndFill)
{
    QString r;
    CenterText("abcde", 80, false, r);
    EXPECT_EQ(r, QString(38, ' ') + "abcde" + QString(37, ' '));
    CenterText(QString(90, 'x'), 80, false, r);
    EXPECT_EQ(r, QString(90, 'x'));
    CenterTextFill("ab", 10, '=', r, false);
    EXPECT_EQ(r, "====ab====");
    CenterText("ёжко", 8, true, r);
    EXPECT_EQ(r, "  ежко  ");
}

TEST(TextDocumentFrame, FooterLineIsSeventyNineOrEightyWide)
{
    FixedMoment moment;
    const QString line = DocumentFooterLine(79);
    EXPECT_EQ(line.size(), 79);
    EXPECT_TRUE(line.startsWith("Отпечатано с Tolvex2000 на "));
    EXPECT_TRUE(line.endsWith(" 07.12.2026/09:05:03"));
    EXPECT_EQ(DocumentFooterLine(80).size(), 80);
    QStringList lines{"a"};
    AppendDocumentEnd(lines, 79, 4);
    EXPECT_EQ(lines.mid(2), (QStringList{" ", " ", " ", " "}));
}

TEST(TextDocumentFrame, RawRoadWritesMikLinesAsTheExpectedFile)
{
    FixedMoment moment;
    RawPrinterFile prn;
    QStringList lines;
    QString s;
    CenterText("ПРОБЕН ДОКУМЕНТ", 80, false, s);
    lines << s << DocumentRule(79);
    QString name, amount, share;
    FitText("%s", ftaLeft, {"Хляб „Добруджа“ №1"}, 20, false, name);
    FitText("%.2f", ftaRight, {1234.565L}, 6, false, amount);
    FitText("%.2f", ftaRight, {0.5L}, 6, false, share);
    lines << "!" + name + "!" + amount + "!" + share + "!";
    AppendDocumentEnd(lines, 79, 4);

    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(PrintTextDocumentRaw(lines));
    EXPECT_TRUE(dialogs.Shown().empty());
    // Cyrillic goes as MIK bytes: А is 0x80, я 0xBF, № 0xD5.
    EXPECT_TRUE(prn.Bytes().contains("\xD5" "1"));
    EXPECT_FALSE(prn.Bytes().contains('\f'));
    ExpectLinesAsFile(prn.Lines(), "text_document_frame.txt");
}

TEST(TextDocumentFrame, RawRoadWithoutLpIsABulgarianMessage)
{
    QTemporaryDir empty;
    ScopedEnvironment prn("TOLVEX_PRN", "");
    ScopedEnvironment path("PATH", empty.path().toLocal8Bit());
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(PrintTextDocumentRaw({"ред"}));
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Няма достъп до принтера: програмата \"lp\" не е инсталирана (пакет cups-client).");
}

class TextDocumentRoads : public testsupport::DatabaseTest
{
};

TEST_F(TextDocumentRoads, SettingElevenChoosesThePageRoadAndTwelveTheSpacing)
{
    const QString ip = GetLocalIPAddress();
    // Without setting 11 the documents go to the raw device.
    TTextDocumentRoad road = LoadTextDocumentRoad(nullptr);
    EXPECT_FALSE(road.PageRoad);
    EXPECT_FALSE(road.OneAndAHalf);
    Execute(QString("Insert into nas values ( 11, \"%1\", \"1\" )").arg(ip));
    road = LoadTextDocumentRoad(nullptr);
    EXPECT_TRUE(road.PageRoad);
    EXPECT_FALSE(road.OneAndAHalf);
    Execute(QString("Insert into nas values ( 12, \"%1\", \"1\" )").arg(ip));
    EXPECT_TRUE(LoadTextDocumentRoad(nullptr).OneAndAHalf);
    Execute("Update nas set value_nas = \"2\" where n_nas = 11");
    EXPECT_FALSE(LoadTextDocumentRoad(nullptr).PageRoad);
    // Another workstation's choice is not this one's.
    Execute("Update nas set value_nas = \"1\", IP_Address = \"10.9.9.9\" where n_nas = 11");
    EXPECT_FALSE(LoadTextDocumentRoad(nullptr).PageRoad);
}
