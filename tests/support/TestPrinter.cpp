#include "support/TestPrinter.h"

namespace testsupport {

TestPrinterDevice::TestPrinterDevice(int dpi, QSize physical, QRect printable)
    : dpi_(dpi), physical_(physical), printable_(printable)
{
}

TestPrinterDevice::~TestPrinterDevice()
{
    if (painter_.isActive())
        painter_.end();
}

QSize TestPrinterDevice::PhysicalSize() const
{
    return orientation_ == QPageLayout::Landscape ? physical_.transposed() : physical_;
}

QRect TestPrinterDevice::PrintableArea() const
{
    if (orientation_ == QPageLayout::Landscape)
        return QRect(printable_.top(), printable_.left(), printable_.height(), printable_.width());
    return printable_;
}

void TestPrinterDevice::StartSheet()
{
    const QRect area = PrintableArea();
    Printed.push_back(std::make_unique<platform::RecordedPage>(area.size(), dpi_, dpi_));
    painter_.begin(Printed.back().get());
}

void TestPrinterDevice::BeginDoc()
{
    if (painter_.isActive())
        throw EPrinter(QStringLiteral("Printing in progress"));
    ++Jobs;
    CopiesAtBegin = copies_;
    StartSheet();
}

void TestPrinterDevice::NewPage()
{
    if (OnPageDone)
        OnPageDone(int(Printed.size()));
    painter_.end();
    StartSheet();
}

void TestPrinterDevice::EndDoc()
{
    painter_.end();
    ++Ended;
    if (OnPageDone)
        OnPageDone(int(Printed.size()));
}

void TestPrinterDevice::Abort()
{
    if (painter_.isActive())
        painter_.end();
    ++Aborted;
}

QPainter &TestPrinterDevice::Canvas()
{
    if (!painter_.isActive())
        throw EPrinter(QStringLiteral("Printer is not currently printing"));
    return painter_;
}

QString FirstText(const platform::RecordedPage &page)
{
    const auto runs = page.TextRuns();
    return runs.isEmpty() ? QString() : runs.first().text;
}

} // namespace testsupport
