#include "components/ListForm.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <typeinfo>

#include "components/FilterMan.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"

void SetControlText(QWidget *Control, const QString &Text)
{
    if (!Control)
        return;
    if (auto *e = qobject_cast<QLineEdit *>(Control))
        e->setText(Text);
    else if (auto *l = qobject_cast<QLabel *>(Control))
        l->setText(Text);
    else
        Control->setProperty("text", Text);
}

namespace {

// The longest common beginning of two texts, case aside.
int CommonPrefixIgnoringCase(const QString &A, const QString &B)
{
    const int n = static_cast<int>(std::min(A.size(), B.size()));
    int i = 0;
    while (i < n && (A[i] == B[i] || A[i].toUpper() == B[i].toUpper()))
        ++i;
    return i;
}

QAction *MakeAction(QWidget *owner, const char *name, const QString &caption,
                    const QKeySequence &key, const QString &hint)
{
    auto *a = new QAction(caption, owner);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    if (!hint.isEmpty()) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
    owner->addAction(a);
    return a;
}

} // namespace

TListForm::TListForm(QWidget *parent) : TDropDownForm(parent)
{
    setObjectName(QStringLiteral("ListForm"));

    FToolsSearch = new QToolBar(BasePanel());
    FToolsSearch->setObjectName(QStringLiteral("toolsSearch"));
    FEditSearch = new QLineEdit(FToolsSearch);
    FEditSearch->setObjectName(QStringLiteral("editSearch"));
    FEditSearch->setToolTip(QStringLiteral("Текст за търсене"));
    FEditSearch->installEventFilter(this);

    FGrid = new TRichGrid(BasePanel());
    FGrid->setObjectName(QStringLiteral("Grid"));
    FGrid->setFrameShape(QFrame::NoFrame);
    FGrid->SetColCount(2);
    FGrid->SetFixedCols(0);
    FGrid->SetFixedRows(0);
    FGrid->SetDefaultRowHeight(18);
    TGridOptions options = FGrid->Options();
    options.Include(goColSizing);
    options.Include(goThumbTracking);
    FGrid->SetOptions(options);
    FGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FGrid->SetColWidths(0, 64);
    FGrid->SetColWidths(1, 242);

    BaseLayout()->insertWidget(0, FToolsSearch);
    BaseLayout()->insertWidget(1, FGrid, 1);
    FToolsSearch->setVisible(false);

    FDropAttributes = std::make_unique<TColRowAttributes>();
    FDropAttributes->SetBackColor(DropColumnColor);
    FBackupAttributes = std::make_unique<TColRowAttributes>();

    actSearch = MakeAction(this, "actSearch", QStringLiteral("Търсене..."), QKeySequence(Qt::Key_F7),
                           QStringLiteral("Включване/изключване на търсенето"));
    actSearch->setCheckable(true);
    actSearchUp = MakeAction(this, "actSearchUp", QStringLiteral("Търсене нагоре"),
                             QKeySequence(Qt::CTRL | Qt::Key_Up),
                             QStringLiteral("Търси предходната сметка, която съдържа текста"));
    actSearchDown = MakeAction(this, "actSearchDown", QStringLiteral("Търсене надолу"),
                               QKeySequence(Qt::CTRL | Qt::Key_Down),
                               QStringLiteral("Търси следващата сметка, която съдържа текста"));
    actSearchUp->setEnabled(false);
    actSearchDown->setEnabled(false);
    actRefresh = MakeAction(this, "actRefresh", QStringLiteral("Опресняване"), QKeySequence(Qt::Key_F8),
                            QString());
    actFilter = MakeAction(this, "actFilter", QString(), QKeySequence(Qt::Key_F6), QString());
    actFilter->setCheckable(true);
    actDoFilter = MakeAction(this, "actDoFilter", QString(), QKeySequence(), QString());
    connect(actSearch, &QAction::triggered, this, [this] { actSearchExecute(); });
    connect(actSearchUp, &QAction::triggered, this, [this] { actSearchUpExecute(); });
    connect(actSearchDown, &QAction::triggered, this, [this] { actSearchDownExecute(); });
    connect(actRefresh, &QAction::triggered, this, [this] { actRefreshExecute(); });
    connect(actFilter, &QAction::triggered, this, [this] { actFilterExecute(); });
    connect(actDoFilter, &QAction::triggered, this, [this] { actDoFilterExecute(); });

    FToolsSearch->addWidget(FEditSearch);
    auto addButton = [this](QToolButton *&button, const char *name, QAction *action) {
        button = new QToolButton(FToolsSearch);
        button->setObjectName(QLatin1String(name));
        button->setDefaultAction(action);
        button->setFocusPolicy(Qt::NoFocus);
        FToolsSearch->addWidget(button);
    };
    addButton(tbtnSearchUp, "tbtnSearchUp", actSearchUp);
    addButton(tbtnSearchDown, "tbtnSearchDown", actSearchDown);
    addButton(buttonFilter, "buttonFilter", actFilter);
    addButton(buttonSearch, "buttonSearch", actSearch);
    tbtnSearchUp->setArrowType(Qt::UpArrow);
    tbtnSearchDown->setArrowType(Qt::DownArrow);
    buttonFilter->setText(QStringLiteral("Филтър"));
    buttonFilter->setToolTip(QStringLiteral("Включване/изключване на филтъра"));

    PopupMenu()->addSeparator();
    PopupMenu()->addAction(actSearch);
    PopupMenu()->addAction(actSearchUp);
    PopupMenu()->addAction(actSearchDown);
    PopupMenu()->addAction(actRefresh);

    FGrid->OnKeyDown = [this](QObject *, int &Key, Qt::KeyboardModifiers Shift) { GridKeyDown(Key, Shift); };
    FGrid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    FGrid->OnMouseDown = [this](QObject *, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
        GridMouseDown(Button, X, Y);
    };
    FGrid->OnMouseUp = [this](QObject *, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
        GridMouseUp(Button, X, Y);
    };

    FTypeAheadTimer.setSingleShot(false);
    FTypeAheadTimer.setInterval(1000);
    connect(&FTypeAheadTimer, &QTimer::timeout, this, [this] { TypeAheadTimeout(); });
}

TListForm::~TListForm() = default;

TCustomListEdit *TListForm::ListEdit() const
{
    return FListEdit;
}

void TListForm::SetListEdit(TCustomListEdit *Value)
{
    FListEdit = Value;
}

void TListForm::SetDescrColumn(int Value)
{
    if (Value < 0 || Value >= FGrid->ColCount())
        return;
    FDescrColumn = Value;
    FGrid->SetCol(Value);
}

void TListForm::SetDropColumn(int Value)
{
    if (Value < 0 || Value >= FGrid->ColCount())
        return;
    if (FDropAttributesLaid && FDropColumn < FGrid->ColCount())
        FGrid->GetColAttributes(FDropColumn)->AssignAttributes(*FBackupAttributes);
    FDropColumn = Value;
    TColRowAttributes *col = FGrid->GetColAttributes(Value);
    FDropAttributes->SetAutoResize(col->AutoResize());
    FDropAttributes->SetResizeToFillClient(col->ResizeToFillClient());
    FDropAttributes->SetMaxSize(65535);
    FDropAttributes->SetMinSize(col->MinSize());
    FDropAttributes->SetMaxSize(col->MaxSize());
    FDropAttributes->SetVisible(col->Visible());
    FBackupAttributes->AssignAttributes(*col);
    col->AssignAttributes(*FDropAttributes);
    FDropAttributesLaid = true;
}

void TListForm::SetFilled(bool Value)
{
    FFilled = Value;
    if (!Value && FListEdit && !FListEdit->EditorEnabled())
        FListEdit->setText(QString());
}

// ---------------------------------------------------------------------------
// Rows

bool TListForm::RowPickable(int Row) const
{
    return Row >= FGrid->FixedRows() && Row < FGrid->RowCount() && FGrid->RowHeights(Row) > 0;
}

int TListForm::RowOfCode(int Col, const QString &Code) const
{
    for (int r = FGrid->FixedRows(); r < FGrid->RowCount(); ++r)
        if (FGrid->Cells(Col, r) == Code)
            return r;
    return -1;
}

int TListForm::NextVisibleRow(int Row, int Step) const
{
    for (int r = Row + Step; r >= FGrid->FixedRows() && r < FGrid->RowCount(); r += Step)
        if (FGrid->RowHeights(r) > 0)
            return r;
    return -1;
}

int TListForm::FirstVisibleRow() const
{
    return NextVisibleRow(FGrid->FixedRows() - 1, 1);
}

int TListForm::LastVisibleRow() const
{
    return NextVisibleRow(FGrid->RowCount(), -1);
}

void TListForm::SetRowShown(int Row, bool Shown)
{
    if (Shown) {
        if (FGrid->RowHeights(Row) <= 0)
            FGrid->SetRowHeights(Row, FGrid->DefaultRowHeight());
    } else if (FGrid->RowHeights(Row) > 0) {
        FGrid->SetRowHeights(Row, 0);
    }
}

void TListForm::EnsureVisibleCurrentRow()
{
    if (RowPickable(FGrid->Row()))
        return;
    int r = NextVisibleRow(FGrid->Row(), 1);
    if (r < 0)
        r = FirstVisibleRow();
    if (r >= 0)
        FGrid->SetRow(r);
}

bool TListForm::LocateText(QString &Text, int Col, int StartRow, int Step)
{
    const int step = Step < 1 ? -1 : 1;
    int row = StartRow < FGrid->FixedRows() ? FGrid->FixedRows() : StartRow;
    int best = -1, bestLength = 0;
    QString shown;
    for (; row >= FGrid->FixedRows() && row < FGrid->RowCount(); row += step) {
        if (FGrid->RowHeights(row) <= 0)
            continue;
        GetCellText(*FGrid, Col, row, shown);
        const int n = CommonPrefixIgnoringCase(Text, shown);
        if (n == Text.size() && FGrid->Cells(Col, row) == Text) {
            best = row;
            bestLength = n;
            break;
        }
        if (n > bestLength) {
            best = row;
            bestLength = n;
        }
    }
    if (best < 0)
        return false;
    Text.truncate(bestLength);
    FGrid->SetRow(best);
    return true;
}

// ---------------------------------------------------------------------------
// Size and place

bool TListForm::IsPlainListForm() const
{
    return typeid(*this) == typeid(TListForm);
}

int TListForm::BorderWidth() const
{
    return BasePanel()->frameWidth() + BaseLayout()->contentsMargins().left();
}

int TListForm::GetExtraHeight()
{
    int h = 0;
    if (!ToolBar()->isHidden())
        h += ToolBar()->sizeHint().height();
    if (!FToolsSearch->isHidden())
        h += FToolsSearch->sizeHint().height();
    return h;
}

int TListForm::GetExtraWidth()
{
    return 0;
}

void TListForm::ConstrainedResize(int &MinWidth, int &MinHeight)
{
    if (FSearchMode || FFilterMode)
        MinWidth = GetExtraWidth() + 2 * BorderWidth() + FToolsSearch->sizeHint().width();
    MinHeight = GetExtraHeight() + FGrid->DefaultRowHeight() + FGrid->GridLineWidth()
                + 2 * BorderWidth();
}

void TListForm::ApplyMinimumSize()
{
    int w = 0, h = 0;
    ConstrainedResize(w, h);
    setMinimumSize(w, h);
}

void TListForm::Popup()
{
    const QRect area = WorkArea();
    const int border = BorderWidth();
    const int line = FGrid->GridLineWidth();
    int h = GetExtraHeight();
    int total = 0;
    for (int r = 0; r < FGrid->RowCount(); ++r) {
        const int rh = FGrid->RowHeights(r);
        if (rh > 0)
            total += rh + line;
        if (h < area.height() && rh > 0)
            h += rh + line;
    }
    h += 2 * border + 5;

    // The plain list form and two named list windows size their columns
    // to their contents.
    const QString className = QLatin1String(metaObject()->className());
    if (IsPlainListForm() || className == QLatin1String("TfrmAccNumbers")
        || className == QLatin1String("TfrmPKontragByDN")) {
        FGrid->hide();
        FGrid->AutoSizeColumns();
        FGrid->show();
    }

    int w = GetExtraWidth();
    int leftOfDrop = 0;
    for (int c = 0; c < FGrid->ColCount(); ++c) {
        const int cw = FGrid->ColWidths(c);
        if (cw <= 0)
            continue;
        w += cw + line;
        if (c < FDropColumn)
            leftOfDrop += cw + line;
    }
    w += 2 * border + 5;
    SetHorzOffset(-(border + leftOfDrop));
    SetVertOffset(0);

    if (total + GetExtraHeight() + 2 * border + 5 > area.height())
        w += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    ApplyMinimumSize();
    resize(std::max(w, minimumWidth()), std::max(h, minimumHeight()));
    TDropDownForm::Popup();
}

// ---------------------------------------------------------------------------
// Drop, pick, cancel

bool TListForm::PrepareDrop()
{
    bool result;
    if (FFillOnDrop) {
        result = FillGrid();
    } else {
        if (!FFilled && FFillOnDropIfEmpty)
            FillGrid();
        result = FFilled;
    }
    if (!result)
        return false;
    if (FListEdit) {
        const QString text = FListEdit->text();
        if (text != FGrid->Cells(FDropColumn, FGrid->Row())) {
            QString copy = text;
            LocateText(copy, FDropColumn, FGrid->FixedRows() - 1, 1);
        }
        FGrid->SetCol(0);
        FGrid->SetCol(FDropColumn);
    }
    EnsureVisibleCurrentRow();
    return TDropDownForm::PrepareShow();
}

bool TListForm::Execute()
{
    const bool shown = TDropDownForm::Execute();
    if (shown)
        FGrid->setFocus(Qt::PopupFocusReason);
    return shown;
}

void TListForm::Ok()
{
    if (FListEdit) {
        const int row = FGrid->Row();
        // A caption row or a row the filter hid is never picked.
        if (!RowPickable(row)) {
            Cancel();
            return;
        }
        FListEdit->SetSelectedRow(row);
        const QString picked = FGrid->Cells(FDropColumn, row);
        FListEdit->setText(picked);
        // A window that refused the change (a question about unsaved work
        // answered "Отказ") has put its text back, and the description of
        // that text with it.
        if (FDescrControl && FListEdit->text() == picked)
            SetControlText(FDescrControl, FGrid->Cells(FDescrColumn, row));
        FListEdit->NotifyPicked();
    }
    TDropDownForm::Ok();
}

void TListForm::Cancel()
{
    TDropDownForm::Cancel();
    if (FListEdit)
        FListEdit->SetSelectedRow(-1);
}

// ---------------------------------------------------------------------------
// Grid events

void TListForm::GridMouseDown(Qt::MouseButton Button, int X, int Y)
{
    if (Button != Qt::RightButton)
        return;
    const TGridCoord cell = FGrid->MouseCoord(X, Y);
    if (RowPickable(cell.Y))
        FGrid->SetRow(cell.Y);
}

void TListForm::GridMouseUp(Qt::MouseButton Button, int X, int Y)
{
    if (Button != Qt::LeftButton)
        return;
    // A release on a data row picks it; one on the captions (after sizing
    // a column) does not.
    const TGridCoord cell = FGrid->MouseCoord(X, Y);
    if (RowPickable(cell.Y) && actOk->isEnabled())
        actOk->trigger();
}

void TListForm::GridKeyPress(QChar &Key)
{
    if (!Key.isPrint())
        return;
    FTypeAheadTimer.stop();
    FTypeAheadTimer.start();
    FTypedText += Key;
    Key = QChar();
    if (FTypedText.isEmpty())
        return;
    QString copy = FTypedText;
    AdjustTypedText(copy);
    if (!LocateText(copy, FDropColumn, FGrid->FixedRows() - 1, 1))
        SoundBeep(bkError);
}

void TListForm::TypeAheadTimeout()
{
    FTypeAheadTimer.stop();
    FTypedText.clear();
}

void TListForm::GridKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    const bool plain = (Shift & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (Key) {
    case Qt::Key_End:
    case Qt::Key_Home: {
        const int r = Key == Qt::Key_End ? LastVisibleRow() : FirstVisibleRow();
        if (r >= 0)
            FGrid->SetRow(r);
        Key = 0;
        break;
    }
    case Qt::Key_Left:
        FSearchColumn = std::max(0, FGrid->Col() - 1);
        break;
    case Qt::Key_Right:
        if (FGrid->Col() < FGrid->ColCount() - 1)
            FSearchColumn = FGrid->Col() + 1;
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (FSearchMode && !FEditSearch->text().isEmpty()) {
            if (Key == Qt::Key_Up)
                DoSearchUp();
            else
                DoSearchDown();
            Key = 0;
        } else if (plain) {
            // Rows the filter hid are stepped over.
            const int r = NextVisibleRow(FGrid->Row(), Key == Qt::Key_Up ? -1 : 1);
            if (r >= 0)
                FGrid->SetRow(r);
            Key = 0;
        }
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (plain) {
            const int step = Key == Qt::Key_PageUp ? -1 : 1;
            int r = FGrid->Row();
            for (int n = std::max(1, FGrid->VisibleRowCount() - 1); n > 0; --n) {
                const int next = NextVisibleRow(r, step);
                if (next < 0)
                    break;
                r = next;
            }
            if (RowPickable(r))
                FGrid->SetRow(r);
            Key = 0;
        }
        break;
    default:
        break;
    }
}

bool TListForm::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FEditSearch && Event->type() == QEvent::KeyPress) {
        bool handled = false;
        editSearchKeyDown(static_cast<QKeyEvent *>(Event), handled);
        if (handled)
            return true;
    }
    return TDropDownForm::eventFilter(Watched, Event);
}

void TListForm::editSearchKeyDown(QKeyEvent *e, bool &Handled)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_Up && mods == Qt::NoModifier) {
        if (actSearchUp->isEnabled())
            actSearchUp->trigger();
        Handled = true;
    } else if (e->key() == Qt::Key_Down && mods == Qt::NoModifier) {
        if (actSearchDown->isEnabled())
            actSearchDown->trigger();
        Handled = true;
    } else if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
               && mods == Qt::ControlModifier && FFilterMode) {
        actDoFilter->trigger();
        Handled = true;
    }
}

// ---------------------------------------------------------------------------
// Search and filter

void TListForm::SetSearchMode(bool On)
{
    if (On) {
        if (FFilterMode)
            SetFilterMode(false);
        FSearchMode = true;
        actSearch->setChecked(true);
        actSearchUp->setEnabled(true);
        actSearchDown->setEnabled(true);
        FEditSearch->setText(FSavedSearchText);
        FToolsSearch->setVisible(true);
        FEditSearch->setFocus();
    } else {
        FSearchMode = false;
        actSearch->setChecked(false);
        actSearchUp->setEnabled(false);
        actSearchDown->setEnabled(false);
        FToolsSearch->setVisible(FFilterMode);
        FSavedSearchText = FEditSearch->text();
        FGrid->setFocus();
    }
    ApplyMinimumSize();
}

void TListForm::SetFilterMode(bool On)
{
    if (On) {
        if (FSearchMode)
            SetSearchMode(false);
        FFilterMode = true;
        actFilter->setChecked(true);
        FEditSearch->setText(FSavedFilterText);
        FToolsSearch->setVisible(true);
        FEditSearch->setFocus();
        FSearchColumn = FGrid->Col();
    } else {
        FFilterMode = false;
        actFilter->setChecked(false);
        FToolsSearch->setVisible(FSearchMode);
        FSavedFilterText = FEditSearch->text();
        FGrid->setFocus();
    }
    ApplyMinimumSize();
}

void TListForm::actSearchExecute()
{
    SetSearchMode(!FSearchMode);
}

void TListForm::actSearchUpExecute()
{
    DoSearchUp();
}

void TListForm::actSearchDownExecute()
{
    DoSearchDown();
}

void TListForm::actFilterExecute()
{
    if (FFilterMode) {
        FEditSearch->clear();
        DoFilter();
    }
    SetFilterMode(!FFilterMode);
}

void TListForm::actDoFilterExecute()
{
    DoFilter();
}

void TListForm::actRefreshExecute()
{
    if (IsPlainListForm())
        DoFilter();
    else
        FillGrid();
}

void TListForm::DoSearchUp()
{
    SearchUp();
}

void TListForm::DoSearchDown()
{
    SearchDown();
}

namespace {

// The next shown data row from Start whose stored text in Col contains Text,
// case aside; -1 when none.
int FindShownRowContaining(const TRichGrid &Grid, const QString &Text, int Col, int Start, int Step)
{
    const QString text = Text.toLower();
    for (int r = Start + Step; r >= Grid.FixedRows() && r < Grid.RowCount(); r += Step)
        if (Grid.RowHeights(r) > 0 && Grid.Cells(Col, r).toLower().contains(text))
            return r;
    return -1;
}

} // namespace

bool TListForm::SearchDown()
{
    const int r = FindShownRowContaining(*FGrid, FEditSearch->text(), FGrid->Col(), FGrid->Row(), 1);
    if (r < 0)
        return false;
    FGrid->SetRow(r);
    return true;
}

bool TListForm::SearchUp()
{
    const int r = FindShownRowContaining(*FGrid, FEditSearch->text(), FGrid->Col(), FGrid->Row(), -1);
    if (r < 0)
        return false;
    FGrid->SetRow(r);
    return true;
}

void TListForm::AdjustTypedText(QString &)
{
}

bool TListForm::PrepareFilter()
{
    FFilter.clear();
    if (FFilterMode && !FEditSearch->text().isEmpty())
        SetPiece(FFilter, QChar('@'), FSearchColumn, FEditSearch->text());
    if (!FFilter.isEmpty() && FGrid->Col() != FSearchColumn)
        FGrid->SetCol(FSearchColumn);
    return true;
}

void TListForm::DoFilter()
{
    const QString text = FEditSearch->text();
    QWidget *focus = QApplication::focusWidget();
    if (text.isEmpty()) {
        // No filter text: every row shows again.
        for (int r = 1; r < FGrid->RowCount(); ++r)
            SetRowShown(r, true);
        EnsureVisibleCurrentRow();
        if (isVisible())
            Popup();
        return;
    }
    std::unique_ptr<TFilterMan> filter;
    try {
        filter = std::make_unique<TFilterMan>(text, FilterKindText);
    } catch (const EConvertError &e) {
        QString field;
        if (FGrid->FixedRows() > 0)
            field = FGrid->Cells(FGrid->Col(), 0);
        const TControlBoxHold hold(this);
        ShowError(QStringLiteral("Невалиден филтър за колона \"%1\": %2").arg(field, e.Message()));
        return;
    }
    WaitScope wait(QStringLiteral("Филтриране на данните ..."));
    const bool dynamic = FGrid->DynamicResize();
    FGrid->SetDynamicResize(false);
    FGrid->hide();
    const int col = FGrid->Col();
    for (int r = 1; r < FGrid->RowCount(); ++r) {
        SetRowShown(r, filter->Matches(FGrid->Cells(col, r)));
        if (r % 100 == 0)
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    FGrid->SetDynamicResize(dynamic);
    EnsureVisibleCurrentRow();
    if (isVisible())
        Popup();
    FGrid->show();
    if (focus && focus->isVisible())
        focus->setFocus();
}

bool TListForm::FillGrid()
{
    WaitScope wait(FStatusMessage);
    const bool prepared = PrepareFilter();
    SetFilled(prepared);
    // A refill shows every row again.
    for (int r = 0; r < FGrid->RowCount(); ++r)
        SetRowShown(r, true);
    if (OnFillGrid) {
        bool filled = FFilled;
        OnFillGrid(this, filled);
        FFilled = filled;
        if (!filled)
            SetFilled(false);
    }
    return prepared;
}
