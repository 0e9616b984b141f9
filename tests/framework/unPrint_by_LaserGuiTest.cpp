// The page road of printed documents: the preview window, its zoom, its
// orientation, its status bar and printing from it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <map>

#include "components/ExtStatusBar.h"
#include "framework/unPrint_by_Laser.h"
#include "framework/unTextDocument.h"
#include "platform/print/PrinterDevice.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestPrinter.h"

using testsupport::TestPrinterDevice;

namespace {

// The texts of a page by line: runs on one baseline joined left to right.
QStringList PageLines(const platform::RecordedPage &page)
{
    std::map<int, std::vector<std::pair<qreal, QString>>> byLine;
    for (const auto &run : page.TextRuns())
        byLine[qRound(run.baseline.y())].push_back({run.baseline.x(), run.text});
    QStringList lines;
    for (auto &[y, runs] : byLine) {
        std::sort(runs.begin(), runs.end());
        QString line;
        for (const auto &r : runs)
            line += r.second;
        lines << line;
    }
    return lines;
}

QStringList DocumentLines(const TTextPagePrinter &page)
{
    QStringList all;
    for (int i = 0; i < page.PageCount(); ++i)
        all << PageLines(*page.Pages().Items(i));
    return all;
}

} // namespace

TEST(PrintByLaserGui, PageRoadPreviewsTheLinesAfterABlankLineIndentedByThree)
{
    QStringList seen;
    int spacing = -1;
    QString caption;
    bool maximised = false;
    testsupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TfrmPrint_by_Laser *>(modal);
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        maximised = form->isMaximized();
        spacing = form->page->LineSpacing();
        seen = DocumentLines(*form->page);
        QTest::keyClick(form, Qt::Key_Escape);
    });
    ASSERT_TRUE(PrintTextDocumentByLaser(nullptr, {"СТОКОВА РАЗПИСКА", "", "ред 3"}, true));
    EXPECT_EQ(caption, "Печат на лазерен или мастиленоструен принтер");
    EXPECT_TRUE(maximised);
    EXPECT_EQ(spacing, lsSingleAndAHalf);
    EXPECT_EQ(seen, (QStringList{" ", "   СТОКОВА РАЗПИСКА", "   ", "   ред 3"})) << seen.join('|').toStdString();
    // The window is freed after.
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfrmPrint_by_Laser *>(w), nullptr);
}

TEST(PrintByLaserGui, ZoomStepsByTenAndStopsAtItsLowerBound)
{
    TestPrinterDevice printer;
    TfrmPrint_by_Laser form(nullptr, &printer);
    EXPECT_EQ(form.page->ZoomPercent(), 100);
    EXPECT_EQ(form.StatusText(2), "100 %");
    form.btnZoomIn->click();
    EXPECT_EQ(form.page->ZoomPercent(), 110);
    EXPECT_EQ(form.StatusText(2), "110 %");
    for (int i = 0; i < 30; ++i)
        form.btnZoomOut->click();
    EXPECT_EQ(form.page->ZoomPercent(), TfrmPrint_by_Laser::MinZoomPercent);
    EXPECT_EQ(form.StatusText(2), "10 %");
}

TEST(PrintByLaserGui, StatusBarShowsPrinterSheetAndPages)
{
    // Letter at 300 dpi: 2550 x 3300 pixels, 215.9 mm x 279.4 mm.
    TestPrinterDevice printer;
    TfrmPrint_by_Laser form(nullptr, &printer);
    form.page->BeginDoc();
    form.page->WriteLine("x");
    form.page->EndDoc();
    form.UpdateStatusBar();
    EXPECT_EQ(form.StatusText(0), "Test printer");
    EXPECT_EQ(form.StatusText(1), "216 mm x 279 mm");
    EXPECT_EQ(form.StatusText(3), "1 / 1");
    EXPECT_EQ(form.sbStatusBar->Panels()->Count(), 4);
    EXPECT_EQ(form.sbStatusBar->Panels()->GetItem(0)->Width(), 250);
    EXPECT_EQ(form.sbStatusBar->Panels()->GetItem(1)->Text(), "216 mm x 279 mm");
    form.btnLandscape->click();
    EXPECT_EQ(form.page->Orientation(), poLandscape);
    EXPECT_EQ(form.StatusText(1), "279 mm x 216 mm");
    EXPECT_TRUE(form.btnLandscape->isChecked());
    EXPECT_FALSE(form.btnPortrait->isChecked());
    form.btnPortrait->click();
    EXPECT_EQ(form.page->Orientation(), poPortrait);
}

TEST(PrintByLaserGui, WithoutAnyPrinterThePreviewStillOpens)
{
    platform::NoPrinterDevice none;
    TfrmPrint_by_Laser form(nullptr, &none);
    form.page->BeginDoc();
    form.page->WriteLine("   ред");
    form.page->NewLine();
    form.page->EndDoc();
    EXPECT_EQ(form.page->PageCount(), 1);
    EXPECT_EQ(form.StatusText(0), "Няма принтер");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Printing then says so instead of failing.
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnPrintClick());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Няма инсталиран принтер.");
}

TEST(PrintByLaserGui, PrintTakesCopiesAndRangeFromTheDialog)
{
    TestPrinterDevice printer;
    TfrmPrint_by_Laser form(nullptr, &printer);
    form.page->BeginDoc();
    for (int p = 1; p <= 3; ++p) {
        if (p > 1)
            form.page->NewPage();
        form.page->WriteLine(QString("страница %1").arg(p));
    }
    form.page->EndDoc();
    TLaserPrintChoice asked;
    form.PrintDialog = [&](TLaserPrintChoice &c) {
        asked = c;
        c.Copies = 2;
        c.Collate = true;
        c.PageNumbers = true;
        c.FromPage = 2;
        c.ToPage = 3;
        return true;
    };
    ASSERT_TRUE(form.btnPrintClick());
    EXPECT_EQ(asked.MaxPage, 3);
    EXPECT_EQ(asked.FromPage, 1);
    EXPECT_EQ(asked.ToPage, 1);
    ASSERT_EQ(printer.Printed.size(), 4u);
    EXPECT_EQ(testsupport::FirstText(*printer.Printed[0]), "страница 2");
    EXPECT_EQ(testsupport::FirstText(*printer.Printed[1]), "страница 3");
    EXPECT_EQ(testsupport::FirstText(*printer.Printed[2]), "страница 2");

    // Cancelled: nothing more is printed.
    form.PrintDialog = [](TLaserPrintChoice &) { return false; };
    EXPECT_FALSE(form.btnPrintClick());
    EXPECT_EQ(printer.Printed.size(), 4u);
}

// A document longer than a sheet: PgDn, PgUp, the page buttons and the wheel
// past a page's edge turn pages, and the status bar reads whole and dark.
TEST(PrintByLaserGui, PreviewTurnsPagesByKeysButtonsAndWheel)
{
    TestPrinterDevice printer;
    TfrmPrint_by_Laser form(nullptr, &printer);
    form.page->BeginDoc();
    for (int i = 1; i <= 150; ++i) {
        form.page->WriteLine(QStringLiteral("ред %1").arg(i));
        form.page->NewLine();
    }
    form.page->EndDoc();
    ASSERT_GE(form.page->PageCount(), 2);
    const int pages = form.page->PageCount();
    form.resize(1000, 700);
    form.show();
    form.UpdateStatusBar();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.page->setFocus();
    EXPECT_FALSE(form.btnPrevPage->isEnabled());

    QTest::keyClick(form.page, Qt::Key_PageDown);
    EXPECT_EQ(form.page->CurrentPage(), 2);
    EXPECT_EQ(form.StatusText(3), QStringLiteral("2 / %1").arg(pages));
    EXPECT_TRUE(form.btnPrevPage->isEnabled());
    QTest::keyClick(form.page, Qt::Key_PageUp);
    EXPECT_EQ(form.page->CurrentPage(), 1);
    QTest::keyClick(form.page, Qt::Key_PageUp);
    EXPECT_EQ(form.page->CurrentPage(), 1);
    QTest::keyClick(form.page, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(form.page->CurrentPage(), pages);
    form.btnPrevPage->click();
    EXPECT_EQ(form.page->CurrentPage(), pages - 1);
    QTest::keyClick(form.page, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(form.page->CurrentPage(), 1);
    form.btnNextPage->click();
    EXPECT_EQ(form.page->CurrentPage(), 2);
    QTest::keyClick(form.page, Qt::Key_PageUp);

    // The wheel: down to the bottom of page 1, then once more turns the page.
    auto wheel = [&](int delta) {
        const QPoint at = form.page->viewport()->rect().center();
        QWheelEvent e(at, form.page->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.page->viewport(), &e);
    };
    for (int i = 0; i < 200 && form.page->CurrentPage() == 1; ++i)
        wheel(-120);
    EXPECT_EQ(form.page->CurrentPage(), 2);
    EXPECT_EQ(form.page->verticalScrollBar()->value(), form.page->verticalScrollBar()->minimum());
    wheel(120);
    EXPECT_EQ(form.page->CurrentPage(), 1);

    // The sheet panel holds its text after the image; the text is dark.
    TExtStatusPanel *sheet = form.sbStatusBar->Panels()->GetItem(1);
    const QFontMetrics metrics(form.sbStatusBar->font());
    EXPECT_GE(sheet->Width(), metrics.horizontalAdvance(sheet->Text()) + metrics.height());
    const QImage bar = form.sbStatusBar->grab().toImage();
    int dark = 0;
    for (int y = 0; y < bar.height(); ++y)
        for (int x = 250; x < std::min(bar.width(), 250 + sheet->Width()); ++x)
            if (qGray(bar.pixel(x, y)) < 100)
                ++dark;
    EXPECT_GT(dark, 20);
}
