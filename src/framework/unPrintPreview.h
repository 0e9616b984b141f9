#pragma once
// Printing a table shown on a data form: PrintGrid lays the grid out on
// pages - drawn pages with a page head, repeated header rows, page-break
// rows, the text below the table and the signatures (graphic mode), or
// fixed-width text lines for a dot-matrix printer (text mode) - shows them
// in the preview TfmPrintPreview and prints them. The operator zooms,
// pans, turns pages and the orientation, picks the printed and stretching
// columns, changes fonts, margins and the printer, and keeps all of it as
// named print settings (unReportSettings).
#include <QDateTime>
#include <QDialog>
#include <QStringList>
#include <memory>
#include <vector>

#include "framework/TextPagePrinter.h"
#include "framework/unReportSettings.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QToolBar;
class TImageList;
class TRichGrid;
class TfmPrintProgress;

namespace platform {
class PrinterDevice;
class StringGrid;
} // namespace platform

// The first cell of a row that ends a page; its second cell holds the title
// and the subtitle of the following pages, joined by '@'.
extern const QString PageBreakMarker; // "-=: PaGe BrEaK :=-"

// ---------------------------------------------------------------- text mode

// The seven print values of a report (defaults of a link that is not
// connected: 0, 1, 0, 0, 1, 1, 0).
struct TGridPrintValues
{
    int HeaderColors = 0;   // graphic mode: header cells in the colour table's colour
    int Unused2 = 1;
    int LinesPerPage = 0;   // text mode, used when CharsPerLine is not 0
    int CharsPerLine = 0;   // text mode; 0: from the paper
    int VerticalRules = 1;  // text mode: '|' between columns
    int Unused6 = 1;
    int Continuous = 0;     // text mode: continuous paper
};

// A text-mode document: the lines as the preview shows them, with the marks
// that become printer codes on the raw road.
struct TGridTextDocument
{
    QStringList Lines;
    std::vector<char> Bold;      // a totals row: ESC G ... ESC H
    std::vector<char> Condensed; // the first two page-head lines: ESC SI
    int LinesPerPage = 0;
    int PageCount = 0;
};

struct TGridTextLayout
{
    int LinesPerPage = 0;
    int LineWidth = 0;
    bool VerticalRules = true;
    bool Continuous = false;
    QString Title, SubTitle, TextBelowTable;
    QDateTime Now;
    // The company's name, tax number and id ("" without the link).
    QString CompanyName, TaxNumber, CompanyId;
};

// The lines of the text below the table.
QStringList TextBelowTableLines(const QString &Text);

// The text pages' sizes from the paper in mm: 62 lines of 128 characters on
// A4 portrait, 44 of 182 in landscape.
void TextPageSizeFromPaper(double WidthMm, double HeightMm, int &LinesPerPage, int &LineWidth);

// Lays the grid out as text lines; Visible and AutoResize hold one mark per
// column (missing marks: visible, not stretching). Pages are counted from
// the lines built. False, with the reason in Error, when a page is too
// short for its page head.
bool BuildGridTextDocument(const platform::StringGrid &Grid, const TVisibleCols &Visible,
                           const TAutoResizeCols &AutoResize, const TGridTextLayout &Layout,
                           TGridTextDocument &Doc, QString &Error);

// The bytes of one page for the raw printer, MIK-encoded, with its printer
// codes, each line ended by CR LF.
QByteArray GridTextPageBytes(const TGridTextDocument &Doc, int Page);

// --------------------------------------------------------------- preview

class TfmPrintPreview : public QDialog
{
    Q_OBJECT

public:
    // Without a printer the application's serves; it is not owned.
    TfmPrintPreview(TPrinterOrientation Orientation, platform::StringGrid *Grid, const QString &Title,
                    const QString &SubTitle, const QString &FilterText, const QString &SettingsKey,
                    const QString &SystemInfoText, const QString &CompanyHeaderText, int FixedColorIndex,
                    bool PrintSignatures, bool HeaderOnFirstPageOnly, bool ShowProgress,
                    const QString &TextBelowTable, platform::PrinterDevice *Printer = nullptr,
                    QWidget *parent = nullptr);
    ~TfmPrintPreview() override;

    // --- components
    TTextPagePrinter *page;
    QToolBar *tbMain;
    QWidget *pnlSettings;
    QComboBox *cbSettings;
    QCheckBox *chkDefault;
    QCheckBox *chkSave;
    QWidget *pnlColumns;
    TRichGrid *gridColumns;
    QScrollBar *udColumns;
    QStatusBar *sbStatus;
    QLabel *lblPrinter, *lblPaper, *lblZoom, *lblPages;
    QAction *acPrint, *acPrintSetup, *acExit, *acFirstPage, *acLastPage, *acPrevPage, *acNextPage;
    QAction *acZoomPage, *acZoom100, *acZoomPageWidth, *acZoomIn, *acZoomOut;
    QAction *acPanLeft, *acPanRight, *acPanUp, *acPanDown;
    QAction *acPortrait, *acLandscape, *acSelectColumns;
    QAction *acNewSetting, *acEditSetting, *acDeleteSetting, *acApplySetting, *acPrepareDocument;

    // --- state
    bool Printed() const { return FPrinted; }
    bool TextMode() const { return FTextMode; }
    void SetTextMode(bool Value);
    const TSettings &Settings() const { return FSettings; }
    TSettings &SettingsRef() { return FSettings; }
    int AppliedSetting() const { return FApplied; }
    const TGridTextDocument &TextDocument() const { return FTextDoc; }
    int LinesPerPage() const { return FLinesPerPage; }
    int LineWidth() const { return FLineWidth; }
    const TGridPrintValues &PrintValues() const { return FValues; }
    TGridPrintValues &PrintValuesRef() { return FValues; }
    platform::StringGrid *PrintGridCopy() const { return FPrintGrid; }
    TfmPrintProgress *Progress() const { return FProgress.get(); }
    // The moment the pages show (fixed by tests).
    void SetNow(const QDateTime &Now) { FNow = Now; }

    void SetOrientation(TPrinterOrientation Value);
    // Builds the pages again in the applied setting.
    void Reformat();
    // Prints pages From..To (0: all) without the dialog.
    bool PrintPages(int From = 0, int To = 0);
    // Zoom steps and page moves as the actions do them.
    void ZoomIn();
    void ZoomOut();
    void GoToPage(int Page);
    void SelectSetting(int Index);
    void ApplySetting();
    void NewSetting();
    void EditSetting();
    void DeleteSetting();
    void DefaultClicked();
    // The column grid's clicks: toggle the column shown (with ARow, every
    // column of that cell's merged block), or its stretching.
    void ToggleColumnVisible(int ACol, int ARow = -1);
    void ToggleColumnStretch(int ACol);
    // The eye of a column in the column grid: 0 shown, 1 hidden, 2 shown and
    // stretching.
    int ColumnEye(int ACol) const;
    void PrepareDocument();
    void UpdateStatus();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void BuildControls();
    void BuildColumnGrid();
    void LoadSettings();
    void SaveSettings();
    void RecomputeGeometry();
    void UpdateOrientationButtons();
    void UpdatePageActions();
    void ShowSettingColumns(int Index);
    void ApplyColumnsToPrintGrid();
    void PrepareGraphicPages();
    void PrepareTextPages();
    void RefreshFonts(TReportSettings &Entry);
    bool PrintTextPages(int From, int To);
    void PrintSetup();
    void PrintWithDialog();
    void Pan(int Dx, int Dy);
    void ZoomTo(int Percent);
    TReportSettings NewEntry() const;
    QString CleanText(const QString &S) const;

    platform::PrinterDevice *FPrinter;
    platform::StringGrid *FSource;
    platform::StringGrid *FPrintGrid = nullptr;
    std::unique_ptr<TfmPrintProgress> FProgress;
    std::unique_ptr<TImageList> FEyes;
    TSettings FSettings;
    int FApplied = -1;
    QString FSettingsKey;
    QString FTitle, FSubTitle, FFilterText, FTextBelowTable, FSystemInfoText, FCompanyHeaderText;
    int FFixedColorIndex = 0;
    bool FUseColors = true;
    bool FPrintSignatures = false;
    bool FHeaderOnFirstPageOnly = false;
    bool FShowProgress = true;
    bool FTextMode = false;
    int FLinesPerPage = 0;
    int FLineWidth = 0;
    TGridTextDocument FTextDoc;
    TGridPrintValues FValues;
    bool FPrinted = false;
    bool FPreparing = false;
    bool FActivated = false;
    // Until the operator zooms, the preview follows its window's width (a
    // window manager maximises the window only after it is shown).
    bool FFitWidth = true;
    bool FReformatted = false;
    QPoint FPanAnchor;
    bool FPanning = false;
    QDateTime FNow;
    int FPrinterIndex = -1;
};

// Prints Grid (see TfmPrintPreview); with Preview the preview shows
// modally, else every page prints at once. False when nothing was printed.
// Without a printer "Няма инсталиран принтер!" is said first; the preview
// then still shows, with printing off.
bool PrintGrid(TPrinterOrientation Orientation, platform::StringGrid *Grid, const QString &Title,
               const QString &SubTitle, const QString &SettingsKey, int FixedColorIndex,
               const QString &SystemInfoText, const QString &CompanyHeaderText, bool PrintSignatures,
               bool HeaderOnFirstPageOnly, bool ShowProgress, bool Preview, const QString &FilterText,
               const QString &TextBelowTable);

// The printer PrintGrid uses: the application's unless one was set (tests
// set a recording printer; nullptr restores the application's).
platform::PrinterDevice &PrintGridPrinter();
void SetPrintGridPrinter(platform::PrinterDevice *Printer);
