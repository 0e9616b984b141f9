#pragma once
// A printer for the tests: metrics chosen by the test (300 dpi Letter with
// quarter-inch edges unless told otherwise) and every printed page kept as
// a recorded page that the test can read.
#include <functional>
#include <memory>
#include <vector>

#include "platform/print/PrinterDevice.h"
#include "platform/print/RecordedPage.h"

namespace testsupport {

class TestPrinterDevice : public platform::PrinterDevice
{
public:
    // Sizes in device pixels, given for portrait.
    explicit TestPrinterDevice(int dpi = 300, QSize physical = QSize(2550, 3300),
                               QRect printable = QRect(75, 75, 2400, 3150));
    ~TestPrinterDevice() override;

    bool Available() const override { return true; }
    QString Name() const override { return QStringLiteral("Test printer"); }
    int LogPixelsX() const override { return dpi_; }
    int LogPixelsY() const override { return dpi_; }
    QSize PhysicalSize() const override;
    QRect PrintableArea() const override;

    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return painter_.isActive(); }
    QPainter &Canvas() override;

    // What reached the printer.
    std::vector<std::unique_ptr<platform::RecordedPage>> Printed;
    int Jobs = 0;
    int Ended = 0;
    int Aborted = 0;
    int CopiesAtBegin = 0;
    // Runs after each page is finished, with the number of pages so far.
    std::function<void(int)> OnPageDone;

private:
    void StartSheet();

    int dpi_;
    QSize physical_;
    QRect printable_;
    QPainter painter_;
};

// The first text run of a printed or recorded page, or empty.
QString FirstText(const platform::RecordedPage &page);

} // namespace testsupport
