#include "components/GridUtils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <set>

#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "components/RunTimeGrid.h"
#include "core/uDelimitedStrings.h"

using platform::StringGrid;

const QString FilterTotalsMarker = QStringLiteral("Сума за филтъра");

bool IsTotalsRecordText(const QString &FirstField)
{
    return FirstField == FilterTotalsMarker || FirstField.startsWith(HighlightMarker);
}

namespace {

TRichGrid *AsRich(StringGrid &Grid)
{
    return dynamic_cast<TRichGrid *>(&Grid);
}

const TRichGrid *AsRich(const StringGrid &Grid)
{
    return dynamic_cast<const TRichGrid *>(&Grid);
}

TRunTimeGrid *AsRunTime(StringGrid &Grid)
{
    return dynamic_cast<TRunTimeGrid *>(&Grid);
}

const TRunTimeGrid *AsRunTime(const StringGrid &Grid)
{
    return dynamic_cast<const TRunTimeGrid *>(&Grid);
}

bool InGrid(const StringGrid &Grid, int ACol, int ARow)
{
    return ACol >= 0 && ARow >= 0 && ACol < Grid.ColCount() && ARow < Grid.RowCount();
}

// The text a grid keeps for a cell: its own string, or what the outside
// source of a run-time grid gives.
QString StoredText(const StringGrid &Grid, int ACol, int ARow)
{
    if (const TRunTimeGrid *ta = AsRunTime(Grid))
        return ta->CellText(ACol, ARow);
    return Grid.Cells(ACol, ARow);
}

// The text a cell shows: on an attributed grid after its formatter.
QString ShownText(const StringGrid &Grid, int ACol, int ARow)
{
    if (const TRichGrid *tr = AsRich(Grid)) {
        QString s;
        const_cast<TRichGrid *>(tr)->GetDisplayText(ACol, ARow, s);
        return s;
    }
    return StoredText(Grid, ACol, ARow);
}

// One step of a search: up when Step < 1, and never standing still.
int SearchStep(int Step)
{
    if (Step >= 1)
        return Step;
    return Step <= -1 ? Step : -1;
}

int CommonPrefixIgnoringCase(const QString &A, const QString &B)
{
    const int n = std::min(A.size(), B.size());
    int i = 0;
    while (i < n && (A.at(i) == B.at(i) || A.at(i).toLower() == B.at(i).toLower() ||
                     A.at(i).toUpper() == B.at(i).toUpper()))
        ++i;
    return i;
}

// Row colour for a data row, laid over every cell of the row. Cells that
// hold attributes of their own inherit their background again, so that a
// colour left from an earlier fill never hides the row's. No object is made
// for an ordinary row or cell: a large list keeps none per row or cell.
void ColourRow(TRichGrid &Grid, int ARow, bool Highlighted)
{
    if (Highlighted) {
        Grid.GetRowAttributes(ARow)->SetBackColor(TotalsRowColor);
    } else if (Grid.HasRowAttributes(ARow)) {
        // An ordinary row shows its columns' colours.
        TColRowAttributes *row = Grid.GetRowAttributes(ARow);
        row->SetDefaultAttributes(row->DefaultAttributes() + daBackColor);
    }
    for (int c = 0; c < Grid.ColCount(); ++c) {
        if (!Grid.HasCellAttributes(c, ARow))
            continue;
        TCellAttributes *cell = Grid.GetCellAttributes(c, ARow);
        cell->SetDefaultAttributes(cell->DefaultAttributes() + daBackColor);
    }
}

[[noreturn]] void RaiseInvalidCast()
{
    throw EInvalidCast(QStringLiteral("Invalid class typecast"));
}

} // namespace

// --- fill and search ---------------------------------------------------------

namespace {

// Keeps a grid hidden while it is filled and shows it again however the
// fill ends. A grid that held the keyboard focus gets it back: Qt would
// otherwise hand the focus to the next control when the grid hides (a date
// edit of a report, whose change clears the grid), and the operator's next
// keys would go there.
class HiddenWhileFilling
{
public:
    HiddenWhileFilling(StringGrid &Grid, bool Hide) : grid_(Grid), hide_(Hide), wasHidden_(Grid.isHidden())
    {
        if (!hide_)
            return;
        QWidget *focused = QApplication::focusWidget();
        hadFocus_ = focused && (focused == &grid_ || grid_.isAncestorOf(focused));
        if (hadFocus_)
            focused->clearFocus();
        grid_.setHidden(true);
    }
    ~HiddenWhileFilling()
    {
        if (!hide_)
            return;
        grid_.setHidden(wasHidden_);
        if (hadFocus_ && !wasHidden_)
            grid_.setFocus(Qt::OtherFocusReason);
    }
    HiddenWhileFilling(const HiddenWhileFilling &) = delete;
    HiddenWhileFilling &operator=(const HiddenWhileFilling &) = delete;

private:
    StringGrid &grid_;
    bool hide_;
    bool wasHidden_;
    bool hadFocus_ = false;
};

} // namespace

bool FillGridFromDelimitedStrings(StringGrid &Grid, const TDelimitedStrings &Strings, bool HideWhileFilling)
{
    const HiddenWhileFilling hidden(Grid, HideWhileFilling);
    TRichGrid *tr = AsRich(Grid);
    if (tr)
        tr->AutoSizeColumns(nullptr);
    WidenColumnsToHeaders(Grid);

    const int count = Strings.Count();
    const int fixedRows = Grid.FixedRows();
    const QChar fieldDelimiter = Strings.FieldDelimiter();
    if (count > 0) {
        Grid.SetRowCount(fixedRows + count);
        for (int i = 0; i < count; ++i) {
            const int row = fixedRows + i;
            const QStringList fields = Strings.Strings(i).split(fieldDelimiter);
            QStringList cells = fields.mid(0, Grid.ColCount());
            while (cells.size() < Grid.ColCount())
                cells << QString();
            Grid.SetRows(row, cells);
            if (fields.first() == FilterTotalsMarker) {
                if (!tr)
                    RaiseInvalidCast();
                ColourRow(*tr, row, true);
            }
        }
    } else {
        Grid.SetRowCount(fixedRows + 1);
        Grid.SetRows(fixedRows, QStringList());
    }

    if (tr) {
        for (int row = fixedRows; row < Grid.RowCount(); ++row) {
            const QString first = Grid.Cells(0, row);
            if (first.startsWith(HighlightMarker)) {
                Grid.SetCells(0, row, first.mid(1));
                ColourRow(*tr, row, true);
            } else if (first != FilterTotalsMarker) {
                ColourRow(*tr, row, false);
            }
        }
    }

    return count > 0;
}

bool FindRowByCellValue(const QString &Text, int Col, const StringGrid &Grid, int &Row)
{
    const QString text = Text.trimmed();
    if (text.isEmpty())
        return false;
    for (int r = Grid.FixedRows(); r < Grid.RowCount(); ++r) {
        if (StoredText(Grid, Col, r) == text) {
            Row = r;
            return true;
        }
    }
    return false;
}

int FindBestPrefixRow(const StringGrid &Grid, QString &S, int Col, int StartRow, int Step)
{
    const int step = SearchStep(Step);
    // A start above the data rows (-1, or a caption row) means the first
    // data row: captions are never matched.
    int row = StartRow < Grid.FixedRows() ? Grid.FixedRows() : StartRow;
    int best = -1;
    int bestLength = 0;
    for (; row >= Grid.FixedRows() && row < Grid.RowCount(); row += step) {
        const QString shown = ShownText(Grid, Col, row);
        const int n = CommonPrefixIgnoringCase(S, shown);
        if (n == S.size() && StoredText(Grid, Col, row) == S)
            return row;
        if (n > bestLength) {
            best = row;
            bestLength = n;
        }
    }
    if (best >= 0)
        S.truncate(bestLength);
    return best;
}

int FindRowContaining(const StringGrid &Grid, const QString &Text, int Col, int StartRow, int Step)
{
    const int step = Step == 0 ? 1 : Step;
    const QString text = Text.toLower();
    int row = StartRow == -1 ? Grid.FixedRows() : StartRow + step;
    for (; row >= Grid.FixedRows() && row < Grid.RowCount(); row += step)
        if (StoredText(Grid, Col, row).toLower().contains(text))
            return row;
    return -1;
}

bool SearchDirectionAllowed(int SearchSetting, int Direction)
{
    return SearchSetting == 3 || (SearchSetting == 1 && Direction == 0) || (SearchSetting == 2 && Direction == 1);
}

void GridSelectionAsText(const StringGrid &Grid, QString &S)
{
    const TGridRect sel = Grid.Selection();
    QStringList rows;
    for (int r = sel.Top; r <= sel.Bottom; ++r) {
        QStringList cells;
        for (int c = sel.Left; c <= sel.Right; ++c)
            cells << ShownText(Grid, c, r);
        rows << cells.join(QChar('\t'));
    }
    S = rows.join(QChar('\r'));
}

// --- grid utilities ----------------------------------------------------------

void ClearGrid(StringGrid &Grid, int Mode)
{
    if (Mode == 0) {
        const int row = Grid.FixedRows();
        Grid.SetRowCount(row + 1);
        Grid.SetRows(row, QStringList());
        if (TRichGrid *tr = AsRich(Grid))
            tr->ClearCellValues(GridRect(0, row, Grid.ColCount() - 1, row));
    } else if (Mode == 1) {
        for (int r = Grid.FixedRows(); r < Grid.RowCount(); ++r)
            for (int c = Grid.FixedCols(); c < Grid.ColCount(); ++c)
                Grid.SetCells(c, r, QString());
    }
}

void InsertGridRow(StringGrid &Grid, int Row)
{
    const int count = Grid.RowCount();
    // A fixed row (a caption) is never moved into the data.
    if (Row < Grid.FixedRows() || Row > count)
        return;
    Grid.SetRowCount(count + 1);
    for (int r = count; r > Row; --r)
        Grid.SetRows(r, Grid.Rows(r - 1));
}

void DeleteGridRow(StringGrid &Grid, int Row)
{
    TRichGrid *tr = AsRich(Grid);
    // A fixed row (a caption) is never deleted nor overwritten by data.
    if (!tr || Row < Grid.FixedRows() || Row >= Grid.RowCount())
        return;
    Grid.SetRows(Row, QStringList());
    for (int r = Row + 1; r < Grid.RowCount(); ++r) {
        tr->ClearRowsAttributes(r - 1, r - 1, 2 | 4);
        tr->GetRowAttributes(r - 1)->AssignAttributes(*tr->GetEffectiveRowAttributes(r));
        Grid.SetRows(r - 1, Grid.Rows(r));
    }
    if (Grid.RowCount() > Grid.FixedRows() + 1) {
        Grid.SetRows(Grid.RowCount() - 1, QStringList());
        Grid.SetRowCount(Grid.RowCount() - 1);
    }
}

int GetFixedRowsHeight(const StringGrid &Grid)
{
    int h = 0;
    for (int r = 0; r < Grid.FixedRows(); ++r)
        h += Grid.RowHeights(r);
    return h;
}

void SetCellColor(StringGrid &Grid, int ACol, int ARow, TColor Color)
{
    if (!InGrid(Grid, ACol, ARow))
        return;
    if (TRichGrid *tr = AsRich(Grid)) {
        tr->GetCellAttributes(ACol, ARow)->SetBackColor(Color);
    } else if (TRunTimeGrid *ta = AsRunTime(Grid)) {
        ta->SetCellColor(ACol, ARow, Color);
        ta->InvalidateGrid();
    }
}

TColor GetCellColor(const StringGrid &Grid, int ACol, int ARow)
{
    if (!InGrid(Grid, ACol, ARow))
        return clWindow;
    if (const TRichGrid *tr = AsRich(Grid))
        return const_cast<TRichGrid *>(tr)->GetEffectiveCellAttributes(ACol, ARow)->BackColor();
    if (const TRunTimeGrid *ta = AsRunTime(Grid))
        return ta->GetCellColor(ACol, ARow);
    return clWindow;
}

void GetCellMergeRect(const StringGrid &Grid, int ACol, int ARow, TGridRect &Rect)
{
    Rect = GridRect(ACol, ARow, ACol, ARow);
    if (!InGrid(Grid, ACol, ARow))
        return;
    if (const TRichGrid *tr = AsRich(Grid))
        tr->GetMergeRect(ACol, ARow, Rect);
    else if (const TRunTimeGrid *ta = AsRunTime(Grid))
        ta->GetMergeRect(ACol, ARow, Rect);
}

void HideColumn(StringGrid &Grid, int ACol)
{
    if (ACol < 0 || ACol >= Grid.ColCount())
        return;
    if (TRichGrid *tr = AsRich(Grid))
        tr->GetColAttributes(ACol)->SetVisible(false);
    else if (TRunTimeGrid *ta = AsRunTime(Grid))
        ta->SetColHidden(ACol, true);
}

void WidenColumnsToHeaders(StringGrid &Grid)
{
    TRichGrid *tr = AsRich(Grid);
    if (!tr)
        return;
    // Headers mostly share one look: its metrics are made once.
    std::optional<QFontMetrics> metrics;
    TFontStyles metricsStyle;
    for (int r = 0; r < tr->FixedRows(); ++r) {
        for (int c = 0; c < tr->ColCount(); ++c) {
            if (tr->ColWidths(c) < 1)
                continue;
            TGridRect block;
            tr->GetMergeRect(c, r, block);
            if (block.Left != block.Right || block.Top != r)
                continue;
            TColRowAttributes look;
            QString text;
            tr->GetDisplayAttributes(c, r, &look, text);
            if (text.isEmpty())
                continue;
            if (!metrics || !(look.FontStyle() == metricsStyle)) {
                metricsStyle = look.FontStyle();
                metrics.emplace(platform::StyledFont(tr->font(), metricsStyle));
            }
            int widest = 0;
            for (const QString &line : text.split(QLatin1Char('\n')))
                widest = std::max(widest, metrics->horizontalAdvance(line));
            const int width = widest + look.LeftMargin() + look.RightMargin() + 2;
            if (tr->ColWidths(c) < width)
                tr->SetColWidths(c, width);
        }
    }
}

void ShowColumn(StringGrid &Grid, int ACol)
{
    if (ACol < 0 || ACol >= Grid.ColCount())
        return;
    if (TRichGrid *tr = AsRich(Grid))
        tr->GetColAttributes(ACol)->SetVisible(true);
    else if (TRunTimeGrid *ta = AsRunTime(Grid))
        ta->SetColHidden(ACol, false);
}

StringGrid *CloneGrid(const StringGrid &Model, bool Visible, QObject *Owner, QWidget *Parent)
{
    QWidget *parent = Parent ? Parent : Model.parentWidget();
    StringGrid *grid = nullptr;
    if (const TRichGrid *tr = AsRich(Model)) {
        auto *copy = new TRichGrid(parent);
        copy->setVisible(Visible);
        copy->Assign(*tr);
        grid = copy;
    } else if (const TRunTimeGrid *ta = AsRunTime(Model)) {
        auto *copy = new TRunTimeGrid(parent);
        copy->setVisible(Visible);
        copy->Assign(*ta);
        grid = copy;
    } else {
        return nullptr;
    }
    // An owner other than the parent frees the copy when it goes; the copy
    // going first ends the tie.
    if (Owner && Owner != parent)
        QObject::connect(Owner, &QObject::destroyed, grid, [grid] { delete grid; });
    return grid;
}

void HideGridSelection(StringGrid &Grid)
{
    if (TRichGrid *tr = AsRich(Grid))
        tr->GetRowAttributes(Grid.Row())->SetHideSelection(true);
    else if (TRunTimeGrid *ta = AsRunTime(Grid))
        ta->SetHighlight(false);
    TGridOptions o = Grid.Options();
    o -= goDrawFocusSelected;
    Grid.SetOptions(o);
}

void SetGridEditing(StringGrid &Grid, bool Editable)
{
    TGridOptions options = Grid.Options();
    if (options.Contains(goEditing) == Editable)
        return;
    if (Editable)
        options.Include(goEditing);
    else
        options.Exclude(goEditing);
    Grid.SetOptions(options);
}

int AlignmentBits(const TCellAlignment &A)
{
    int bits = 0;
    if (A.Contains(caLeft))
        bits |= AlignBitLeft;
    if (A.Contains(caRight))
        bits |= AlignBitRight;
    if (A.Contains(caCenter))
        bits |= AlignBitCenter;
    if (A.Contains(caTop))
        bits |= AlignBitTop;
    if (A.Contains(caBottom))
        bits |= AlignBitBottom;
    return bits;
}

int GetCellAlignment(const StringGrid &Grid, int ACol, int ARow)
{
    if (!InGrid(Grid, ACol, ARow))
        return 0;
    if (const TRichGrid *tr = AsRich(Grid)) {
        TColRowAttributes attrs;
        QString text;
        const_cast<TRichGrid *>(tr)->GetDisplayAttributes(ACol, ARow, &attrs, text);
        return AlignmentBits(attrs.Alignment());
    }
    if (const TRunTimeGrid *ta = AsRunTime(Grid)) {
        const int code = ta->GetCellAlignment(ACol, ARow);
        int bits = 0;
        switch (code & 3) {
        case TRunTimeGrid::alRight:
            bits |= AlignBitRight;
            break;
        case TRunTimeGrid::alHCenter:
            bits |= AlignBitCenter;
            break;
        default:
            bits |= AlignBitLeft;
            break;
        }
        switch (code & 12) {
        case TRunTimeGrid::alBottom:
            bits |= AlignBitBottom;
            break;
        case TRunTimeGrid::alVCenter:
            bits |= AlignBitCenter;
            break;
        default:
            bits |= AlignBitTop;
            break;
        }
        return bits;
    }
    return 0;
}

bool ColumnsFitClient(const StringGrid &Grid)
{
    int width = 0;
    for (int c = Grid.LeftCol(); c < Grid.ColCount(); ++c)
        width += Grid.ColWidths(c);
    return width < Grid.viewport()->width() - 4;
}

void GetCellText(const StringGrid &Grid, int ACol, int ARow, QString &S)
{
    S = ShownText(Grid, ACol, ARow);
}

void SetCellBitmapIndex(StringGrid &Grid, int ACol, int ARow, int Index)
{
    if (!InGrid(Grid, ACol, ARow))
        return;
    if (TRichGrid *tr = AsRich(Grid))
        tr->GetCellAttributes(ACol, ARow)->SetImageIndex(Index);
}

void SetGridNegativeMarking(StringGrid &Grid, bool Value)
{
    TRichGrid *tr = AsRich(Grid);
    if (!tr)
        return;
    std::set<TNumberFormatter *> done;
    // A row with no attribute object of its own nor of its cells shows its
    // columns' formatters, like every other such row: one of them stands for
    // all (a filled list has thousands).
    bool plainRowSeen = false;
    for (int r = Grid.FixedRows(); r < Grid.RowCount(); ++r) {
        bool plain = !tr->HasRowAttributes(r);
        for (int c = 0; plain && c < Grid.ColCount(); ++c)
            plain = !tr->HasCellAttributes(c, r);
        if (plain && plainRowSeen)
            continue;
        plainRowSeen = plainRowSeen || plain;
        for (int c = Grid.FixedCols(); c < Grid.ColCount(); ++c) {
            auto *f = dynamic_cast<TNumberFormatter *>(tr->GetEffectiveCellAttributes(c, r)->Formatter());
            if (f && done.insert(f).second)
                f->SetMarkNegative(Value);
        }
    }
}

void SetColumnFillsClient(StringGrid &Grid, int ACol, bool Value)
{
    if (ACol < 0 || ACol >= Grid.ColCount())
        return;
    if (TRichGrid *tr = AsRich(Grid))
        tr->GetColAttributes(ACol)->SetResizeToFillClient(Value);
    else if (TRunTimeGrid *ta = AsRunTime(Grid))
        ta->SetFillClientCol(ACol, Value);
}

bool ColumnFillsClient(const StringGrid &Grid, int ACol)
{
    if (ACol < 0 || ACol >= Grid.ColCount())
        return false;
    if (const TRichGrid *tr = AsRich(Grid))
        return const_cast<TRichGrid *>(tr)->GetEffectiveColAttributes(ACol)->ResizeToFillClient();
    if (const TRunTimeGrid *ta = AsRunTime(Grid))
        return ta->IsFillClientCol(ACol);
    return false;
}
