#pragma once
// TTextPagePrinter: takes text line by line (plain, aligned or as table
// rows), lays it out on printer pages recorded in memory, shows one page at
// a time as a zoomable preview inside itself and prints the pages with
// copies, collation and a page range. Instead of pages it can write the
// same text into a plain text file.
//
// Every position is in printer pixels, measured from the top-left corner of
// the printable area; the margins frame the header, the footer and the
// preview but do not move the text. Margins, border offset and column
// widths are in MeasureUnit.
#include <QAbstractScrollArea>
#include <QFile>
#include <QFlags>
#include <QFont>
#include <QPainter>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/print/PrinterDevice.h"
#include "platform/print/RecordedPage.h"
#include "platform/ui/Colors.h"

class TPagePrintProgressDlg;

TOLVEX_DECLARE_EXCEPTION(ETextPagePrinter, EPrinter)
TOLVEX_DECLARE_EXCEPTION(ECancelPrinting, ETextPagePrinter)

enum TMeasureUnit { muInches, muMillimeters };
enum TLineSpacing { lsHalfSpace, lsSingleSpace, lsSingleAndAHalf, lsDoubleSpace };
enum TZoomLocation { zlTopLeft, zlTopCenter, zlCenter, zlSame };
enum TPrinterOrientation { poPortrait, poLandscape };
enum TPageBorder { pbTop = 1, pbBottom = 2, pbLeft = 4, pbRight = 8 };
Q_DECLARE_FLAGS(TPageBorders, TPageBorder)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPageBorders)

// The recorded pages of a document in page order; it owns them.
class TPageList
{
public:
    TPageList() = default;
    TPageList(const TPageList &) = delete;
    TPageList &operator=(const TPageList &) = delete;

    int Count() const { return int(pages_.size()); }
    // Zero-based, as the list's items are.
    platform::RecordedPage *Items(int index) const { return pages_.at(size_t(index)).get(); }
    platform::RecordedPage *Add(std::unique_ptr<platform::RecordedPage> page);
    void Clear() { pages_.clear(); }

private:
    std::vector<std::unique_ptr<platform::RecordedPage>> pages_;
};

class TTextPagePrinter : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    using TMouseEvent = std::function<void(QObject *Sender, Qt::MouseButton Button,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(QObject *Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

    // Without a printer the application's printer serves. The printer is
    // not owned and must outlive the component.
    explicit TTextPagePrinter(QWidget *parent = nullptr, platform::PrinterDevice *printer = nullptr);
    ~TTextPagePrinter() override;

    // Called by the owner once its properties are set, as after a form
    // resource was read: prepares the document settings, starts an empty
    // page list and lays out the preview.
    virtual void Loaded();

    // ---- properties
    TMeasureUnit MeasureUnit() const { return FMeasureUnit; }
    void SetMeasureUnit(TMeasureUnit value);
    bool AbortOnCancel() const { return FAbortOnCancel; }
    void SetAbortOnCancel(bool value) { FAbortOnCancel = value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { FAlignment = value; }
    bool AutoHeaderFont() const { return FAutoHeaderFont; }
    void SetAutoHeaderFont(bool value);
    bool AutoFooterFont() const { return FAutoFooterFont; }
    void SetAutoFooterFont(bool value);
    bool Collate() const { return FCollate; }
    void SetCollate(bool value) { FCollate = value; }
    int Copies() const { return FCopies; }
    void SetCopies(int value) { FCopies = value < 1 ? 1 : value; }
    double DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(double value) { FDefaultColWidth = value; }
    QString FileName() const { return FFileName; }
    void SetFileName(const QString &value);
    QString Header() const { return FHeader; }
    void SetHeader(const QString &value) { FHeader = value; }
    QString Footer() const { return FFooter; }
    void SetFooter(const QString &value) { FFooter = value; }
    QString HeaderFormat() const { return FHeaderFormat; }
    void SetHeaderFormat(const QString &value) { FHeaderFormat = NormalizeFormat(value); }
    QString FooterFormat() const { return FFooterFormat; }
    void SetFooterFormat(const QString &value) { FFooterFormat = NormalizeFormat(value); }
    QString FriendlyHeader() const { return FFriendlyHeader; }
    void SetFriendlyHeader(const QString &value);
    QString FriendlyFooter() const { return FFriendlyFooter; }
    void SetFriendlyFooter(const QString &value);
    QFont HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const QFont &value) { FHeaderFont = value; }
    QFont FooterFont() const { return FFooterFont; }
    void SetFooterFont(const QFont &value) { FFooterFont = value; }
    // The printing font (the widget's own font() is the screen font).
    QFont Font() const { return FFont; }
    void SetFont(const QFont &value);
    QStringList Lines() const { return FLines; }
    void SetLines(const QStringList &value) { FLines = value; }
    TLineSpacing LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(TLineSpacing value);
    TNotifyEvent OnNewLine;
    TNotifyEvent OnNewPage;
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation value);
    TPageBorders PageBorders() const { return FPageBorders; }
    void SetPageBorders(TPageBorders value) { FPageBorders = value; }
    double PageBorderOffset() const { return FPageBorderOffset; }
    void SetPageBorderOffset(double value) { FPageBorderOffset = value; }
    bool PrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool value);
    platform::PrinterDevice *Printer() const { return FPrinter; }
    void SetPrinter(platform::PrinterDevice *value);
    QString ProgressMessage() const { return FProgressMessage; }
    void SetProgressMessage(const QString &value) { FProgressMessage = value; }
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor value);
    int ShadowOffset() const { return FShadowOffset; }
    void SetShadowOffset(int value);
    bool ShowCancel() const { return FShowCancel; }
    void SetShowCancel(bool value) { FShowCancel = value; }
    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool value) { FShowProgress = value; }
    bool ShowMargins() const { return FShowMargins; }
    void SetShowMargins(bool value);
    bool ShowGutter() const { return FShowGutter; }
    void SetShowGutter(bool value);
    bool GradientBackground() const { return FGradientBackground; }
    void SetGradientBackground(bool value);
    QString TableFormat() const { return FTableFormat; }
    void SetTableFormat(const QString &value) { FTableFormat = NormalizeFormat(value); }
    bool TableGrid() const { return FTableGrid; }
    void SetTableGrid(bool value) { FTableGrid = value; }
    int TabSize() const { return FTabSize; }
    void SetTabSize(int value) { FTabSize = value; }
    // The printer's document title (the job's name).
    QString Title() const;
    void SetTitle(const QString &value);
    QChar TokenSeparator() const { return FTokenSeparator; }
    void SetTokenSeparator(QChar value) { FTokenSeparator = value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value) { FWordWrap = value; }
    TZoomLocation ZoomLocation() const { return FZoomLocation; }
    void SetZoomLocation(TZoomLocation value) { FZoomLocation = value; }
    int ZoomPercent() const { return FZoomPercent; }
    void SetZoomPercent(int value);
    // Background colour behind the page.
    TColor Color() const { return FColor; }
    void SetColor(TColor value);

    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    // ---- public state
    double MarginLeft() const { return FMarginLeft; }
    void SetMarginLeft(double value);
    double MarginTop() const { return FMarginTop; }
    void SetMarginTop(double value);
    double MarginRight() const { return FMarginRight; }
    void SetMarginRight(double value);
    double MarginBottom() const { return FMarginBottom; }
    void SetMarginBottom(double value);
    void ResetMargins();
    int CurrentPage() const { return FCurrentPage; }
    void SetCurrentPage(int value);
    int PageCount() const { return FPages.Count(); }
    const TPageList &Pages() const { return FPages; }
    int PrintFromPage() const { return FPrintFromPage; }
    void SetPrintFromPage(int value);
    int PrintToPage() const { return FPrintToPage; }
    void SetPrintToPage(int value);
    // The drawing surface of the page being written, in printer pixels.
    QPainter *Canvas() { return &FCanvas; }
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void Invalidate();

    // ---- document
    void BeginDoc();
    void WriteLine(const QString &S);
    void WriteAlignedLine(const QString &S);
    void WriteTableLine(const QString &S);
    int NewLine();
    int NewPage();
    void EndDoc();
    bool Print();

    // ---- preview zoom
    void ZoomToPage();
    void ZoomToPageWidth();
    void ZoomToPageHeight();

    // ---- printer metrics, in MeasureUnit
    double PageWidth() const;
    double PageHeight() const;
    double PrintableWidth() const;
    double PrintableHeight() const;
    double UnprintableLeft() const;
    double UnprintableTop() const;
    double UnprintableRight() const;
    double UnprintableBottom() const;
    int PrintableWidthPixels() const { return UnitsToPixelsX(PrintableWidth()); }
    int PrintableHeightPixels() const { return UnitsToPixelsY(PrintableHeight()); }
    int LogPixelsX() const;
    int LogPixelsY() const;
    double PixelsToUnitsX(int pixels) const;
    double PixelsToUnitsY(int pixels) const;
    int UnitsToPixelsX(double units) const;
    int UnitsToPixelsY(double units) const;
    // Line height in printer pixels for the current font and spacing.
    int LineHeight() const { return FLineHeight; }

    // The preview's geometry on screen (for the windows that pan and zoom).
    int PageWidthOnScreen() const;
    int PageHeightOnScreen() const;

protected:
    // Paints the preview: background, page with shadow, the shown page's
    // drawing, margins and gutter.
    virtual void PaintPreview(QPainter &painter);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool CanAskPrinter() const;
    double ClampMargin(double value, double edge, double limit, const char *side) const;
    bool IsDocumentOpen() const { return FPrintToFile ? FTextFileOpen : FDocOpen; }
    double FallbackMetric(double inches, double millimetres) const;
    double ToUnits(double inches) const;
    double ToInches(double units) const;
    int PhysicalWidthPixels() const;
    int PhysicalHeightPixels() const;
    int ScreenDpiX() const;
    int ScreenDpiY() const;
    int ScreenLength(double units, bool vertical) const;

    void PrepareDocument();
    void ApplyFont();
    void FontChanged();
    void ComputeLineHeight();
    int FontHeightPixels(const QFont &font) const;
    std::unique_ptr<platform::RecordedPage> NewDrawing() const;
    void OpenCanvas(platform::RecordedPage *drawing);
    void CloseCanvas();
    void NewScratch();
    void StartPage();
    bool NeedsNewPage() const;

    int TextWidth(const QString &text);
    // A text file takes no shapes: with a font of fixed pitch a text's width
    // is the sum of its characters' advances, each measured once. False
    // for another font or a character outside the measured range.
    bool FixedPitchWidth(const QString &text, int &width);
    int BlankWidth();
    void TextOut(int x, int y, const QString &text);
    QString ExpandTabs(const QString &text) const;
    QString FitText(const QString &text, int width);
    QString TakeLine(QString &rest, int width, bool skipBlank);
    void WrapWriter(QString rest, bool lineMode);
    QString ExpandMacros(QString text) const;
    void ReadColumnFormat(QString format, TAlignment &alignment, double &width) const;
    QString NormalizeFormat(const QString &format, double multiplier = 1.0, double divisor = 1.0) const;
    void ConvertFriendly(const QString &friendly, QString &line, QString &format) const;
    void DrawCellLines(int x, int width, bool top, bool bottom);
    void FileWrite(const QString &text);

    void PrintPage(int page, int first, int last, bool lastOfAll);
    void UpdateProgress(const QString &message, int page, int first, int last);

    void LayoutScroll();
    void UpdateScrollBars();
    QPoint PaintBoxPoint(const QPointF &viewportPoint) const;

    platform::PrinterDevice *FPrinter;
    TPageList FPages;
    std::unique_ptr<platform::RecordedPage> FScratch;
    QPainter FCanvas;
    QFile FTextFile;
    QFont FAdvanceFont;             // the font FAdvances were measured in
    bool FAdvanceFixed = false;     // whether it has a fixed pitch
    std::vector<double> FAdvances;  // by character below U+0500; < 0 unmeasured
    std::unique_ptr<TPagePrintProgressDlg> FProgress;

    TMeasureUnit FMeasureUnit = muInches;
    bool FAbortOnCancel = false;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoHeaderFont = true;
    bool FAutoFooterFont = true;
    bool FCollate = true;
    int FCopies = 1;
    double FDefaultColWidth = 0;
    QString FFileName;
    QString FHeader, FFooter, FHeaderFormat, FFooterFormat, FFriendlyHeader, FFriendlyFooter;
    QFont FFont, FHeaderFont, FFooterFont;
    QStringList FLines;
    TLineSpacing FLineSpacing = lsSingleSpace;
    TPageBorders FPageBorders;
    double FPageBorderOffset = 0;
    bool FPrintToFile = false;
    QString FProgressMessage;
    TColor FShadowColor;
    int FShadowOffset = 5;
    bool FShowCancel = true, FShowProgress = true, FShowMargins = true;
    bool FShowGutter = false, FGradientBackground = true;
    QString FTableFormat;
    bool FTableGrid = false;
    int FTabSize = 8;
    QChar FTokenSeparator = QLatin1Char('|');
    bool FWordWrap = true;
    TZoomLocation FZoomLocation = zlTopLeft;
    int FZoomPercent = 25;
    TColor FColor;

    double FMarginLeft = 0, FMarginTop = 0, FMarginRight = 0, FMarginBottom = 0;
    int FCurrentPage = 0;
    int FPrintFromPage = 0, FPrintToPage = 0;

    int FX = 0, FY = 0;
    int FLineCount = 0;
    int FLineHeight = 0;
    int FExternalLeading = 0;
    // Where the body of the page may stand: below a header, above a footer.
    int FBodyTop = 0;
    int FFooterTop = -1;
    bool FDocOpen = false;
    bool FTextFileOpen = false;
    bool FHeaderInProgress = false;
    bool FCancel = false;
    bool FConstructing = false;
    int FUpdateCount = 0;
    int FRangeH = 0, FRangeV = 0;
};
