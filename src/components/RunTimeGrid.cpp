#include "components/RunTimeGrid.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <set>

#include "core/LineConv.h"
#include "core/uHelpers.h"

namespace {

// Table entries hold a value plus one, so that nil means "unset".
void *Entry(std::int64_t value)
{
    return reinterpret_cast<void *>(static_cast<std::intptr_t>(value + 1));
}

bool Unset(void *p)
{
    return p == nullptr;
}

std::int64_t EntryValue(void *p)
{
    return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)) - 1;
}

void *ColorEntry(TColor color)
{
    return Entry(static_cast<std::uint32_t>(color));
}

TColor EntryColor(void *p)
{
    return static_cast<TColor>(static_cast<std::uint32_t>(EntryValue(p)));
}

} // namespace

TRunTimeGrid::TRunTimeGrid(QWidget *parent) : platform::StringGrid(parent)
{
    FHidden.SetDefaultValue(false);
    FAlignments.SetFillEmptyOnly(!FOverwrite);
    FFontColors.SetFillEmptyOnly(!FOverwrite);
    FColors.SetFillEmptyOnly(!FOverwrite);
    // The defaults of unset cells are the canvas colours the grid starts
    // with.
    FDefaultCellColor = Color();
    TGridOptions o = Options();
    o -= TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine};
    o += goThumbTracking;
    SetOptions(o);
    FitTables();
}

void TRunTimeGrid::FitTables() const
{
    const int cols = ColCount();
    const int rows = RowCount();
    if (FHidden.ColCount() != cols || FHidden.RowCount() != 1)
        FHidden.SetSize(cols, 1);
    for (T2dList *t : {&FAlignments, &FFontColors, &FColors})
        if (t->ColCount() != cols || t->RowCount() != rows)
            t->SetSize(cols, rows);
    if (FVertLines.ColCount() != cols + 1 || FVertLines.RowCount() != rows)
        FVertLines.SetSize(cols + 1, rows);
    if (FHorzLines.ColCount() != cols || FHorzLines.RowCount() != rows + 1)
        FHorzLines.SetSize(cols, rows + 1);
}

void TRunTimeGrid::SizeChanged(int OldColCount, int OldRowCount)
{
    platform::StringGrid::SizeChanged(OldColCount, OldRowCount);
    // Formats of removed cells go with them.
    FitTables();
}

// --- texts ---------------------------------------------------------------------

void TRunTimeGrid::SetCell(int ACol, int ARow, const QString &S)
{
    if (ARow >= FixedRows() && FCellSource)
        return;
    SetCells(ACol, ARow, S);
}

void TRunTimeGrid::GetCell(int ACol, int ARow, QString &S) const
{
    if (ARow >= FixedRows() && FCellSource) {
        S.clear();
        if (ACol >= 0 && ACol < ColCount() && ARow < RowCount())
            FCellSource(ARow - FixedRows(), ACol, S);
        return;
    }
    S = Cells(ACol, ARow);
}

QString TRunTimeGrid::CellText(int ACol, int ARow) const
{
    QString s;
    GetCell(ACol, ARow, s);
    return s;
}

void TRunTimeGrid::SetCellSource(const TCellSource &Source)
{
    FCellSource = Source;
    InvalidateGrid();
}

// --- formats -------------------------------------------------------------------

void TRunTimeGrid::ResetFormats()
{
    FitTables();
    FAlignments.FillAll(nullptr);
    FFontColors.FillAll(nullptr);
    FColors.FillAll(nullptr);
    FVertLines.SetAll(true);
    FHorzLines.SetAll(true);
    for (int c = 0; c < ColCount(); ++c)
        SetColHidden(c, false);
    InvalidateGrid();
}

bool TRunTimeGrid::ColHidden(int ACol) const
{
    FitTables();
    return FHidden.Bits(ACol, 0);
}

void TRunTimeGrid::SetColHidden(int ACol, bool Hidden)
{
    FitTables();
    if (ACol < 0 || ACol >= ColCount() || FHidden.Bits(ACol, 0) == Hidden)
        return;
    FHidden.SetBits(ACol, 0, Hidden);
    if (FKeptWidths.size() < static_cast<size_t>(ColCount()))
        FKeptWidths.resize(ColCount(), DefaultColWidth());
    if (Hidden) {
        FKeptWidths[ACol] = ColWidths(ACol);
        SetColWidths(ACol, 0);
        if (Col() == ACol) {
            // The current cell moves off the hidden column when it can: to
            // the nearest shown column on the right, else on the left.
            TGridCoord found;
            if (Data().FindSelectable(TGridCoord{ACol - 1, Row()}, TGridCoord{ACol, Row()},
                                      [this](int c, int) { return !FHidden.Bits(c, 0); }, found))
                SetCol(found.X);
        }
    } else {
        SetColWidths(ACol, FKeptWidths[ACol] > 0 ? FKeptWidths[ACol] : DefaultColWidth());
    }
    InvalidateGrid();
}

int TRunTimeGrid::GetCellAlignment(int ACol, int ARow) const
{
    FitTables();
    void *p = FAlignments.Cells(ACol, ARow);
    if (!Unset(p))
        return static_cast<int>(EntryValue(p));
    return IsFixedCell(ACol, ARow) ? FFixedAlignment : FDefaultAlignment;
}

void TRunTimeGrid::SetDefaultAlignment(int Code)
{
    FDefaultAlignment = Code;
    InvalidateGrid();
}

void TRunTimeGrid::SetFixedAlignment(int Code)
{
    FFixedAlignment = Code;
    InvalidateGrid();
}

TColor TRunTimeGrid::GetCellFontColor(int ACol, int ARow) const
{
    FitTables();
    void *p = FFontColors.Cells(ACol, ARow);
    if (!Unset(p))
        return EntryColor(p);
    return IsFixedCell(ACol, ARow) ? FFixedFontColor : FDefaultFontColor;
}

void TRunTimeGrid::SetCellFontColor(int ACol, int ARow, TColor Color)
{
    FitTables();
    FFontColors.SetCells(ACol, ARow, ColorEntry(Color));
    InvalidateCell(ACol, ARow);
}

TColor TRunTimeGrid::GetCellColor(int ACol, int ARow) const
{
    FitTables();
    void *p = FColors.Cells(ACol, ARow);
    if (!Unset(p))
        return EntryColor(p);
    return IsFixedCell(ACol, ARow) ? FixedColor() : FDefaultCellColor;
}

void TRunTimeGrid::SetCellColor(int ACol, int ARow, TColor Color)
{
    FitTables();
    FColors.SetCells(ACol, ARow, ColorEntry(Color));
    InvalidateCell(ACol, ARow);
}

void TRunTimeGrid::SetColColor(int ACol, TColor Color)
{
    FitTables();
    // A fixed column has no cells of its own to colour.
    if (ACol < FixedCols() || ACol >= ColCount())
        return;
    for (int r = FixedRows(); r < RowCount(); ++r)
        if (FOverwrite || Unset(FColors.Cells(ACol, r)))
            FColors.SetCells(ACol, r, ColorEntry(Color));
    InvalidateGrid();
}

void TRunTimeGrid::SetDefaultFontColor(TColor Color)
{
    FDefaultFontColor = Color;
    InvalidateGrid();
}

void TRunTimeGrid::SetFixedFontColor(TColor Color)
{
    FFixedFontColor = Color;
    InvalidateGrid();
}

void TRunTimeGrid::SetDefaultCellColor(TColor Color)
{
    FDefaultCellColor = Color;
    InvalidateGrid();
}

bool TRunTimeGrid::VertLine(int ACol, int ARow) const
{
    FitTables();
    if (ACol < 0 || ARow < 0 || ACol > ColCount() || ARow >= RowCount())
        return true;
    return FVertLines.Bits(ACol, ARow);
}

void TRunTimeGrid::SetVertLine(int ACol, int ARow, bool Value)
{
    FitTables();
    FVertLines.SetBits(ACol, ARow, Value);
    InvalidateGrid();
}

bool TRunTimeGrid::HorzLine(int ACol, int ARow) const
{
    FitTables();
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow > RowCount())
        return true;
    return FHorzLines.Bits(ACol, ARow);
}

void TRunTimeGrid::SetHorzLine(int ACol, int ARow, bool Value)
{
    FitTables();
    FHorzLines.SetBits(ACol, ARow, Value);
    InvalidateGrid();
}

void TRunTimeGrid::SetVertLineColor(TColor Color)
{
    FVertLineColor = Color;
    InvalidateGrid();
}

void TRunTimeGrid::SetHorzLineColor(TColor Color)
{
    FHorzLineColor = Color;
    InvalidateGrid();
}

void TRunTimeGrid::GetMergeRect(int ACol, int ARow, TGridRect &Rect) const
{
    Rect = TGridRect{ACol, ARow, ACol, ARow};
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        return;
    while (Rect.Left > 0 && !VertLine(Rect.Left, ARow))
        --Rect.Left;
    while (Rect.Right < ColCount() - 1 && !VertLine(Rect.Right + 1, ARow))
        ++Rect.Right;
    while (Rect.Top > 0 && !HorzLine(ACol, Rect.Top))
        --Rect.Top;
    while (Rect.Bottom < RowCount() - 1 && !HorzLine(ACol, Rect.Bottom + 1))
        ++Rect.Bottom;
}

TGridRect TRunTimeGrid::CellBlock(int ACol, int ARow) const
{
    TGridRect r;
    GetMergeRect(ACol, ARow, r);
    return r;
}

void TRunTimeGrid::SetLineBreaks(bool Value)
{
    FLineBreaks = Value;
    InvalidateGrid();
}

void TRunTimeGrid::SetLineBreak(const QString &Value)
{
    FLineBreak = Value;
    InvalidateGrid();
}

std::vector<int> TRunTimeGrid::FillClientList() const
{
    TLineConv items;
    items.SetDelimiter(QStringLiteral(","));
    items.SetLine(FFillClientCols);
    std::vector<int> cols;
    for (int i = 0; i < items.Count(); ++i) {
        bool ok = false;
        const int c = items.Strings(i).toInt(&ok);
        if (ok && std::find(cols.begin(), cols.end(), c) == cols.end())
            cols.push_back(c);
    }
    return cols;
}

bool TRunTimeGrid::IsFillClientCol(int ACol) const
{
    const std::vector<int> cols = FillClientList();
    return std::find(cols.begin(), cols.end(), ACol) != cols.end();
}

void TRunTimeGrid::SetFillClientCol(int ACol, bool Value)
{
    std::vector<int> cols = FillClientList();
    const auto it = std::find(cols.begin(), cols.end(), ACol);
    if (Value == (it != cols.end()))
        return;
    if (Value)
        cols.push_back(ACol);
    else
        cols.erase(it);
    QStringList parts;
    for (int c : cols)
        parts << QString::number(c);
    FFillClientCols = parts.join(QChar(','));
}

void TRunTimeGrid::SetOverwrite(bool Value)
{
    FOverwrite = Value;
    FAlignments.SetFillEmptyOnly(!Value);
    FFontColors.SetFillEmptyOnly(!Value);
    FColors.SetFillEmptyOnly(!Value);
}

void TRunTimeGrid::SetHighlight(bool Value)
{
    FHighlight = Value;
    InvalidateGrid();
}

void TRunTimeGrid::SetFixedCell3DEffect(int Value)
{
    FFixedCell3DEffect = Value;
    InvalidateGrid();
}

// --- selection and drawing -------------------------------------------------------

bool TRunTimeGrid::SelectCell(int ACol, int ARow)
{
    if (ColHidden(ACol))
        return false;
    return platform::StringGrid::SelectCell(ACol, ARow);
}

QStringList TRunTimeGrid::TextLines(const QString &S) const
{
    if (FLineBreaks && !FLineBreak.isEmpty())
        return S.split(FLineBreak);
    return QStringList{S};
}

int TRunTimeGrid::TextWidth(const QString &S) const
{
    const QFontMetrics fm(font());
    int w = 0;
    for (const QString &line : TextLines(S))
        w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

void TRunTimeGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState)
{
    QPainter *p = Canvas();
    if (p && DefaultDrawing()) {
        TColor back = GetCellColor(ACol, ARow);
        TColor fore = GetCellFontColor(ACol, ARow);
        if (AState.Contains(gdSelected) && FHighlight) {
            back = clHighlight;
            fore = clHighlightText;
        }
        p->fillRect(ARect, platform::ToQColor(back));

        // Lines around the block: bottom and right edge, then top and left.
        TColor bottomRight = FVertLineColor;
        TColor topLeft = FVertLineColor;
        if (AState.Contains(gdFixed)) {
            if (FFixedCell3DEffect == fc3DLowered) {
                bottomRight = clBtnHighlight;
                topLeft = clBtnShadow;
            } else if (FFixedCell3DEffect == fc3DRaised) {
                bottomRight = clBtnShadow;
                topLeft = clBtnHighlight;
            }
        }
        const QColor br = platform::ToQColor(bottomRight);
        const QColor tl = platform::ToQColor(topLeft);
        p->fillRect(QRect(ARect.left(), ARect.bottom(), ARect.width(), 1), br);
        p->fillRect(QRect(ARect.right(), ARect.top(), 1, ARect.height()), br);
        p->fillRect(QRect(ARect.left(), ARect.top(), ARect.width(), 1), tl);
        p->fillRect(QRect(ARect.left(), ARect.top(), 1, ARect.height()), tl);

        // Text, cut into lines and placed as one block by the cell's code:
        // the widest line decides where the block stands, and every line
        // starts at the block's left edge.
        const QRect textRect = ARect.adjusted(3, 1, -3, 0);
        const QStringList lines = TextLines(CellText(ACol, ARow));
        const QFontMetrics fm(p->font());
        const int code = GetCellAlignment(ACol, ARow);
        const int lineHeight = fm.height();
        const int total = lineHeight * static_cast<int>(lines.size());
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        int x = textRect.left();
        if ((code & 3) == alRight)
            x = textRect.right() + 1 - widest;
        else if ((code & 3) == alHCenter)
            x = textRect.left() + (textRect.width() - widest) / 2;
        int y = textRect.top();
        if ((code & 12) == alBottom)
            y = textRect.bottom() + 1 - total;
        else if ((code & 12) == alVCenter)
            y = textRect.top() + (textRect.height() - total) / 2;
        p->setPen(platform::ToQColor(fore));
        p->save();
        p->setClipRect(ARect, Qt::IntersectClip);
        for (const QString &line : lines) {
            p->drawText(QRect(x, y, std::max(widest, 1), lineHeight),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, line);
            y += lineHeight;
        }
        p->restore();
    }
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, ARect, AState);
}

// --- sizing --------------------------------------------------------------------

void TRunTimeGrid::AutoSizeColumns()
{
    const int extra = 8 + GridLineWidth();
    for (int c = 0; c < ColCount(); ++c) {
        if (ColHidden(c))
            continue;
        int w = 0;
        for (int r = 0; r < RowCount(); ++r) {
            TGridRect block;
            GetMergeRect(c, r, block);
            if (block.Left != block.Right)
                continue;
            w = std::max(w, TextWidth(CellText(c, r)));
        }
        SetColWidths(c, w + extra);
    }
    // Blocks merged across columns share out what their text needs.
    std::set<std::pair<int, int>> seen;
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < ColCount(); ++c) {
            TGridRect block;
            GetMergeRect(c, r, block);
            if (block.Left == block.Right || !seen.insert({block.Left, block.Top}).second)
                continue;
            int total = 0;
            int visible = 0;
            for (int i = block.Left; i <= block.Right; ++i) {
                if (ColHidden(i))
                    continue;
                total += ColWidths(i);
                ++visible;
            }
            const int need = TextWidth(CellText(block.Left, block.Top)) + extra;
            if (visible == 0 || need <= total)
                continue;
            for (int i = block.Left; i <= block.Right; ++i)
                if (!ColHidden(i))
                    SetColWidths(i, need / visible);
        }
    }
}

void TRunTimeGrid::AutoSizeRows()
{
    const QFontMetrics fm(font());
    SetDefaultRowHeight(fm.size(Qt::TextSingleLine, QStringLiteral("Mj")).height() + 4 + GridLineWidth());
}

void TRunTimeGrid::ResizeColumnsToFillClient(bool AutoSize)
{
    const std::vector<int> listed = FillClientList();
    if (AutoSize) {
        AutoSizeColumns();
        AutoSizeRows();
    }
    int others = 0;
    int listedWidth = 0;
    std::vector<int> targets;
    for (int c = 0; c < ColCount(); ++c) {
        if (ColHidden(c))
            continue;
        if (std::find(listed.begin(), listed.end(), c) != listed.end()) {
            listedWidth += ColWidths(c);
            targets.push_back(c);
        } else {
            others += ColWidths(c);
        }
    }
    const int client = viewport()->width();
    if (!FShrinkToFill && (client <= others || others + listedWidth >= client))
        return;
    if (targets.empty())
        return;
    // A share never falls below one pixel: a listed column stays a column.
    const int share = std::max(1, (client - others) / static_cast<int>(targets.size()));
    for (int c : targets)
        SetColWidths(c, share);
}

// --- copying -------------------------------------------------------------------

void TRunTimeGrid::Assign(const TRunTimeGrid &Source)
{
    if (&Source == this)
        return;
    // Counts before the fixed counts, which must stay below them.
    SetColCount(Source.ColCount());
    SetRowCount(Source.RowCount());
    SetFixedCols(Source.FixedCols());
    SetFixedRows(Source.FixedRows());
    SetFixedColor(Source.FixedColor());
    SetColor(Source.Color());
    setFont(Source.font());
    SetGridLineWidth(Source.GridLineWidth());
    SetDefaultColWidth(Source.DefaultColWidth());
    SetDefaultRowHeight(Source.DefaultRowHeight());
    for (int c = 0; c < Source.ColCount(); ++c)
        SetColWidths(c, Source.ColWidths(c));
    for (int r = 0; r < Source.RowCount(); ++r)
        SetRowHeights(r, Source.RowHeights(r));
    // The texts as the source shows them, its outside source included.
    FCellSource = nullptr;
    for (int r = 0; r < Source.RowCount(); ++r)
        for (int c = 0; c < Source.ColCount(); ++c)
            SetCells(c, r, Source.CellText(c, r));
    SetOptions(Source.Options());
    FLineBreaks = Source.FLineBreaks;
    FLineBreak = Source.FLineBreak;
    FFillClientCols = Source.FFillClientCols;
    FShrinkToFill = Source.FShrinkToFill;
    Source.FitTables();
    FHidden.Assign(Source.FHidden);
    FKeptWidths = Source.FKeptWidths;
    SetOverwrite(Source.FOverwrite);
    FHighlight = Source.FHighlight;
    FDefaultAlignment = Source.FDefaultAlignment;
    FFixedAlignment = Source.FFixedAlignment;
    FAlignments.Assign(Source.FAlignments);
    FVertLineColor = Source.FVertLineColor;
    FHorzLineColor = Source.FHorzLineColor;
    FDefaultFontColor = Source.FDefaultFontColor;
    FFixedFontColor = Source.FFixedFontColor;
    FFontColors.Assign(Source.FFontColors);
    FDefaultCellColor = Source.FDefaultCellColor;
    FColors.Assign(Source.FColors);
    FVertLines.Assign(Source.FVertLines);
    FHorzLines.Assign(Source.FHorzLines);
    FFixedCell3DEffect = Source.FFixedCell3DEffect;
    InvalidateGrid();
}
