#include "framework/unExport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "components/RunTimeGrid.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"
#include "framework/QuorendReadForm.h"
#include "platform/office/DesktopOpen.h"
#include "platform/office/RtfWriter.h"
#include "platform/office/XlsxWriter.h"
#include "platform/system/ReplacingFile.h"

using platform::StringGrid;
using platform::office::RtfAlign;
using platform::office::RtfCell;
using platform::office::RtfDocument;
using platform::office::RtfFont;
using platform::office::RtfVAlign;
using platform::office::XlsxLook;
using platform::office::XlsxWorkbook;

namespace {

const QString CompanyHeaderFormat = QStringLiteral("%s\r№ по НДР: %s\rБулстат: %s");
const QString PleaseWait = QStringLiteral(", моля изчакайте ...");
constexpr TColor HeaderColor = 0xF1E3B1; // 15852465, the header cells' colour
constexpr int ProcessEventsEveryMs = 50;

// --- reading a grid ----------------------------------------------------------

// What the exports read of one cell.
struct CellLook
{
    QString Text;
    int Align = 0; // AlignBit... of GridUtils
    TColor Color = clWindow;
    bool Wrap = false;
    TGridRect Block;
};

// Reads cells of any grid: an attributed grid in one pass over its layers
// per cell, other grids through the grid utilities.
class GridReader
{
public:
    explicit GridReader(StringGrid &Grid)
        : grid_(Grid), rich_(dynamic_cast<TRichGrid *>(&Grid)), runTime_(dynamic_cast<TRunTimeGrid *>(&Grid))
    {
    }

    void Read(int c, int r, CellLook &out)
    {
        if (rich_) {
            out.Text.clear();
            rich_->GetDisplayAttributes(c, r, &attrs_, out.Text);
            out.Align = AlignmentBits(attrs_.Alignment());
            out.Color = attrs_.BackColor();
            out.Wrap = attrs_.WordWrap();
            rich_->GetMergeRect(c, r, out.Block);
            return;
        }
        GetCellText(grid_, c, r, out.Text);
        out.Align = GetCellAlignment(grid_, c, r);
        out.Color = GetCellColor(grid_, c, r);
        out.Wrap = runTime_ != nullptr; // the run-time grid breaks its lines
        GetCellMergeRect(grid_, c, r, out.Block);
    }

    // The text as stored (the run-time grid's source included).
    QString Stored(int c, int r) const
    {
        if (runTime_) {
            QString s;
            runTime_->GetCell(c, r, s);
            return s;
        }
        return grid_.Cells(c, r);
    }

private:
    StringGrid &grid_;
    TRichGrid *rich_;
    TRunTimeGrid *runTime_;
    TColRowAttributes attrs_;
};

bool IsHighlightColor(TColor c) { return c == HeaderColor || c == TotalsRowColor; }

int RgbOf(TColor c)
{
    const TColor v = ColorToRGB(c);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

QString TodayText() { return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" г."); }

QStringList CompanyLines(const TExportObject &Company) { return Company.Text.split(QLatin1Char('\r')); }

bool ReadsAsNumber(const QString &Text, long double &Value)
{
    if (Text.trimmed().isEmpty())
        return false;
    Value = DotStrToFloat(Text, std::numeric_limits<long double>::quiet_NaN());
    return !std::isnan(Value);
}

// The longest line of a text, in characters.
int LongestLine(const QString &Text)
{
    int best = 0, run = 0;
    for (QChar ch : Text) {
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            best = std::max(best, run);
            run = 0;
        } else {
            ++run;
        }
    }
    return std::max(best, run);
}

// --- spreadsheet -------------------------------------------------------------

XlsxLook FontLook(const TExportObject &Object)
{
    XlsxLook l;
    l.FontName = Object.Font.family();
    l.FontSize = Object.Font.pointSizeF() > 0 ? Object.Font.pointSizeF() : 10;
    l.FontColor = RgbOf(Object.FontColor);
    l.Bold = Object.Font.bold();
    l.Italic = Object.Font.italic();
    l.Underline = Object.Font.underline();
    l.StrikeOut = Object.Font.strikeOut();
    return l;
}

// A cell's alignment in a file from the grid's alignment bits: centred
// both ways, then right, left, top and bottom where they are set.
template <class H, class V> struct AlignmentValues
{
    H Left, Center, Right;
    V Top, Middle, Bottom;
};

template <class H, class V> void ApplyAlignmentBits(int Bits, const AlignmentValues<H, V> &Values, H &Horizontal, V &Vertical)
{
    if (Bits & AlignBitCenter) {
        Horizontal = Values.Center;
        Vertical = Values.Middle;
    }
    if (Bits & AlignBitRight)
        Horizontal = Values.Right;
    if (Bits & AlignBitLeft)
        Horizontal = Values.Left;
    if (Bits & AlignBitTop)
        Vertical = Values.Top;
    if (Bits & AlignBitBottom)
        Vertical = Values.Bottom;
}

void ApplyAlignment(XlsxLook &l, int bits)
{
    ApplyAlignmentBits(bits,
                       AlignmentValues<decltype(l.Horizontal), decltype(l.Vertical)>{
                           XlsxLook::HLeft, XlsxLook::HCenter, XlsxLook::HRight, XlsxLook::VTop, XlsxLook::VCenter,
                           XlsxLook::VBottom},
                       l.Horizontal, l.Vertical);
}

// The spreadsheet's standard palette: index 8 turquoise, 2 white, 1 black.
constexpr int PaletteTurquoise = 0x00FFFF;
constexpr int PaletteWhite = 0xFFFFFF;
constexpr int PaletteBlack = 0x000000;

// --- document ------------------------------------------------------------------

RtfFont DocumentFont(const TExportObject &Object, bool WithColorIndex)
{
    RtfFont f;
    f.Family = Object.Font.family();
    f.Size = Object.Font.pointSizeF() > 0 ? Object.Font.pointSizeF() : 10;
    f.Color = WithColorIndex ? ExportIndexColor(ExportColorIndex(Object.FontColor)) : -1;
    f.Bold = Object.Font.bold();
    f.Italic = Object.Font.italic();
    f.Underline = Object.Font.underline();
    f.StrikeOut = Object.Font.strikeOut();
    return f;
}

} // namespace

// --- progress ------------------------------------------------------------------

void TExportProgress::Start(const QString &, long long) {}
void TExportProgress::SetStatus(const QString &) {}
bool TExportProgress::Step(long long) { return false; }
void TExportProgress::Failed(const QString &) {}
void TExportProgress::Finish() {}

// --- pieces ----------------------------------------------------------------------

QString ExportNumberFormat(const QString &CellText)
{
    long double v;
    if (!ReadsAsNumber(CellText, v))
        return QString();
    const int decimals = CountDecimals(CellText.trimmed());
    const QString f = decimals > 0 ? QStringLiteral(".") + QString(decimals, QLatin1Char('0')) : QString();
    return QStringLiteral("#,##0") + f + QStringLiteral("\\ _л_в;[Red]-#,##0") + f + QStringLiteral("\\ _л_в");
}

int ExportColorIndex(TColor Color)
{
    if (Color == HeaderColor || Color == TotalsRowColor)
        return 3;
    if (Color == clWindow)
        return 0;
    switch (Color) {
    case 0xFF0000: return 2;
    case 0x808000: return 10;
    case clBlack: return 1;
    case 0x0000FF: return 6;
    case 0x008000: return 11;
    default: return 0;
    }
}

int ExportIndexColor(int Index)
{
    switch (Index) {
    case 1: return 0x000000;
    case 2: return 0x0000FF;
    case 3: return 0x00FFFF;
    case 6: return 0xFF0000;
    case 10: return 0x008080;
    case 11: return 0x008000;
    default: return -1;
    }
}

QString QuoteDelimitedField(const QString &Text, const QString &Delimiter)
{
    if (!Text.contains(Delimiter) && !Text.contains(QLatin1Char('"')) && !Text.contains(QLatin1Char('\n')) &&
        !Text.contains(QLatin1Char('\r')))
        return Text;
    QString q = Text;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString ChangeExportExtension(const QString &FileName, const QString &Ext)
{
    const int slash = FileName.lastIndexOf(QLatin1Char('/'));
    const int dot = FileName.indexOf(QLatin1Char('.'), slash + 1);
    return (dot < 0 ? FileName : FileName.left(dot)) + Ext;
}

QString ExportProposedFileName(const QString &Title)
{
    QString name;
    name.reserve(Title.size());
    for (QChar ch : Title) {
        static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
        name += (ch.unicode() < 0x20 || forbidden.contains(ch)) ? QLatin1Char('_') : ch;
    }
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Справка");
    // The documents folder, or the home folder where the desktop made none.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return folder + QLatin1Char('/') + name;
}

QString ExportProgramName(int Choice)
{
    switch (Choice) {
    case ecSpreadsheet: return QStringLiteral("MS Excel 97");
    case ecDocument: return QStringLiteral("MS Word 97");
    default: return QStringLiteral("MS Wordpad");
    }
}

QString ExportExtension(int Choice)
{
    switch (Choice) {
    case ecSpreadsheet: return QStringLiteral(".xlsx");
    case ecDocument: return QStringLiteral(".rtf");
    default: return QStringLiteral(".txt");
    }
}

// --- the exporters ----------------------------------------------------------------

namespace {

// What an export killed before its end left in the target's folder goes
// at the next export there.
void RemoveExportLeftovers(const TExportJob &Job)
{
    platform::ReplacingFile::RemoveLeftovers(QFileInfo(Job.FileName).absolutePath());
}

// An export into an office file between the progress's start and finish:
// Body's result, or erFailed with the program's message and the cause when
// it throws.

int RunOfficeExport(const QString &Program, const TExportJob &Job, TExportProgress &Progress,
                    const std::function<int(StringGrid &Grid, int Cols, int Rows)> &Body)
{
    StringGrid &grid = *Job.Grid;
    const int cols = grid.ColCount();
    const int rows = grid.RowCount();
    Progress.Start(QStringLiteral("Стартиране на ") + Program + PleaseWait, static_cast<long long>(cols) * rows);
    RemoveExportLeftovers(Job);
    int result = erFailed;
    bool failed = true;
    QString cause;
    try {
        result = Body(grid, cols, rows);
        failed = false;
    } catch (const std::bad_alloc &) {
        cause = QStringLiteral("Няма достатъчно памет.");
    } catch (const std::exception &e) {
        // Our writers' messages are the clerk's (the file and the cause).
        cause = QString::fromUtf8(e.what());
    }
    Progress.Finish();
    if (failed) {
        Progress.Failed(cause);
        ShowError(QStringLiteral("Грешка в комуникацията с %1\r").arg(Program) +
                  QStringLiteral("Моля проверете инсталацията на MS Office 97\r\r%1").arg(cause));
        return erFailed;
    }
    return result;
}

QString TransferStatus(const QString &Program)
{
    return QStringLiteral("Прехвърляне на данните към ") + Program + PleaseWait;
}

} // namespace

int ExportToSpreadsheet(const TExportJob &Job, TExportProgress &Progress)
{
    const QString program = QStringLiteral("MS Excel 97");
    return RunOfficeExport(program, Job, Progress, [&](StringGrid &grid, int cols, int rows) {
        XlsxWorkbook book(Job.FileName);
        Progress.SetStatus(TransferStatus(program));
        std::vector<int> longest(static_cast<size_t>(std::max(cols, 1)), 0);
        auto note = [&longest](int col, const QString &text) {
            if (col >= 0 && col < static_cast<int>(longest.size()))
                longest[static_cast<size_t>(col)] = std::max(longest[static_cast<size_t>(col)], LongestLine(text));
        };

        // The head: company lines and today on the left and right, the
        // title and subtitle across the columns between.
        XlsxLook company = FontLook(Job.Company);
        company.Horizontal = XlsxLook::HLeft;
        const QStringList lines = CompanyLines(Job.Company);
        book.WriteText(0, 0, lines.value(0), company);
        book.WriteText(1, 0, lines.value(1), company);
        note(0, lines.value(0));
        note(0, lines.value(1));
        XlsxLook date = FontLook(Job.Company);
        date.Horizontal = XlsxLook::HRight;
        const QString today = TodayText();
        book.WriteText(0, std::max(cols - 1, 0), today, date);
        note(cols - 1, today);
        const int headLast = std::max(1, cols - 2);
        XlsxLook title = FontLook(Job.Title);
        title.Horizontal = XlsxLook::HCenter;
        title.Vertical = XlsxLook::VCenter;
        title.Wrap = true;
        book.MergeText(0, 1, 0, headLast, Job.Title.Text, title);
        XlsxLook subTitle = FontLook(Job.SubTitle);
        subTitle.Horizontal = XlsxLook::HCenter;
        subTitle.Vertical = XlsxLook::VCenter;
        subTitle.Wrap = true;
        book.MergeText(1, 1, 1, headLast, Job.SubTitle.Text, subTitle);

        // The table from the fourth row, a cell of the sheet per grid cell.
        GridReader reader(grid);
        CellLook cell;
        const XlsxLook tableFont = FontLook(Job.Table);
        const int fixedRows = grid.FixedRows();
        const int fixedCols = grid.FixedCols();
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                reader.Read(c, r, cell);
                const bool blockCell = !cell.Block.IsSingleCell();
                if (!blockCell || (cell.Block.Left == c && cell.Block.Top == r)) {
                    XlsxLook look = tableFont;
                    long double value = 0;
                    const bool number = ReadsAsNumber(cell.Text, value);
                    if (number)
                        look.NumberFormat = ExportNumberFormat(cell.Text);
                    ApplyAlignment(look, cell.Align);
                    look.Wrap = cell.Wrap;
                    // The fixed rows and columns stand out with a medium
                    // frame; every other cell has a thin one.
                    const bool fixed = r < fixedRows || c < fixedCols;
                    look.FillColor = (fixed || IsHighlightColor(cell.Color)) ? PaletteTurquoise : PaletteWhite;
                    look.Border = fixed ? 2 : 1;
                    look.BorderColor = PaletteBlack;
                    if (blockCell) {
                        if (number)
                            book.MergeNumber(cell.Block.Top + 3, cell.Block.Left, cell.Block.Bottom + 3,
                                             cell.Block.Right, static_cast<double>(value), look);
                        else
                            book.MergeText(cell.Block.Top + 3, cell.Block.Left, cell.Block.Bottom + 3,
                                           cell.Block.Right, cell.Text, look);
                    } else {
                        if (number)
                            book.WriteNumber(r + 3, c, static_cast<double>(value), look);
                        else
                            book.WriteText(r + 3, c, cell.Text, look);
                        note(c, cell.Text);
                    }
                }
                if (Progress.Step()) {
                    book.Discard();
                    return erCancelled;
                }
            }
        }
        for (int c = 0; c < cols; ++c)
            book.SetColumnWidth(c, platform::office::XlsxColumnWidth(longest[static_cast<size_t>(c)]));
        book.Close();
        return erExported;
    });
}

int ExportToDocument(const TExportJob &Job, TExportProgress &Progress)
{
    const QString program = QStringLiteral("MS Word 97");
    return RunOfficeExport(program, Job, Progress, [&](StringGrid &grid, int cols, int rows) {
        RtfDocument doc;
        Progress.SetStatus(TransferStatus(program));
        GridReader reader(grid);
        CellLook cell;

        // Column widths fitted to their texts: an average character of a
        // serif font is about half its size wide (points * 10 in twips).
        const double pointSize = Job.Table.Font.pointSizeF() > 0 ? Job.Table.Font.pointSizeF() : 10;
        const double charTwips = pointSize * 10.0;
        std::vector<int> widths(static_cast<size_t>(cols), 0);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                TGridRect block;
                GetCellMergeRect(grid, c, r, block);
                if (block.IsSingleCell())
                    widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)],
                                                              LongestLine(reader.Stored(c, r)));
            }
        long long total = 0;
        for (int &w : widths) {
            w = std::max(360, static_cast<int>(w * charTwips) + 2 * 70 + 60);
            total += w;
        }
        // A table wider than a portrait page turns the page; one wider than
        // a landscape page is narrowed to fit it.
        if (total > doc.TextWidth())
            doc.SetLandscape(true);
        if (total > doc.TextWidth()) {
            const double k = static_cast<double>(doc.TextWidth()) / static_cast<double>(total);
            for (int &w : widths)
                w = std::max(200, static_cast<int>(w * k));
        }
        std::vector<int> edges(static_cast<size_t>(cols), 0);
        for (int c = 0, x = 0; c < cols; ++c) {
            x += widths[static_cast<size_t>(c)];
            edges[static_cast<size_t>(c)] = x;
        }

        // The page head: company line, title and today; the subtitle below.
        doc.BeginHeader();
        const int third = doc.TextWidth() / 3;
        const QStringList lines = CompanyLines(Job.Company);
        std::vector<RtfCell> head(3);
        for (int i = 0; i < 3; ++i)
            head[static_cast<size_t>(i)].RightEdge = third * (i + 1);
        head[0].Text = lines.value(0);
        head[0].Font = DocumentFont(Job.Company, false);
        head[1].Text = Job.Title.Text;
        head[1].Font = DocumentFont(Job.Title, false);
        head[1].Horizontal = RtfAlign::Center;
        head[2].Text = TodayText();
        head[2].Font = DocumentFont(Job.Company, false);
        head[2].Horizontal = RtfAlign::Right;
        doc.AddTableRow(head);
        for (auto &h : head) {
            h.Text.clear();
            h.Font = DocumentFont(Job.Company, false);
        }
        head[1].Text = Job.SubTitle.Text;
        head[1].Font = DocumentFont(Job.SubTitle, false);
        doc.AddTableRow(head);
        doc.EndHeader();

        // The table: a block of merged cells spans its columns by width and
        // its rows by vertical merging.
        const RtfFont tableFont = DocumentFont(Job.Table, true);
        std::vector<RtfCell> line;
        for (int r = 0; r < rows; ++r) {
            line.clear();
            for (int c = 0; c < cols;) {
                reader.Read(c, r, cell);
                RtfCell out;
                const TGridRect b = cell.Block;
                const int right = std::clamp(b.Right, c, cols - 1);
                out.RightEdge = edges[static_cast<size_t>(right)];
                if (!b.IsSingleCell() && b.Bottom > b.Top)
                    out.VerticalMerge = r == b.Top ? RtfCell::VFirst : RtfCell::VContinue;
                if (!b.IsSingleCell() && (b.Left != c || b.Top != r))
                    reader.Read(b.Left, b.Top, cell);
                out.Text = cell.Text;
                out.Font = tableFont;
                ApplyAlignmentBits(cell.Align,
                                   AlignmentValues<RtfAlign, RtfVAlign>{RtfAlign::Left, RtfAlign::Center, RtfAlign::Right,
                                                                        RtfVAlign::Top, RtfVAlign::Center,
                                                                        RtfVAlign::Bottom},
                                   out.Horizontal, out.Vertical);
                out.Shading = ExportIndexColor(ExportColorIndex(cell.Color));
                out.Borders = true;
                line.push_back(std::move(out));
                const int span = right - c + 1;
                c = right + 1;
                if (Progress.Step(span))
                    return erCancelled;
            }
            if (!line.empty())
                doc.AddTableRow(line);
        }
        doc.SaveToFile(Job.FileName);
        return erExported;
    });
}

int ExportToText(const TExportJob &Job, TExportProgress &Progress)
{
    StringGrid &grid = *Job.Grid;
    const int cols = grid.ColCount();
    const int rows = grid.RowCount();
    Progress.Start(QStringLiteral("Записване на данните в текстов файл") + PleaseWait,
                   static_cast<long long>(cols) * rows);
    if (Job.Delimiter.isEmpty()) {
        Progress.Finish();
        return erFailed;
    }
    RemoveExportLeftovers(Job);
    const auto fail = [&](int Code) {
        Progress.Finish();
        Progress.Failed(platform::WriteErrorText(Job.FileName, Code));
        return erFailed;
    };
    // Through a temporary file that takes the name only when complete: a
    // stopped or failed export leaves no half-written file.
    platform::ReplacingFile file(Job.FileName);
    if (!file.Open())
        return fail(file.Error());
    GridReader reader(grid);
    QString line;
    for (int r = 0; r < rows; ++r) {
        line.clear();
        for (int c = 0; c < cols; ++c) {
            line += QuoteDelimitedField(reader.Stored(c, r), Job.Delimiter);
            line += Job.Delimiter;
        }
        line += QStringLiteral("\r\n");
        const QByteArray bytes = line.toUtf8();
        errno = 0;
        if (file.Device().write(bytes) != bytes.size()) {
            const int code = errno;
            file.Cancel();
            return fail(code);
        }
        if (Progress.Step(cols)) {
            file.Cancel();
            Progress.Finish();
            return erCancelled;
        }
    }
    if (!file.Commit())
        return fail(file.Error());
    Progress.Finish();
    return erExported;
}

// --- the wizard --------------------------------------------------------------------

// The copy-files animation: a sheet going from one folder to another.
class TExportAnimation : public QWidget
{
public:
    explicit TExportAnimation(QWidget *parent) : QWidget(parent)
    {
        setFixedSize(272, 40);
        timer_.setInterval(80);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            frame_ = (frame_ + 1) % 16;
            update();
        });
    }
    void SetActive(bool on)
    {
        if (on)
            timer_.start();
        else
            timer_.stop();
        frame_ = 0;
        update();
    }
    bool Active() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor folder(230, 190, 80);
        p.setPen(QColor(120, 90, 20));
        p.setBrush(folder);
        p.drawRect(10, 12, 36, 24);
        p.drawRect(width() - 46, 12, 36, 24);
        if (timer_.isActive()) {
            const int x = 46 + (width() - 112) * frame_ / 15;
            const int y = 14 - static_cast<int>(8 * std::sin(3.14159 * frame_ / 15.0));
            p.setPen(Qt::darkGray);
            p.setBrush(Qt::white);
            p.drawRect(x, y, 14, 18);
        }
    }

private:
    QTimer timer_;
    int frame_ = 0;
};

// Progress of the wizard's running export: the status label, the bar, and
// the window system let run at most every 50 ms.
class TWizardProgress : public TExportProgress
{
public:
    explicit TWizardProgress(TfmExport &Form) : form_(Form) {}

    void Start(const QString &Status, long long Maximum) override
    {
        form_.lbStatus->setText(Status);
        maximum_ = std::max<long long>(Maximum, 1);
        position_ = 0;
        form_.ProgressBar->setRange(0, 100);
        form_.ProgressBar->setValue(0);
        form_.Animate->SetActive(true);
        if (!waiting_) {
            BeginWait();
            waiting_ = true;
        }
        clock_.start();
        emit form_.ExportProgress(position_, maximum_);
        QApplication::processEvents();
    }
    void SetStatus(const QString &Status) override
    {
        form_.lbStatus->setText(Status);
        QApplication::processEvents();
    }
    bool Step(long long Count) override
    {
        position_ += Count;
        // A stop asked for while the window system last ran is taken now,
        // whether or not the export has run long enough to let it in again.
        if (TakeCancel())
            return true;
        if (clock_.elapsed() < ProcessEventsEveryMs)
            return false;
        clock_.restart();
        form_.ProgressBar->setValue(static_cast<int>(position_ * 100 / maximum_));
        emit form_.ExportProgress(position_, maximum_);
        QApplication::processEvents();
        return TakeCancel();
    }
    void Failed(const QString &Cause) override { form_.failure_ = Cause; }
    void Finish() override
    {
        form_.Animate->SetActive(false);
        if (waiting_) {
            EndWait();
            waiting_ = false;
        }
    }
    ~TWizardProgress() override { Finish(); }

private:
    bool TakeCancel()
    {
        if (!form_.cancelRequested_)
            return false;
        form_.cancelRequested_ = false;
        return true;
    }

    TfmExport &form_;
    long long maximum_ = 1;
    long long position_ = 0;
    QElapsedTimer clock_;
    bool waiting_ = false;
};

TfmExport::TfmExport(QWidget *Owner, StringGrid *Grid, const QString &Title, const QString &SubTitle,
                     const QString &FileName)
    : QDialog(Owner), grid_(Grid), titleArg_(Title), subTitleArg_(SubTitle)
{
    setObjectName(QStringLiteral("fmExport"));
    setWindowTitle(QStringLiteral("Помощник за връзка с външни програми"));

    auto font = [](int size) {
        QFont f(QStringLiteral("Times New Roman"));
        f.setPointSize(size);
        return f;
    };
    company_.Font = font(10);
    title_.Font = font(14);
    subTitle_.Font = font(12);
    table_.Font = font(8);
    QStringList firm;
    if (MReadFirmRecord(firm) && firm.size() >= 4)
        company_.Text = Format(CompanyHeaderFormat, {firm[2], firm[0], firm[3]});
    title_.Text = Title;
    subTitle_.Text = SubTitle;

    BuildControls();
    editTitle->setText(Title);
    editSubTitle->setText(SubTitle);
    editFileName->setText(ExportProposedFileName(FileName));
    step_ = 1;
    ChooseProgram(ecSpreadsheet);
    ShowStep();
}

TfmExport::~TfmExport() = default;

void TfmExport::BuildControls()
{
    auto *root = new QVBoxLayout(this);

    groupProgram = new QGroupBox(QStringLiteral("Изход към:"), this);
    auto *gp = new QGridLayout(groupProgram);
    rbSpreadsheet = new QRadioButton(QStringLiteral("MS Excel 97"), groupProgram);
    rbDocument = new QRadioButton(QStringLiteral("MS Word 97"), groupProgram);
    rbTabText = new QRadioButton(QStringLiteral("Tекст, разделен с табулатор <TAB>"), groupProgram);
    rbDelimText = new QRadioButton(QStringLiteral("или със символа"), groupProgram);
    editDelim = new QLineEdit(groupProgram);
    editDelim->setMaxLength(1);
    editDelim->setFixedWidth(28);
    gp->addWidget(rbSpreadsheet, 0, 0, 1, 2);
    gp->addWidget(rbDocument, 1, 0, 1, 2);
    gp->addWidget(rbTabText, 2, 0, 1, 2);
    gp->addWidget(rbDelimText, 3, 0);
    gp->addWidget(editDelim, 3, 1, Qt::AlignLeft);
    gp->setColumnStretch(1, 1);
    connect(rbSpreadsheet, &QRadioButton::clicked, this, [this] { ChooseProgram(ecSpreadsheet); });
    connect(rbDocument, &QRadioButton::clicked, this, [this] { ChooseProgram(ecDocument); });
    connect(rbTabText, &QRadioButton::clicked, this, [this] { ChooseProgram(ecTabText); });
    connect(rbDelimText, &QRadioButton::clicked, this, [this] { ChooseProgram(ecDelimText); });
    root->addWidget(groupProgram);

    groupDetails = new QGroupBox(QStringLiteral("Детайли:"), this);
    auto *gd = new QGridLayout(groupDetails);
    editTitle = new QLineEdit(groupDetails);
    editSubTitle = new QLineEdit(groupDetails);
    editFileName = new QLineEdit(groupDetails);
    btnTitleFont = new QPushButton(QStringLiteral("A"), groupDetails);
    btnTitleFont->setToolTip(QStringLiteral("Избор на шрифт за заглавие"));
    btnSubTitleFont = new QPushButton(QStringLiteral("A"), groupDetails);
    btnSubTitleFont->setToolTip(QStringLiteral("Избор на шрифт за подзаглавие"));
    btnFileName = new QPushButton(QStringLiteral("..."), groupDetails);
    btnFileName->setToolTip(QStringLiteral("Избор на файл"));
    for (QPushButton *b : {btnTitleFont, btnSubTitleFont, btnFileName}) {
        b->setFixedWidth(28);
        b->setAutoDefault(false);
    }
    gd->addWidget(new QLabel(QStringLiteral("Заглавие:"), groupDetails), 0, 0);
    gd->addWidget(editTitle, 0, 1);
    gd->addWidget(btnTitleFont, 0, 2);
    gd->addWidget(new QLabel(QStringLiteral("Подзаглавие:"), groupDetails), 1, 0);
    gd->addWidget(editSubTitle, 1, 1);
    gd->addWidget(btnSubTitleFont, 1, 2);
    gd->addWidget(new QLabel(QStringLiteral("Име на файла:"), groupDetails), 2, 0);
    gd->addWidget(editFileName, 2, 1);
    gd->addWidget(btnFileName, 2, 2);
    connect(btnTitleFont, &QPushButton::clicked, this, [this] { ChooseFont(title_); });
    connect(btnSubTitleFont, &QPushButton::clicked, this, [this] { ChooseFont(subTitle_); });
    connect(btnFileName, &QPushButton::clicked, this, [this] { ChooseFileClick(); });
    root->addWidget(groupDetails);

    labelInfo = new QLabel(this);
    labelInfo->setWordWrap(true);
    labelInfo->setMinimumHeight(80);
    labelInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    root->addWidget(labelInfo);
    checkLoadWordpad = new QCheckBox(QStringLiteral("Автоматично зареждане в Wordpad"), this);
    root->addWidget(checkLoadWordpad);
    Animate = new TExportAnimation(this);
    root->addWidget(Animate, 0, Qt::AlignHCenter);
    lbStatus = new QLabel(this);
    root->addWidget(lbStatus);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 100);
    root->addWidget(ProgressBar);
    root->addStretch(1);

    actPrev = new QAction(QStringLiteral("Назад"), this);
    actNext = new QAction(QStringLiteral("Продължение"), this);
    connect(actPrev, &QAction::triggered, this, [this] { Prev(); });
    connect(actNext, &QAction::triggered, this, [this] { Next(); });

    auto *buttons = new QHBoxLayout;
    btnHelp = new QPushButton(QStringLiteral("Помощ"), this);
    btnPrev = new QPushButton(QStringLiteral("< Назад"), this);
    btnNext = new QPushButton(QStringLiteral("Продължение >"), this);
    btnCancel = new QPushButton(QStringLiteral("Отказ"), this);
    btnNext->setDefault(true);
    for (QPushButton *b : {btnHelp, btnPrev, btnCancel})
        b->setAutoDefault(false);
    // There is no help system: the Help button shows nothing.
    connect(btnPrev, &QPushButton::clicked, actPrev, &QAction::trigger);
    connect(btnNext, &QPushButton::clicked, actNext, &QAction::trigger);
    connect(actPrev, &QAction::changed, this, [this] { btnPrev->setEnabled(actPrev->isEnabled()); });
    connect(actNext, &QAction::changed, this, [this] { btnNext->setEnabled(actNext->isEnabled()); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { CancelClick(); });
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnPrev);
    buttons->addWidget(btnNext);
    buttons->addSpacing(12);
    buttons->addWidget(btnCancel);
    root->addLayout(buttons);
    // One size for every step: the steps show and hide their parts, and a
    // window that followed them would grow and move its buttons each time.
    setFixedSize(470, 380);
}

void TfmExport::ChooseProgram(int Choice)
{
    choice_ = std::clamp(Choice, static_cast<int>(ecSpreadsheet), static_cast<int>(ecDelimText));
    QRadioButton *rb[] = {rbSpreadsheet, rbDocument, rbTabText, rbDelimText};
    rb[choice_ - 1]->setChecked(true);
    actNext->setEnabled(true);
    editFileName->setText(ChangeExportExtension(editFileName->text(), ExportExtension(choice_)));
}

void TfmExport::ShowStep()
{
    const bool text = choice_ == ecTabText || choice_ == ecDelimText;
    groupProgram->setVisible(step_ == 1);
    groupDetails->setVisible(step_ == 1);
    labelInfo->setVisible(step_ >= 2);
    checkLoadWordpad->setVisible(step_ >= 2 && text);
    lbStatus->setVisible(running_);
    ProgressBar->setVisible(running_);
    Animate->setVisible(running_);
    if (step_ == 2) {
        SetInfo(
            QStringLiteral("  Този помощник ще стартира %1, ще отвори нов документ и ще прехвърли данните в него. "
                           "Това може да отнеме известно време, моля изчакайте.\r\r  Изберете Продължение за да "
                           "започнете прехвърлянето.")
                .arg(ExportProgramName(choice_)));
        if (text)
            checkLoadWordpad->setFocus();
    }
    actPrev->setEnabled(!running_ && step_ >= 2);
    actNext->setEnabled(!running_ && step_ <= 2);
}

void TfmExport::SetInfo(const QString &Text)
{
    infoText_ = Text;
    // The texts break their lines with CR; the label breaks at LF.
    QString shown = Text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    labelInfo->setText(shown);
}

void TfmExport::Next()
{
    if (running_ || step_ >= 3)
        return;
    if (step_ == 1) {
        // A choice that cannot be carried out stops the wizard here.
        if (choice_ == ecDelimText && editDelim->text().isEmpty()) {
            ShowError(QStringLiteral("Въведете символа, който да разделя колоните !"));
            editDelim->setFocus();
            return;
        }
        if (choice_ == ecDelimText && editDelim->text() == QStringLiteral("\"")) {
            ShowError(QStringLiteral("Кавичките не могат да разделят колоните: те ограждат текстовете, "
                                     "в които има разделител !"));
            editDelim->setFocus();
            return;
        }
        if (QFileInfo(editFileName->text().trimmed()).fileName().isEmpty()) {
            ShowError(QStringLiteral("Въведете име на файла !"));
            editFileName->setFocus();
            return;
        }
    }
    ++step_;
    ShowStep();
    if (step_ == 3)
        RunExport();
}

void TfmExport::Prev()
{
    if (running_ || step_ <= 1)
        return;
    --step_;
    ShowStep();
}

void TfmExport::RunExport()
{
    running_ = true;
    cancelRequested_ = false;
    ShowStep();

    TExportJob job;
    job.Grid = grid_;
    job.Company = company_;
    // The texts of the edit boxes are the ones written: the clerk sees them
    // and may correct them.
    job.Title = title_;
    job.Title.Text = editTitle->text();
    job.SubTitle = subTitle_;
    job.SubTitle.Text = editSubTitle->text();
    job.Table = table_;
    job.FileName = QFileInfo(editFileName->text().trimmed()).absoluteFilePath();
    job.Delimiter = choice_ == ecDelimText ? editDelim->text() : QStringLiteral("\t");

    int result = erFailed;
    failure_.clear();
    {
        TWizardProgress progress(*this);
        if (!grid_)
            result = erFailed;
        else if (choice_ == ecSpreadsheet)
            result = ExportToSpreadsheet(job, progress);
        else if (choice_ == ecDocument)
            result = ExportToDocument(job, progress);
        else
            result = ExportToText(job, progress);
    }
    lastResult_ = result;
    switch (result) {
    case erExported: SetInfo(QStringLiteral("  Данните са прехвърлени успешно!")); break;
    case erCancelled:
        SetInfo(QStringLiteral("  Прехвърлянето на данните е прекъснато от потребителя!"));
        break;
    default:
        // The cause follows, when the export knows it (a full disk, a
        // folder that does not exist ...).
        SetInfo(QStringLiteral("  Данните не са прехвърлени успешно!\r\r  Моля, проверете инсталацията "
                               "на MS Office 97.") +
                (failure_.isEmpty() ? QString() : QStringLiteral("\r\r  ") + failure_));
        break;
    }
    running_ = false;
    cancelRequested_ = false;
    ShowStep();

    if (result == erExported) {
        const bool open = choice_ == ecSpreadsheet || choice_ == ecDocument || checkLoadWordpad->isChecked();
        if (open && !platform::office::OpenWithDesktop(job.FileName))
            ShowMessage(QStringLiteral("Няма програма, която да отвори файла. Данните са записани във файла:\n%1")
                            .arg(QDir::toNativeSeparators(job.FileName)));
    }
}

void TfmExport::CancelClick()
{
    if (running_) {
        cancelRequested_ = true;
        return;
    }
    QDialog::reject();
}

void TfmExport::reject() { CancelClick(); }

void TfmExport::closeEvent(QCloseEvent *e)
{
    if (running_) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TfmExport::ChooseFileClick()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = {QStringLiteral("MS Excel документи (*.xlsx)"),
                                 QStringLiteral("MS Word документи (*.rtf)"),
                                 QStringLiteral("Текстови файлове (*.txt)")};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[std::min(choice_, 3) - 1]);
    dialog.selectFile(editFileName->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        editFileName->setText(dialog.selectedFiles().constFirst());
}

void TfmExport::ChooseFont(TExportObject &Object)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, Object.Font, this);
    if (ok)
        Object.Font = f;
}

bool ExportGrid(QWidget *Owner, StringGrid *Grid, const QString &Title, const QString &SubTitle,
                const QString &FileName)
{
    const std::unique_ptr<TfmExport> form(new TfmExport(Owner, Grid, Title, SubTitle, FileName));
    form->exec();
    return true;
}

namespace {
// F10 of every list and report window exports its grid with the window's
// title and subtitle, the title proposing the file name.
const bool ReadFormExporterInstalled = [] {
    SetReadFormGridExporter([](TQuorendReadForm &Form) {
        ExportGrid(&Form, Form.Grid, Form.GetTitle(), Form.GetSubTitle(), Form.GetTitle());
    });
    return true;
}();
} // namespace
