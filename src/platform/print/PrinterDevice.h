#pragma once
// The printer as the page layout sees it: its metrics in device pixels
// and a print job
// drawn page by page on its canvas. Three kinds stand behind it: a Qt
// printer (a CUPS queue, or a PDF file), "no printer installed", and the
// recording printer of the tests.
#include <QPageLayout>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

#include "platform/print/PrintErrors.h"

class QPrinter;

namespace platform {

class PrinterDevice
{
public:
    virtual ~PrinterDevice() = default;

    // False when there is no printer to ask: the metrics below are then
    // meaningless and every job operation raises EPrinter.
    virtual bool Available() const = 0;
    virtual QString Name() const = 0;

    // LOGPIXELSX / LOGPIXELSY
    virtual int LogPixelsX() const = 0;
    virtual int LogPixelsY() const = 0;
    // PHYSICALWIDTH / PHYSICALHEIGHT
    virtual QSize PhysicalSize() const = 0;
    // PHYSICALOFFSETX / PHYSICALOFFSETY as the corner, HORZRES / VERTRES as
    // the size: the part of the sheet the printer can reach.
    virtual QRect PrintableArea() const = 0;

    virtual QPageLayout::Orientation Orientation() const { return orientation_; }
    virtual void SetOrientation(QPageLayout::Orientation orientation) { orientation_ = orientation; }
    // A printout begins: the printer's own sheet (its paper and margins),
    // turned to orientation, whatever an earlier printout or dialog left
    // on this printer, which every printout shares.
    virtual void ResetSheet(QPageLayout::Orientation orientation) { SetOrientation(orientation); }
    virtual int Copies() const { return copies_; }
    virtual void SetCopies(int copies) { copies_ = copies; }
    // The job's name.
    virtual QString Title() const { return title_; }
    virtual void SetTitle(const QString &title) { title_ = title; }

    // A job: BeginDoc, drawing on Canvas(), NewPage between pages, then
    // EndDoc (or Abort). The canvas origin is the corner of the printable
    // area, one unit per device pixel.
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    virtual bool Printing() const = 0;
    virtual QPainter &Canvas() = 0;

    // The Qt printer behind the device, for the print dialogs; null for the
    // devices that have none.
    virtual QPrinter *QtPrinter() { return nullptr; }

protected:
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
    int copies_ = 1;
    QString title_;
};

// A Qt printer: a CUPS queue, or PDF output when the printer has an output
// file name.
class QtPrinterDevice : public PrinterDevice
{
public:
    // With takeOwnership the device deletes the printer.
    explicit QtPrinterDevice(QPrinter *printer, bool takeOwnership = false);
    ~QtPrinterDevice() override;

    bool Available() const override { return true; }
    QString Name() const override;
    int LogPixelsX() const override;
    int LogPixelsY() const override;
    QSize PhysicalSize() const override;
    QRect PrintableArea() const override;
    QPageLayout::Orientation Orientation() const override;
    void SetOrientation(QPageLayout::Orientation orientation) override;
    // The sheet the printer had when the device was made; a queue chosen
    // since in a print dialog gives its own default paper.
    void ResetSheet(QPageLayout::Orientation orientation) override;
    int Copies() const override;
    void SetCopies(int copies) override;
    QString Title() const override;
    void SetTitle(const QString &title) override;

    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return painter_.isActive(); }
    QPainter &Canvas() override;
    QPrinter *QtPrinter() override { return printer_; }

private:
    QPrinter *printer_;
    bool owns_;
    QPainter painter_;
    QString queue_;
    QPageLayout sheet_;
};

// No printer installed: nothing can be asked and nothing printed.
class NoPrinterDevice : public PrinterDevice
{
public:
    bool Available() const override { return false; }
    QString Name() const override { return QString(); }
    int LogPixelsX() const override { return 0; }
    int LogPixelsY() const override { return 0; }
    QSize PhysicalSize() const override { return QSize(); }
    QRect PrintableArea() const override { return QRect(); }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return false; }
    QPainter &Canvas() override;
};

// The application's printer: the default CUPS queue, or "no printer" when
// the system has none. Made on first use (after the application object).
PrinterDevice &ApplicationPrinter();
// Tests put a printer of their own in its place (null: the system's again).
void SetApplicationPrinter(PrinterDevice *printer);

} // namespace platform
