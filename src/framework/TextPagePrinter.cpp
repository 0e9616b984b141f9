#include "framework/TextPagePrinter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QLabel>
#include <cmath>

#include "core/uHelpers.h"
#include "framework/PagePrintProgress.h"
#include "platform/ui/Colors.h"

namespace {

constexpr double kMmPerInch = 25.4;
const QString kFinish = QStringLiteral("<FINISH>");

// The runtime's Round: to the nearest integer, ties to even.
int RoundRt(double value) { return int(std::nearbyint(value)); }

// The runtime's shortest float text (15 significant digits, '.' always).
QString FloatText(double value)
{
    QString text;
    FloatToDotStr(-1, text, value);
    return text;
}

QString LongDateText(const QDate &date)
{
    return QLocale(QLocale::Bulgarian, QLocale::Bulgaria).toString(date, QStringLiteral("dd MMMM yyyy"))
           + QStringLiteral(" г.");
}

QString LongTimeText(const QTime &time) { return time.toString(QStringLiteral("HH:mm:ss")); }
QString ShortTimeText(const QTime &time) { return time.toString(QStringLiteral("HH:mm")); }

} // namespace

// ---------------------------------------------------------------- TPageList

platform::RecordedPage *TPageList::Add(std::unique_ptr<platform::RecordedPage> page)
{
    pages_.push_back(std::move(page));
    return pages_.back().get();
}

// ---------------------------------------------------------- construction

TTextPagePrinter::TTextPagePrinter(QWidget *parent, platform::PrinterDevice *printer)
    : QAbstractScrollArea(parent),
      FPrinter(printer ? printer : &platform::ApplicationPrinter()),
      FShadowColor(clBtnShadow), FColor(clBtnFace)
{
    FConstructing = true;
    FFont = QFont(QStringLiteral("Courier New"), 10);
    FFont.setStyleHint(QFont::TypeWriter);
    FHeaderFont = FFont;
    FFooterFont = FFont;
    resize(89, 115);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    NewScratch();
    ResetMargins();
    ComputeLineHeight();
    LayoutScroll();
    FConstructing = false;
}

TTextPagePrinter::~TTextPagePrinter()
{
    CloseCanvas();
    if (FTextFile.isOpen())
        FTextFile.close();
}

void TTextPagePrinter::Loaded()
{
    PrepareDocument();
    CloseCanvas();
    FPages.Clear();
    NewScratch();
    FCurrentPage = 0;
    LayoutScroll();
    Invalidate();
}

// ----------------------------------------------------------------- metrics

bool TTextPagePrinter::CanAskPrinter() const { return FPrinter && FPrinter->Available(); }

double TTextPagePrinter::ToUnits(double inches) const
{
    return FMeasureUnit == muMillimeters ? inches * kMmPerInch : inches;
}

double TTextPagePrinter::ToInches(double units) const
{
    return FMeasureUnit == muMillimeters ? units / kMmPerInch : units;
}

int TTextPagePrinter::LogPixelsX() const { return CanAskPrinter() ? FPrinter->LogPixelsX() : 300; }
int TTextPagePrinter::LogPixelsY() const { return CanAskPrinter() ? FPrinter->LogPixelsY() : 300; }

double TTextPagePrinter::PixelsToUnitsX(int pixels) const { return ToUnits(double(pixels) / LogPixelsX()); }
double TTextPagePrinter::PixelsToUnitsY(int pixels) const { return ToUnits(double(pixels) / LogPixelsY()); }
int TTextPagePrinter::UnitsToPixelsX(double units) const { return RoundRt(ToInches(units) * LogPixelsX()); }
int TTextPagePrinter::UnitsToPixelsY(double units) const { return RoundRt(ToInches(units) * LogPixelsY()); }

double TTextPagePrinter::FallbackMetric(double inches, double millimetres) const
{
    return FMeasureUnit == muMillimeters ? millimetres : inches;
}

// Without a printer the sheet is Letter (inches) or A4 (millimetres); a
// landscape orientation turns it.
double TTextPagePrinter::PageWidth() const
{
    if (CanAskPrinter())
        return PixelsToUnitsX(FPrinter->PhysicalSize().width());
    return Orientation() == poLandscape ? FallbackMetric(11, 297) : FallbackMetric(8.5, 210);
}

double TTextPagePrinter::PageHeight() const
{
    if (CanAskPrinter())
        return PixelsToUnitsY(FPrinter->PhysicalSize().height());
    return Orientation() == poLandscape ? FallbackMetric(8.5, 210) : FallbackMetric(11, 297);
}

double TTextPagePrinter::PrintableWidth() const
{
    if (CanAskPrinter())
        return PixelsToUnitsX(FPrinter->PrintableArea().width());
    return Orientation() == poLandscape ? FallbackMetric(10.5, 284) : FallbackMetric(8, 198);
}

double TTextPagePrinter::PrintableHeight() const
{
    if (CanAskPrinter())
        return PixelsToUnitsY(FPrinter->PrintableArea().height());
    return Orientation() == poLandscape ? FallbackMetric(8, 198) : FallbackMetric(10.5, 284);
}

double TTextPagePrinter::UnprintableLeft() const
{
    if (CanAskPrinter())
        return PixelsToUnitsX(FPrinter->PrintableArea().left());
    return FallbackMetric(0.25, 6);
}

double TTextPagePrinter::UnprintableTop() const
{
    if (CanAskPrinter())
        return PixelsToUnitsY(FPrinter->PrintableArea().top());
    return FallbackMetric(0.25, 6);
}

double TTextPagePrinter::UnprintableRight() const
{
    return PageWidth() - PrintableWidth() - UnprintableLeft();
}

double TTextPagePrinter::UnprintableBottom() const
{
    return PageHeight() - PrintableHeight() - UnprintableTop();
}

int TTextPagePrinter::PhysicalWidthPixels() const
{
    return CanAskPrinter() ? FPrinter->PhysicalSize().width() : UnitsToPixelsX(PageWidth());
}

int TTextPagePrinter::PhysicalHeightPixels() const
{
    return CanAskPrinter() ? FPrinter->PhysicalSize().height() : UnitsToPixelsY(PageHeight());
}

// ------------------------------------------------------------------- fonts

// The font height at the printer's resolution, rounded as MulDiv rounds.
int TTextPagePrinter::FontHeightPixels(const QFont &font) const
{
    double points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() * 72.0 / 96.0;
    return qMax(1, int(std::floor(points * LogPixelsY() / 72.0 + 0.5)));
}

void TTextPagePrinter::ComputeLineHeight()
{
    const int h = FontHeightPixels(FFont);
    switch (FLineSpacing) {
    case lsHalfSpace:
        FLineHeight = h / 2;
        break;
    case lsSingleSpace:
        FLineHeight = h;
        break;
    case lsSingleAndAHalf:
        FLineHeight = h + h / 2;
        break;
    case lsDoubleSpace:
        FLineHeight = 2 * h;
        break;
    }
}

// The canvas takes Font at the printer's resolution; its metrics and the
// line height follow.
void TTextPagePrinter::ApplyFont()
{
    QFont printerFont(FFont);
    printerFont.setPixelSize(FontHeightPixels(FFont));
    if (FCanvas.isActive()) {
        FCanvas.setFont(printerFont);
        FExternalLeading = qMax(0, FCanvas.fontMetrics().leading());
    }
    ComputeLineHeight();
}

void TTextPagePrinter::FontChanged()
{
    ApplyFont();
    if (FAutoHeaderFont)
        FHeaderFont = FFont;
    if (FAutoFooterFont)
        FFooterFont = FFont;
}

void TTextPagePrinter::SetFont(const QFont &value)
{
    FFont = value;
    FontChanged();
}

void TTextPagePrinter::SetAutoHeaderFont(bool value)
{
    FAutoHeaderFont = value;
    if (value)
        FHeaderFont = FFont;
}

void TTextPagePrinter::SetAutoFooterFont(bool value)
{
    FAutoFooterFont = value;
    if (value)
        FFooterFont = FFont;
}

void TTextPagePrinter::SetLineSpacing(TLineSpacing value)
{
    FLineSpacing = value;
    ComputeLineHeight();
}

// ----------------------------------------------------------------- drawings

std::unique_ptr<platform::RecordedPage> TTextPagePrinter::NewDrawing() const
{
    return std::make_unique<platform::RecordedPage>(
        QSize(qMax(1, PrintableWidthPixels()), qMax(1, PrintableHeightPixels())), LogPixelsX(), LogPixelsY());
}

void TTextPagePrinter::OpenCanvas(platform::RecordedPage *drawing)
{
    CloseCanvas();
    FCanvas.begin(drawing);
    FCanvas.setPen(QPen(Qt::black));
    FCanvas.setBrush(Qt::NoBrush);
    FCanvas.setBackgroundMode(Qt::TransparentMode);
    ApplyFont();
}

void TTextPagePrinter::CloseCanvas()
{
    if (FCanvas.isActive())
        FCanvas.end();
}

// A drawing outside the page list, so that text can be measured while no
// document is being written.
void TTextPagePrinter::NewScratch()
{
    CloseCanvas();
    FScratch = NewDrawing();
    OpenCanvas(FScratch.get());
}

// ------------------------------------------------------------------ setters

void TTextPagePrinter::SetMeasureUnit(TMeasureUnit value)
{
    if (value == FMeasureUnit)
        return;
    FMeasureUnit = value;
    if (FConstructing)
        return;
    const double multiplier = value == muInches ? 1.0 : kMmPerInch;
    const double divisor = value == muInches ? kMmPerInch : 1.0;
    auto convert = [&](double &length) { length = length * multiplier / divisor; };
    convert(FMarginLeft);
    convert(FMarginTop);
    convert(FMarginRight);
    convert(FMarginBottom);
    convert(FPageBorderOffset);
    convert(FDefaultColWidth);
    PrepareDocument();
    if (FFriendlyFooter.isEmpty())
        FFooterFormat = NormalizeFormat(FFooterFormat, multiplier, divisor);
    if (FFriendlyHeader.isEmpty())
        FHeaderFormat = NormalizeFormat(FHeaderFormat, multiplier, divisor);
    FTableFormat = NormalizeFormat(FTableFormat, multiplier, divisor);
}

void TTextPagePrinter::SetFileName(const QString &value)
{
    const QString trimmed = value.trimmed();
    if (trimmed == FFileName)
        return;
    if (IsDocumentOpen())
        throw ETextPagePrinter(QStringLiteral("Can't change FileName while printing"));
    FFileName = trimmed;
}

void TTextPagePrinter::SetPrintToFile(bool value)
{
    if (value == FPrintToFile)
        return;
    if (IsDocumentOpen())
        throw ETextPagePrinter(QStringLiteral("Can't change PrintToFile while printing"));
    FPrintToFile = value;
}

void TTextPagePrinter::SetFriendlyHeader(const QString &value)
{
    FFriendlyHeader = value;
    ConvertFriendly(FFriendlyHeader, FHeader, FHeaderFormat);
}

void TTextPagePrinter::SetFriendlyFooter(const QString &value)
{
    FFriendlyFooter = value;
    ConvertFriendly(FFriendlyFooter, FFooter, FFooterFormat);
}

void TTextPagePrinter::SetPrinter(platform::PrinterDevice *value)
{
    FPrinter = value ? value : &platform::ApplicationPrinter();
    if (!IsDocumentOpen() && !FDocOpen)
        NewScratch();
    PrepareDocument();
    LayoutScroll();
    Invalidate();
}

TPrinterOrientation TTextPagePrinter::Orientation() const
{
    return FPrinter->Orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TTextPagePrinter::SetOrientation(TPrinterOrientation value)
{
    if (IsDocumentOpen())
        throw ETextPagePrinter(QStringLiteral("Unable to change orientation while printing"));
    const double left = FMarginLeft - UnprintableLeft();
    const double top = FMarginTop - UnprintableTop();
    const double right = FMarginRight - UnprintableRight();
    const double bottom = FMarginBottom - UnprintableBottom();
    FPrinter->SetOrientation(value == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    SetMarginLeft(UnprintableLeft() + left);
    SetMarginTop(UnprintableTop() + top);
    SetMarginRight(UnprintableRight() + right);
    SetMarginBottom(UnprintableBottom() + bottom);
    LayoutScroll();
    Invalidate();
}

QString TTextPagePrinter::Title() const { return FPrinter->Title(); }
void TTextPagePrinter::SetTitle(const QString &value) { FPrinter->SetTitle(value); }

void TTextPagePrinter::SetShadowColor(TColor value)
{
    if (value == FShadowColor)
        return;
    FShadowColor = value;
    Invalidate();
}

void TTextPagePrinter::SetShadowOffset(int value)
{
    if (value == FShadowOffset)
        return;
    FShadowOffset = value;
    LayoutScroll();
    Invalidate();
}

void TTextPagePrinter::SetShowMargins(bool value)
{
    if (value == FShowMargins)
        return;
    FShowMargins = value;
    Invalidate();
}

void TTextPagePrinter::SetShowGutter(bool value)
{
    if (value == FShowGutter)
        return;
    FShowGutter = value;
    Invalidate();
}

void TTextPagePrinter::SetGradientBackground(bool value)
{
    if (value == FGradientBackground)
        return;
    FGradientBackground = value;
    Invalidate();
}

void TTextPagePrinter::SetColor(TColor value)
{
    FColor = value;
    Invalidate();
}

// Any zoom is taken, but a page needs at least one percent to have a size
// at all: the preview and the fit-to-page ratios divide by it.
void TTextPagePrinter::SetZoomPercent(int value)
{
    FZoomPercent = value < 1 ? 1 : value;
    LayoutScroll();
    Invalidate();
}

// ------------------------------------------------------------------ margins

// A margin reaches at least to the printer's edge on its side and at most
// to the opposite side's edge.
double TTextPagePrinter::ClampMargin(double value, double edge, double limit, const char *side) const
{
    if (IsDocumentOpen())
        throw ETextPagePrinter(QStringLiteral("Unable to change %1 margin while printing").arg(QLatin1String(side)));
    return value <= edge ? edge : (value > limit ? limit : value);
}

void TTextPagePrinter::SetMarginLeft(double value)
{
    FMarginLeft = ClampMargin(value, UnprintableLeft(), PageWidth() - UnprintableRight(), "left");
    Invalidate();
}

void TTextPagePrinter::SetMarginTop(double value)
{
    FMarginTop = ClampMargin(value, UnprintableTop(), PageHeight() - UnprintableBottom(), "top");
    Invalidate();
}

void TTextPagePrinter::SetMarginRight(double value)
{
    FMarginRight = ClampMargin(value, UnprintableRight(), PageWidth() - UnprintableLeft(), "right");
    Invalidate();
}

void TTextPagePrinter::SetMarginBottom(double value)
{
    FMarginBottom = ClampMargin(value, UnprintableBottom(), PageHeight() - UnprintableTop(), "bottom");
    Invalidate();
}

void TTextPagePrinter::ResetMargins()
{
    FMarginLeft = UnprintableLeft();
    FMarginTop = UnprintableTop();
    FMarginRight = UnprintableRight();
    FMarginBottom = UnprintableBottom();
    Invalidate();
}

// -------------------------------------------------------------- page state

void TTextPagePrinter::SetCurrentPage(int value)
{
    const int count = PageCount();
    if (count == 0) {
        FCurrentPage = 0;
        Invalidate();
        return;
    }
    if (value < 1 || value > count)
        throw ETextPagePrinter(QStringLiteral("PageNumber must be between 1 and ") + QString::number(count));
    FCurrentPage = value;
    LayoutScroll();
    Invalidate();
}

void TTextPagePrinter::SetPrintFromPage(int value)
{
    FPrintFromPage = value;
    if (FPrintFromPage > FPrintToPage)
        FPrintToPage = FPrintFromPage;
}

void TTextPagePrinter::SetPrintToPage(int value)
{
    FPrintToPage = value;
    if (FPrintToPage < FPrintFromPage)
        FPrintFromPage = FPrintToPage;
}

void TTextPagePrinter::EndUpdate()
{
    if (FUpdateCount > 0) {
        --FUpdateCount;
        if (FUpdateCount == 0)
            Invalidate();
    }
}

void TTextPagePrinter::Invalidate()
{
    if (FUpdateCount == 0)
        viewport()->update();
}

// ------------------------------------------------------------------ writing

int TTextPagePrinter::TextWidth(const QString &text)
{
    int width = 0;
    if (FTextFileOpen && FixedPitchWidth(text, width))
        return width;
    return FCanvas.fontMetrics().horizontalAdvance(text);
}

bool TTextPagePrinter::FixedPitchWidth(const QString &text, int &width)
{
    const QFont &font = FCanvas.font();
    if (FAdvances.empty() || !(font == FAdvanceFont)) {
        FAdvanceFont = font;
        FAdvanceFixed = QFontInfo(font).fixedPitch();
        FAdvances.assign(0x500, -1.0);
    }
    if (!FAdvanceFixed)
        return false;
    const QFontMetricsF metrics(font, FCanvas.device());
    double sum = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u >= 0x500)
            return false;
        double &advance = FAdvances[u];
        if (advance < 0)
            advance = metrics.horizontalAdvance(c);
        sum += advance;
    }
    width = qRound(sum);
    return true;
}

int TTextPagePrinter::BlankWidth() { return qMax(1, TextWidth(QStringLiteral(" "))); }

// The canvas places text by its top edge, as the printer did.
void TTextPagePrinter::TextOut(int x, int y, const QString &text)
{
    FCanvas.drawText(QPoint(x, y + FCanvas.fontMetrics().ascent()), text);
}

void TTextPagePrinter::FileWrite(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (FTextFile.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Грешка при запис във файла \"%1\": %2")
                              .arg(FTextFile.fileName(), FTextFile.errorString()));
}

// A tab stop every TabSize characters; a tab always gives at least one
// blank (and a tab size below one counts as one).
QString TTextPagePrinter::ExpandTabs(const QString &text) const
{
    const int tab = qMax(1, FTabSize);
    QString result;
    result.reserve(text.size() + 16);
    for (QChar c : text) {
        if (c == QLatin1Char('\t'))
            result += QString(tab - int(result.size() % tab), QLatin1Char(' '));
        else
            result += c;
    }
    return result;
}

// The longest prefix that fits into width pixels, found by halving; at
// least one character, even when that one is wider.
QString TTextPagePrinter::FitText(const QString &text, int width)
{
    if (TextWidth(text) <= width)
        return text;
    int low = 1;
    int high = int(text.size());
    int previous = -1;
    while (high > low) {
        const int middle = (low + high) / 2;
        if (middle == previous)
            break;
        previous = middle;
        const int w = TextWidth(text.left(middle));
        if (w > width) {
            high = middle;
        } else if (w == width) {
            low = middle;
            break;
        } else {
            low = middle;
        }
    }
    return text.left(low);
}

// Takes one line off the front of rest: the fitting prefix, cut back to its
// last blank when the break falls inside a word.
QString TTextPagePrinter::TakeLine(QString &rest, int width, bool skipBlank)
{
    const QString prefix = FitText(rest, width);
    int length = int(prefix.size());
    int taken = length;
    if (length < rest.size()) {
        if (rest.at(length).unicode() > 32) {
            for (int i = length - 1; i >= 0; --i) {
                if (prefix.at(i).unicode() <= 32) {
                    length = i + 1;
                    taken = length;
                    break;
                }
            }
        } else if (skipBlank) {
            taken = length + 1;
        }
    }
    const QString line = rest.left(length);
    rest.remove(0, taken);
    return line;
}

void TTextPagePrinter::WrapWriter(QString rest, bool lineMode)
{
    while (!rest.isEmpty()) {
        const QString piece = TakeLine(rest, PrintableWidthPixels() - FX, lineMode);
        if (lineMode) {
            WriteAlignedLine(piece);
        } else {
            WriteLine(piece);
            if (!rest.isEmpty())
                NewLine();
        }
    }
}

// A new page is due when the line would reach the bottom of the page (or
// pass into the footer's line); the first line of a page always stays, so
// that a line taller than the page still advances one per page.
bool TTextPagePrinter::NeedsNewPage() const
{
    if (FY <= FBodyTop)
        return false;
    if (FFooterTop >= 0)
        return FY + FLineHeight > FFooterTop;
    return FY + FLineHeight >= PrintableHeightPixels();
}

void TTextPagePrinter::WriteLine(const QString &S)
{
    const QString text = S.contains(QLatin1Char('\t')) ? ExpandTabs(S) : S;
    const int width = TextWidth(text);
    const int room = PrintableWidthPixels() - FX;
    if (width > room && text.size() > 1) {
        if (FWordWrap)
            WrapWriter(text, false);
        else
            WriteLine(FitText(text, room));
        return;
    }
    if (!FTextFileOpen && NeedsNewPage())
        NewPage();
    if (FTextFileOpen)
        FileWrite(text);
    else
        TextOut(FX, FY, text);
    FX += width;
}

void TTextPagePrinter::WriteAlignedLine(const QString &S)
{
    const QString text = S.contains(QLatin1Char('\t')) ? ExpandTabs(S) : S;
    const int width = TextWidth(text);
    const int printable = PrintableWidthPixels();
    if (width > printable && text.size() > 1) {
        FX = 0;
        if (FWordWrap)
            WrapWriter(text, true);
        else
            WriteAlignedLine(FitText(text, printable));
        return;
    }
    // The page is turned before the line is placed, so that a line that
    // opens a page keeps its alignment.
    if (!FTextFileOpen && NeedsNewPage())
        NewPage();
    switch (FAlignment) {
    case taLeftJustify:
        FX = 0;
        break;
    case taRightJustify:
        FX = printable - width;
        break;
    case taCenter:
        FX = (printable - width) / 2;
        break;
    }
    if (FTextFileOpen)
        FileWrite(QString(qMax(0, FX / BlankWidth()), QLatin1Char(' ')) + text);
    else
        TextOut(FX, FY, text);
    NewLine();
}

QString TTextPagePrinter::ExpandMacros(QString text) const
{
    const QDateTime now = QDateTime::currentDateTime();
    text.replace(QStringLiteral("{$LINE}"), QString::number(FLineCount));
    text.replace(QStringLiteral("{$PAGE}"), QString::number(FCurrentPage));
    text.replace(QStringLiteral("{$DATE}"), DateToDisplayText(now.date()));
    text.replace(QStringLiteral("{$TIME}"), LongTimeText(now.time()));
    text.replace(QStringLiteral("{$TITLE}"), Title());
    return text;
}

void TTextPagePrinter::ReadColumnFormat(QString format, TAlignment &alignment, double &width) const
{
    if (format.isEmpty())
        format = QStringLiteral("<") + FloatText(FDefaultColWidth);
    if (format == QLatin1String("<") || format == QLatin1String(">") || format == QLatin1String("^"))
        format += FloatText(FDefaultColWidth);
    alignment = taLeftJustify;
    const QChar first = format.at(0);
    if (first == QLatin1Char('<') || first == QLatin1Char('>') || first == QLatin1Char('^')) {
        if (first == QLatin1Char('>'))
            alignment = taRightJustify;
        else if (first == QLatin1Char('^'))
            alignment = taCenter;
        format.remove(0, 1);
    }
    bool ok = false;
    width = QLocale::c().toDouble(format.trimmed(), &ok);
    if (!ok)
        width = FDefaultColWidth;
}

QString TTextPagePrinter::NormalizeFormat(const QString &format, double multiplier, double divisor) const
{
    if (format.isEmpty())
        return QString();
    QStringList columns;
    for (const QString &column : format.split(FTokenSeparator)) {
        TAlignment alignment;
        double width;
        ReadColumnFormat(column, alignment, width);
        const QChar mark = alignment == taRightJustify ? QLatin1Char('>')
                           : alignment == taCenter     ? QLatin1Char('^')
                                                       : QLatin1Char('<');
        columns << mark + FloatText(width * multiplier / divisor).trimmed();
    }
    return columns.join(FTokenSeparator);
}

void TTextPagePrinter::ConvertFriendly(const QString &friendly, QString &line, QString &format) const
{
    const QDateTime now = QDateTime::currentDateTime();
    QString text;
    QStringList columns;
    for (int i = 0; i < friendly.size(); ++i) {
        const QChar c = friendly.at(i);
        if (c != QLatin1Char('&')) {
            text += c;
            continue;
        }
        if (++i >= friendly.size())
            break;
        QString value;
        QChar column;
        switch (friendly.at(i).unicode()) {
        case '&':
            value = QStringLiteral("&");
            break;
        case 'D':
            value = LongDateText(now.date());
            break;
        case 'd':
            value = DateToDisplayText(now.date());
            break;
        case 'T':
            value = LongTimeText(now.time());
            break;
        case 't':
            value = ShortTimeText(now.time());
            break;
        case 'F':
            value = FFileName;
            break;
        case 'f': {
            int cut = -1;
            for (QChar separator : {QLatin1Char('\\'), QLatin1Char(':'), QLatin1Char('/')})
                cut = qMax(cut, int(FFileName.lastIndexOf(separator)));
            value = FFileName.mid(cut + 1);
            break;
        }
        case 'p':
            value = QStringLiteral("{$PAGE}");
            break;
        case 'i':
            value = QStringLiteral("{$TITLE}");
            break;
        case 'l':
            column = QLatin1Char('<');
            break;
        case 'c':
            column = QLatin1Char('^');
            break;
        case 'r':
            column = QLatin1Char('>');
            break;
        default:
            break;
        }
        if (!column.isNull()) {
            if (!text.isEmpty()) {
                if (columns.isEmpty())
                    columns << QStringLiteral("<");
                text += FTokenSeparator;
            }
            columns << QString(column);
        } else {
            text += value.isEmpty() ? QStringLiteral(" ") : value;
        }
    }
    if (columns.isEmpty())
        columns << QStringLiteral("<");
    const double width = (PageWidth() - FMarginLeft - FMarginRight) / columns.size();
    const QString widthText = QString::number(width, 'f', 2).trimmed();
    for (QString &column : columns)
        column += widthText;
    line = text;
    format = NormalizeFormat(columns.join(FTokenSeparator));
}

void TTextPagePrinter::DrawCellLines(int x, int width, bool top, bool bottom)
{
    int leading = FExternalLeading;
    switch (FLineSpacing) {
    case lsHalfSpace:
        leading = FExternalLeading / 2;
        break;
    case lsSingleSpace:
        break;
    case lsSingleAndAHalf:
        leading = RoundRt(FExternalLeading * 1.5);
        break;
    case lsDoubleSpace:
        leading = 2 * FExternalLeading;
        break;
    }
    const int edge = FY - leading;
    const QPen saved = FCanvas.pen();
    QPen pen(saved);
    pen.setWidth(2 * (LogPixelsY() / 300));
    FCanvas.setPen(pen);
    if (top)
        FCanvas.drawLine(x, edge, x + width, edge);
    if (bottom)
        FCanvas.drawLine(x, edge + FLineHeight, x + width, edge + FLineHeight);
    pen.setWidth(2 * (LogPixelsX() / 300));
    FCanvas.setPen(pen);
    FCanvas.drawLine(x, edge, x, edge + FLineHeight);
    FCanvas.drawLine(x + width, edge, x + width, edge + FLineHeight);
    FCanvas.setPen(saved);
}

void TTextPagePrinter::WriteTableLine(const QString &S)
{
    const QStringList formats = FTableFormat.split(FTokenSeparator);
    QStringList cells = S.split(FTokenSeparator);
    bool gridTop = FTableGrid;
    const int padding = 6 * (LogPixelsX() / 300);
    bool more;
    do {
        more = false;
        FX = 0;
        for (int i = 0; i < formats.size(); ++i) {
            TAlignment alignment;
            double width;
            ReadColumnFormat(formats.at(i), alignment, width);
            const int columnWidth = UnitsToPixelsX(std::fabs(width));
            const bool grid = FTableGrid && width >= 0;
            QString cell = i < cells.size() ? cells.at(i) : QString();
            if (cell.contains(QLatin1String("{$")))
                cell = ExpandMacros(cell);
            QString text;
            if (FWordWrap) {
                text = TakeLine(cell, columnWidth, false);
                const int feed = int(text.indexOf(QLatin1Char('\n')));
                if (feed >= 0) {
                    const QString after = text.mid(feed + 1);
                    if (!after.isEmpty())
                        cell = cell.isEmpty() ? after : after + QLatin1Char(' ') + cell;
                    text.truncate(feed);
                }
                if (i < cells.size())
                    cells[i] = cell;
                if (!cell.isEmpty())
                    more = true;
            } else {
                text = FitText(cell, columnWidth);
            }
            const int textWidth = TextWidth(text);
            int offset = 0;
            if (alignment == taRightJustify)
                offset = columnWidth - textWidth;
            else if (alignment == taCenter)
                offset = (columnWidth - textWidth) / 2;
            if (textWidth < columnWidth - padding) {
                if (alignment == taRightJustify)
                    offset -= padding;
                else if (alignment == taLeftJustify)
                    offset += padding;
            }
            if (FTextFileOpen) {
                const int blank = BlankWidth();
                FileWrite(QString(qMax(0, offset / blank), QLatin1Char(' ')) + text
                          + QString(qMax(0, (columnWidth - offset - textWidth) / blank), QLatin1Char(' ')));
            } else {
                TextOut(FX + offset, FY, text);
                if (grid)
                    DrawCellLines(FX, columnWidth, gridTop, false);
            }
            FX += columnWidth;
        }
        gridTop = false;
        if (more)
            NewLine();
    } while (more);
    if (FTableGrid && !FTextFileOpen) {
        FX = 0;
        for (const QString &format : formats) {
            TAlignment alignment;
            double width;
            ReadColumnFormat(format, alignment, width);
            const int columnWidth = UnitsToPixelsX(std::fabs(width));
            if (width >= 0)
                DrawCellLines(FX, columnWidth, false, true);
            FX += columnWidth;
        }
    }
    if (!FHeaderInProgress || FTextFileOpen)
        NewLine();
}

int TTextPagePrinter::NewLine()
{
    FX = 0;
    FY += FLineHeight;
    if (!FTextFileOpen && !FHeaderInProgress && NeedsNewPage()) {
        NewPage();
    } else {
        if (FTextFileOpen)
            FileWrite(QStringLiteral("\r\n"));
        ++FLineCount;
    }
    if (OnNewLine)
        OnNewLine(this);
    return FLineCount;
}

int TTextPagePrinter::NewPage()
{
    if (FTextFileOpen) {
        FileWrite(QStringLiteral("\f\r\n"));
    } else {
        CloseCanvas();
        OpenCanvas(FPages.Add(NewDrawing()));
    }
    ++FCurrentPage;
    StartPage();
    return FCurrentPage;
}

void TTextPagePrinter::StartPage()
{
    FX = 0;
    FY = 0;
    FLineCount = 0;
    FBodyTop = 0;
    FFooterTop = -1;
    if (OnNewPage)
        OnNewPage(this);
    const int savedX = FX, savedY = FY, savedLines = FLineCount;

    const QString savedFormat = FTableFormat;
    const bool savedGrid = FTableGrid;
    const QFont savedFont = FFont;
    const bool savedAutoHeader = FAutoHeaderFont, savedAutoFooter = FAutoFooterFont;
    FTableGrid = false;
    FAutoHeaderFont = false;
    FAutoFooterFont = false;
    FHeaderInProgress = true;
    int headerBottom = -1;
    int footerTop = -1;
    auto restore = [&] {
        FHeaderInProgress = false;
        FTableFormat = savedFormat;
        FTableGrid = savedGrid;
        SetFont(savedFont);
        FAutoHeaderFont = savedAutoHeader;
        FAutoFooterFont = savedAutoFooter;
        FX = savedX;
        FY = savedY;
        FLineCount = savedLines;
    };
    try {
        if (!FHeader.isEmpty()) {
            SetFont(FHeaderFont);
            const double border = FPageBorders.testFlag(pbTop) ? FPageBorderOffset : 0;
            FX = 0;
            FLineCount = 0;
            FY = (UnitsToPixelsY(FMarginTop - border) - FLineHeight) / 2 - UnitsToPixelsY(FMarginTop);
            if (FY < 0)
                FY = 0;
            FTableFormat = FHeaderFormat;
            WriteTableLine(FHeader);
            headerBottom = FY + FLineHeight;
        }
        if (!FFooter.isEmpty()) {
            SetFont(FFooterFont);
            const double border = FPageBorders.testFlag(pbBottom) ? FPageBorderOffset : 0;
            const int printable = PrintableHeightPixels();
            FX = 0;
            FLineCount = 0;
            FY = printable + UnitsToPixelsY(border)
                 + (UnitsToPixelsY(FMarginBottom - border) - FLineHeight) / 2;
            if (FY + FLineHeight > printable)
                FY = printable - FLineHeight;
            footerTop = FY;
            FTableFormat = FFooterFormat;
            WriteTableLine(FFooter);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    // The body keeps clear of the header's and the footer's lines.
    if (!FTextFileOpen) {
        if (headerBottom >= 0) {
            FBodyTop = headerBottom;
            FY = qMax(FY, FBodyTop);
        }
        FFooterTop = footerTop;
    }
    if (OnNewLine)
        OnNewLine(this);

    if (FTextFileOpen || !FPageBorders)
        return;
    const int b = UnitsToPixelsX(FPageBorderOffset);
    const int width = PrintableWidthPixels();
    const int height = PrintableHeightPixels();
    const QPen saved = FCanvas.pen();
    QPen pen(saved);
    pen.setWidth(2 * (LogPixelsY() / 300));
    FCanvas.setPen(pen);
    if (FPageBorders.testFlag(pbTop))
        FCanvas.drawLine(-b, -b, width + b, -b);
    if (FPageBorders.testFlag(pbBottom))
        FCanvas.drawLine(-b, height + b, width + b, height + b);
    pen.setWidth(2 * (LogPixelsX() / 300));
    FCanvas.setPen(pen);
    if (FPageBorders.testFlag(pbLeft))
        FCanvas.drawLine(-b, -b, -b, height + b);
    if (FPageBorders.testFlag(pbRight))
        FCanvas.drawLine(width + b, -b, width + b, height + b);
    FCanvas.setPen(saved);
}

// --------------------------------------------------------------- document

void TTextPagePrinter::PrepareDocument()
{
    if (!IsDocumentOpen()) {
        SetMarginLeft(FMarginLeft);
        SetMarginTop(FMarginTop);
        SetMarginRight(FMarginRight);
        SetMarginBottom(FMarginBottom);
    }
    ApplyFont();
    if (!FFriendlyHeader.isEmpty())
        ConvertFriendly(FFriendlyHeader, FHeader, FHeaderFormat);
    if (!FFriendlyFooter.isEmpty())
        ConvertFriendly(FFriendlyFooter, FFooter, FFooterFormat);
}

void TTextPagePrinter::BeginDoc()
{
    PrepareDocument();
    if (FPrintToFile) {
        if (FTextFile.isOpen())
            FTextFile.close();
        FTextFile.setFileName(FFileName);
        if (!FTextFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EInOutError(QStringLiteral("Файлът \"%1\" не може да бъде създаден: %2")
                                  .arg(FFileName, FTextFile.errorString()));
        FTextFileOpen = true;
    } else {
        CloseCanvas();
        FPages.Clear();
        OpenCanvas(FPages.Add(NewDrawing()));
    }
    FDocOpen = true;
    FHeaderInProgress = false;
    FCurrentPage = 1;
    StartPage();
}

void TTextPagePrinter::EndDoc()
{
    FDocOpen = false;
    if (FTextFileOpen) {
        FTextFileOpen = false;
        const bool flushed = FTextFile.flush();
        const QString error = FTextFile.errorString();
        FTextFile.close();
        if (!flushed)
            throw EInOutError(QStringLiteral("Грешка при запис във файла \"%1\": %2").arg(FFileName, error));
        return;
    }
    FBodyTop = 0;
    FFooterTop = -1;
    NewScratch();
    SetCurrentPage(1);
    LayoutScroll();
    Invalidate();
}

// ------------------------------------------------------------------- print

void TTextPagePrinter::UpdateProgress(const QString &message, int page, int first, int last)
{
    if (FShowProgress && message != kFinish) {
        if (!FProgress) {
            // Owned by the window that prints: a preview runs modally, and its
            // progress must still take Cancel.
            FProgress = std::make_unique<TPagePrintProgressDlg>(window());
            FProgress->OnCancel = [this] { FCancel = true; };
            if (!FShowCancel) {
                FProgress->btnCancel->hide();
                FProgress->setFixedHeight(98 * FProgress->logicalDpiY() / 96);
            }
        }
        FProgress->show();
        FProgress->setWindowTitle(Title());
        FProgress->lblStatus->setText(message.isEmpty()
                                          ? QStringLiteral("Отпечатване на страниците, моля изчакайте ...")
                                          : message);
        const int range = last - first + 1;
        FProgress->ProgBar->setMaximum(qMax(1, FCopies * range));
        FProgress->ProgBar->setValue(qMin(FProgress->ProgBar->value() + 1, FProgress->ProgBar->maximum()));
        FProgress->lblPageNumber->setText(QStringLiteral("стр.: %1 / %2").arg(page).arg(range));
        FProgress->repaint();
    } else if (FProgress) {
        if (FProgress->isVisible())
            FProgress->close();
        FProgress.reset();
    }
}

void TTextPagePrinter::PrintPage(int page, int first, int last, bool lastOfAll)
{
    if (FShowProgress && FShowCancel)
        QCoreApplication::processEvents();
    if (FCancel)
        throw ECancelPrinting(QStringLiteral("Печатът е прекъснат"));
    UpdateProgress(FProgressMessage, page, first, last);
    FPages.Items(page - 1)->Replay(FPrinter->Canvas());
    if (!lastOfAll)
        FPrinter->NewPage();
}

bool TTextPagePrinter::Print()
{
    if (IsDocumentOpen())
        EndDoc();
    const int count = PageCount();
    if (count == 0)
        return true;
    // Page numbers below one count as not set.
    const int first = FPrintFromPage >= 1 ? qMin(FPrintFromPage, count) : 1;
    const int last = FPrintToPage >= 1 ? qMin(FPrintToPage, count) : count;

    const int savedCopies = FPrinter->Copies();
    FPrinter->SetCopies(1);
    FCancel = false;
    auto finish = [&] {
        UpdateProgress(kFinish, 0, 0, 0);
        if (!FPrinter->Printing())
            FPrinter->SetCopies(savedCopies);
    };
    try {
        FPrinter->BeginDoc();
        if (FCollate) {
            for (int copy = 1; copy <= FCopies; ++copy)
                for (int page = first; page <= last; ++page)
                    PrintPage(page, first, last, copy == FCopies && page == last);
        } else {
            for (int page = first; page <= last; ++page)
                for (int copy = 1; copy <= FCopies; ++copy)
                    PrintPage(page, first, last, copy == FCopies && page == last);
        }
        FPrinter->EndDoc();
    } catch (const ECancelPrinting &) {
        finish();
        if (FPrinter->Printing()) {
            if (FAbortOnCancel)
                FPrinter->Abort();
            else
                FPrinter->EndDoc();
        }
        return false;
    } catch (...) {
        finish();
        // A job left open would refuse every later print.
        if (FPrinter->Printing())
            FPrinter->Abort();
        throw;
    }
    finish();
    return true;
}

// ----------------------------------------------------------------- preview

int TTextPagePrinter::ScreenDpiX() const { return qMax(1, viewport()->logicalDpiX()); }
int TTextPagePrinter::ScreenDpiY() const { return qMax(1, viewport()->logicalDpiY()); }

int TTextPagePrinter::PageWidthOnScreen() const
{
    return RoundRt(double(FZoomPercent) * PhysicalWidthPixels() / (double(LogPixelsX()) / ScreenDpiX()) / 100.0);
}

int TTextPagePrinter::PageHeightOnScreen() const
{
    return RoundRt(double(FZoomPercent) * PhysicalHeightPixels() / (double(LogPixelsY()) / ScreenDpiY()) / 100.0);
}

int TTextPagePrinter::ScreenLength(double units, bool vertical) const
{
    const int dpi = vertical ? ScreenDpiY() : ScreenDpiX();
    return RoundRt(FZoomPercent * double(RoundRt(ToInches(units) * dpi)) / 100.0);
}

void TTextPagePrinter::UpdateScrollBars()
{
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, FRangeH - client.width()));
    horizontalScrollBar()->setPageStep(qMax(1, client.width()));
    verticalScrollBar()->setRange(0, qMax(0, FRangeV - client.height()));
    verticalScrollBar()->setPageStep(qMax(1, client.height()));
}

void TTextPagePrinter::LayoutScroll()
{
    FRangeH = PageWidthOnScreen() + 2 * (FShadowOffset + 1);
    FRangeV = PageHeightOnScreen() + 2 * (FShadowOffset + 1);
    UpdateScrollBars();
    if (FConstructing)
        return;
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    const QSize client = viewport()->size();
    switch (FZoomLocation) {
    case zlTopLeft:
        h->setValue(0);
        v->setValue(0);
        break;
    case zlTopCenter:
        h->setValue((FRangeH - client.width()) / 2);
        v->setValue(0);
        break;
    case zlCenter:
        h->setValue((FRangeH - client.width()) / 2);
        v->setValue((FRangeV - client.height()) / 2);
        break;
    case zlSame:
        h->setValue(h->value() + 1);
        v->setValue(v->value() + 1);
        break;
    }
}

void TTextPagePrinter::ZoomToPage()
{
    const qint64 pageWidth = PageWidthOnScreen();
    const qint64 pageHeight = PageHeightOnScreen();
    const qint64 clientWidth = viewport()->width();
    const qint64 clientHeight = viewport()->height();
    // pageWidth / pageHeight <= clientWidth / clientHeight, without dividing
    if (pageWidth * clientHeight <= clientWidth * pageHeight)
        ZoomToPageHeight();
    else
        ZoomToPageWidth();
}

void TTextPagePrinter::ZoomToPageWidth()
{
    const double ratio = FConstructing ? 1.0 : double(LogPixelsX()) / ScreenDpiX();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int room = viewport()->width() - bar - 2 * (FShadowOffset + 1);
    SetZoomPercent(int(std::trunc(ratio * room * 100.0 / qMax(1, UnitsToPixelsX(PageWidth())))));
}

void TTextPagePrinter::ZoomToPageHeight()
{
    const double ratio = FConstructing ? 1.0 : double(LogPixelsY()) / ScreenDpiY();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int room = viewport()->height() - bar - 2 * (FShadowOffset + 1);
    SetZoomPercent(int(std::trunc(ratio * room * 100.0 / qMax(1, UnitsToPixelsY(PageHeight())))));
}

void TTextPagePrinter::PaintPreview(QPainter &painter)
{
    const QSize client = viewport()->size();
    const int width = qMax(client.width(), FRangeH);
    const int height = qMax(client.height(), FRangeV);
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());

    if (FGradientBackground) {
        QLinearGradient gradient(0, 0, 0, height);
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, platform::ToQColor(FColor));
        painter.fillRect(QRect(0, 0, width, height), gradient);
    } else {
        painter.fillRect(QRect(0, 0, width, height), platform::ToQColor(FColor));
    }

    const int pageWidth = PageWidthOnScreen();
    const int pageHeight = PageHeightOnScreen();
    const int left = (width - pageWidth) / 2;
    const int top = (height - pageHeight) / 2;
    const int right = left + pageWidth;
    const int bottom = top + pageHeight;
    // Rectangles as the printer's canvas takes them: right and bottom
    // exclusive.
    auto box = [](int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); };

    if (FShadowOffset > 0) {
        const QColor shadow = platform::ToQColor(FShadowColor);
        painter.fillRect(box(right, top + FShadowOffset, right + FShadowOffset, bottom + FShadowOffset), shadow);
        painter.fillRect(box(left + FShadowOffset, bottom, right, bottom + FShadowOffset), shadow);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(box(left, top, right, bottom).adjusted(0, 0, -1, -1));

    const int edgeLeft = ScreenLength(UnprintableLeft(), false);
    const int edgeTop = ScreenLength(UnprintableTop(), true);
    const int edgeRight = ScreenLength(UnprintableRight(), false);
    const int edgeBottom = ScreenLength(UnprintableBottom(), true);
    if (FCurrentPage >= 1 && FCurrentPage <= PageCount()) {
        const QRect area = box(left + edgeLeft + 1, top + edgeTop + 1, right - edgeRight + 1, bottom - edgeBottom + 1);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        const platform::RecordedPage *page = FPages.Items(FCurrentPage - 1);
        if (area.width() > 0 && area.height() > 0) {
            painter.save();
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                                   | QPainter::SmoothPixmapTransform);
            painter.setClipRect(area);
            painter.translate(area.topLeft());
            painter.scale(double(area.width()) / page->Size().width(), double(area.height()) / page->Size().height());
            page->Replay(painter);
            painter.restore();
        }
    }
    painter.setBrush(Qt::NoBrush);
    if (FShowMargins) {
        painter.setPen(QPen(platform::ToQColor(clSilver), 0, Qt::DotLine));
        painter.drawRect(box(left + ScreenLength(FMarginLeft, false), top + ScreenLength(FMarginTop, true),
                             right - ScreenLength(FMarginRight, false), bottom - ScreenLength(FMarginBottom, true))
                             .adjusted(0, 0, -1, -1));
    }
    if (FShowGutter) {
        painter.setPen(QPen(platform::ToQColor(clBlue), 0, Qt::DotLine));
        painter.drawRect(box(left + edgeLeft, top + edgeTop, right - edgeRight, bottom - edgeBottom)
                             .adjusted(0, 0, -1, -1));
    }
    painter.setPen(platform::ToQColor(FColor));
}

void TTextPagePrinter::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    PaintPreview(painter);
}

void TTextPagePrinter::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TTextPagePrinter::scrollContentsBy(int, int) { viewport()->update(); }

QPoint TTextPagePrinter::PaintBoxPoint(const QPointF &viewportPoint) const
{
    return viewportPoint.toPoint() + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TTextPagePrinter::mousePressEvent(QMouseEvent *event)
{
    if (OnMouseDown) {
        const QPoint p = PaintBoxPoint(event->position());
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    }
}

void TTextPagePrinter::mouseMoveEvent(QMouseEvent *event)
{
    if (OnMouseMove) {
        const QPoint p = PaintBoxPoint(event->position());
        OnMouseMove(viewport(), event->modifiers(), p.x(), p.y());
    }
}

void TTextPagePrinter::mouseReleaseEvent(QMouseEvent *event)
{
    if (OnMouseUp) {
        const QPoint p = PaintBoxPoint(event->position());
        OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    }
}
