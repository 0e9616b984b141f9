// The grid print preview: graphic pages read back from a real PDF, the
// layout of rows over pages on a recording printer, zoom, the named
// settings, and the text mode's pages on the raw printer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "components/RunTimeGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/unRegistryFuncs.h"
#include "framework/unPrintPreview.h"
#include "framework/unPrintProgress.h"
#include "framework/unPrintSelectName.h"
#include "platform/print/PrinterDevice.h"
#include "support/QtPrinters.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"
#include "support/TestPrinter.h"

using testsupport::TestPrinterDevice;

namespace {

class PrintPreviewGui : public testsupport::DataTest
{
};

// Code, name, sum; `rows` data rows named "Ред N".
void Fill(TRichGrid &g, int rows, const QStringList &extra = {})
{
    g.SetColCount(3);
    g.SetRowCount(2);
    g.SetFixedCols(0);
    g.SetFixedRows(1);
    g.SetRows(0, {"Код", "Наименование", "Сума"});
    QStringList records;
    for (int i = 1; i <= rows; ++i)
        records << QString("%1@Ред %1@%2").arg(i).arg(i * 3);
    records << extra;
    TDelimitedStringList list;
    list.SetTextStr(records.join(QChar(0x00B0)));
    FillGridFromDelimitedStrings(g, list, false);
}

std::unique_ptr<TfmPrintPreview> Preview(platform::StringGrid &g, platform::PrinterDevice &printer,
                                         const QString &key = QString(), const QString &below = QString(),
                                         bool signatures = false, TPrinterOrientation o = poPortrait)
{
    auto form = std::make_unique<TfmPrintPreview>(o, &g, "Продажби", "Декември 2026", "", key, "", "", 0,
                                                  signatures, false, false, below, &printer);
    return form;
}

// The texts of a recorded page joined by blanks.
QString PageText(const platform::RecordedPage &page)
{
    QStringList texts;
    for (const auto &run : page.TextRuns())
        texts << run.text;
    return texts.join(' ');
}

QStringList PdfPages(const QString &path)
{
    QProcess p;
    p.start("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {"<pdftotext failed>"};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value) : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

// The preview of a grid of Rows rows in text mode (the dot-matrix
// setting), its raw printer the file Out in a folder of its own.
struct TextModePreview
{
    explicit TextModePreview(int Rows, const QString &Below = QString())
    {
        SetRegistrySetting("Print_Laser", "0");
        Fill(g, Rows);
        form = Preview(g, printer, "", Below);
    }

    QTemporaryDir dir;
    const QString Out = dir.filePath("prn");
    ScopedEnv prn{"TOLVEX_PRN", Out.toLocal8Bit()};
    TestPrinterDevice printer;
    TRichGrid g;
    std::unique_ptr<TfmPrintPreview> form;
};

} // namespace

TEST_F(PrintPreviewGui, NoPrinterIsSaidAndNothingPrints)
{
    platform::NoPrinterDevice none;
    SetPrintGridPrinter(&none);
    TRichGrid g;
    Fill(g, 2);
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(PrintGrid(poPortrait, &g, "T", "", "", 0, "", "", false, false, false, false, "", ""));
    SetPrintGridPrinter(nullptr);
    ASSERT_EQ(1u, dialogs.Shown().size());
    EXPECT_EQ("Няма инсталиран принтер!", dialogs.Shown()[0].Text);
    EXPECT_EQ(mtError, dialogs.Shown()[0].Kind);
}

TEST_F(PrintPreviewGui, WithoutPrinterThePreviewStillShowsButCannotPrint)
{
    platform::NoPrinterDevice none;
    SetPrintGridPrinter(&none);
    TRichGrid g;
    Fill(g, 2);
    testsupport::ScopedDialogAnswers dialogs;
    int pages = 0;
    bool canPrint = true;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *form = qobject_cast<TfmPrintPreview *>(w);
        ASSERT_NE(nullptr, form);
        pages = form->page->PageCount();
        canPrint = form->acPrint->isEnabled();
        QApplication::setActiveWindow(form);
        QTest::keyClick(form, Qt::Key_F9);
        form->close();
    });
    EXPECT_FALSE(PrintGrid(poPortrait, &g, "T", "", "", 0, "", "", false, false, false, true, "", ""));
    SetPrintGridPrinter(nullptr);
    ASSERT_EQ(1u, dialogs.Shown().size());
    EXPECT_EQ("Няма инсталиран принтер!", dialogs.Shown()[0].Text);
    EXPECT_EQ(1, pages);
    EXPECT_FALSE(canPrint);
}

TEST_F(PrintPreviewGui, PrintGridShowsThePreviewAndF9Prints)
{
    TestPrinterDevice printer;
    SetPrintGridPrinter(&printer);
    TRichGrid g;
    Fill(g, 5);
    bool maximised = false;
    QString caption;
    int builtIn = -1;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *form = qobject_cast<TfmPrintPreview *>(w);
        ASSERT_NE(nullptr, form);
        maximised = form->windowState().testFlag(Qt::WindowMaximized);
        caption = form->windowTitle();
        builtIn = form->Settings()[0].Orientation;
        EXPECT_EQ(1, form->page->CurrentPage());
        // Window shortcuts reach the active window only.
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form, Qt::Key_F9);
        QTest::keyClick(form, Qt::Key_Escape);
    });
    const bool printed = PrintGrid(poLandscape, &g, "Списък", "", "", 0, "", "", false, false, false, true, "", "");
    SetPrintGridPrinter(nullptr);
    EXPECT_TRUE(printed);
    EXPECT_TRUE(maximised);
    EXPECT_EQ("Печат ...", caption);
    EXPECT_EQ(1, builtIn) << "the built-in setting takes the list's orientation, not the printer's last";
    ASSERT_EQ(1u, printer.Printed.size());
    EXPECT_TRUE(PageText(*printer.Printed[0]).contains("Списък"));
    EXPECT_TRUE(PageText(*printer.Printed[0]).contains("Ред 5"));
    EXPECT_EQ(QPageLayout::Landscape, printer.Orientation());
}

TEST_F(PrintPreviewGui, GraphicPagesInAPdf)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("grid.pdf");
    QPrinter qprinter(QPrinter::HighResolution);
    qprinter.setOutputFormat(QPrinter::PdfFormat);
    qprinter.setOutputFileName(pdf);
    qprinter.setResolution(300);
    qprinter.setPageSize(QPageSize(QPageSize::A4));
    qprinter.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    platform::QtPrinterDevice printer(&qprinter);

    TRichGrid g;
    // 60 rows, a page break with a new title after row 50, 10 rows more.
    QStringList extra = {"-=: PaGe BrEaK :=-"};
    for (int i = 61; i <= 70; ++i)
        extra << QString("%1@Ред %1@%2").arg(i).arg(i * 3);
    Fill(g, 60, extra);
    g.SetCells(1, 61, "Втора част@Само за склада");
    auto form = Preview(g, printer, "", "Изготвил: Иванова\r\nПриел: Петров", true);
    form->SetNow(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0)));
    form->Reformat();
    const int count = form->page->PageCount();
    ASSERT_GE(count, 2);
    ASSERT_TRUE(form->PrintPages());
    EXPECT_TRUE(form->Printed());
    QFile::remove(testsupport::OutputPath("grid_print.pdf"));
    QFile::copy(pdf, testsupport::OutputPath("grid_print.pdf"));

    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(count, pages.size()) << pages.join("\n====\n").toStdString();
    for (int i = 0; i < count; ++i) {
        // The page head and the header row on every page.
        EXPECT_TRUE(pages[i].contains(QString("Стр. %1").arg(i + 1))) << i;
        EXPECT_TRUE(pages[i].contains(QString("Стр.: %1 / %2").arg(i + 1).arg(count))) << i;
        EXPECT_TRUE(pages[i].contains("07.12.2026 г. / 10:00:00")) << i;
        EXPECT_TRUE(pages[i].contains("Наименование")) << i;
    }
    EXPECT_TRUE(pages[0].contains("Продажби"));
    EXPECT_TRUE(pages[0].contains("Декември 2026"));
    EXPECT_TRUE(pages[0].contains("Ред 1 "));
    // The break row is not printed; the part after it has its own title.
    const QString all = pages.join('\n');
    EXPECT_FALSE(all.contains("PaGe"));
    int second = -1;
    for (int i = 0; i < count; ++i)
        if (pages[i].contains("Втора част"))
            second = second < 0 ? i : second;
    ASSERT_GT(second, 0);
    EXPECT_TRUE(pages[second].contains("Само за склада"));
    EXPECT_TRUE(pages[second].contains("Ред 61"));
    EXPECT_FALSE(pages[second - 1].contains("Ред 61"));
    EXPECT_TRUE(pages[second - 1].contains("Ред 60"));
    EXPECT_FALSE(pages[second - 1].contains("Втора част"));
    // Every row once, in order.
    int at = 0;
    for (int i = 1; i <= 70; ++i) {
        const int found = all.indexOf(QRegularExpression(QString("\\b%1\\s+Ред %1\\s+%2\\b").arg(i).arg(i * 3)), at);
        ASSERT_GE(found, 0) << "row " << i;
        at = found;
    }
    // Below the table: the text, then the signatures.
    const QString last = pages.last();
    EXPECT_LT(last.indexOf("Ред 70"), last.indexOf("Изготвил: Иванова"));
    EXPECT_LT(last.indexOf("Приел: Петров"), last.indexOf("Ръководител:"));
    EXPECT_TRUE(last.contains("Дата: 07.12.2026"));
    EXPECT_TRUE(last.contains("Гл. счетоводител:"));
}

TEST_F(PrintPreviewGui, RowTallerThanAPageIsCutAndPrintingGoesOn)
{
    TestPrinterDevice printer;
    TRichGrid g;
    QStringList tall;
    for (int i = 0; i < 400; ++i)
        tall << QString("ред %1").arg(i);
    Fill(g, 3);
    const int row = g.RowCount();
    g.SetRowCount(row + 2);
    g.SetRows(row, {"99", tall.join('\n'), "1"});
    g.SetRows(row + 1, {"100", "След високия", "2"});
    auto form = Preview(g, printer);
    const TTextPagePrinter &page = *form->page;
    ASSERT_EQ(3, page.PageCount());
    EXPECT_TRUE(PageText(*page.Pages().Items(0)).contains("Ред 3"));
    const QString second = PageText(*page.Pages().Items(1));
    EXPECT_TRUE(second.contains("ред 0"));
    EXPECT_TRUE(PageText(*page.Pages().Items(2)).contains("След високия"));
}

TEST_F(PrintPreviewGui, RunTimeGridPrintsItsLinesAndTitlesLoseTheirBreaks)
{
    TestPrinterDevice printer;
    TRunTimeGrid g;
    g.SetColCount(2);
    g.SetRowCount(3);
    g.SetFixedRows(1);
    g.SetFixedCols(0);
    g.SetRows(0, {"Обект", "Бележка"});
    g.SetRows(1, {"Магазин 1", "първи ред\rвтори ред"});
    g.SetRows(2, {"Магазин 2", "-"});
    auto form = std::make_unique<TfmPrintPreview>(poPortrait, &g, "Справка\rпо обекти", "", "", "", "", "", 0,
                                                  false, false, false, "Изготвил\r\nПриел", &printer);
    ASSERT_EQ(1, form->page->PageCount());
    const QString text = PageText(*form->page->Pages().Items(0));
    EXPECT_TRUE(text.contains("Справка по обекти")) << text.toStdString();
    EXPECT_TRUE(text.contains("първи ред втори ред"));
    EXPECT_TRUE(text.contains("Магазин 2"));
    // The text below the table keeps its two lines.
    QStringList runs;
    for (const auto &run : form->page->Pages().Items(0)->TextRuns())
        runs << run.text.trimmed();
    EXPECT_TRUE(runs.contains("Изготвил"));
    EXPECT_TRUE(runs.contains("Приел"));
    // The copy is printed; the operator's grid keeps its look.
    EXPECT_NE(form->PrintGridCopy(), &g);
    EXPECT_EQ(TRunTimeGrid::fc3DRaised, g.FixedCell3DEffect());
}

TEST_F(PrintPreviewGui, HeadOnTheFirstPageOnlyWithFilterAndSystemText)
{
    TestPrinterDevice printer;
    TRichGrid g;
    Fill(g, 200);
    TfmPrintPreview form(poPortrait, &g, "Продажби", "Декември", "Обект: Магазин 1", "", "Оператор: Иванова", "", 0,
                         false, true, false, "", &printer);
    ASSERT_GE(form.page->PageCount(), 2);
    const QString first = PageText(*form.page->Pages().Items(0));
    EXPECT_TRUE(first.contains("Стр. 1"));
    EXPECT_TRUE(first.contains("Обект: Магазин 1"));
    EXPECT_TRUE(first.contains("Оператор: Иванова"));
    EXPECT_FALSE(first.contains("Стр.:"));
    const QString second = PageText(*form.page->Pages().Items(1));
    EXPECT_FALSE(second.contains("Продажби"));
    EXPECT_FALSE(second.contains("Стр. 2"));
    EXPECT_FALSE(second.contains("Оператор"));
    // The table starts at the page's top, header row first.
    const auto runs = form.page->Pages().Items(1)->TextRuns();
    ASSERT_FALSE(runs.isEmpty());
    EXPECT_EQ("Код", runs.first().text);
}

TEST_F(PrintPreviewGui, ZoomStepsByTensWithinTheirBounds)
{
    TestPrinterDevice printer;
    TRichGrid g;
    Fill(g, 3);
    auto form = Preview(g, printer);
    form->page->SetZoomPercent(95);
    form->ZoomIn();
    EXPECT_EQ(100, form->page->ZoomPercent());
    form->page->SetZoomPercent(1000);
    form->ZoomIn();
    EXPECT_EQ(1000, form->page->ZoomPercent());
    form->page->SetZoomPercent(15);
    form->ZoomOut();
    EXPECT_EQ(10, form->page->ZoomPercent());
    form->ZoomOut();
    EXPECT_EQ(10, form->page->ZoomPercent());
    form->page->SetZoomPercent(100);
    form->ZoomOut();
    EXPECT_EQ(90, form->page->ZoomPercent());
    form->UpdateStatus();
    EXPECT_EQ("90 %", form->lblZoom->text());
    EXPECT_EQ("1 / 1", form->lblPages->text());
    EXPECT_FALSE(form->acNextPage->isEnabled());
}

TEST_F(PrintPreviewGui, NamedSettingsAreMadeAppliedAndKept)
{
    TestPrinterDevice printer;
    TRichGrid g;
    Fill(g, 3);
    {
        auto form = Preview(g, printer, "frmTest_print_settings");
        ASSERT_EQ(1u, form->Settings().size());
        EXPECT_EQ("Основна настройка", form->cbSettings->itemText(0));
        EXPECT_FALSE(form->acDeleteSetting->isEnabled());
        // Entry 0's columns do not toggle.
        form->ToggleColumnVisible(1);
        EXPECT_EQ(0, form->ColumnEye(1));

        testsupport::OnNextModal([](QWidget *w) {
            auto *dlg = qobject_cast<TfmPrintSelectName *>(w);
            ASSERT_NE(nullptr, dlg);
            dlg->edName->setText("Без сума");
            dlg->btnOk->click();
        });
        form->NewSetting();
        ASSERT_EQ(2u, form->Settings().size());
        EXPECT_EQ(1, form->cbSettings->currentIndex());
        form->ToggleColumnVisible(2);
        form->ToggleColumnStretch(1);
        EXPECT_EQ(1, form->ColumnEye(2));
        EXPECT_EQ(2, form->ColumnEye(1));
        form->chkDefault->click();
        EXPECT_TRUE(form->Settings()[1].Default);
        EXPECT_FALSE(form->Settings()[0].Default);
        form->ApplySetting();
        EXPECT_EQ(1, form->AppliedSetting());
        // The applied setting leaves the sum column off the pages.
        const QString text = PageText(*form->page->Pages().Items(0));
        EXPECT_TRUE(text.contains("Наименование"));
        EXPECT_FALSE(text.contains("Сума"));
    }
    QString stored;
    GetRegistrySetting("frmTest_print_settings", stored);
    EXPECT_TRUE(stored.startsWith(QString::fromUtf8("Без сума@1@1|1|@"))) << stored.toStdString();

    auto form = Preview(g, printer, "frmTest_print_settings");
    ASSERT_EQ(2u, form->Settings().size());
    EXPECT_EQ(1, form->AppliedSetting());
    EXPECT_EQ(1, form->cbSettings->currentIndex());
    EXPECT_TRUE(form->chkDefault->isChecked());
    // The default setting's columns apply from the first reformat on.
    EXPECT_TRUE(PageText(*form->page->Pages().Items(0)).contains("Сума"));
    form->Reformat();
    EXPECT_FALSE(PageText(*form->page->Pages().Items(0)).contains("Сума"));

    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbYes);
    form->DeleteSetting();
    ASSERT_EQ(1u, dialogs.Shown().size());
    EXPECT_EQ("Желаете ли да изтриете настройка:\rБез сума", dialogs.Shown()[0].Text);
    ASSERT_EQ(1u, form->Settings().size());
    EXPECT_TRUE(form->Settings()[0].Default);
    EXPECT_EQ(0, form->cbSettings->currentIndex());
}

TEST_F(PrintPreviewGui, ColumnGridTogglesMergedBlocksAndStretching)
{
    TestPrinterDevice printer;
    TRichGrid g;
    g.SetColCount(4);
    g.SetRowCount(3);
    g.SetFixedCols(0);
    g.SetFixedRows(2);
    g.SetRows(0, {"Код", "Количество", "", "Сума"});
    g.SetRows(1, {"", "бр.", "кг", ""});
    g.SetRows(2, {"1", "2", "3", "4"});
    g.MergeCells(1, 0, 2, 0);
    auto form = Preview(g, printer);
    TRichGrid &cols = *form->gridColumns;
    EXPECT_EQ(3, cols.RowCount());
    EXPECT_EQ("Количество", cols.Cells(1, 0));
    TGridRect block;
    cols.GetMergeRect(2, 0, block);
    EXPECT_EQ(1, block.Left);
    EXPECT_EQ(2, block.Right);

    testsupport::OnNextModal([](QWidget *w) {
        auto *dlg = qobject_cast<TfmPrintSelectName *>(w);
        ASSERT_NE(nullptr, dlg);
        dlg->edName->setText("Без количества");
        dlg->btnOk->click();
    });
    form->NewSetting();
    form->ToggleColumnVisible(2, 0); // the merged caption
    EXPECT_EQ(0, form->ColumnEye(0));
    EXPECT_EQ(1, form->ColumnEye(1));
    EXPECT_EQ(1, form->ColumnEye(2));
    form->ToggleColumnVisible(2, 1); // one sub-column
    EXPECT_EQ(1, form->ColumnEye(1));
    EXPECT_EQ(0, form->ColumnEye(2));
    // A right click on the eye row makes a shown column stretch; a hidden
    // one does not.
    form->acSelectColumns->trigger();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_TRUE(form->pnlSettings->isVisible());
    form->resize(1100, 800);
    form->page->ZoomToPage();
    form->grab().save(testsupport::OutputPath("print_preview.png"));
    const QRect eye = cols.CellRect(3, 2);
    QTest::mouseClick(cols.viewport(), Qt::RightButton, {}, eye.center());
    EXPECT_EQ(2, form->ColumnEye(3));
    const QRect hidden = cols.CellRect(1, 2);
    QTest::mouseClick(cols.viewport(), Qt::RightButton, {}, hidden.center());
    EXPECT_EQ(1, form->ColumnEye(1));
    QTest::mouseClick(cols.viewport(), Qt::LeftButton, {}, eye.center());
    EXPECT_EQ(1, form->ColumnEye(3));
    EXPECT_EQ(size_t(cols.ColCount()), form->Settings()[1].VisibleCols.size());
}

TEST_F(PrintPreviewGui, WithoutAKeyNothingIsStored)
{
    TestPrinterDevice printer;
    TRichGrid g;
    Fill(g, 2);
    auto form = Preview(g, printer);
    EXPECT_FALSE(form->chkSave->isChecked());
    EXPECT_FALSE(form->chkSave->isEnabled());
}

TEST_F(PrintPreviewGui, TextModeFeedsSheetBySheetToTheRawPrinter)
{
    TextModePreview run(60, "Край");
    const std::unique_ptr<TfmPrintPreview> &form = run.form;
    ASSERT_TRUE(form->TextMode());
    // Letter paper of the test printer: 216 x 279 mm.
    EXPECT_EQ(58, form->LinesPerPage());
    EXPECT_EQ(132, form->LineWidth());
    const TGridTextDocument &doc = form->TextDocument();
    ASSERT_EQ(2, doc.PageCount);
    EXPECT_EQ(2, form->page->PageCount());

    int waits = 0;
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        TfmPrintProgress *p = form->Progress();
        if (p->btnOk->isVisible()) {
            ++waits;
            EXPECT_TRUE(p->lblStatus->text().contains("стр. 2"));
            p->btnOk->click();
        }
    });
    feeder.start(0);
    ASSERT_TRUE(form->PrintPages());
    feeder.stop();
    EXPECT_EQ(1, waits);
    EXPECT_TRUE(form->Printed());
    QFile f(run.Out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(GridTextPageBytes(doc, 1) + GridTextPageBytes(doc, 2), f.readAll());
}

TEST_F(PrintPreviewGui, TextModeCancelledAtASheetIsNotPrinted)
{
    TextModePreview run(120);
    const std::unique_ptr<TfmPrintPreview> &form = run.form;
    ASSERT_EQ(3, form->TextDocument().PageCount);
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (form->Progress()->btnOk->isVisible())
            form->Progress()->btnCancel->click();
    });
    canceller.start(0);
    EXPECT_FALSE(form->PrintPages());
    EXPECT_FALSE(form->Printed());
}

// The preview is modal; the sheet-by-sheet question of the text mode is asked
// while it is open and must take the operator's click there, as a click
// reaches a window (through the window system, where modality applies).
TEST_F(PrintPreviewGui, TextModeSheetQuestionAnswersWhileThePreviewIsOpen)
{
    TextModePreview run(60);
    const std::unique_ptr<TfmPrintPreview> &form = run.form;
    ASSERT_EQ(2, form->TextDocument().PageCount);

    int clicks = 0, polls = 0;
    bool forced = false;
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        TfmPrintProgress *p = form->Progress();
        if (!p->btnOk->isVisible())
            return;
        if (++polls > 50) {
            // The click never got through: end the wait so the test can fail.
            forced = true;
            p->btnCancel->click();
            return;
        }
        if (polls % 10 == 1) {
            ++clicks;
            QTest::mouseClick(p->windowHandle(), Qt::LeftButton, {},
                              p->btnOk->mapTo(p, p->btnOk->rect().center()));
        }
    });
    QTimer::singleShot(0, form.get(), [&] {
        form->acPrint->trigger();
        feeder.stop();
        form->reject();
    });
    feeder.start(5);
    form->setWindowModality(Qt::ApplicationModal);
    form->exec();
    EXPECT_FALSE(forced);
    EXPECT_EQ(1, clicks);
    EXPECT_TRUE(form->Printed());
    QFile f(run.Out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(GridTextPageBytes(form->TextDocument(), 1) + GridTextPageBytes(form->TextDocument(), 2), f.readAll());
}

// The preview opens over the whole work area, even with no window manager to
// maximise it, and shows the page's width, so that its text reads at once.
TEST_F(PrintPreviewGui, PreviewOpensOverTheScreenShowingThePageWidth)
{
    TestPrinterDevice printer;
    SetPrintGridPrinter(&printer);
    TRichGrid g;
    Fill(g, 80);
    QSize size;
    QRect area;
    int zoom = 0, widthZoom = -1;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *form = qobject_cast<TfmPrintPreview *>(w);
        ASSERT_NE(nullptr, form);
        size = form->size();
        area = form->screen()->availableGeometry();
        zoom = form->page->ZoomPercent();
        form->page->ZoomToPageWidth();
        widthZoom = form->page->ZoomPercent();
        form->close();
    });
    PrintGrid(poPortrait, &g, "Списък", "", "", 0, "", "", false, false, false, true, "", "");
    SetPrintGridPrinter(nullptr);
    // Within a window frame of the work area.
    EXPECT_NEAR(area.width(), size.width(), 16);
    EXPECT_NEAR(area.height(), size.height(), 40);
    EXPECT_EQ(widthZoom, zoom);
}
