#include "platform/ui/GridData.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {
const QString FixedColTooBig = QStringLiteral("Fixed column count must be less than column count");
const QString FixedRowTooBig = QStringLiteral("Fixed row count must be less than row count");
const QString IndexOutOfRange = QStringLiteral("Grid index out of range");
} // namespace

// --- one row's texts ----------------------------------------------------

// Layout: count (2 units), room (2 units), a length per cell (2 units
// each), then the characters.
QStringView GridRowTexts::View(int col) const
{
    if (!d_ || col < 0 || quint32(col) >= Read(0))
        return QStringView();
    const quint32 count = Read(0);
    size_t offset = 4 + 2 * size_t(count);
    for (int c = 0; c < col; ++c)
        offset += Read(4 + 2 * size_t(c));
    return QStringView(d_.get() + offset, qsizetype(Read(4 + 2 * size_t(col))));
}

size_t GridRowTexts::Used() const
{
    const quint32 count = Read(0);
    size_t used = 4 + 2 * size_t(count);
    for (quint32 c = 0; c < count; ++c)
        used += Read(4 + 2 * size_t(c));
    return used;
}

void GridRowTexts::Build(const std::vector<QStringView> &cells, size_t spare)
{
    size_t total = 4 + 2 * cells.size();
    for (QStringView v : cells)
        total += size_t(v.size());
    const size_t room = total + spare;
    std::unique_ptr<char16_t[]> d(new char16_t[room]);
    auto write = [&d](size_t at, quint32 v) {
        d[at] = char16_t(v & 0xFFFF);
        d[at + 1] = char16_t(v >> 16);
    };
    write(0, quint32(cells.size()));
    write(2, quint32(room));
    size_t offset = 4 + 2 * cells.size();
    for (size_t c = 0; c < cells.size(); ++c) {
        write(4 + 2 * c, quint32(cells[c].size()));
        std::copy(cells[c].utf16(), cells[c].utf16() + cells[c].size(), d.get() + offset);
        offset += size_t(cells[c].size());
    }
    d_ = std::move(d);
}

void GridRowTexts::Set(int col, const QString &value, int count)
{
    const int held = Size();
    if (col >= held && value.isEmpty())
        return;
    if (col < held) {
        // In place when the block has room: the characters after the cell
        // move by the difference.
        const size_t used = Used();
        const size_t oldLength = Read(4 + 2 * size_t(col));
        const size_t newLength = size_t(value.size());
        if (used - oldLength + newLength <= Read(2)) {
            size_t offset = 4 + 2 * size_t(held);
            for (int c = 0; c < col; ++c)
                offset += Read(4 + 2 * size_t(c));
            char16_t *start = d_.get() + offset;
            char16_t *tail = start + oldLength;
            char16_t *end = d_.get() + used;
            std::memmove(start + newLength, tail, size_t(end - tail) * sizeof(char16_t));
            std::copy(value.utf16(), value.utf16() + value.size(), start);
            d_[4 + 2 * size_t(col)] = char16_t(newLength & 0xFFFF);
            d_[4 + 2 * size_t(col) + 1] = char16_t(newLength >> 16);
            return;
        }
    }
    std::vector<QStringView> cells(static_cast<size_t>(std::max({held, count, col + 1})));
    for (int c = 0; c < held; ++c)
        cells[size_t(c)] = View(c);
    cells[size_t(col)] = value;
    // Cells written one by one: room to grow by half again.
    size_t total = 4 + 2 * cells.size();
    for (QStringView v : cells)
        total += size_t(v.size());
    Build(cells, total / 2 + 8);  // the views point into the old block until it is replaced
}

void GridRowTexts::SetAll(const QStringList &values, int count)
{
    bool any = false;
    for (int c = 0; c < count && c < values.size() && !any; ++c)
        any = !values[c].isEmpty();
    if (!any) {
        if (d_)
            Build(std::vector<QStringView>(size_t(count)));
        return;
    }
    std::vector<QStringView> cells(static_cast<size_t>(count));
    for (int c = 0; c < count && c < values.size(); ++c)
        cells[size_t(c)] = values[c];
    Build(cells);
}

void GridRowTexts::Truncate(int count)
{
    if (Size() <= count)
        return;
    std::vector<QStringView> cells(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c)
        cells[size_t(c)] = View(c);
    Build(cells);
}

// --- the grid ---------------------------------------------------------------

GridData::GridData()
{
    colWidths_.assign(colCount_, defaultColWidth_);
    rowHeights_.assign(rowCount_, defaultRowHeight_);
    texts_.resize(rowCount_);
}

// --- counts ---------------------------------------------------------------

void GridData::SetColCount(int value)
{
    if (value < 1)
        value = 1;
    if (value <= fixedCols_)
        fixedCols_ = value - 1;
    colCount_ = value;
    colWidths_.resize(value, defaultColWidth_);
    for (auto &row : texts_)
        row.Truncate(value);
}

void GridData::SetRowCount(int value)
{
    if (value < 1)
        value = 1;
    if (value <= fixedRows_)
        fixedRows_ = value - 1;
    rowCount_ = value;
    rowHeights_.resize(value, defaultRowHeight_);
    texts_.resize(value);
}

void GridData::SetFixedCols(int value)
{
    if (value < 0)
        throw EInvalidGridOperation(IndexOutOfRange);
    if (value >= colCount_)
        throw EInvalidGridOperation(FixedColTooBig);
    fixedCols_ = value;
    ResetPosition();
}

void GridData::SetFixedRows(int value)
{
    if (value < 0)
        throw EInvalidGridOperation(IndexOutOfRange);
    if (value >= rowCount_)
        throw EInvalidGridOperation(FixedRowTooBig);
    fixedRows_ = value;
    ResetPosition();
}

void GridData::ResetPosition()
{
    current_ = TGridCoord{fixedCols_, fixedRows_};
    topLeft_ = current_;
    anchor_ = current_;
    if (options_.Contains(goRowSelect))
        anchor_.X = colCount_ - 1;
}

// --- sizes ----------------------------------------------------------------

void GridData::SetDefaultColWidth(int value)
{
    defaultColWidth_ = value;
    std::fill(colWidths_.begin(), colWidths_.end(), value);
}

void GridData::SetDefaultRowHeight(int value)
{
    defaultRowHeight_ = value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), value);
}

int GridData::ColWidths(int col) const
{
    if (col < 0 || col >= colCount_)
        return defaultColWidth_;
    return colWidths_[col];
}

int GridData::RowHeights(int row) const
{
    if (row < 0 || row >= rowCount_)
        return defaultRowHeight_;
    return rowHeights_[row];
}

void GridData::SetColWidths(int col, int value)
{
    if (col >= 0 && col < colCount_)
        colWidths_[col] = value;
}

void GridData::SetRowHeights(int row, int value)
{
    if (row >= 0 && row < rowCount_)
        rowHeights_[row] = value;
}

int GridData::VertLineWidth() const
{
    return (options_ * TGridOptions{goFixedVertLine, goVertLine}).IsEmpty() ? 0 : gridLineWidth_;
}

int GridData::HorzLineWidth() const
{
    return (options_ * TGridOptions{goFixedHorzLine, goHorzLine}).IsEmpty() ? 0 : gridLineWidth_;
}

int GridData::ColExtent(int col) const
{
    const int w = ColWidths(col);
    return w <= 0 ? 0 : w + VertLineWidth();
}

int GridData::RowExtent(int row) const
{
    const int h = RowHeights(row);
    return h <= 0 ? 0 : h + HorzLineWidth();
}

// --- texts ----------------------------------------------------------------

QString GridData::Cells(int col, int row) const
{
    if (row < 0 || row >= rowCount_ || col < 0)
        return QString();
    return texts_[row].View(col).toString();
}

QStringView GridData::CellView(int col, int row) const
{
    if (row < 0 || row >= rowCount_ || col < 0)
        return QStringView();
    return texts_[row].View(col);
}

bool GridData::SetCells(int col, int row, const QString &value)
{
    if (row < 0 || row >= rowCount_ || col < 0 || col >= colCount_)
        return false;
    texts_[row].Set(col, value, colCount_);
    return true;
}

bool GridData::SetRowTexts(int row, const QStringList &values)
{
    if (row < 0 || row >= rowCount_)
        return false;
    texts_[row].SetAll(values, colCount_);
    return true;
}

QStringList GridData::Rows(int row) const
{
    QStringList list;
    list.reserve(colCount_);
    for (int c = 0; c < colCount_; ++c)
        list.append(Cells(c, row));
    return list;
}

QStringList GridData::Cols(int col) const
{
    QStringList list;
    list.reserve(rowCount_);
    for (int r = 0; r < rowCount_; ++r)
        list.append(Cells(col, r));
    return list;
}

void GridData::ExchangeRows(int a, int b)
{
    if (a < 0 || b < 0 || a >= rowCount_ || b >= rowCount_ || a == b)
        return;
    texts_[a].swap(texts_[b]);
}

void GridData::PermuteRows(int first, const std::vector<int> &from)
{
    const int n = static_cast<int>(from.size());
    if (first < 0 || first + n > rowCount_)
        return;
    std::vector<char> seen(from.size(), 0);
    for (int r : from) {
        if (r < 0 || r >= n || seen[size_t(r)])
            return;
        seen[size_t(r)] = 1;
    }
    std::vector<GridRowTexts> moved(from.size());
    for (int k = 0; k < n; ++k)
        moved[size_t(k)].swap(texts_[size_t(first + from[size_t(k)])]);
    for (int k = 0; k < n; ++k)
        texts_[size_t(first + k)].swap(moved[size_t(k)]);
}

void GridData::ClearTexts()
{
    for (auto &row : texts_)
        row.Clear();
}

// --- current cell and selection ------------------------------------------------

TGridRect GridData::Selection() const
{
    TGridRect r;
    r.Left = std::min(anchor_.X, current_.X);
    r.Right = std::max(anchor_.X, current_.X);
    r.Top = std::min(anchor_.Y, current_.Y);
    r.Bottom = std::max(anchor_.Y, current_.Y);
    return r;
}

void GridData::MoveCurrent(TGridCoord cell, bool moveAnchor)
{
    current_ = cell;
    if (moveAnchor || !options_.Contains(goRangeSelect)) {
        anchor_ = current_;
        if (options_.Contains(goRowSelect))
            anchor_.X = colCount_ - 1;
    }
    if (options_.Contains(goRowSelect))
        current_.X = fixedCols_;
}

void GridData::MoveAnchor(TGridCoord cell)
{
    if (!options_.Contains(goRangeSelect)) {
        MoveCurrent(cell, true);
        return;
    }
    anchor_ = cell;
    if (options_.Contains(goRowSelect))
        anchor_.X = colCount_ - 1;
}

void GridData::SetSelection(const TGridRect &rect)
{
    anchor_ = TGridCoord{rect.Left, rect.Top};
    current_ = TGridCoord{rect.Right, rect.Bottom};
}

void GridData::SetTopLeft(TGridCoord cell)
{
    topLeft_ = cell;
}

// --- layout ---------------------------------------------------------------

void GridData::SetClientSize(int width, int height)
{
    clientWidth_ = std::max(0, width);
    clientHeight_ = std::max(0, height);
}

GridAxisLayout GridData::AxisLayout(bool horz, int first, int extent) const
{
    GridAxisLayout a;
    a.FixedCount = Fixed(horz);
    for (int i = 0; i < a.FixedCount; ++i)
        a.FixedBoundary += Extent(horz, i);
    a.First = first;
    a.Extent = extent;
    a.LastFull = first - 1;
    a.LastVisible = first - 1;
    const int count = Count(horz);
    int pos = a.FixedBoundary;
    for (int i = first; i < count; ++i) {
        if (pos >= extent)
            break;
        const int e = Extent(horz, i);
        if (pos + e <= extent)
            a.LastFull = i;
        a.LastVisible = i;
        pos += e;
    }
    return a;
}

GridAxisLayout GridData::HorzLayout(int first, int extent) const
{
    return AxisLayout(true, first, extent);
}

GridAxisLayout GridData::VertLayout(int first, int extent) const
{
    return AxisLayout(false, first, extent);
}

int GridData::AxisPos(bool horz, const GridAxisLayout &a, int index) const
{
    int pos = 0;
    if (index < a.FixedCount) {
        for (int i = 0; i < index; ++i)
            pos += Extent(horz, i);
        return pos;
    }
    pos = a.FixedBoundary;
    if (index >= a.First) {
        for (int i = a.First; i < index; ++i)
            pos += Extent(horz, i);
        return pos;
    }
    for (int i = index; i < a.First; ++i)
        pos -= Extent(horz, i);
    return pos;
}

int GridData::ColPos(const GridAxisLayout &h, int col) const
{
    return AxisPos(true, h, col);
}

int GridData::RowPos(const GridAxisLayout &v, int row) const
{
    return AxisPos(false, v, row);
}

GridBlockSpan GridData::AxisSpan(bool horz, const GridAxisLayout &a, int first, int last) const
{
    GridBlockSpan s;
    const int count = Count(horz);
    first = std::max(0, first);
    last = std::min(count - 1, last);
    if (first > last)
        return s;
    auto size = [&](int i) { return std::max(0, horz ? ColWidths(i) : RowHeights(i)); };
    if (first < a.FixedCount) {
        s.Start = AxisPos(horz, a, first);
        s.ClipStart = 0;
        const int end = last >= a.First ? last : std::min(last, a.FixedCount - 1);
        s.End = AxisPos(horz, a, end) + size(end);
    } else {
        if (last < a.First || first > a.LastVisible)
            return s;
        s.Start = AxisPos(horz, a, first);
        s.End = AxisPos(horz, a, last) + size(last);
        s.ClipStart = a.FixedBoundary;
    }
    s.Visible = s.End > std::max(s.Start, s.ClipStart) && s.Start < a.Extent;
    return s;
}

GridBlockSpan GridData::HorzSpan(const GridAxisLayout &h, int left, int right) const
{
    return AxisSpan(true, h, left, right);
}

GridBlockSpan GridData::VertSpan(const GridAxisLayout &v, int top, int bottom) const
{
    return AxisSpan(false, v, top, bottom);
}

int GridData::AxisMaxFirst(bool horz, int last) const
{
    const int fixed = Fixed(horz);
    int fixedBoundary = 0;
    for (int i = 0; i < fixed; ++i)
        fixedBoundary += Extent(horz, i);
    const int space = (horz ? clientWidth_ : clientHeight_) - fixedBoundary;
    int result = std::max(last, fixed);
    int sum = 0;
    for (int i = last; i >= fixed; --i) {
        sum += Extent(horz, i);
        if (sum > space)
            break;
        result = i;
    }
    return result;
}

TGridCoord GridData::MaxTopLeft() const
{
    return TGridCoord{AxisMaxFirst(true, colCount_ - 1), AxisMaxFirst(false, rowCount_ - 1)};
}

int GridData::VisibleColCount() const
{
    const GridAxisLayout h = HorzLayout();
    return std::max(0, h.LastFull - h.First + 1);
}

int GridData::VisibleRowCount() const
{
    const GridAxisLayout v = VertLayout();
    return std::max(0, v.LastFull - v.First + 1);
}

QRect GridData::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        return QRect();
    const GridAxisLayout h = HorzLayout();
    const GridAxisLayout v = VertLayout();
    const bool colShown = col < h.FixedCount || (col >= h.First && col <= h.LastVisible);
    const bool rowShown = row < v.FixedCount || (row >= v.First && row <= v.LastVisible);
    if (!colShown || !rowShown)
        return QRect();
    return QRect(AxisPos(true, h, col), AxisPos(false, v, row), std::max(0, ColWidths(col)),
                 std::max(0, RowHeights(row)));
}

TGridCoord GridData::MouseCoord(int x, int y) const
{
    auto find = [this](bool horz, const GridAxisLayout &a, int p) {
        if (p < 0)
            return -1;
        int pos = 0;
        if (p < a.FixedBoundary) {
            for (int i = 0; i < a.FixedCount; ++i) {
                const int e = Extent(horz, i);
                if (p < pos + e)
                    return i;
                pos += e;
            }
            return -1;
        }
        pos = a.FixedBoundary;
        const int count = Count(horz);
        for (int i = a.First; i < count && pos <= p; ++i) {
            const int e = Extent(horz, i);
            if (p < pos + e)
                return i;
            pos += e;
        }
        return -1;
    };
    return TGridCoord{find(true, HorzLayout(), x), find(false, VertLayout(), y)};
}

TGridCoord GridData::ClampInView(TGridCoord cell) const
{
    TGridCoord tl = topLeft_;
    if (!HasView())
        return tl;
    const GridAxisLayout h = HorzLayout();
    const GridAxisLayout v = VertLayout();
    if (cell.X >= fixedCols_ && cell.X < colCount_) {
        if (cell.X < tl.X)
            tl.X = cell.X;
        else if (cell.X > h.LastFull)
            tl.X = AxisMaxFirst(true, cell.X);
    }
    if (cell.Y >= fixedRows_ && cell.Y < rowCount_) {
        if (cell.Y < tl.Y)
            tl.Y = cell.Y;
        else if (cell.Y > v.LastFull)
            tl.Y = AxisMaxFirst(false, cell.Y);
    }
    return tl;
}

TGridCoord GridData::RestrictTopLeft(TGridCoord cell) const
{
    const TGridCoord max = MaxTopLeft();
    cell.X = std::max(fixedCols_, std::min(cell.X, max.X));
    cell.Y = std::max(fixedRows_, std::min(cell.Y, max.Y));
    return cell;
}

GridData::KeyMove GridData::KeyTarget(int key, Qt::KeyboardModifiers modifiers) const
{
    KeyMove m;
    m.Current = current_;
    m.TopLeft = topLeft_;
    const GridAxisLayout h = HorzLayout();
    const GridAxisLayout v = VertLayout();
    const int pageWidth = std::max(1, h.LastFull - topLeft_.X);
    const int pageHeight = std::max(1, v.LastFull - topLeft_.Y);
    const bool rowSelect = options_.Contains(goRowSelect);
    const bool ctrl = modifiers & Qt::ControlModifier;
    m.MoveAnchor = !(modifiers & Qt::ShiftModifier);
    m.Handled = true;

    if (ctrl && key != Qt::Key_Tab && key != Qt::Key_Backtab) {
        switch (key) {
        case Qt::Key_Up:
            --m.TopLeft.Y;
            break;
        case Qt::Key_Down:
            ++m.TopLeft.Y;
            break;
        case Qt::Key_Left:
            if (!rowSelect) {
                m.Current.X -= pageWidth;
                m.TopLeft.X -= pageWidth;
            }
            break;
        case Qt::Key_Right:
            if (!rowSelect) {
                m.Current.X += pageWidth;
                m.TopLeft.X += pageWidth;
            }
            break;
        case Qt::Key_PageUp:
            m.Current.Y = topLeft_.Y;
            break;
        case Qt::Key_PageDown:
            m.Current.Y = std::max(v.LastFull, topLeft_.Y);
            break;
        case Qt::Key_Home:
            m.Current = TGridCoord{fixedCols_, fixedRows_};
            break;
        case Qt::Key_End:
            m.Current = TGridCoord{colCount_ - 1, rowCount_ - 1};
            break;
        default:
            m.Handled = false;
        }
    } else {
        switch (key) {
        case Qt::Key_Up:
            --m.Current.Y;
            break;
        case Qt::Key_Down:
            ++m.Current.Y;
            break;
        case Qt::Key_Left:
            if (rowSelect)
                --m.TopLeft.X;
            else
                --m.Current.X;
            break;
        case Qt::Key_Right:
            if (rowSelect)
                ++m.TopLeft.X;
            else
                ++m.Current.X;
            break;
        case Qt::Key_PageDown:
            m.Current.Y += pageHeight;
            m.TopLeft.Y += pageHeight;
            break;
        case Qt::Key_PageUp:
            m.Current.Y -= pageHeight;
            m.TopLeft.Y -= pageHeight;
            break;
        case Qt::Key_Home:
            if (rowSelect)
                m.Current.Y = fixedRows_;
            else
                m.Current.X = fixedCols_;
            break;
        case Qt::Key_End:
            if (rowSelect)
                m.Current.Y = rowCount_ - 1;
            else
                m.Current.X = colCount_ - 1;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if ((modifiers & Qt::AltModifier) || !options_.Contains(goTabs)) {
                m.Handled = false;
                break;
            }
            // Shift+Tab steps back, wrapping to the last cell of the row
            // above; Tab steps on, wrapping to the first cell of the next row.
            if (key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier)) {
                --m.Current.X;
                if (m.Current.X < fixedCols_) {
                    m.Current.X = colCount_ - 1;
                    --m.Current.Y;
                    if (m.Current.Y < fixedRows_)
                        m.Current.Y = rowCount_ - 1;
                }
            } else {
                ++m.Current.X;
                if (m.Current.X >= colCount_) {
                    m.Current.X = fixedCols_;
                    ++m.Current.Y;
                    if (m.Current.Y >= rowCount_)
                        m.Current.Y = fixedRows_;
                }
            }
            m.MoveAnchor = true;
            break;
        default:
            m.Handled = false;
        }
    }
    m.TopLeft = RestrictTopLeft(m.TopLeft);
    m.Current.X = std::max(fixedCols_, std::min(m.Current.X, colCount_ - 1));
    m.Current.Y = std::max(fixedRows_, std::min(m.Current.Y, rowCount_ - 1));
    return m;
}

GridData::SizingHit GridData::SizingAt(int x, int y) const
{
    SizingHit hit;
    const GridAxisLayout h = HorzLayout();
    const GridAxisLayout v = VertLayout();
    constexpr int Reach = 3;
    auto scan = [&](bool horz, const GridAxisLayout &a, int p) {
        // The edges of the cells shown; a hidden cell has no edge of its own.
        int found = -1;
        int start = 0;
        auto test = [&](int i, int pos) {
            const int size = horz ? ColWidths(i) : RowHeights(i);
            if (size <= 0)
                return;
            const int edge = pos + size;
            if (p >= edge - Reach && p <= edge + Reach) {
                found = i;
                start = pos;
            }
        };
        int pos = 0;
        for (int i = 0; i < a.FixedCount; ++i) {
            test(i, pos);
            pos += Extent(horz, i);
        }
        for (int i = a.First; i <= a.LastVisible && i < Count(horz); ++i) {
            test(i, pos);
            pos += Extent(horz, i);
        }
        if (found >= 0) {
            hit.Kind = horz ? 1 : 2;
            hit.Index = found;
            hit.Start = start;
        }
    };
    if (y >= 0 && y < v.FixedBoundary && options_.Contains(goColSizing))
        scan(true, h, x);
    else if (x >= 0 && x < h.FixedBoundary && options_.Contains(goRowSizing))
        scan(false, v, y);
    return hit;
}

bool GridData::FindSelectable(TGridCoord from, TGridCoord target,
                              const std::function<bool(int, int)> &selectable, TGridCoord &found) const
{
    const bool alongRow = target.X != from.X;
    int dir;
    if (alongRow)
        dir = target.X > from.X ? 1 : -1;
    else
        dir = target.Y >= from.Y ? 1 : -1;
    const int low = alongRow ? fixedCols_ : fixedRows_;
    const int high = (alongRow ? colCount_ : rowCount_) - 1;
    const int start = alongRow ? target.X : target.Y;
    for (int pass = 0; pass < 2; ++pass, dir = -dir) {
        for (int i = start + dir; i >= low && i <= high; i += dir) {
            const int c = alongRow ? i : target.X;
            const int r = alongRow ? target.Y : i;
            if (selectable(c, r)) {
                found = TGridCoord{c, r};
                return true;
            }
        }
    }
    return false;
}

} // namespace platform
