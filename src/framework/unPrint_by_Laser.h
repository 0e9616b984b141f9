#pragma once
// The preview window of the page road of printed documents: the document's
// lines laid out by a page printer, shown maximised, with Print, zoom,
// portrait/landscape and Exit on its tool bar and the printer, the sheet,
// the zoom and the page in its status bar.
//
// The caller writes the document into `page` (BeginDoc ... EndDoc) and
// calls ShowPreview, which runs the window modally.
#include <QDialog>
#include <functional>

#include "framework/TextPagePrinter.h"

class QAction;
class QActionGroup;
class QToolBar;
class QToolButton;
class TExtStatusBar;
class TExtStatusPanel;
namespace platform {
class PrinterDevice;
}

// What the print dialog of the window asks and answers.
struct TLaserPrintChoice
{
    int MinPage = 1;
    int MaxPage = 1;
    int FromPage = 1;
    int ToPage = 1;
    int Copies = 1;
    bool Collate = false;
    bool PageNumbers = false;  // the operator chose a page range
};

class TfrmPrint_by_Laser : public QDialog
{
    Q_OBJECT
public:
    // The zoom-out button stops here: below it the page would be a dot.
    static constexpr int MinZoomPercent = 10;

    // Printer: the device printed to; the application's printer when null
    // (a preview opens also when there is no printer at all).
    explicit TfrmPrint_by_Laser(QWidget *Owner = nullptr, platform::PrinterDevice *Printer = nullptr);
    ~TfrmPrint_by_Laser() override;

    TTextPagePrinter *page = nullptr;
    QToolBar *ToolBar = nullptr;
    QToolButton *btnPrint = nullptr;
    QToolButton *btnZoomIn = nullptr;
    QToolButton *btnZoomOut = nullptr;
    QToolButton *btnPortrait = nullptr;
    QToolButton *btnLandscape = nullptr;
    QToolButton *btnExit = nullptr;
    QToolButton *btnPrevPage = nullptr;
    QToolButton *btnNextPage = nullptr;
    QAction *acExit = nullptr;
    // Page turning: PgUp / PgDn, Ctrl+PgUp / Ctrl+PgDn for the first and the
    // last page; the wheel turns the page past its top or bottom edge.
    QAction *acPrevPage = nullptr;
    QAction *acNextPage = nullptr;
    QAction *acFirstPage = nullptr;
    QAction *acLastPage = nullptr;
    TExtStatusBar *sbStatusBar = nullptr;

    // The print dialog; true when the operator confirmed. The default shows
    // the system's print dialog for the printer; tests replace it.
    std::function<bool(TLaserPrintChoice &Choice)> PrintDialog;

    // Shows the window maximised and modally until the operator leaves it.
    void ShowPreview();

    void FormCreate();
    void btnZoomInClick();
    void btnZoomOutClick();
    void btnPortraitClick();
    void btnLandscapeClick();
    void btnExitClick();
    // Shows page Page (1-based) when it exists; the status bar and the page
    // buttons follow.
    void ShowPage(int Page);
    // Prints after the print dialog; false when it was cancelled or failed
    // (a failure is shown to the operator).
    bool btnPrintClick();

    // The status bar's texts, panel by panel.
    QString StatusText(int Panel) const;
    void UpdateStatusBar();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void sbStatusBarDrawPanel(TExtStatusPanel *Panel, const QRect &Rect);
    void FitStatusPanels();
    bool ExecSystemPrintDialog(TLaserPrintChoice &Choice);
};
