#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include "platform/print/PrinterDevice.h"

TEST(PrinterDevice, PdfPrinterAnswersMetricsInDevicePixels)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("out.pdf"));
    printer.setResolution(300);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
    platform::QtPrinterDevice device(&printer);

    EXPECT_TRUE(device.Available());
    EXPECT_EQ(device.LogPixelsX(), 300);
    // A4 is taken in whole points (595 x 842) by the page layout.
    EXPECT_EQ(device.PhysicalSize(), QSize(2479, 3508));
    EXPECT_EQ(device.PrintableArea().topLeft(), QPoint(71, 71));

    device.SetOrientation(QPageLayout::Landscape);
    EXPECT_EQ(device.PhysicalSize(), QSize(3508, 2479));
    // Paper and margins a dialog left: a printout starts from the own sheet.
    printer.setPageSize(QPageSize(QPageSize::A3));
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    device.ResetSheet(QPageLayout::Portrait);
    EXPECT_EQ(device.PhysicalSize(), QSize(2479, 3508));
    EXPECT_EQ(device.PrintableArea().topLeft(), QPoint(71, 71));

    device.SetTitle("Job name");
    device.SetCopies(3);
    EXPECT_EQ(printer.docName(), "Job name");
    EXPECT_EQ(printer.copyCount(), 3);

    EXPECT_THROW(device.NewPage(), EPrinter);
    device.BeginDoc();
    EXPECT_TRUE(device.Printing());
    EXPECT_THROW(device.BeginDoc(), EPrinter);
    device.Canvas().drawText(100, 100, "x");
    device.NewPage();
    device.EndDoc();
    EXPECT_FALSE(device.Printing());
    QFile pdf(dir.filePath("out.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

TEST(PrinterDevice, NoPrinterRefusesEveryJob)
{
    platform::NoPrinterDevice none;
    EXPECT_FALSE(none.Available());
    try {
        none.BeginDoc();
        FAIL();
    } catch (const EPrinter &e) {
        EXPECT_EQ(e.Message(), "There is no default printer currently selected");
    }
    EXPECT_THROW(none.Canvas(), EPrinter);
    EXPECT_FALSE(none.Printing());
}
