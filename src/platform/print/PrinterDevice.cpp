#include "platform/print/PrinterDevice.h"

#include <QPrinter>
#include <QCoreApplication>
#include <QPrinterInfo>

namespace platform {

namespace {
// The class library's own texts for these refusals.
const char *const kNoDefaultPrinter = "There is no default printer currently selected";
const char *const kPrinting = "Printing in progress";
const char *const kNotPrinting = "Printer is not currently printing";
const char *const kInvalidPrinter = "Printer selected is not valid";
} // namespace

QtPrinterDevice::QtPrinterDevice(QPrinter *printer, bool takeOwnership)
    : printer_(printer), owns_(takeOwnership), queue_(printer->printerName()), sheet_(printer->pageLayout())
{
}

QtPrinterDevice::~QtPrinterDevice()
{
    if (painter_.isActive())
        painter_.end();
    if (owns_)
        delete printer_;
}

QString QtPrinterDevice::Name() const
{
    if (printer_->outputFormat() == QPrinter::PdfFormat)
        return printer_->outputFileName();
    return printer_->printerName();
}

int QtPrinterDevice::LogPixelsX() const { return printer_->resolution(); }
int QtPrinterDevice::LogPixelsY() const { return printer_->resolution(); }

QSize QtPrinterDevice::PhysicalSize() const
{
    return printer_->pageLayout().fullRectPixels(printer_->resolution()).size();
}

QRect QtPrinterDevice::PrintableArea() const
{
    return printer_->pageLayout().paintRectPixels(printer_->resolution());
}

QPageLayout::Orientation QtPrinterDevice::Orientation() const
{
    return printer_->pageLayout().orientation();
}

void QtPrinterDevice::SetOrientation(QPageLayout::Orientation orientation)
{
    printer_->setPageOrientation(orientation);
}

void QtPrinterDevice::ResetSheet(QPageLayout::Orientation orientation)
{
    QPageLayout sheet = sheet_;
    const QPrinterInfo queue(*printer_);
    if (!queue.isNull() && printer_->printerName() != queue_) {
        printer_->setPageSize(queue.defaultPageSize());
        sheet = printer_->pageLayout();
        sheet.setMargins(sheet.minimumMargins());
    }
    sheet.setOrientation(orientation);
    printer_->setPageLayout(sheet);
}

int QtPrinterDevice::Copies() const { return printer_->copyCount(); }
void QtPrinterDevice::SetCopies(int copies) { printer_->setCopyCount(copies); }
QString QtPrinterDevice::Title() const { return printer_->docName(); }
void QtPrinterDevice::SetTitle(const QString &title) { printer_->setDocName(title); }

void QtPrinterDevice::BeginDoc()
{
    if (painter_.isActive())
        throw EPrinter(kPrinting);
    if (!painter_.begin(printer_))
        throw EPrinter(kInvalidPrinter);
}

void QtPrinterDevice::NewPage()
{
    if (!painter_.isActive())
        throw EPrinter(kNotPrinting);
    if (!printer_->newPage())
        throw EPrinter(kInvalidPrinter);
}

void QtPrinterDevice::EndDoc()
{
    if (!painter_.isActive())
        throw EPrinter(kNotPrinting);
    painter_.end();
}

void QtPrinterDevice::Abort()
{
    if (!painter_.isActive())
        return;
    printer_->abort();
    painter_.end();
}

QPainter &QtPrinterDevice::Canvas()
{
    if (!painter_.isActive())
        throw EPrinter(kNotPrinting);
    return painter_;
}

void NoPrinterDevice::BeginDoc() { throw EPrinter(kNoDefaultPrinter); }
void NoPrinterDevice::NewPage() { throw EPrinter(kNoDefaultPrinter); }
void NoPrinterDevice::EndDoc() { throw EPrinter(kNoDefaultPrinter); }
void NoPrinterDevice::Abort() {}
QPainter &NoPrinterDevice::Canvas() { throw EPrinter(kNoDefaultPrinter); }

namespace {
PrinterDevice *g_applicationPrinter = nullptr;
PrinterDevice *g_printerInItsPlace = nullptr;

// The Qt printer must go before the application object does.
void FreeApplicationPrinter()
{
    delete g_applicationPrinter;
    g_applicationPrinter = nullptr;
}
} // namespace

PrinterDevice &ApplicationPrinter()
{
    if (g_printerInItsPlace)
        return *g_printerInItsPlace;
    if (!g_applicationPrinter) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            g_applicationPrinter = new NoPrinterDevice();
        else
            g_applicationPrinter = new QtPrinterDevice(new QPrinter(info, QPrinter::HighResolution), true);
        qAddPostRoutine(FreeApplicationPrinter);
    }
    return *g_applicationPrinter;
}

void SetApplicationPrinter(PrinterDevice *printer) { g_printerInItsPlace = printer; }

} // namespace platform
