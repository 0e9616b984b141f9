// The page printer's windows: the preview inside the component, and the
// progress dialog with its Cancel button during Print.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include "framework/PagePrintProgress.h"
#include "framework/TextPagePrinter.h"
#include "support/TestEnv.h"
#include "support/TestPrinter.h"

using testsupport::FirstText;
using testsupport::TestPrinterDevice;

namespace {

TPagePrintProgressDlg *ProgressDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<TPagePrintProgressDlg *>(w))
            return dialog;
    return nullptr;
}

void WritePages(TTextPagePrinter &page, int count)
{
    page.BeginDoc();
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            page.NewPage();
        page.WriteLine(QString("page %1").arg(i));
    }
    page.EndDoc();
}

bool IsDark(QRgb pixel) { return qGray(pixel) < 100; }

} // namespace

TEST(TextPagePrinterGui, PreviewShowsThePageWithItsTextShadowAndMargins)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.resize(700, 900);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.SetMarginLeft(1);
    page.SetMarginTop(1);
    page.SetShowGutter(true);
    page.SetFont(QFont("Courier New", 14));
    page.BeginDoc();
    page.SetAlignment(TTextPagePrinter::taCenter);
    page.WriteAlignedLine("СТОКОВА РАЗПИСКА № 0000123");
    page.NewLine();
    for (int i = 1; i <= 20; ++i) {
        page.WriteLine(QString("   Ред %1: хляб бял 0.500 кг ............ %2.00").arg(i, 2).arg(i * 3, 4));
        page.NewLine();
    }
    page.EndDoc();
    page.ZoomToPageWidth();

    // Fit to width: the page fills the client width less a scroll bar and
    // the shadow.
    const int dpi = page.viewport()->logicalDpiX();
    const int bar = page.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &page);
    const int expected = int((300.0 / dpi) * (page.viewport()->width() - bar - 12) * 100.0 / 2550);
    EXPECT_EQ(page.ZoomPercent(), expected);

    const QImage shot = page.viewport()->grab().toImage();
    shot.save(testsupport::OutputPath("page_printer_preview.png"));
    const int pageWidth = page.PageWidthOnScreen();
    const int left = (page.viewport()->width() - pageWidth) / 2;
    ASSERT_GT(left, 0);
    // The gradient starts black at the top, the page is white.
    EXPECT_TRUE(IsDark(shot.pixel(2, 2)));
    EXPECT_EQ(QColor(shot.pixel(left + pageWidth / 2, 3 * page.PageHeightOnScreen() / 4)), QColor(Qt::white));
    // Text: dark pixels in the band of the first lines, below the top margin.
    const int top = -page.verticalScrollBar()->value() + (qMax(page.viewport()->height(), page.PageHeightOnScreen() + 12) - page.PageHeightOnScreen()) / 2;
    int dark = 0;
    for (int y = top + page.PageHeightOnScreen() * 25 / 1100; y < top + page.PageHeightOnScreen() * 150 / 1100; ++y)
        for (int x = left + 5; x < left + pageWidth - 5; ++x)
            if (y >= 0 && y < shot.height() && IsDark(shot.pixel(x, y)))
                ++dark;
    EXPECT_GT(dark, 200);
}

TEST(TextPagePrinterGui, PreviewZoomsToThePageAndTurnsPages)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.resize(500, 400);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    WritePages(page, 3);
    page.SetZoomLocation(zlCenter);
    page.ZoomToPage();
    // A landscape window fits the page by its height.
    EXPECT_LE(page.PageHeightOnScreen(), page.viewport()->height());
    page.SetZoomPercent(200);
    EXPECT_GT(page.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(page.horizontalScrollBar()->value(), (page.PageWidthOnScreen() + 12 - page.viewport()->width()) / 2);
    page.SetZoomLocation(zlTopLeft);
    page.SetCurrentPage(3);
    EXPECT_EQ(page.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(page.verticalScrollBar()->value(), 0);
    EXPECT_EQ(page.CurrentPage(), 3);
    page.viewport()->grab().save(testsupport::OutputPath("page_printer_preview_zoom200.png"));
}

TEST(TextPagePrinterGui, MouseEventsReachTheComponentInPaintBoxCoordinates)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.resize(400, 300);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.SetZoomPercent(100);
    page.horizontalScrollBar()->setValue(40);
    QObject *downSender = nullptr;
    QPoint down;
    Qt::MouseButton button = Qt::NoButton;
    page.OnMouseDown = [&](QObject *sender, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        downSender = sender;
        button = b;
        down = QPoint(x, y);
    };
    QTest::mousePress(page.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
    EXPECT_EQ(downSender, &page);
    EXPECT_EQ(button, Qt::LeftButton);
    EXPECT_EQ(down, QPoint(50, 20 + page.verticalScrollBar()->value()));

    // Moves come from the paint box, releases from the component.
    page.verticalScrollBar()->setValue(25);
    QObject *moveSender = nullptr;
    QPoint moved;
    QObject *upSender = nullptr;
    QPoint up;
    Qt::MouseButton upButton = Qt::NoButton;
    page.OnMouseMove = [&](QObject *sender, Qt::KeyboardModifiers, int x, int y) {
        moveSender = sender;
        moved = QPoint(x, y);
    };
    page.OnMouseUp = [&](QObject *sender, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        upSender = sender;
        upButton = b;
        up = QPoint(x, y);
    };
    QTest::mouseMove(page.viewport(), QPoint(30, 40));
    EXPECT_EQ(moveSender, page.viewport());
    EXPECT_EQ(moved, QPoint(30 + 40, 40 + 25));
    QTest::mouseRelease(page.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(12, 14));
    EXPECT_EQ(upSender, &page);
    EXPECT_EQ(upButton, Qt::RightButton);
    EXPECT_EQ(up, QPoint(12 + 40, 14 + 25));
}

TEST(TextPagePrinterGui, ProgressDialogFollowsThePrint)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetTitle("Text Page Printer");
    WritePages(page, 3);
    page.SetPrintFromPage(2);
    page.SetPrintToPage(3);
    page.SetCopies(2);
    std::vector<QString> seen;
    printer.OnPageDone = [&](int) {
        TPagePrintProgressDlg *dialog = ProgressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowTitle(), "Text Page Printer");
        EXPECT_EQ(dialog->lblStatus->text(), "Отпечатване на страниците, моля изчакайте ...");
        EXPECT_EQ(dialog->ProgBar->maximum(), 4);
        seen.push_back(dialog->lblPageNumber->text() + " #" + QString::number(dialog->ProgBar->value()));
    };
    EXPECT_TRUE(page.Print());
    EXPECT_EQ(seen, (std::vector<QString>{"стр.: 2 / 2 #1", "стр.: 3 / 2 #2", "стр.: 2 / 2 #3", "стр.: 3 / 2 #4"}));
    EXPECT_EQ(ProgressDialog(), nullptr);

    page.SetProgressMessage("Печат на фактура");
    printer.OnPageDone = [&](int) { EXPECT_EQ(ProgressDialog()->lblStatus->text(), "Печат на фактура"); };
    EXPECT_TRUE(page.Print());
}

TEST(TextPagePrinterGui, ProgressDialogWithoutCancelHidesTheButton)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetShowCancel(false);
    WritePages(page, 2);
    bool checked = false;
    printer.OnPageDone = [&](int) {
        TPagePrintProgressDlg *dialog = ProgressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->btnCancel->isVisible());
        EXPECT_EQ(dialog->height(), 98 * dialog->logicalDpiY() / 96);
        checked = true;
    };
    EXPECT_TRUE(page.Print());
    EXPECT_TRUE(checked);
}

TEST(TextPagePrinterGui, CancelEndsThePrintBeforeTheNextPage)
{
    TestPrinterDevice printer;
    printer.SetCopies(3);
    TTextPagePrinter page(nullptr, &printer);
    WritePages(page, 3);
    printer.OnPageDone = [&](int sent) {
        if (sent == 1)
            QTest::mouseClick(ProgressDialog()->btnCancel, Qt::LeftButton);
    };
    EXPECT_FALSE(page.Print());
    // Page 1 went out; the job was ended normally, not aborted.
    ASSERT_GE(printer.Printed.size(), 1u);
    EXPECT_EQ(FirstText(*printer.Printed.front()), "page 1");
    for (size_t i = 1; i < printer.Printed.size(); ++i)
        EXPECT_TRUE(printer.Printed[i]->IsEmpty());
    EXPECT_EQ(printer.Ended, 1);
    EXPECT_EQ(printer.Aborted, 0);
    EXPECT_EQ(ProgressDialog(), nullptr);
    // After a cancel the printer keeps the single copy it printed with.
    EXPECT_EQ(printer.Copies(), 1);

    page.SetAbortOnCancel(true);
    printer.Printed.clear();
    EXPECT_FALSE(page.Print());
    EXPECT_EQ(printer.Aborted, 1);
    EXPECT_EQ(printer.Ended, 1);
    EXPECT_FALSE(printer.Printing());

    // Esc in the dialog cancels as the button does.
    printer.OnPageDone = [&](int sent) {
        if (sent == 1)
            QTest::keyClick(ProgressDialog(), Qt::Key_Escape);
    };
    printer.Printed.clear();
    EXPECT_FALSE(page.Print());
    EXPECT_EQ(printer.Aborted, 2);
}

namespace {
// Counts the preview paints.
class CountingPagePrinter : public TTextPagePrinter
{
public:
    using TTextPagePrinter::TTextPagePrinter;
    int Paints = 0;

protected:
    void PaintPreview(QPainter &painter) override
    {
        ++Paints;
        TTextPagePrinter::PaintPreview(painter);
    }
};
} // namespace

TEST(TextPagePrinterGui, NoRepaintWhileUpdatesAreHeld)
{
    TestPrinterDevice printer;
    CountingPagePrinter page(nullptr, &printer);
    page.resize(300, 300);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QApplication::processEvents();
    page.Paints = 0;
    page.BeginUpdate();
    page.BeginUpdate();
    page.SetShowMargins(false);
    page.SetShadowColor(clRed);
    page.SetGradientBackground(false);
    QApplication::processEvents();
    EXPECT_EQ(page.Paints, 0);
    page.EndUpdate();
    QApplication::processEvents();
    EXPECT_EQ(page.Paints, 0);
    page.EndUpdate();
    QApplication::processEvents();
    EXPECT_GE(page.Paints, 1);
    // An unpaired EndUpdate does not drive the counter below zero.
    page.EndUpdate();
    page.Paints = 0;
    page.SetShowGutter(true);
    QApplication::processEvents();
    EXPECT_GE(page.Paints, 1);
}

TEST(TextPagePrinterGui, ZoomLocationPlacesTheScrollPositions)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.resize(400, 300);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    WritePages(page, 2);
    page.SetZoomLocation(zlTopCenter);
    page.SetZoomPercent(150);
    QScrollBar *h = page.horizontalScrollBar();
    QScrollBar *v = page.verticalScrollBar();
    const int rangeH = page.PageWidthOnScreen() + 2 * (5 + 1);
    const int rangeV = page.PageHeightOnScreen() + 2 * (5 + 1);
    EXPECT_EQ(h->maximum(), rangeH - page.viewport()->width());
    EXPECT_EQ(v->maximum(), rangeV - page.viewport()->height());
    EXPECT_EQ(h->value(), (rangeH - page.viewport()->width()) / 2);
    EXPECT_EQ(v->value(), 0);

    // zlSame moves each position on by one pixel.
    page.SetZoomLocation(zlSame);
    h->setValue(30);
    v->setValue(40);
    page.SetCurrentPage(2);
    EXPECT_EQ(h->value(), 31);
    EXPECT_EQ(v->value(), 41);

    // A wider shadow widens the scroll range.
    page.SetZoomLocation(zlTopLeft);
    page.SetShadowOffset(20);
    EXPECT_EQ(h->maximum(), page.PageWidthOnScreen() + 2 * (20 + 1) - page.viewport()->width());
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), 0);
}

