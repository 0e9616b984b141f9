#pragma once
// The state of a string grid without any window: texts, column widths and
// row heights, fixed counts, options, current cell, selection, top row and
// left column, and the arithmetic of what a client area of a given size
// shows. The widget (StringGrid) keeps one and asks it everything it
// needs to paint, scroll and navigate, so that the logic is tested without
// a window.
#include <QRect>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/GridTypes.h"

namespace platform {

// What one axis of the client area shows for a given first scrolled cell.
struct GridAxisLayout
{
    int FixedCount = 0;    // fixed columns (rows)
    int FixedBoundary = 0; // pixel where the scrolled cells begin
    int First = 0;         // first scrolled cell (LeftCol, TopRow)
    int Extent = 0;        // pixels of the client area
    int LastFull = 0;      // last scrolled cell shown whole (First - 1 when none)
    int LastVisible = 0;   // last scrolled cell shown at least in part
};

// Where a block of cells stands on one axis, in client pixels, and the part
// of the client area it may paint over (a block that begins among the
// scrolled cells never paints over the fixed ones).
struct GridBlockSpan
{
    bool Visible = false;
    int Start = 0;
    int End = 0;
    int ClipStart = 0;
};

// The texts of one grid row in one block of memory: the number of cells
// held, the block's room, each cell's length, then the characters of all
// cells. A row none of whose cells was ever written holds nothing. A cell
// is read by adding up the lengths before it. A row written whole fits its
// block exactly; a row written cell by cell keeps some room to grow in.
class GridRowTexts
{
public:
    GridRowTexts() = default;
    GridRowTexts(GridRowTexts &&) noexcept = default;
    GridRowTexts &operator=(GridRowTexts &&) noexcept = default;

    // Cells held (0 for a row never written).
    int Size() const { return d_ ? static_cast<int>(Read(0)) : 0; }
    QStringView View(int col) const;
    // Cell col becomes value; a row shorter than col grows to count cells.
    void Set(int col, const QString &value, int count);
    // Every cell at once: values, then "" up to count.
    void SetAll(const QStringList &values, int count);
    // Drops the cells from count on.
    void Truncate(int count);
    void Clear() { d_.reset(); }
    void swap(GridRowTexts &other) noexcept { d_.swap(other.d_); }

private:
    quint32 Read(size_t at) const { return quint32(d_[at]) | (quint32(d_[at + 1]) << 16); }
    // Builds the block from views of the cells, with room for spare units more.
    void Build(const std::vector<QStringView> &cells, size_t spare = 0);
    // Units in use: the header, the lengths and the characters.
    size_t Used() const;

    std::unique_ptr<char16_t[]> d_;
};

class GridData
{
public:
    GridData();

    // --- counts
    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    // Counts below 1 become 1; fixed counts are lowered below the count.
    // The texts, widths and heights of removed columns and rows are gone.
    void SetColCount(int value);
    void SetRowCount(int value);
    // Raise EInvalidGridOperation when negative or not below the count;
    // the current cell and the top-left cell go to the first scrolled cell.
    void SetFixedCols(int value);
    void SetFixedRows(int value);

    // --- sizes
    int DefaultColWidth() const { return defaultColWidth_; }
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Setting a default size gives it to every column (row).
    void SetDefaultColWidth(int value);
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    int RowHeights(int row) const;
    void SetColWidths(int col, int value);  // out of range: ignored
    void SetRowHeights(int row, int value); // 0 or less hides
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value) { gridLineWidth_ = value < 0 ? 0 : value; }
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions value) { options_ = value; }
    // The pixels a column (row) takes with its grid line: 0 when hidden.
    int ColExtent(int col) const;
    int RowExtent(int row) const;
    int VertLineWidth() const;
    int HorzLineWidth() const;

    // --- texts (reading outside the grid gives "", writing there is ignored)
    QString Cells(int col, int row) const;
    // The same text in place, valid until the row's texts change.
    QStringView CellView(int col, int row) const;
    bool SetCells(int col, int row, const QString &value);
    // Every cell of a row at once (values, then ""); false outside the grid.
    bool SetRowTexts(int row, const QStringList &values);
    QStringList Rows(int row) const;
    QStringList Cols(int col) const;
    void ExchangeRows(int a, int b);
    // Row first + k takes the texts of row first + from[k]; a list that is
    // no permutation of rows inside the grid changes nothing.
    void PermuteRows(int first, const std::vector<int> &from);
    // Every text of the grid dropped.
    void ClearTexts();

    // --- current cell, anchor of the selection, top-left scrolled cell
    TGridCoord Current() const { return current_; }
    TGridCoord Anchor() const { return anchor_; }
    TGridCoord TopLeft() const { return topLeft_; }
    TGridRect Selection() const;
    // Raw moves: no veto, no check. MoveCurrent keeps the anchor unless asked
    // (or without range selection); with row selection the current column is
    // the first scrolled one and the anchor stands in the last column.
    void MoveCurrent(TGridCoord cell, bool moveAnchor);
    void MoveAnchor(TGridCoord cell);
    void SetSelection(const TGridRect &rect);
    void SetTopLeft(TGridCoord cell);

    // --- the client area
    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    // False until a client area of some size was given: without one no cell
    // is scrolled into view.
    bool HasView() const { return clientWidth_ > 0 && clientHeight_ > 0; }

    GridAxisLayout HorzLayout(int first, int extent) const;
    GridAxisLayout VertLayout(int first, int extent) const;
    GridAxisLayout HorzLayout() const { return HorzLayout(topLeft_.X, clientWidth_); }
    GridAxisLayout VertLayout() const { return VertLayout(topLeft_.Y, clientHeight_); }
    // The left edge (top edge) of a cell in a layout; cells scrolled out
    // before the first scrolled one lie behind the fixed cells.
    int ColPos(const GridAxisLayout &h, int col) const;
    int RowPos(const GridAxisLayout &v, int row) const;
    GridBlockSpan HorzSpan(const GridAxisLayout &h, int left, int right) const;
    GridBlockSpan VertSpan(const GridAxisLayout &v, int top, int bottom) const;

    // The highest left column and top row: the last cells just fit.
    TGridCoord MaxTopLeft() const;
    // Scrolled cells shown whole.
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // The client rectangle of a cell (without its grid line); empty when it
    // is not shown.
    QRect CellRect(int col, int row) const;
    // The cell under a client point; -1 in a coordinate past the cells.
    TGridCoord MouseCoord(int x, int y) const;
    // The top-left cell that shows a cell whole (the current one when it
    // does already, or without a client area).
    TGridCoord ClampInView(TGridCoord cell) const;
    // The top-left cell, kept between the fixed cells and MaxTopLeft.
    TGridCoord RestrictTopLeft(TGridCoord cell) const;

    // The outcome of a navigation key, as the class library's grid moved.
    struct KeyMove
    {
        bool Handled = false;    // the key is a navigation key
        TGridCoord Current;      // new current cell (restricted to the grid)
        TGridCoord TopLeft;      // new top-left cell (restricted)
        bool MoveAnchor = true;  // false while Shift extends a selection
    };
    // key: a Qt::Key; Tab only counts when the grid takes Tab (goTabs).
    KeyMove KeyTarget(int key, Qt::KeyboardModifiers modifiers) const;

    // Column or row boundary under a point in the fixed area, for sizing by
    // dragging: Kind 1 a column's right edge, 2 a row's bottom edge.
    struct SizingHit
    {
        int Kind = 0;
        int Index = -1;
        int Start = 0; // client position of the cell's left (top) edge
    };
    SizingHit SizingAt(int x, int y) const;

    // The nearest cell that passes `selectable`, looked for from `target`
    // first in the direction of travel from `from` (along the row when the
    // column changes, else along the column), then the other way; never in
    // the fixed area. Returns false when there is none.
    bool FindSelectable(TGridCoord from, TGridCoord target,
                        const std::function<bool(int, int)> &selectable, TGridCoord &found) const;

private:
    int AxisPos(bool horz, const GridAxisLayout &a, int index) const;
    GridBlockSpan AxisSpan(bool horz, const GridAxisLayout &a, int first, int last) const;
    GridAxisLayout AxisLayout(bool horz, int first, int extent) const;
    int AxisMaxFirst(bool horz, int last) const;
    int Extent(bool horz, int index) const { return horz ? ColExtent(index) : RowExtent(index); }
    int Count(bool horz) const { return horz ? colCount_ : rowCount_; }
    int Fixed(bool horz) const { return horz ? fixedCols_ : fixedRows_; }
    void ResetPosition();

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    // One block per row, empty until one of its cells is written.
    std::vector<GridRowTexts> texts_;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridCoord topLeft_{1, 1};
    int clientWidth_ = 0;
    int clientHeight_ = 0;
};

} // namespace platform
