// The export wizard and its three exporters, read back from the files they
// write: the .xlsx's sheet and styles XML, the .rtf's control words and
// text, the delimited text's lines.
#include <QCheckBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <unistd.h>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "framework/QuorendReadForm.h"
#include "framework/unExport.h"
#include "platform/system/ReplacingFile.h"
#include "platform/office/DesktopOpen.h"
#include "platform/office/RtfWriter.h"
#include "support/FileSizeLimit.h"
#include "support/QtPrinters.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

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

bool WriteAll(const QString &Path, const QByteArray &Data)
{
    QFile f(Path);
    return f.open(QIODevice::WriteOnly) && f.write(Data) == Data.size();
}

// A list as a form shows it: a header row in the header colour, data rows,
// and a totals row that the fill colours.
void FillSales(TRichGrid &g)
{
    g.SetColCount(3);
    g.SetRowCount(2);
    g.SetFixedRows(1);
    g.FixedAttributes()->SetBackColor(0xF1E3B1);
    g.SetRows(0, {QStringLiteral("Код"), QStringLiteral("Изделие"), QStringLiteral("Сума")});
    TDelimitedStringList list;
    list.SetTextStr(QStringLiteral("1@Кифла@12.50°2@Хляб; \"бял\"@3°¤Общо:@@15.50"));
    FillGridFromDelimitedStrings(g, list, false);
}

TExportJob Job(platform::StringGrid &Grid, const QString &File)
{
    TExportJob job;
    job.Grid = &Grid;
    job.Title.Text = QStringLiteral("Продажби");
    job.Title.Font = QFont(QStringLiteral("Times New Roman"), 14);
    job.SubTitle.Text = QStringLiteral("01.12.2026 - 31.12.2026");
    job.SubTitle.Font = QFont(QStringLiteral("Times New Roman"), 12);
    job.Table.Font = QFont(QStringLiteral("Times New Roman"), 8);
    job.Company.Font = QFont(QStringLiteral("Times New Roman"), 10);
    job.FileName = File;
    job.Delimiter = QStringLiteral("\t");
    return job;
}

// Stops an export after a number of cells.
class StopAfter : public TExportProgress
{
public:
    explicit StopAfter(long long Cells) : left_(Cells) {}
    bool Step(long long Count) override
    {
        left_ -= Count;
        return left_ <= 0;
    }

private:
    long long left_;
};

// The fields of one line of a delimited text, quotes read as spreadsheet
// programs read them.
QStringList SplitDelimited(const QString &Line, QChar Delimiter)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < Line.size(); ++i) {
        const QChar ch = Line[i];
        if (quoted) {
            if (ch == QLatin1Char('"') && i + 1 < Line.size() && Line[i + 1] == QLatin1Char('"')) {
                field += ch;
                ++i;
            } else if (ch == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == QLatin1Char('"')) {
            quoted = true;
        } else if (ch == Delimiter) {
            fields << field;
            field.clear();
        } else {
            field += ch;
        }
    }
    fields << field;
    return fields;
}

using Exporter = int (*)(const TExportJob &, TExportProgress &);
// Each kind: its extension, its exporter, the program its failures name.
const std::vector<std::tuple<QString, Exporter, QString>> Kinds = {
    {QStringLiteral(".txt"), &ExportToText, QString()},
    {QStringLiteral(".rtf"), &ExportToDocument, QStringLiteral("MS Word 97")},
    {QStringLiteral(".xlsx"), &ExportToSpreadsheet, QStringLiteral("MS Excel 97")}};
const QString OfficeFailure =
    QStringLiteral("Грешка в комуникацията с %1\rМоля проверете инсталацията на MS Office 97\r\r");

struct CauseProgress : TExportProgress
{
    void Failed(const QString &Cause) override { Causes << Cause; }
    QStringList Causes;
};

} // namespace

TEST(ExportPieces, NumberFormatsFollowTheDecimalsOfTheText)
{
    EXPECT_EQ(ExportNumberFormat(QStringLiteral("12.50")),
              QStringLiteral("#,##0.00\\ _л_в;[Red]-#,##0.00\\ _л_в"));
    EXPECT_EQ(ExportNumberFormat(QStringLiteral("12")), QStringLiteral("#,##0\\ _л_в;[Red]-#,##0\\ _л_в"));
    EXPECT_EQ(ExportNumberFormat(QStringLiteral("-0.125")),
              QStringLiteral("#,##0.000\\ _л_в;[Red]-#,##0.000\\ _л_в"));
    EXPECT_EQ(ExportNumberFormat(QStringLiteral("Кифла")), QString());
    EXPECT_EQ(ExportNumberFormat(QStringLiteral("1,5")), QString());
    EXPECT_EQ(ExportNumberFormat(QString()), QString());
}

TEST(ExportPieces, FileNamesChangeTheirExtensionWithinTheNameOnly)
{
    EXPECT_EQ(ChangeExportExtension(QStringLiteral("/tmp/sales.old.xlsx"), QStringLiteral(".rtf")),
              QStringLiteral("/tmp/sales.rtf"));
    EXPECT_EQ(ChangeExportExtension(QStringLiteral("/home/ivan.p/Продажби"), QStringLiteral(".xlsx")),
              QStringLiteral("/home/ivan.p/Продажби.xlsx"));
    EXPECT_EQ(ChangeExportExtension(QStringLiteral("a"), QStringLiteral(".txt")), QStringLiteral("a.txt"));
    const QString proposed = ExportProposedFileName(QStringLiteral("Продажби 1/2: \"обекти\""));
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/Продажби 1_2_ _обекти_"))) << proposed.toStdString();
    EXPECT_TRUE(QFileInfo(proposed).isAbsolute());
    // a home without a documents folder takes the file itself
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString atHome = ExportProposedFileName(QStringLiteral("Продажби"));
    qputenv("HOME", oldHome);
    EXPECT_EQ(atHome, home.path() + QStringLiteral("/Продажби"));
}

TEST(ExportPieces, DelimitedFieldsAreQuotedWhenTheyHoldADelimiterQuoteOrLineBreak)
{
    EXPECT_EQ(QuoteDelimitedField(QStringLiteral("Кифла"), QStringLiteral(";")), QStringLiteral("Кифла"));
    EXPECT_EQ(QuoteDelimitedField(QStringLiteral("a;b"), QStringLiteral(";")), QStringLiteral("\"a;b\""));
    EXPECT_EQ(QuoteDelimitedField(QStringLiteral("5\" дъска"), QStringLiteral("\t")),
              QStringLiteral("\"5\"\" дъска\""));
    EXPECT_EQ(QuoteDelimitedField(QStringLiteral("a\nb"), QStringLiteral("\t")), QStringLiteral("\"a\nb\""));
}

TEST(ExportPieces, WordColourIndexes)
{
    EXPECT_EQ(ExportColorIndex(0xF1E3B1), 3);
    EXPECT_EQ(ExportColorIndex(TotalsRowColor), 3);
    EXPECT_EQ(ExportColorIndex(clWindow), 0);
    EXPECT_EQ(ExportColorIndex(clBlack), 1);
    EXPECT_EQ(ExportColorIndex(clRed), 6);
    EXPECT_EQ(ExportColorIndex(clTeal), 10);
    EXPECT_EQ(ExportColorIndex(0x123456), 0);
    EXPECT_EQ(ExportIndexColor(6), 0xFF0000);
    EXPECT_EQ(ExportIndexColor(0), -1);
}

TEST(ExportText, EveryCellIsFollowedByTheDelimiterAndQuotedWhereNeeded)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    TExportJob job = Job(g, dir.filePath(QStringLiteral("s.txt")));
    job.Delimiter = QStringLiteral(";");
    TExportProgress progress;
    ASSERT_EQ(ExportToText(job, progress), erExported);
    const QStringList lines = QString::fromUtf8(ReadAll(job.FileName)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5); // four rows and the end of the last
    EXPECT_EQ(lines[0], QStringLiteral("Код;Изделие;Сума;"));
    EXPECT_EQ(lines[1], QStringLiteral("1;Кифла;12.50;"));
    EXPECT_EQ(lines[2], QStringLiteral("2;\"Хляб; \"\"бял\"\"\";3;"));
    EXPECT_EQ(lines[3], QStringLiteral("Общо:;;15.50;"));
    EXPECT_EQ(lines[4], QString());
    // the cell with the delimiter and the quotes reads back whole
    EXPECT_EQ(SplitDelimited(lines[2], QLatin1Char(';')),
              QStringList({QStringLiteral("2"), QStringLiteral("Хляб; \"бял\""), QStringLiteral("3"), QString()}));
}

TEST(ExportText, AThreeByTwoGridGivesTwoLinesOfThreeCells)
{
    QTemporaryDir dir;
    TRichGrid g;
    g.SetColCount(3);
    g.SetRowCount(2);
    g.SetFixedRows(0);
    g.SetRows(0, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    g.SetRows(1, {QStringLiteral("d"), QString(), QStringLiteral("f")});
    TExportJob job = Job(g, dir.filePath(QStringLiteral("t.txt")));
    job.Delimiter = QStringLiteral(";");
    TExportProgress progress;
    ASSERT_EQ(ExportToText(job, progress), erExported);
    EXPECT_EQ(ReadAll(job.FileName), QByteArray("a;b;c;\r\nd;;f;\r\n"));
}

TEST(ExportText, StoppedOrFailedExportsLeaveNoFileBehind)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    const QString file = dir.filePath(QStringLiteral("s.txt"));
    ASSERT_TRUE(WriteAll(file, "old"));
    StopAfter stop(5);
    EXPECT_EQ(ExportToText(Job(g, file), stop), erCancelled);
    EXPECT_EQ(ReadAll(file), QByteArray("old"));
    TExportProgress progress;
    EXPECT_EQ(ExportToText(Job(g, dir.filePath(QStringLiteral("no/s.txt"))), progress), erFailed);
    TExportJob empty = Job(g, dir.filePath(QStringLiteral("e.txt")));
    empty.Delimiter.clear();
    EXPECT_EQ(ExportToText(empty, progress), erFailed);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("s.txt")}));
}

TEST(ExportFiles, EveryKindReplacesALinkAtItsNameAndNeverWritesThroughIt)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    const QString victim = dir.filePath(QStringLiteral("victim"));
    ASSERT_TRUE(WriteAll(victim, "keep"));
    for (const auto &[ext, exporter, program] : Kinds) {
        const QString name = QStringLiteral("f") + ext;
        const QString file = dir.filePath(name);
        ASSERT_TRUE(QFile::link(victim, file));
        TExportProgress progress;
        EXPECT_EQ(exporter(Job(g, file), progress), erExported) << name.toStdString();
        EXPECT_EQ(ReadAll(victim), QByteArray("keep")) << name.toStdString();
        EXPECT_FALSE(QFileInfo(file).isSymLink()) << name.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 4) << name.toStdString();
    }
}

TEST(ExportFiles, AFileThatCannotBeWrittenIsToldWithItsCause)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    TRichGrid g;
    FillSales(g);
    g.SetRowCount(400); // more than the full disk below takes, in every kind
    // the superuser writes anywhere but in the system's own folder
    const QString locked = ::geteuid() == 0 ? QStringLiteral("/sys") : d + QStringLiteral("/locked");
    ASSERT_TRUE(QDir(d).mkdir(QStringLiteral("taken")) &&
                (::geteuid() == 0 ||
                 (QDir(d).mkdir(locked) && QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner))));
    // the file (the kind's extension follows, but for the folder), its cause, the bytes a full disk takes
    const std::vector<std::tuple<QString, QString, rlim_t>> cases = {
        {d + "/no/s", QStringLiteral("папката \"%1/no\" не съществува").arg(d), 0},
        {d + "/taken", QStringLiteral("\"%1/taken\" е папка").arg(d), 0},
        {locked + "/s", QStringLiteral("няма право на запис в папката \"%1\"").arg(locked), 0},
        {d + "/s", QStringLiteral("няма място на диска"), 1000},
        {d + "/" + QString(10000, QLatin1Char('x')), QStringLiteral("името на файла е твърде дълго"), 0}};
    for (const auto &[ext, exporter, program] : Kinds)
        for (const auto &[name, cause, limit] : cases) {
            const QString file = name.endsWith(QLatin1String("taken")) ? name : name + ext;
            testsupport::ScopedDialogAnswers dialogs;
            CauseProgress progress;
            std::optional<testsupport::FileSizeLimit> full;
            if (limit)
                full.emplace(limit);
            EXPECT_EQ(exporter(Job(g, file), progress), erFailed) << file.left(80).toStdString();
            full.reset();
            const QString shown = file.size() > 100 ? file.left(40) + QStringLiteral("…") + file.right(59) : file;
            const QString text = QStringLiteral("Файлът \"%1\" не може да бъде записан: %2.").arg(shown, cause);
            EXPECT_EQ(progress.Causes, QStringList{text});
            // the office kinds keep their message and put the cause after it
            EXPECT_EQ(dialogs.Texts(),
                      program.isEmpty() ? QStringList() : QStringList{OfficeFailure.arg(program) + text});
        }
    EXPECT_EQ(QDir(d).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(ExportFiles, TheHiddenFileOfAKilledExportGoesAtTheNextExportThere)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    // a writer's hidden file names its process
    platform::ReplacingFile writing(dir.filePath(QStringLiteral("s.xlsx")));
    ASSERT_TRUE(writing.Open());
    const QString own = QStringLiteral(".%1@").arg(::getpid()), name = QFileInfo(writing.TemporaryName()).fileName();
    ASSERT_TRUE(name.startsWith(QStringLiteral(".s.xlsx") + own)) << name.toStdString();
    // the same of another process of this machine, and of another machine (a shared folder)
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(other.waitForStarted());
    const QString killed = QString(name).replace(own, QStringLiteral(".%1@").arg(other.processId()));
    const QString foreign = QStringLiteral(".t.txt.%1@another-machine.Ab12Cd").arg(other.processId());
    ASSERT_TRUE(WriteAll(dir.filePath(killed), "x") && WriteAll(dir.filePath(foreign), "x"));
    const auto hidden = [&dir] {
        return QDir(dir.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    };
    TExportProgress progress;
    ASSERT_EQ(ExportToText(Job(g, dir.filePath(QStringLiteral("t.txt"))), progress), erExported);
    EXPECT_EQ(hidden().size(), 3) << "the files of running processes stay";
    other.kill();
    ASSERT_TRUE(other.waitForFinished());
    ASSERT_EQ(ExportToDocument(Job(g, dir.filePath(QStringLiteral("d.rtf"))), progress), erExported);
    EXPECT_EQ(hidden(), QStringList({name, foreign}));
}

TEST(ExportSpreadsheet, SheetHoldsHeadTableNumberFormatsColoursAndMerges)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    g.MergeCells(0, 3, 1, 3); // "Общо:" across two columns
    TExportProgress progress;
    const QString file = dir.filePath(QStringLiteral("s.xlsx"));
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_EQ(ExportToSpreadsheet(Job(g, file), progress), erExported);
    EXPECT_TRUE(dialogs.Shown().empty());
    // a copy for a look in a spreadsheet program
    QFile::remove(testsupport::OutputPath(QStringLiteral("export-sales.xlsx")));
    QFile::copy(file, testsupport::OutputPath(QStringLiteral("export-sales.xlsx")));

    const QString sheet = Unzip(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QString strings = Unzip(file, QStringLiteral("xl/sharedStrings.xml"));
    const QString styles = Unzip(file, QStringLiteral("xl/styles.xml"));
    // head: the title and subtitle in column B (three columns leave one
    // between the company and the date: nothing to merge), today in C1
    EXPECT_TRUE(strings.contains(QStringLiteral("Продажби")));
    EXPECT_TRUE(strings.contains(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" г.")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"B1\"")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"B2\"")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C1\"")));
    // the table from row 4: numbers as numbers, the totals block merged
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C5\" s=\"")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<v>12.5</v>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<v>15.5</v>")));
    EXPECT_EQ(sheet.count(QStringLiteral("<mergeCell ")), 1);
    EXPECT_TRUE(sheet.contains(QStringLiteral("<mergeCell ref=\"A7:B7\"/>")));
    EXPECT_TRUE(strings.contains(QStringLiteral("Хляб; \"бял\"")) ||
                strings.contains(QStringLiteral("Хляб; &quot;бял&quot;")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0.00\\ _л_в;[Red]-#,##0.00\\ _л_в\"")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0\\ _л_в;[Red]-#,##0\\ _л_в\"")));
    EXPECT_TRUE(styles.contains(QStringLiteral("<fgColor rgb=\"FF00FFFF\"/>"))); // header and totals
    EXPECT_TRUE(styles.contains(QStringLiteral("<left style=\"medium\">")));     // the header row
    EXPECT_TRUE(styles.contains(QStringLiteral("<left style=\"thin\">")));
    EXPECT_TRUE(styles.contains(QStringLiteral("<sz val=\"14\"/>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<cols>")));
}

TEST(ExportSpreadsheet, WideHeadsMergeTheTitleAndNarrowGridsExportToo)
{
    QTemporaryDir dir;
    TExportProgress progress;
    for (int cols : {1, 2, 6}) {
        TRichGrid g;
        g.SetColCount(cols);
        g.SetRowCount(2);
        g.SetFixedRows(1);
        const QString file = dir.filePath(QStringLiteral("w%1.xlsx").arg(cols));
        testsupport::ScopedDialogAnswers dialogs;
        ASSERT_EQ(ExportToSpreadsheet(Job(g, file), progress), erExported) << cols;
        EXPECT_TRUE(dialogs.Shown().empty());
        const QString sheet = Unzip(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        if (cols == 6) {
            EXPECT_TRUE(sheet.contains(QStringLiteral("<mergeCell ref=\"B1:E1\"/>")));
            EXPECT_TRUE(sheet.contains(QStringLiteral("<mergeCell ref=\"B2:E2\"/>")));
        } else {
            EXPECT_FALSE(sheet.contains(QStringLiteral("mergeCell"))) << cols;
        }
    }
}

TEST(ExportSpreadsheet, FailuresAreShownAndStoppedExportsLeaveNoFile)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    TExportProgress progress;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_EQ(ExportToSpreadsheet(Job(g, dir.filePath(QStringLiteral("no/s.xlsx"))), progress), erFailed);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text,
              OfficeFailure.arg("MS Excel 97") +
                  QStringLiteral("Файлът \"%1/no/s.xlsx\" не може да бъде записан: папката \"%1/no\" не съществува.")
                      .arg(dir.path()));
    StopAfter stop(4);
    EXPECT_EQ(ExportToSpreadsheet(Job(g, dir.filePath(QStringLiteral("s.xlsx"))), stop), erCancelled);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST(ExportDocument, DocumentHoldsHeadAndTableWithMergedBlocks)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    g.SetRowCount(5);
    g.SetRows(4, {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
    g.MergeCells(2, 1, 2, 2); // a block down two rows
    TExportProgress progress;
    const QString file = dir.filePath(QStringLiteral("s.rtf"));
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_EQ(ExportToDocument(Job(g, file), progress), erExported);
    EXPECT_TRUE(dialogs.Shown().empty());
    const QByteArray rtf = ReadAll(file);
    QFile::remove(testsupport::OutputPath(QStringLiteral("export-sales.rtf")));
    QFile::copy(file, testsupport::OutputPath(QStringLiteral("export-sales.rtf")));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_TRUE(rtf.contains("{\\header"));
    // every group closes, the document's last
    int depth = 0, closedAt = -1;
    for (int i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth == 0) {
            closedAt = i;
            break;
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(rtf.indexOf('}', closedAt + 1), -1);
    EXPECT_EQ(rtf.count("\\clvmgf"), 1);
    EXPECT_EQ(rtf.count("\\clvmrg"), 1);
    // 2 head rows and 5 table rows
    EXPECT_EQ(rtf.count("\\row"), 7);
    // turquoise shading for the header and totals rows
    EXPECT_TRUE(rtf.contains("\\red0\\green255\\blue255;"));
    EXPECT_TRUE(rtf.contains(platform::office::RtfDocument::EncodeText(QStringLiteral("Продажби"))));
    EXPECT_TRUE(rtf.contains(platform::office::RtfDocument::EncodeText(QStringLiteral("Хляб; \"бял\""))));
    EXPECT_TRUE(rtf.contains(platform::office::RtfDocument::EncodeText(QStringLiteral("01.12.2026 - 31.12.2026"))));
}

namespace {

// Records the files handed to the desktop instead of opening them.
class ScopedOpener
{
public:
    explicit ScopedOpener(bool Answer)
    {
        previous_ = platform::office::SetDesktopOpener([this, Answer](const QString &f) {
            Opened << f;
            return Answer;
        });
    }
    ~ScopedOpener() { platform::office::SetDesktopOpener(previous_); }
    QStringList Opened;

private:
    platform::office::DesktopOpener previous_;
};

} // namespace

TEST(ExportWizardGui, OpensOnStepOneWithTheExcelChoiceAndAProposedFile)
{
    TRichGrid g;
    FillSales(g);
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QStringLiteral("м. 12"), QStringLiteral("Продажби/ден"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Помощник за връзка с външни програми"));
    EXPECT_EQ(form.Step(), 1);
    EXPECT_EQ(form.Choice(), ecSpreadsheet);
    EXPECT_TRUE(form.rbSpreadsheet->isChecked());
    EXPECT_FALSE(form.actPrev->isEnabled());
    EXPECT_TRUE(form.actNext->isEnabled());
    EXPECT_EQ(form.editTitle->text(), QStringLiteral("Продажби"));
    EXPECT_EQ(form.editSubTitle->text(), QStringLiteral("м. 12"));
    EXPECT_TRUE(form.editFileName->text().endsWith(QStringLiteral("/Продажби_ден.xlsx")));
    EXPECT_EQ(form.CompanyObject().Text, QString()); // the link gives no firm
    EXPECT_EQ(form.TitleObject().Font.pointSize(), 14);
    EXPECT_EQ(form.TableObject().Font.family(), QStringLiteral("Times New Roman"));

    form.editFileName->setText(QStringLiteral("/tmp/sales.old.xlsx"));
    QTest::mouseClick(form.rbDocument, Qt::LeftButton);
    EXPECT_EQ(form.Choice(), ecDocument);
    EXPECT_EQ(form.editFileName->text(), QStringLiteral("/tmp/sales.rtf"));
    form.ChooseProgram(ecDelimText);
    EXPECT_EQ(form.editFileName->text(), QStringLiteral("/tmp/sales.txt"));
}

TEST(ExportWizardGui, StepsShowTheProgramAndTheResult)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    ScopedOpener opener(true);
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    form.show();
    form.ChooseProgram(ecTabText);
    form.editFileName->setText(dir.filePath(QStringLiteral("s.txt")));
    form.Next();
    EXPECT_EQ(form.Step(), 2);
    EXPECT_FALSE(form.groupProgram->isVisible());
    EXPECT_TRUE(form.checkLoadWordpad->isVisible());
    EXPECT_TRUE(form.actPrev->isEnabled());
    EXPECT_EQ(form.InfoText(),
              QStringLiteral("  Този помощник ще стартира MS Wordpad, ще отвори нов документ и ще прехвърли "
                             "данните в него. Това може да отнеме известно време, моля изчакайте.\r\r  "
                             "Изберете Продължение за да започнете прехвърлянето."));
    // the label breaks the lines on screen
    EXPECT_TRUE(form.labelInfo->text().endsWith(
        QStringLiteral("изчакайте.\n\n  Изберете Продължение за да започнете прехвърлянето.")));
    form.checkLoadWordpad->setChecked(true);
    QTest::mouseClick(form.btnNext, Qt::LeftButton);
    EXPECT_EQ(form.Step(), 3);
    EXPECT_EQ(form.LastResult(), erExported);
    EXPECT_EQ(form.InfoText(), QStringLiteral("  Данните са прехвърлени успешно!"));
    EXPECT_FALSE(form.actNext->isEnabled());
    EXPECT_TRUE(form.actPrev->isEnabled());
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_EQ(opener.Opened, QStringList({dir.filePath(QStringLiteral("s.txt"))}));
    EXPECT_TRUE(ReadAll(dir.filePath(QStringLiteral("s.txt"))).startsWith("Код\tИзделие\tСума\t\r\n"));
    form.Prev();
    EXPECT_EQ(form.Step(), 2);
    QTest::mouseClick(form.btnCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST(ExportWizardGui, AnEmptyDelimiterOrFileNameIsRefusedOnStepOne)
{
    TRichGrid g;
    FillSales(g);
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    testsupport::ScopedDialogAnswers dialogs;
    form.ChooseProgram(ecDelimText);
    form.Next();
    EXPECT_EQ(form.Step(), 1);
    form.editDelim->setText(QStringLiteral("\""));
    form.Next();
    EXPECT_EQ(form.Step(), 1);
    form.editDelim->setText(QStringLiteral(";"));
    form.editFileName->setText(QStringLiteral("/tmp/"));
    form.Next();
    EXPECT_EQ(form.Step(), 1);
    ASSERT_EQ(dialogs.Texts().size(), 3);
    EXPECT_EQ(dialogs.Texts()[0], QStringLiteral("Въведете символа, който да разделя колоните !"));
    EXPECT_EQ(dialogs.Texts()[2], QStringLiteral("Въведете име на файла !"));
}

TEST(ExportWizardGui, ASpreadsheetOpensWithTheDesktopOrTheClerkIsToldWhereItIs)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    const QString file = dir.filePath(QStringLiteral("s.xlsx"));
    ScopedOpener opener(false);
    testsupport::ScopedDialogAnswers dialogs;
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    form.editFileName->setText(file);
    form.editTitle->setText(QStringLiteral("Продажби за декември"));
    form.Next();
    form.Next();
    EXPECT_EQ(form.LastResult(), erExported);
    EXPECT_EQ(opener.Opened, QStringList({file}));
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(dialogs.Texts()[0],
              QStringLiteral("Няма програма, която да отвори файла. Данните са записани във файла:\n") + file);
    // the title as the clerk corrected it
    EXPECT_TRUE(Unzip(file, QStringLiteral("xl/sharedStrings.xml")).contains(QStringLiteral("Продажби за декември")));
}

TEST(ExportWizardGui, AFailedExportSaysSo)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    ScopedOpener opener(true);
    testsupport::ScopedDialogAnswers dialogs;
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    form.ChooseProgram(ecDocument);
    form.editFileName->setText(dir.filePath(QStringLiteral("missing/s.rtf")));
    form.Next();
    form.Next();
    EXPECT_EQ(form.LastResult(), erFailed);
    const QString cause =
        QStringLiteral("Файлът \"%1/missing/s.rtf\" не може да бъде записан: папката \"%1/missing\" не съществува.")
            .arg(dir.path());
    EXPECT_EQ(form.InfoText(),
              QStringLiteral("  Данните не са прехвърлени успешно!\r\r  Моля, проверете инсталацията на MS Office 97."
                             "\r\r  ") + cause);
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(dialogs.Texts()[0], OfficeFailure.arg("MS Word 97") + cause);
    EXPECT_TRUE(opener.Opened.isEmpty());
}

TEST(ExportWizardGui, ARunningExportRefusesToCloseAndStopsOnCancel)
{
    QTemporaryDir dir;
    TRichGrid g;
    g.SetColCount(5);
    g.SetRowCount(1);
    QStringList records;
    for (int r = 0; r < 200; ++r)
        records << QStringLiteral("%1@Изделие %1@%1.50@@x").arg(r);
    TDelimitedStringList list;
    list.SetTextStr(records.join(QChar(0x00B0)));
    FillGridFromDelimitedStrings(g, list, false);
    const QString file = dir.filePath(QStringLiteral("big.xlsx"));
    ScopedOpener opener(true);
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    form.show();
    form.editFileName->setText(file);
    form.Next();
    int progressCalls = 0;
    bool runningSeen = false, stayedOpen = false, progressShown = false;
    long long stoppedAt = -1, cells = 0;
    // The first time the running export lets the window system in, the
    // clerk tries to close the window, then presses Cancel.
    QObject::connect(&form, &TfmExport::ExportProgress, &form, [&](long long Position, long long Maximum) {
        if (++progressCalls > 1)
            return;
        runningSeen = form.Running();
        progressShown = form.ProgressBar->isVisible();
        form.close();
        stayedOpen = form.isVisible();
        QTest::mouseClick(form.btnCancel, Qt::LeftButton);
        stoppedAt = Position;
        cells = Maximum;
    });
    form.Next();
    EXPECT_EQ(progressCalls, 1) << "the export stopped at the next cell";
    EXPECT_EQ(stoppedAt, 0);
    EXPECT_EQ(cells, 5 * 200);
    EXPECT_TRUE(runningSeen);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(form.LastResult(), erCancelled);
    EXPECT_EQ(form.InfoText(), QStringLiteral("  Прехвърлянето на данните е прекъснато от потребителя!"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Running());
    EXPECT_TRUE(opener.Opened.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // Cancel once the export has ended closes the wizard.
    QTest::mouseClick(form.btnCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST(ExportWizardGui, TheFileButtonOffersTheKindsWithTheChoicesSelected)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    TfmExport form(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    form.ChooseProgram(ecDocument);
    form.editFileName->setText(dir.filePath(QStringLiteral("a.rtf")));
    QString filter;
    QStringList filters;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        if (!dialog) {
            ADD_FAILURE() << "no file dialog: " << w->metaObject()->className();
            w->close();
            return;
        }
        filter = dialog->selectedNameFilter();
        filters = dialog->nameFilters();
        static_cast<QDialog *>(dialog)->reject();
    });
    form.show();
    form.btnFileName->click();
    EXPECT_EQ(filters, QStringList({QStringLiteral("MS Excel документи (*.xlsx)"),
                                    QStringLiteral("MS Word документи (*.rtf)"),
                                    QStringLiteral("Текстови файлове (*.txt)")}));
    EXPECT_EQ(filter, QStringLiteral("MS Word документи (*.rtf)"));
    EXPECT_EQ(form.editFileName->text(), dir.filePath(QStringLiteral("a.rtf"))); // cancelled: kept
}

TEST(ExportWizardGui, ExportGridRunsTheWizardModally)
{
    QTemporaryDir dir;
    TRichGrid g;
    FillSales(g);
    const QString file = dir.filePath(QStringLiteral("m.txt"));
    bool seen = false;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *form = qobject_cast<TfmExport *>(w);
        ASSERT_NE(form, nullptr);
        seen = true;
        form->ChooseProgram(ecTabText);
        form->editFileName->setText(file);
        form->Next();
        form->Next();
        form->CancelClick();
    });
    EXPECT_TRUE(ExportGrid(nullptr, &g, QStringLiteral("Продажби"), QString(), QStringLiteral("Продажби")));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(QFile::exists(file));
}

TEST(ExportSpreadsheet, OneFormatServesEveryCellOfALook)
{
    QTemporaryDir dir;
    TExportProgress progress;
    auto cellFormats = [&](int rows) {
        TRichGrid g;
        g.SetColCount(3);
        g.SetRowCount(2);
        g.SetFixedRows(1);
        QStringList records;
        for (int r = 1; r <= rows; ++r)
            records << QStringLiteral("%1@Изделие %1@%1.25").arg(r);
        TDelimitedStringList list;
        list.SetTextStr(records.join(QChar(0x00B0)));
        FillGridFromDelimitedStrings(g, list, false);
        const QString file = dir.filePath(QStringLiteral("f%1.xlsx").arg(rows));
        EXPECT_EQ(ExportToSpreadsheet(Job(g, file), progress), erExported);
        const QString styles = Unzip(file, QStringLiteral("xl/styles.xml"));
        const int from = styles.indexOf(QStringLiteral("<cellXfs"));
        return styles.mid(from, styles.indexOf(QStringLiteral("</cellXfs>")) - from).count(QStringLiteral("<xf "));
    };
    const int few = cellFormats(3);
    EXPECT_GT(few, 3);
    EXPECT_EQ(cellFormats(300), few);
}

namespace {

// A small list window: its rows come from a fixed record text.
class TfrmExportProbe : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmExportProbe(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmExportProbe"));
        pnlCaption->setText(QStringLiteral("Изделия/цени"));
        Grid->SetColCount(3);
        Grid->SetFixedRows(1);
        Grid->SetRows(0, {QStringLiteral("Код"), QStringLiteral("Име"), QStringLiteral("Цена")});
        actExecute->setEnabled(true);
    }
    QString GetSubTitle() override { return QStringLiteral("към 07.12.2026"); }
    bool DoExecute() override
    {
        TDelimitedStringList rows;
        rows.SetTextStr(QStringLiteral("1@Хляб@1.20°2@Кифла; малка@0.60"));
        FillGridFromDelimitedStrings(*Grid, rows, false);
        return true;
    }
};

class ReadFormExportGui : public testsupport::DataTest
{
};

} // namespace

TEST_F(ReadFormExportGui, F10ExportsTheListWithItsTitles)
{
    std::unique_ptr<TfrmExportProbe> form(CreateQuorendForm<TfrmExportProbe>(nullptr, fsNormal));
    ASSERT_TRUE(form->ShowForm());
    ASSERT_TRUE(form->Execute());
    EXPECT_TRUE(form->actFile->isEnabled());
    EXPECT_EQ(form->actFile->shortcut(), QKeySequence(Qt::Key_F10));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("list.txt"));
    QString title, subTitle, proposed;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *wizard = qobject_cast<TfmExport *>(w);
        if (!wizard) {
            ADD_FAILURE() << "no export wizard";
            w->close();
            return;
        }
        title = wizard->editTitle->text();
        subTitle = wizard->editSubTitle->text();
        proposed = wizard->editFileName->text();
        wizard->ChooseProgram(ecDelimText);
        wizard->editDelim->setText(QStringLiteral(";"));
        wizard->editFileName->setText(file);
        wizard->Next();
        wizard->Next();
        wizard->CancelClick();
    });
    form->actFile->trigger();
    EXPECT_EQ(title, QStringLiteral("Изделия/цени"));
    EXPECT_EQ(subTitle, QStringLiteral("към 07.12.2026"));
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/Изделия_цени.xlsx"))) << proposed.toStdString();
    EXPECT_EQ(QString::fromUtf8(ReadAll(file)),
              QStringLiteral("Код;Име;Цена;\r\n1;Хляб;1.20;\r\n2;\"Кифла; малка\";0.60;\r\n"));
}

#include "unExportTest.moc"
