#pragma once
// The string grid of the program, in place of the class library's: texts
// addressed as Cells(col, row) with header cells like any other, several
// fixed rows and columns that stay while the rest scrolls by whole cells,
// column widths and row heights where 0 hides, range selection, sizing by
// dragging, an in-place editor, and painting through the virtual DrawCell
// of only the cells in view. Its state lives in a GridData, which knows no
// window.
//
// Keys and mouse behave as the class library's grid did: arrows, Page keys,
// Home/End (with Ctrl: the grid's corners), Tab with goTabs, Enter opens and
// closes the editor with goEditing, a printable key opens it with that key,
// Shift extends a selection with goRangeSelect, the wheel moves the current
// row. Moving the current cell (by key, mouse or Col/Row) asks SelectCell
// and then fires OnClick. F2 is never taken: it is the forms' Save key.
#include <QAbstractScrollArea>
#include <QPointer>
#include <atomic>
#include <functional>

#include "platform/ui/Colors.h"
#include "platform/ui/GridData.h"

class QLineEdit;

namespace platform {

class GridInplaceEdit;

class StringGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit StringGrid(QWidget *parent = nullptr);
    ~StringGrid() override;

    // The state without the window (read access for tests and helpers;
    // change the grid through the members below so that it repaints).
    const GridData &Data() const { return data_; }

    // --- counts and sizes
    int ColCount() const { return data_.ColCount(); }
    int RowCount() const { return data_.RowCount(); }
    virtual void SetColCount(int value);
    virtual void SetRowCount(int value);
    int FixedCols() const { return data_.FixedCols(); }
    int FixedRows() const { return data_.FixedRows(); }
    void SetFixedCols(int value);
    void SetFixedRows(int value);
    int DefaultColWidth() const { return data_.DefaultColWidth(); }
    int DefaultRowHeight() const { return data_.DefaultRowHeight(); }
    void SetDefaultColWidth(int value);
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const { return data_.ColWidths(col); }
    int RowHeights(int row) const { return data_.RowHeights(row); }
    void SetColWidths(int col, int value);
    void SetRowHeights(int row, int value);
    int GridLineWidth() const { return data_.GridLineWidth(); }
    void SetGridLineWidth(int value);
    TGridOptions Options() const { return data_.Options(); }
    virtual void SetOptions(TGridOptions value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value);
    // Sum of the widths (heights) of all columns (rows) with their lines.
    int GridWidth() const;
    int GridHeight() const;

    // --- texts: reading outside the grid gives "", writing there does
    // nothing. Writing may happen on a worker thread while the main thread
    // waits (the background sorter); the grid then repaints later.
    QString Cells(int col, int row) const { return data_.Cells(col, row); }
    // The same text in place, valid until the row's texts change.
    QStringView CellView(int col, int row) const { return data_.CellView(col, row); }
    void SetCells(int col, int row, const QString &value);
    QStringList Rows(int row) const { return data_.Rows(row); }
    void SetRows(int row, const QStringList &values);
    QStringList Cols(int col) const { return data_.Cols(col); }
    void SetCols(int col, const QStringList &values);
    // Swaps the texts of two rows (all columns).
    void ExchangeRows(int a, int b);
    // Row first + k takes the texts that row first + from[k] held (a sorted
    // order put in place at once); the rows' looks stay where they are.
    void PermuteRows(int first, const std::vector<int> &from);

    // --- current cell, selection, scrolling
    int Col() const { return data_.Current().X; }
    int Row() const { return data_.Current().Y; }
    void SetCol(int value);
    void SetRow(int value);
    int LeftCol() const { return data_.TopLeft().X; }
    int TopRow() const { return data_.TopLeft().Y; }
    void SetLeftCol(int value);
    void SetTopRow(int value);
    TGridRect Selection() const { return data_.Selection(); }
    void SetSelection(const TGridRect &value);
    int VisibleColCount() const { return data_.VisibleColCount(); }
    int VisibleRowCount() const { return data_.VisibleRowCount(); }

    // --- in-place editor
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool value);
    QLineEdit *InplaceEditor() const;

    // --- geometry (client coordinates of the cell area)
    QRect CellRect(int ACol, int ARow) const { return data_.CellRect(ACol, ARow); }
    void MouseToCell(int X, int Y, int &ACol, int &ARow) const;
    TGridCoord MouseCoord(int X, int Y) const { return data_.MouseCoord(X, Y); }
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCol(int ACol);
    void InvalidateRow(int ARow);
    void InvalidateGrid();

    // The painter while the grid paints (DrawCell, OnDrawCell), else null.
    QPainter *Canvas() const { return canvas_; }

    // --- printing: the fixed rows and rows firstRow..lastRow (clamped to
    // the scrolled rows) with every column, at `origin`, without selection
    // or focus, in the painter's device units with the grid's font on that
    // device. PaintExtent gives the size that takes.
    QSize PaintExtent(int firstRow, int lastRow) const;
    void paintTo(QPainter &painter, const QPoint &origin, int firstRow, int lastRow);

    // --- events
    std::function<void(QObject *Sender)> OnClick;
    std::function<void(QObject *Sender)> OnDblClick;
    std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(QObject *Sender, QChar &Key)> OnKeyPress;
    std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseDown;
    std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseUp;
    std::function<void(QObject *Sender, int ACol, int ARow, bool &CanSelect)> OnSelectCell;
    std::function<void(QObject *Sender, int ACol, int ARow, const QRect &Rect, TGridDrawState State)> OnDrawCell;
    std::function<void(QObject *Sender, int ACol, int ARow, QString &Value)> OnGetEditText;
    std::function<void(QObject *Sender, int ACol, int ARow, const QString &Value)> OnSetEditText;
    std::function<void(QObject *Sender)> OnTopLeftChanged;

    // The key handling of the class library's grid, callable by code that
    // forwards keys to the grid.
    virtual void KeyDown(int &Key, Qt::KeyboardModifiers Shift);
    virtual void KeyPress(QChar &Key);

protected:
    // May the current cell move to (ACol, ARow)? Fires OnSelectCell.
    virtual bool SelectCell(int ACol, int ARow);
    // Paints one cell, or one merged block through its top-left cell and
    // the block's rectangle, on Canvas(); fires OnDrawCell.
    virtual void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState);
    virtual QString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString &Value);
    virtual bool CanEditShow() const;
    virtual bool CanEditModify() const { return true; }
    virtual void Click();
    virtual void DblClick();
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    // After a cell's text was written (also on a worker thread).
    virtual void CellTextChanged(int ACol, int ARow);
    // The block of cells painted as one with this cell; the cell alone by
    // default.
    virtual TGridRect CellBlock(int ACol, int ARow) const;
    // The client area changed its size.
    virtual void ClientResized() {}

    // The class library's moves: MoveCurrentCell asks SelectCell, moves the
    // current cell (and the anchor when asked), closes the editor unless it
    // always shows, and scrolls the cell into view when `show`. FocusCell
    // adds the editor update and OnClick.
    void MoveCurrentCell(int ACol, int ARow, bool moveAnchor, bool show);
    void FocusCell(int ACol, int ARow, bool moveAnchor);
    void MoveTopLeft(TGridCoord topLeft);
    // Moves the current cell again while SelectCell runs (to redirect a
    // refused move), with the flags of the move being decided.
    void RedirectCurrent(int ACol, int ARow);
    bool LeftButtonDown() const { return leftButtonDown_; }
    void ShowEditor();
    void HideEditor();
    void UpdateEdit();
    // Fires OnDrawCell (for DrawCell overrides that paint on their own).
    void FireDrawCellEvent(int ACol, int ARow, const QRect &ARect, TGridDrawState AState);
    // True while the widget paints itself: size changes made then take
    // effect after the paint.
    bool Painting() const { return painting_; }
    // A cell's state for painting.
    TGridDrawState CellState(const TGridRect &block, bool printing) const;
    // Screen rectangle of a block in the current view, and the area it may
    // paint over; false when nothing of it shows.
    bool BlockRect(const TGridRect &block, QRect &rect, QRect &clip) const;

    // Qt
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void timerEvent(QTimerEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class GridInplaceEdit;
    void PaintCells(QPainter &p, const GridAxisLayout &h, const GridAxisLayout &v, bool printing);
    void PaintLines(QPainter &p, const GridAxisLayout &h, const GridAxisLayout &v);
    // Extends the selection (or moves the current cell) to the cell under
    // a client point; past the client area the grid scrolls on by a cell.
    void SelectTo(const QPoint &pos);
    void UpdateScrollBars();
    void LayoutChanged();
    void ClampCurrentToSize();
    bool GridHasFocus() const;
    void ShowEditorChar(QChar ch);
    void FireKeyDownEvent(int &Key, Qt::KeyboardModifiers Shift);
    void EditorTextEdited(const QString &text);
    void EditorFocusLost(Qt::FocusReason reason);
    bool OnGuiThread() const;

    GridData data_;
    TColor color_ = clWindow;
    TColor fixedColor_ = clBtnFace;
    bool defaultDrawing_ = true;
    bool editorMode_ = false;
    GridInplaceEdit *editor_ = nullptr;
    int inplaceCol_ = -1;
    int inplaceRow_ = -1;
    bool settingEditText_ = false;
    QPainter *canvas_ = nullptr;
    bool painting_ = false;
    bool settingScrollBars_ = false;
    std::atomic<bool> pendingUpdate_{false};

    // mouse state
    enum class MouseState { Normal, Selecting, Sizing };
    MouseState mouseState_ = MouseState::Normal;
    GridData::SizingHit sizing_;
    bool leftButtonDown_ = false;
    int wheelAccumulator_ = 0;
    // While selecting, a timer goes on scrolling when the mouse rests past
    // the client area, as the class library's grid did.
    int selectTimer_ = 0;
    QPoint selectPos_;

    // flags of the move that SelectCell is deciding
    struct MoveContext
    {
        bool active = false;
        bool moveAnchor = true;
        bool show = true;
        int depth = 0;
    } move_;
};

} // namespace platform
