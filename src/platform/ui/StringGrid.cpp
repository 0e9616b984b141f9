#include "platform/ui/StringGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QThread>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

namespace platform {

namespace {
const QString IndexOutOfRange = QStringLiteral("Grid index out of range");

bool IsCharKey(QChar ch)
{
    // The characters that reach a control as typed characters; Delete
    // brings no character of its own.
    return !ch.isNull() && ch.unicode() != 0x7F;
}
} // namespace

// The in-place editor: a line edit over the current cell that hands the
// navigation keys to the grid as the class library's editor did.
class GridInplaceEdit : public QLineEdit
{
public:
    explicit GridInplaceEdit(StringGrid *grid) : QLineEdit(grid->viewport()), grid_(grid)
    {
        setFrame(false);
        hide();
        connect(this, &QLineEdit::textEdited, this, [this](const QString &t) { grid_->EditorTextEdited(t); });
    }

    void Deselect()
    {
        deselect();
        end(false);
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress) {
            auto *ke = static_cast<QKeyEvent *>(e);
            if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
                if (grid_->Options().Contains(goTabs)) {
                    keyPressEvent(ke);
                    return true;
                }
                // Tab leaves the grid: the editor closes and the grid hands
                // the focus on.
                QKeyEvent copy(ke->type(), ke->key(), ke->modifiers(), ke->text());
                grid_->HideEditor();
                QCoreApplication::sendEvent(grid_, &copy);
                return true;
            }
        }
        return QLineEdit::event(e);
    }

    void keyPressEvent(QKeyEvent *e) override
    {
        int key = e->key();
        const Qt::KeyboardModifiers mods = e->modifiers();
        if (key == Qt::Key_F2) {
            // Not ours: the forms' Save.
            e->ignore();
            return;
        }
        const bool forward = grid_->Options().Contains(goAlwaysShowEditor);
        const bool ctrl = mods & Qt::ControlModifier;
        bool toParent = false;
        switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Escape:
            toParent = true;
            break;
        case Qt::Key_Insert:
            toParent = mods == Qt::NoModifier;
            break;
        case Qt::Key_Left:
        case Qt::Key_Home:
            toParent = forward && (ctrl || LeftSide());
            break;
        case Qt::Key_Right:
        case Qt::Key_End:
            toParent = forward && (ctrl || RightSide());
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            toParent = !(mods & Qt::AltModifier);
            break;
        default:
            break;
        }
        QPointer<GridInplaceEdit> self(this);
        if (toParent) {
            grid_->KeyDown(key, mods);
            key = 0;
        } else {
            if (key == Qt::Key_Delete && !grid_->CanEditModify())
                key = 0;
            if (key != 0)
                grid_->FireKeyDownEvent(key, mods);
        }
        if (!self)
            return;

        const QString text = e->text();
        if (!text.isEmpty() && IsCharKey(text.at(0))) {
            QChar ch = text.at(0);
            grid_->KeyPress(ch);
            if (!self)
                return;
            const ushort c = ch.unicode();
            if (c == '\t' || c == 0x1B) {
                ch = QChar();
            } else if (c == '\r') {
                if (isVisible()) {
                    if (selectionStart() == 0 && selectedText().length() == this->text().length())
                        Deselect();
                    else
                        selectAll();
                }
                ch = QChar();
            } else if ((c == 8 || c == 0x16 || c == 0x18 || c >= 32) && !grid_->CanEditModify()) {
                ch = QChar();
            }
            if (ch.isNull() || !isVisible()) {
                e->accept();
                return;
            }
            if (ch != text.at(0)) {
                QKeyEvent changed(e->type(), key == 0 ? Qt::Key_unknown : key, mods, QString(ch));
                QLineEdit::keyPressEvent(&changed);
                return;
            }
            QLineEdit::keyPressEvent(e);
            return;
        }
        if (key == 0) {
            e->accept();
            return;
        }
        QLineEdit::keyPressEvent(e);
        // Keys the line edit has no use for (F-keys and the like) go on to
        // the window, never back through the grid.
        if (!e->isAccepted())
            e->ignore();
    }

    void focusOutEvent(QFocusEvent *e) override
    {
        QLineEdit::focusOutEvent(e);
        grid_->EditorFocusLost(e->reason());
    }

private:
    void SelectionBounds(int &start, int &end) const
    {
        if (hasSelectedText()) {
            start = selectionStart();
            end = start + selectedText().length();
        } else {
            start = end = cursorPosition();
        }
    }
    bool RightSide() const
    {
        int s, e;
        SelectionBounds(s, e);
        return (s == 0 || e == s) && e == text().length();
    }
    bool LeftSide() const
    {
        int s, e;
        SelectionBounds(s, e);
        return s == 0 && (e == 0 || e == text().length());
    }

    StringGrid *grid_;
};

// --------------------------------------------------------------------------

StringGrid::StringGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    UpdateScrollBars();
}

StringGrid::~StringGrid() = default;

bool StringGrid::OnGuiThread() const
{
    return QThread::currentThread() == thread();
}

QLineEdit *StringGrid::InplaceEditor() const
{
    return editor_;
}

// --- counts and sizes ---------------------------------------------------------

void StringGrid::SetColCount(int value)
{
    if (value < 1)
        value = 1;
    if (value == ColCount())
        return;
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    data_.SetColCount(value);
    ClampCurrentToSize();
    SizeChanged(oldCols, oldRows);
}

void StringGrid::SetRowCount(int value)
{
    if (value < 1)
        value = 1;
    if (value == RowCount())
        return;
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    data_.SetRowCount(value);
    ClampCurrentToSize();
    SizeChanged(oldCols, oldRows);
}

void StringGrid::ClampCurrentToSize()
{
    TGridCoord coord = data_.Current();
    coord.X = std::min(coord.X, ColCount() - 1);
    coord.Y = std::min(coord.Y, RowCount() - 1);
    if (coord != data_.Current()) {
        MoveCurrentCell(coord.X, coord.Y, true, true);
        // A refused move must not leave the current cell outside the grid.
        if (data_.Current().X >= ColCount() || data_.Current().Y >= RowCount())
            data_.MoveCurrent(coord, true);
    }
    if (data_.Anchor() != data_.Current() && !Options().Contains(goRowSelect))
        data_.MoveAnchor(data_.Current());
    if (Options().Contains(goRowSelect))
        data_.MoveCurrent(data_.Current(), true);
    const TGridCoord tl = data_.RestrictTopLeft(data_.TopLeft());
    if (tl != data_.TopLeft())
        MoveTopLeft(tl);
    LayoutChanged();
}

void StringGrid::SetFixedCols(int value)
{
    data_.SetFixedCols(value);
    HideEditor();
    LayoutChanged();
}

void StringGrid::SetFixedRows(int value)
{
    data_.SetFixedRows(value);
    HideEditor();
    LayoutChanged();
}

void StringGrid::SetDefaultColWidth(int value)
{
    data_.SetDefaultColWidth(value);
    ColWidthsChanged();
}

void StringGrid::SetDefaultRowHeight(int value)
{
    data_.SetDefaultRowHeight(value);
    RowHeightsChanged();
}

void StringGrid::SetColWidths(int col, int value)
{
    if (col < 0 || col >= ColCount() || data_.ColWidths(col) == value)
        return;
    data_.SetColWidths(col, value);
    ColWidthsChanged();
}

void StringGrid::SetRowHeights(int row, int value)
{
    if (row < 0 || row >= RowCount() || data_.RowHeights(row) == value)
        return;
    data_.SetRowHeights(row, value);
    RowHeightsChanged();
}

void StringGrid::SetGridLineWidth(int value)
{
    data_.SetGridLineWidth(value);
    LayoutChanged();
}

void StringGrid::SetOptions(TGridOptions value)
{
    if (value == Options())
        return;
    if (value.Contains(goRowSelect))
        value.Exclude(goAlwaysShowEditor);
    const bool editingRemoved = Options().Contains(goEditing) && !value.Contains(goEditing);
    data_.SetOptions(value);
    verticalScrollBar()->setTracking(value.Contains(goThumbTracking));
    horizontalScrollBar()->setTracking(value.Contains(goThumbTracking));
    if (editingRemoved)
        HideEditor();
    if (!editorMode_) {
        if (value.Contains(goAlwaysShowEditor))
            ShowEditor();
        else
            HideEditor();
    }
    if (value.Contains(goRowSelect))
        MoveCurrentCell(Col(), Row(), true, false);
    LayoutChanged();
}

void StringGrid::SetColor(TColor value)
{
    color_ = value;
    InvalidateGrid();
}

void StringGrid::SetFixedColor(TColor value)
{
    fixedColor_ = value;
    InvalidateGrid();
}

void StringGrid::SetDefaultDrawing(bool value)
{
    defaultDrawing_ = value;
    InvalidateGrid();
}

int StringGrid::GridWidth() const
{
    int w = 0;
    for (int c = 0; c < ColCount(); ++c)
        w += data_.ColExtent(c);
    return w;
}

int StringGrid::GridHeight() const
{
    int h = 0;
    for (int r = 0; r < RowCount(); ++r)
        h += data_.RowExtent(r);
    return h;
}

void StringGrid::ColWidthsChanged()
{
    LayoutChanged();
}

void StringGrid::RowHeightsChanged()
{
    LayoutChanged();
}

void StringGrid::SizeChanged(int, int) {}

void StringGrid::LayoutChanged()
{
    if (!OnGuiThread() || painting_) {
        InvalidateGrid();
        return;
    }
    UpdateScrollBars();
    UpdateEdit();
    InvalidateGrid();
}

void StringGrid::UpdateScrollBars()
{
    settingScrollBars_ = true;
    const TGridCoord max = data_.MaxTopLeft();
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, max.Y - FixedRows()));
    v->setPageStep(std::max(1, VisibleRowCount()));
    v->setValue(TopRow() - FixedRows());
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, std::max(0, max.X - FixedCols()));
    h->setPageStep(std::max(1, VisibleColCount()));
    h->setValue(LeftCol() - FixedCols());
    settingScrollBars_ = false;
}

void StringGrid::scrollContentsBy(int, int)
{
    if (settingScrollBars_)
        return;
    TGridCoord tl{FixedCols() + horizontalScrollBar()->value(), FixedRows() + verticalScrollBar()->value()};
    MoveTopLeft(data_.RestrictTopLeft(tl));
}

// --- texts --------------------------------------------------------------------

void StringGrid::SetCells(int col, int row, const QString &value)
{
    if (!data_.SetCells(col, row, value))
        return;
    CellTextChanged(col, row);
    if (!OnGuiThread()) {
        InvalidateGrid();
        return;
    }
    if (editor_ && !settingEditText_ && editor_->isVisible() && col == inplaceCol_ && row == inplaceRow_)
        editor_->setText(GetEditText(col, row));
    InvalidateCell(col, row);
}

void StringGrid::SetRows(int row, const QStringList &values)
{
    // The row's texts are stored at once; each cell then hears of its change
    // as through SetCells.
    if (!data_.SetRowTexts(row, values))
        return;
    const bool gui = OnGuiThread();
    for (int c = 0; c < ColCount(); ++c) {
        CellTextChanged(c, row);
        if (!gui)
            continue;
        if (editor_ && !settingEditText_ && editor_->isVisible() && c == inplaceCol_ && row == inplaceRow_)
            editor_->setText(GetEditText(c, row));
        InvalidateCell(c, row);
    }
    if (!gui)
        InvalidateGrid();
}

void StringGrid::SetCols(int col, const QStringList &values)
{
    for (int r = 0; r < RowCount(); ++r)
        SetCells(col, r, r < values.size() ? values[r] : QString());
}

void StringGrid::ExchangeRows(int a, int b)
{
    if (a < 0 || b < 0 || a >= RowCount() || b >= RowCount() || a == b)
        return;
    data_.ExchangeRows(a, b);
    for (int c = 0; c < ColCount(); ++c) {
        CellTextChanged(c, a);
        CellTextChanged(c, b);
    }
    InvalidateGrid();
}

void StringGrid::PermuteRows(int first, const std::vector<int> &from)
{
    data_.PermuteRows(first, from);
    for (size_t k = 0; k < from.size(); ++k)
        if (from[k] != static_cast<int>(k))
            for (int c = 0; c < ColCount(); ++c)
                CellTextChanged(c, first + static_cast<int>(k));
    InvalidateGrid();
}

void StringGrid::CellTextChanged(int, int) {}

// --- current cell and scrolling ---------------------------------------------------

bool StringGrid::SelectCell(int ACol, int ARow)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow, can);
    return can;
}

void StringGrid::MoveCurrentCell(int ACol, int ARow, bool moveAnchor, bool show)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        throw EInvalidGridOperation(IndexOutOfRange);
    const MoveContext saved = move_;
    move_.active = true;
    move_.moveAnchor = moveAnchor;
    move_.show = show;
    ++move_.depth;
    bool accepted = false;
    try {
        accepted = SelectCell(ACol, ARow);
    } catch (...) {
        move_ = saved;
        throw;
    }
    move_ = saved;
    if (!accepted)
        return;
    data_.MoveCurrent(TGridCoord{ACol, ARow}, moveAnchor);
    if (!Options().Contains(goAlwaysShowEditor))
        HideEditor();
    if (show) {
        const TGridCoord tl = data_.ClampInView(data_.Current());
        if (tl != data_.TopLeft())
            MoveTopLeft(tl);
    }
    InvalidateGrid();
}

void StringGrid::RedirectCurrent(int ACol, int ARow)
{
    // Deep chains of refusals end here rather than in a stack overflow.
    if (move_.depth > 8)
        return;
    MoveCurrentCell(ACol, ARow, move_.active ? move_.moveAnchor : true, move_.active ? move_.show : true);
}

void StringGrid::FocusCell(int ACol, int ARow, bool moveAnchor)
{
    MoveCurrentCell(ACol, ARow, moveAnchor, true);
    UpdateEdit();
    Click();
}

void StringGrid::MoveTopLeft(TGridCoord topLeft)
{
    if (topLeft == data_.TopLeft())
        return;
    data_.SetTopLeft(topLeft);
    if (OnGuiThread()) {
        UpdateScrollBars();
        UpdateEdit();
    }
    InvalidateGrid();
    TopLeftChanged();
}

void StringGrid::TopLeftChanged()
{
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void StringGrid::SetCol(int value)
{
    if (value != Col())
        FocusCell(value, Row(), true);
}

void StringGrid::SetRow(int value)
{
    if (value != Row())
        FocusCell(Col(), value, true);
}

void StringGrid::SetLeftCol(int value)
{
    if (value != LeftCol())
        MoveTopLeft(data_.RestrictTopLeft(TGridCoord{value, TopRow()}));
}

void StringGrid::SetTopRow(int value)
{
    if (value != TopRow())
        MoveTopLeft(data_.RestrictTopLeft(TGridCoord{LeftCol(), value}));
}

void StringGrid::SetSelection(const TGridRect &value)
{
    data_.SetSelection(value);
    InvalidateGrid();
}

void StringGrid::Click()
{
    if (OnClick)
        OnClick(this);
}

void StringGrid::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void StringGrid::MouseToCell(int X, int Y, int &ACol, int &ARow) const
{
    const TGridCoord c = data_.MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

TGridRect StringGrid::CellBlock(int ACol, int ARow) const
{
    return TGridRect{ACol, ARow, ACol, ARow};
}

// --- editor -------------------------------------------------------------------

bool StringGrid::CanEditShow() const
{
    const TGridOptions o = Options();
    return o.Contains(goEditing) && !o.Contains(goRowSelect) && editorMode_ &&
           (o.Contains(goAlwaysShowEditor) || GridHasFocus());
}

bool StringGrid::GridHasFocus() const
{
    const QWidget *f = QApplication::focusWidget();
    return f && (f == this || f == viewport() || (editor_ && f == editor_));
}

QString StringGrid::GetEditText(int ACol, int ARow)
{
    QString value = Cells(ACol, ARow);
    if (OnGetEditText)
        OnGetEditText(this, ACol, ARow, value);
    return value;
}

void StringGrid::SetEditText(int ACol, int ARow, const QString &Value)
{
    settingEditText_ = true;
    try {
        if (Value != Cells(ACol, ARow))
            SetCells(ACol, ARow, Value);
    } catch (...) {
        settingEditText_ = false;
        throw;
    }
    settingEditText_ = false;
    if (OnSetEditText)
        OnSetEditText(this, ACol, ARow, Value);
}

void StringGrid::EditorTextEdited(const QString &text)
{
    if (inplaceCol_ >= 0 && inplaceRow_ >= 0)
        SetEditText(inplaceCol_, inplaceRow_, text);
}

void StringGrid::SetEditorMode(bool value)
{
    if (!value) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (editor_)
        editor_->Deselect();
}

void StringGrid::ShowEditor()
{
    editorMode_ = true;
    UpdateEdit();
}

void StringGrid::HideEditor()
{
    editorMode_ = false;
    if (!editor_ || inplaceCol_ < 0)
        return;
    const int col = inplaceCol_;
    const int row = inplaceRow_;
    const bool hadFocus = editor_->hasFocus();
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    if (col < ColCount() && row < RowCount() && editor_->text() != Cells(col, row))
        SetEditText(col, row, editor_->text());
    editor_->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
}

void StringGrid::UpdateEdit()
{
    if (!OnGuiThread() || !CanEditShow())
        return;
    if (!editor_)
        editor_ = new GridInplaceEdit(this);
    if (Col() != inplaceCol_ || Row() != inplaceRow_) {
        if (inplaceCol_ >= 0) {
            const bool keep = editorMode_;
            HideEditor();
            editorMode_ = keep;
        }
        inplaceCol_ = Col();
        inplaceRow_ = Row();
        editor_->setFont(font());
        editor_->setText(GetEditText(Col(), Row()));
        editor_->selectAll();
    }
    QRect r = CellRect(Col(), Row());
    const GridAxisLayout h = data_.HorzLayout();
    const GridAxisLayout v = data_.VertLayout();
    r = r.intersected(QRect(h.FixedBoundary, v.FixedBoundary, viewport()->width(), viewport()->height()));
    if (r.isEmpty()) {
        editor_->hide();
        return;
    }
    editor_->setGeometry(r);
    const bool focusIt = GridHasFocus();
    editor_->show();
    if (focusIt)
        editor_->setFocus(Qt::OtherFocusReason);
}

void StringGrid::ShowEditorChar(QChar ch)
{
    ShowEditor();
    if (!editor_ || !editor_->isVisible()) {
        // The editor may not open here: the key is an ordinary key press.
        KeyPress(ch);
        return;
    }
    editor_->setFocus(Qt::OtherFocusReason);
    int key = Qt::Key_unknown;
    if (ch.unicode() == 8)
        key = Qt::Key_Backspace;
    else if (ch.isLetterOrNumber() && ch.unicode() < 128)
        key = ch.toUpper().unicode();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QCoreApplication::sendEvent(editor_, &press);
}

void StringGrid::EditorFocusLost(Qt::FocusReason reason)
{
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (GridHasFocus())
        return;
    if (!Options().Contains(goAlwaysShowEditor))
        HideEditor();
    InvalidateGrid();
}

// --- keys ---------------------------------------------------------------------

void StringGrid::FireKeyDownEvent(int &Key, Qt::KeyboardModifiers Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void StringGrid::KeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    FireKeyDownEvent(Key, Shift);
    if (Key == 0 || Key == Qt::Key_F2)
        return;
    const GridData::KeyMove m = data_.KeyTarget(Key, Shift);
    if (!m.Handled)
        return;
    if (m.TopLeft != data_.TopLeft())
        MoveTopLeft(m.TopLeft);
    if (m.Current != data_.Current())
        FocusCell(m.Current.X, m.Current.Y, m.MoveAnchor);
}

void StringGrid::KeyPress(QChar &Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
    if (!Options().Contains(goAlwaysShowEditor) && Key.unicode() == '\r') {
        if (editorMode_)
            HideEditor();
        else
            ShowEditor();
        Key = QChar();
    }
}

bool StringGrid::event(QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) && Options().Contains(goTabs)) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void StringGrid::keyPressEvent(QKeyEvent *e)
{
    int key = e->key();
    if (key == Qt::Key_F2) {
        e->ignore();
        return;
    }
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool navigation = data_.KeyTarget(key, mods).Handled;
    QPointer<StringGrid> self(this);
    if (key != 0 && key != Qt::Key_unknown)
        KeyDown(key, mods);
    if (!self)
        return;
    const QString text = e->text();
    if (!text.isEmpty() && IsCharKey(text.at(0))) {
        QChar ch = text.at(0);
        const ushort c = ch.unicode();
        if (Options().Contains(goEditing) && (c == 8 || c >= 32))
            ShowEditorChar(ch);
        else
            KeyPress(ch);
        e->accept();
        return;
    }
    if (navigation)
        e->accept();
    else
        e->ignore();
}

// --- mouse ----------------------------------------------------------------------

void StringGrid::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (!hasFocus() && !(editor_ && editor_->hasFocus()))
        setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        leftButtonDown_ = true;
        const GridData::SizingHit hit = data_.SizingAt(pos.x(), pos.y());
        if (hit.Kind != 0) {
            mouseState_ = MouseState::Sizing;
            sizing_ = hit;
        } else {
            const TGridCoord cell = data_.MouseCoord(pos.x(), pos.y());
            if (cell.X >= FixedCols() && cell.Y >= FixedRows()) {
                if (Options().Contains(goEditing)) {
                    if (cell == data_.Current()) {
                        ShowEditor();
                    } else {
                        MoveCurrentCell(cell.X, cell.Y, true, true);
                        UpdateEdit();
                    }
                    Click();
                } else {
                    mouseState_ = MouseState::Selecting;
                    if (mods & Qt::ShiftModifier) {
                        if (Options().Contains(goRangeSelect)) {
                            data_.MoveAnchor(cell);
                            const TGridCoord tl = data_.ClampInView(cell);
                            if (tl != data_.TopLeft())
                                MoveTopLeft(tl);
                            InvalidateGrid();
                        } else {
                            MoveCurrentCell(cell.X, cell.Y, true, true);
                        }
                    } else {
                        MoveCurrentCell(cell.X, cell.Y, true, true);
                    }
                }
            }
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, e->button(), mods, pos.x(), pos.y());
}

void StringGrid::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    switch (mouseState_) {
    case MouseState::Sizing: {
        const int size = std::max(1, pos.x() * (sizing_.Kind == 1) + pos.y() * (sizing_.Kind == 2) - sizing_.Start);
        if (sizing_.Kind == 1)
            SetColWidths(sizing_.Index, size);
        else
            SetRowHeights(sizing_.Index, size);
        break;
    }
    case MouseState::Selecting:
        SelectTo(pos);
        break;
    case MouseState::Normal: {
        const GridData::SizingHit hit = data_.SizingAt(pos.x(), pos.y());
        if (hit.Kind == 1)
            viewport()->setCursor(Qt::SplitHCursor);
        else if (hit.Kind == 2)
            viewport()->setCursor(Qt::SplitVCursor);
        else
            viewport()->unsetCursor();
        break;
    }
    }
}

void StringGrid::SelectTo(const QPoint &pos)
{
    selectPos_ = pos;
    const GridAxisLayout h = data_.HorzLayout();
    const GridAxisLayout v = data_.VertLayout();
    // Over the fixed cells or past the client area the grid scrolls on by
    // a cell, and goes on doing so while the mouse rests there.
    const bool scrolling = pos.x() < h.FixedBoundary || pos.y() < v.FixedBoundary ||
                           pos.x() >= viewport()->width() || pos.y() >= viewport()->height();
    if (scrolling && selectTimer_ == 0)
        selectTimer_ = startTimer(60);
    else if (!scrolling && selectTimer_ != 0) {
        killTimer(selectTimer_);
        selectTimer_ = 0;
    }
    TGridCoord cell = data_.MouseCoord(pos.x(), pos.y());
    if (pos.y() >= viewport()->height())
        cell.Y = std::min(RowCount() - 1, v.LastVisible + 1);
    else if (pos.y() < v.FixedBoundary)
        cell.Y = std::max(FixedRows(), TopRow() - 1);
    if (pos.x() >= viewport()->width())
        cell.X = std::min(ColCount() - 1, h.LastVisible + 1);
    else if (pos.x() < h.FixedBoundary)
        cell.X = std::max(FixedCols(), LeftCol() - 1);
    if (cell.X < FixedCols() || cell.Y < FixedRows())
        return;
    if (Options().Contains(goRangeSelect)) {
        if (cell != data_.Anchor()) {
            data_.MoveAnchor(cell);
            const TGridCoord tl = data_.ClampInView(cell);
            if (tl != data_.TopLeft())
                MoveTopLeft(tl);
            InvalidateGrid();
        }
    } else if (cell != data_.Current()) {
        MoveCurrentCell(cell.X, cell.Y, true, true);
    }
}

void StringGrid::timerEvent(QTimerEvent *e)
{
    if (e->timerId() != selectTimer_) {
        QAbstractScrollArea::timerEvent(e);
        return;
    }
    if (mouseState_ != MouseState::Selecting) {
        killTimer(selectTimer_);
        selectTimer_ = 0;
        return;
    }
    SelectTo(selectPos_);
}

void StringGrid::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        leftButtonDown_ = false;
        const MouseState state = mouseState_;
        mouseState_ = MouseState::Normal;
        if (selectTimer_ != 0) {
            killTimer(selectTimer_);
            selectTimer_ = 0;
        }
        if (state == MouseState::Selecting) {
            UpdateEdit();
            Click();
        }
    }
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        leftButtonDown_ = true;
        DblClick();
    }
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), pos.x(), pos.y());
}

void StringGrid::wheelEvent(QWheelEvent *e)
{
    // The wheel moves the current row, a row per notch.
    wheelAccumulator_ += e->angleDelta().y();
    while (wheelAccumulator_ <= -120) {
        wheelAccumulator_ += 120;
        if (Row() < RowCount() - 1)
            SetRow(Row() + 1);
    }
    while (wheelAccumulator_ >= 120) {
        wheelAccumulator_ -= 120;
        if (Row() > FixedRows())
            SetRow(Row() - 1);
    }
    e->accept();
}

void StringGrid::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    if (Options().Contains(goAlwaysShowEditor) && Options().Contains(goEditing))
        ShowEditor();
    InvalidateGrid();
}

void StringGrid::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    EditorFocusLost(e->reason());
}

void StringGrid::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    data_.SetClientSize(viewport()->width(), viewport()->height());
    const TGridCoord tl = data_.RestrictTopLeft(data_.TopLeft());
    if (tl != data_.TopLeft())
        MoveTopLeft(tl);
    ClientResized();
    LayoutChanged();
}

// --- painting ---------------------------------------------------------------------

void StringGrid::InvalidateCell(int ACol, int ARow)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        return;
    if (!OnGuiThread() || painting_) {
        InvalidateGrid();
        return;
    }
    // The whole view: finding the cell's block on screen costs more than
    // the one repaint that Qt makes of all the updates of a turn.
    if (isVisible())
        viewport()->update();
}

void StringGrid::InvalidateCol(int ACol)
{
    (void)ACol;
    InvalidateGrid();
}

void StringGrid::InvalidateRow(int ARow)
{
    (void)ARow;
    InvalidateGrid();
}

void StringGrid::InvalidateGrid()
{
    if (!OnGuiThread() || painting_) {
        if (!pendingUpdate_.exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    pendingUpdate_ = false;
                    LayoutChanged();
                },
                Qt::QueuedConnection);
        }
        return;
    }
    if (isVisible())
        viewport()->update();
}

TGridDrawState StringGrid::CellState(const TGridRect &block, bool printing) const
{
    TGridDrawState state;
    if (block.Left < FixedCols() || block.Top < FixedRows()) {
        state += gdFixed;
        return state;
    }
    if (printing)
        return state;
    if (Selection().Intersects(block))
        state += gdSelected;
    if (GridHasFocus() && block.Contains(Col(), Row()))
        state += gdFocused;
    return state;
}

bool StringGrid::BlockRect(const TGridRect &block, QRect &rect, QRect &clip) const
{
    const GridAxisLayout h = data_.HorzLayout();
    const GridAxisLayout v = data_.VertLayout();
    const GridBlockSpan hs = data_.HorzSpan(h, block.Left, block.Right);
    const GridBlockSpan vs = data_.VertSpan(v, block.Top, block.Bottom);
    if (!hs.Visible || !vs.Visible)
        return false;
    rect = QRect(QPoint(hs.Start, vs.Start), QPoint(hs.End - 1, vs.End - 1));
    clip = QRect(QPoint(hs.ClipStart, vs.ClipStart), QPoint(INT_MAX / 4, INT_MAX / 4));
    return true;
}

void StringGrid::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    canvas_ = &p;
    painting_ = true;
    const GridAxisLayout h = data_.HorzLayout();
    const GridAxisLayout v = data_.VertLayout();
    // The area past the last cells.
    int right = h.FixedBoundary;
    for (int c = h.First; c <= h.LastVisible && c < ColCount(); ++c)
        right += data_.ColExtent(c);
    int bottom = v.FixedBoundary;
    for (int r = v.First; r <= v.LastVisible && r < RowCount(); ++r)
        bottom += data_.RowExtent(r);
    const QColor back = ToQColor(color_);
    const int w = viewport()->width();
    const int ht = viewport()->height();
    if (right < w)
        p.fillRect(QRect(right, 0, w - right, ht), back);
    if (bottom < ht)
        p.fillRect(QRect(0, bottom, std::min(right, w), ht - bottom), back);
    try {
        PaintCells(p, h, v, false);
    } catch (...) {
        canvas_ = nullptr;
        painting_ = false;
        throw;
    }
    canvas_ = nullptr;
    painting_ = false;
}

QSize StringGrid::PaintExtent(int firstRow, int lastRow) const
{
    firstRow = std::max(firstRow, FixedRows());
    lastRow = std::min(lastRow, RowCount() - 1);
    int height = 0;
    for (int r = 0; r < FixedRows(); ++r)
        height += data_.RowExtent(r);
    for (int r = firstRow; r <= lastRow; ++r)
        height += data_.RowExtent(r);
    return QSize(GridWidth(), height);
}

void StringGrid::paintTo(QPainter &painter, const QPoint &origin, int firstRow, int lastRow)
{
    firstRow = std::max(firstRow, FixedRows());
    const QSize extent = PaintExtent(firstRow, lastRow);
    const GridAxisLayout h = data_.HorzLayout(FixedCols(), extent.width());
    GridAxisLayout v = data_.VertLayout(firstRow, extent.height());
    if (lastRow < firstRow)
        v.LastVisible = firstRow - 1;
    painter.save();
    painter.translate(origin);
    painter.setClipRect(QRect(QPoint(0, 0), extent), Qt::IntersectClip);
    QPainter *saved = canvas_;
    canvas_ = &painter;
    try {
        PaintCells(painter, h, v, true);
    } catch (...) {
        canvas_ = saved;
        painter.restore();
        throw;
    }
    canvas_ = saved;
    painter.restore();
}

void StringGrid::PaintLines(QPainter &p, const GridAxisLayout &h, const GridAxisLayout &v)
{
    const int vlw = data_.VertLineWidth();
    const int hlw = data_.HorzLineWidth();
    if (vlw == 0 && hlw == 0)
        return;
    const TGridOptions o = Options();
    const QColor fixedLine = ToQColor(clBlack);
    const QColor line = ToQColor(ColorToRGB(color_) == clSilver ? clGray : clSilver);
    auto forEach = [&](bool horz, const GridAxisLayout &a, const std::function<void(int, int, int)> &fn) {
        int pos = 0;
        for (int i = 0; i < a.FixedCount; ++i) {
            fn(i, pos, horz ? ColWidths(i) : RowHeights(i));
            pos += horz ? data_.ColExtent(i) : data_.RowExtent(i);
        }
        for (int i = a.First; i <= a.LastVisible && i < (horz ? ColCount() : RowCount()); ++i) {
            fn(i, pos, horz ? ColWidths(i) : RowHeights(i));
            pos += horz ? data_.ColExtent(i) : data_.RowExtent(i);
        }
        return pos;
    };
    const int totalHeight = forEach(false, v, [](int, int, int) {});
    const int totalWidth = forEach(true, h, [](int, int, int) {});
    if (vlw > 0) {
        forEach(true, h, [&](int c, int pos, int size) {
            if (size <= 0)
                return;
            const bool fixedCol = c < FixedCols();
            if (o.Contains(goFixedVertLine))
                p.fillRect(QRect(pos + size, 0, vlw, v.FixedBoundary), fixedLine);
            if ((fixedCol && o.Contains(goFixedVertLine)) || (!fixedCol && o.Contains(goVertLine)))
                p.fillRect(QRect(pos + size, v.FixedBoundary, vlw, totalHeight - v.FixedBoundary),
                           fixedCol ? fixedLine : line);
        });
    }
    if (hlw > 0) {
        forEach(false, v, [&](int r, int pos, int size) {
            if (size <= 0)
                return;
            const bool fixedRow = r < FixedRows();
            if (o.Contains(goFixedHorzLine))
                p.fillRect(QRect(0, pos + size, h.FixedBoundary, hlw), fixedLine);
            if ((fixedRow && o.Contains(goFixedHorzLine)) || (!fixedRow && o.Contains(goHorzLine)))
                p.fillRect(QRect(h.FixedBoundary, pos + size, totalWidth - h.FixedBoundary, hlw),
                           fixedRow ? fixedLine : line);
        });
    }
}

void StringGrid::PaintCells(QPainter &p, const GridAxisLayout &h, const GridAxisLayout &v, bool printing)
{
    const QFont deviceFont(font(), p.device());
    p.setFont(deviceFont);
    PaintLines(p, h, v);

    std::vector<std::pair<int, int>> cols; // index, position
    std::vector<std::pair<int, int>> rows;
    {
        int pos = 0;
        for (int c = 0; c < h.FixedCount; ++c) {
            cols.emplace_back(c, pos);
            pos += data_.ColExtent(c);
        }
        for (int c = h.First; c <= h.LastVisible && c < ColCount(); ++c) {
            cols.emplace_back(c, pos);
            pos += data_.ColExtent(c);
        }
        pos = 0;
        for (int r = 0; r < v.FixedCount; ++r) {
            rows.emplace_back(r, pos);
            pos += data_.RowExtent(r);
        }
        for (int r = v.First; r <= v.LastVisible && r < RowCount(); ++r) {
            rows.emplace_back(r, pos);
            pos += data_.RowExtent(r);
        }
    }

    const bool focusRect = !printing && defaultDrawing_ && !Options().Contains(goRowSelect) &&
                           !(Options().Contains(goEditing) && Options().Contains(goAlwaysShowEditor));
    QSet<qint64> drawn;
    for (const auto &[r, y] : rows) {
        const int rh = RowHeights(r);
        if (rh <= 0)
            continue;
        for (const auto &[c, x] : cols) {
            const int cw = ColWidths(c);
            if (cw <= 0)
                continue;
            const TGridRect block = CellBlock(c, r);
            QRect rect;
            QRect clip;
            if (block.IsSingleCell()) {
                rect = QRect(x, y, cw, rh);
                clip = rect;
            } else {
                const qint64 key = (qint64(block.Top) << 32) | quint32(block.Left);
                if (drawn.contains(key))
                    continue;
                drawn.insert(key);
                const GridBlockSpan hs = data_.HorzSpan(h, block.Left, block.Right);
                const GridBlockSpan vs = data_.VertSpan(v, block.Top, block.Bottom);
                if (!hs.Visible || !vs.Visible)
                    continue;
                rect = QRect(QPoint(hs.Start, vs.Start), QPoint(hs.End - 1, vs.End - 1));
                clip = rect.intersected(QRect(QPoint(hs.ClipStart, vs.ClipStart), QPoint(INT_MAX / 4, INT_MAX / 4)));
            }
            const TGridDrawState state = CellState(block, printing);
            p.save();
            p.setClipRect(clip, Qt::IntersectClip);
            DrawCell(block.Left, block.Top, rect, state);
            if (focusRect && state.Contains(gdFocused) && !(editor_ && editor_->isVisible())) {
                QPen pen(ToQColor(clWindowText));
                pen.setStyle(Qt::DotLine);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawRect(rect.adjusted(0, 0, -1, -1));
            }
            p.restore();
        }
    }
}

void StringGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState)
{
    QPainter *p = canvas_;
    if (p && defaultDrawing_) {
        const bool fixed = AState.Contains(gdFixed);
        const bool highlight = AState.Contains(gdSelected) &&
                               (!AState.Contains(gdFocused) ||
                                !(Options() * TGridOptions{goDrawFocusSelected, goRowSelect}).IsEmpty());
        TColor back = fixed ? fixedColor_ : (highlight ? clHighlight : color_);
        TColor fore = highlight ? clHighlightText : clWindowText;
        p->fillRect(ARect, ToQColor(back));
        p->setPen(ToQColor(fore));
        p->drawText(ARect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    Cells(ACol, ARow));
        if (fixed) {
            p->setPen(ToQColor(clBtnHighlight));
            p->drawLine(ARect.topLeft(), ARect.topRight());
            p->drawLine(ARect.topLeft(), ARect.bottomLeft());
            p->setPen(ToQColor(clBtnShadow));
            p->drawLine(ARect.bottomLeft(), ARect.bottomRight());
            p->drawLine(ARect.topRight(), ARect.bottomRight());
        }
    }
    FireDrawCellEvent(ACol, ARow, ARect, AState);
}

void StringGrid::FireDrawCellEvent(int ACol, int ARow, const QRect &ARect, TGridDrawState AState)
{
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, ARect, AState);
}

} // namespace platform
