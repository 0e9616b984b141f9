// A report filtered with F6: the "Сума за филтъра" row sums the rows shown
// and nothing else; the report's own "Общо:" row, a sum of every row, does
// not stand among the filtered rows. The print (F9) and the export (F10)
// show what the grid shows.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "framework/SimpleFilter.h"
#include "framework/unExport.h"
#include "framework/unPrintPreview.h"
#include "platform/print/RecordedPage.h"
#include "reports/unAnalit_po_klienti.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestPrinter.h"

namespace {

class ReportFilterTotalsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Customer(1, QStringLiteral("Вега"));
        Customer(2, QStringLiteral("Арда"));
        Customer(3, QStringLiteral("Бор"));
        Site(11, 1, QStringLiteral("Магазин Център"));
        Site(21, 2, QStringLiteral("Арда Север"));
        Site(31, 3, QStringLiteral("Бор Юг"));
        Receipt(1, 11, QDate(2026, 2, 15), 100.00);
        Receipt(2, 11, QDate(2026, 3, 5), 42.34);
        Receipt(3, 21, QDate(2026, 3, 12), 75.25);
        Receipt(4, 31, QDate(2026, 2, 28), 10.10);
        form.reset(CreateQuorendForm<TfrmAnalit_po_klienti>(nullptr, fsNormal));
        form->SetPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        ASSERT_TRUE(form->ShowForm());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ASSERT_TRUE(form->Execute());
    }
    void TearDown() override
    {
        form.reset();
        ReportTest::TearDown();
    }
    // The key pressed in the report's grid, the report the active window.
    void Key(int Key)
    {
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        form->UpdateActions();
        form->Grid->setFocus();
        QTest::keyClick(form->Grid, static_cast<Qt::Key>(Key));
    }

    std::unique_ptr<TfrmAnalit_po_klienti> form;
};

} // namespace

TEST_F(ReportFilterTotalsGui, TheFilterTotalSumsTheRowsShownInTheGridThePrintAndTheExport)
{
    ASSERT_EQ(GridRows(*form->Grid).last(), "Общо:||110.10|117.59|0.00|227.69");
    // F6: a closing balance of 100 or more, which the report's total also
    // has.
    testsupport::OnNextModal([](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmSimpleFilter *>(modal);
        ASSERT_NE(dialog, nullptr);
        auto *closing = qobject_cast<QLineEdit *>(dialog->Input(5));
        ASSERT_NE(closing, nullptr);
        closing->setText(QStringLiteral("100:"));
        dialog->actOk->trigger();
    });
    Key(Qt::Key_F6);
    ASSERT_TRUE(form->Filtered());
    EXPECT_EQ(GridRows(*form->Grid),
              QStringList({"1|Вега|100.00|42.34||142.34", "Сума за филтъра| |100.00|42.34| |142.34"}));
    EXPECT_EQ(form->StatusText(), "Общо: 1 реда");

    // F9: the preview's page.
    testsupport::TestPrinterDevice printer;
    SetPrintGridPrinter(&printer);
    QString printed;
    testsupport::OnNextModal([&](QWidget *w) {
        QPointer<TfmPrintPreview> preview(qobject_cast<TfmPrintPreview *>(w));
        ASSERT_FALSE(preview.isNull());
        for (const auto &run : preview->page->Pages().Items(0)->TextRuns())
            printed += run.text + QLatin1Char(' ');
        preview->close();
    });
    Key(Qt::Key_F9);
    SetPrintGridPrinter(nullptr);
    EXPECT_TRUE(printed.contains(QStringLiteral("Сума за филтъра"))) << printed.toStdString();
    EXPECT_EQ(printed.count(QStringLiteral("142.34")), 2) << printed.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("227.69"))) << printed.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("Общо:"))) << printed.toStdString();

    // F10: a text file, cells separated by tabs.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("receivables.txt"));
    testsupport::OnNextModal([&](QWidget *w) {
        QPointer<TfmExport> wizard(qobject_cast<TfmExport *>(w));
        ASSERT_FALSE(wizard.isNull());
        wizard->ChooseProgram(ecTabText);
        wizard->editFileName->setText(file);
        wizard->Next();
        wizard->checkLoadWordpad->setChecked(false);
        wizard->Next();
        EXPECT_EQ(wizard->LastResult(), erExported);
        wizard->reject();
    });
    Key(Qt::Key_F10);
    QFile exported(file);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(exported.readAll()).split(QStringLiteral("\r\n"));
    QStringList rows;
    for (const QString &line : lines)
        if (line.startsWith(QStringLiteral("1\t")) || line.startsWith(QStringLiteral("Сума")) ||
            line.contains(QStringLiteral("Общо")))
            rows << line.section(QLatin1Char('\t'), 0, 0) + QLatin1Char('|') + line.section(QLatin1Char('\t'), 5, 5);
    EXPECT_EQ(rows, QStringList({"1|142.34", "Сума за филтъра|142.34"})) << lines.join('\n').toStdString();
}
