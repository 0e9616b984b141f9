#pragma once
// What the goods-receipt and invoice tests share: a main window with an MDI
// area for the windows under test, the one-window fixture with its line and
// grid helpers, a fixed print moment, and the checks of a printout on its
// two roads and of a failing lines query.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateTime>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "framework/QuorendFormClasses.h"
#include "framework/unPrintPreview.h"
#include "framework/unPrint_by_Laser.h"
#include "framework/unTextDocument.h"
#include "platform/print/PrinterDevice.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace testsupport {

// A shown main window whose MDI area the forms open in while it lives.
class MdiMainWindow
{
protected:
    void OpenMainWindow(int Width = 1200)
    {
        main_ = std::make_unique<QMainWindow>();
        area_ = new QMdiArea(main_.get());
        main_->setCentralWidget(area_);
        main_->resize(Width, 800);
        main_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
        SetMainForm(main_.get(), area_);
        SetFormShower(ShowQuorendForm);
    }
    // Every form still open is closed without its question, then the window.
    void CloseMainWindow()
    {
        if (area_)
            for (QMdiSubWindow *sub : area_->subWindowList())
                if (auto *form = qobject_cast<TQuorendForm *>(sub->widget())) {
                    form->SetModified(false);
                    form->Close();
                }
        QCoreApplication::processEvents();
        SetFormShower(nullptr);
        SetMainForm(nullptr, nullptr);
        main_.reset();
        area_ = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<QMainWindow> main_;
    QMdiArea *area_ = nullptr;
};

// A database fixture with the main window, for the tests of one kind of
// sales document window.
template <class Fixture, class Form>
class SalesWindowTest : public Fixture, protected MdiMainWindow
{
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        OpenMainWindow();
    }
    void TearDown() override
    {
        CloseMainWindow();
        Fixture::TearDown();
    }

    // A line through the editors and F4, with a discount ('-') or markup
    // ('+') of percent; the switches are off again afterwards.
    void AddLine(Form *form, const QString &code, const QString &amount, char kind = 0,
                 const QString &percent = QString())
    {
        form->pcMain->setCurrentWidget(form->tabGoods);
        form->leIzdelie->clear();
        form->leIzdelie->setText(code);
        form->edAmount->SetText(amount);
        if (kind == '-')
            form->cbDiscount->click();
        if (kind == '+')
            form->cbOverValue->click();
        if (!percent.isEmpty())
            form->edDiscountPerc->SetText(percent);
        form->actNew->trigger();
        if (form->cbDiscount->isChecked())
            form->cbDiscount->click();
        if (form->cbOverValue->isChecked())
            form->cbOverValue->click();
    }

    // The cells of a grid row from column from.
    QStringList GridLine(Form *form, int row, int from = 0)
    {
        QStringList cells;
        for (int c = from; c < 10; ++c)
            cells << form->GridGoods->Cells(c, row);
        return cells;
    }
};

// Documents print as of Moment while it lives.
class FixedPrintMoment
{
public:
    explicit FixedPrintMoment(const QDateTime &Moment)
    {
        SetDocumentPrintMomentForTests([Moment] { return Moment; });
    }
    ~FixedPrintMoment() { SetDocumentPrintMomentForTests(nullptr); }
    FixedPrintMoment(const FixedPrintMoment &) = delete;
    FixedPrintMoment &operator=(const FixedPrintMoment &) = delete;
};

// Print prints on the raw road without a dialog, as the data file has it.
inline void ExpectRawPrint(const std::function<bool()> &Print, const QString &DataFile)
{
    RawPrinterFile prn;
    ScopedDialogAnswers dialogs;
    ASSERT_TRUE(Print());
    EXPECT_TRUE(dialogs.Shown().empty());
    ExpectLinesAsFile(prn.Lines(), DataFile);
}

// Print previews on the page road, printing nothing raw: the runs of its
// first page.
inline QStringList PagePreviewRuns(const std::function<bool()> &Print)
{
    QStringList seen;
    OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TfrmPrint_by_Laser *>(modal);
        ASSERT_NE(form, nullptr);
        for (const auto &run : form->page->Pages().Items(0)->TextRuns())
            seen << run.text;
        form->reject();
    });
    RawPrinterFile prn;
    EXPECT_TRUE(Print());
    EXPECT_FALSE(prn.Exists());
    return seen;
}

// Print previews on the page road after a list was previewed in landscape
// and A3 chosen for it, on the one printer every printout shares: the
// document's sheet as its status bar gives it ("210 mm x 297 mm").
inline QString PreviewSheetAfterALandscapeList(const std::function<bool()> &Print)
{
    QTemporaryDir dir;
    QPrinter a4(QPrinter::HighResolution);
    a4.setOutputFileName(dir.filePath("out.pdf"));
    a4.setPageSize(QPageSize(QPageSize::A4));
    platform::QtPrinterDevice shared(&a4);
    platform::SetApplicationPrinter(&shared);
    TRichGrid grid;
    TfmPrintPreview(poLandscape, &grid, "Опис на фактури", "", "", "", "", "", 0, false, false, false, "");
    a4.setPageSize(QPageSize(QPageSize::A3));
    QString sheet;
    OnNextModal([&](QWidget *modal) {
        if (auto *form = qobject_cast<TfrmPrint_by_Laser *>(modal))
            sheet = form->StatusText(1);
        qobject_cast<QDialog *>(modal)->reject();
    });
    RawPrinterFile prn;
    EXPECT_TRUE(Print());
    platform::SetApplicationPrinter(nullptr);
    return sheet;
}

// With the lines' table gone, the print answers false after showing the
// database's error ending in FailedSql, and nothing is printed.
inline void ExpectLinesQueryFailure(ScopedDialogAnswers &dialogs, const std::function<bool()> &Print,
                                    const QString &FailedSql)
{
    RawPrinterFile prn;
    EXPECT_FALSE(Print());
    EXPECT_FALSE(prn.Exists());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("Грешка при работа с базата данни !\n\r"));
    EXPECT_TRUE(dialogs.Texts()[0].endsWith(FailedSql));
}

} // namespace testsupport
