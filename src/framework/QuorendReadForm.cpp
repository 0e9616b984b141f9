#include "framework/QuorendReadForm.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "components/FlowLayout.h"
#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "components/Sorters.h"
#include "core/LineConv.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"
#include "framework/DocumentSave.h"
#include "framework/FilterTypes.h"
#include "framework/GridSearch.h"
#include "framework/SimpleFilter.h"
#include "platform/ui/ImageList.h"

// ---------------------------------------------------------------------------
// The grid print, the export and the column dialog, installed by their units

namespace {

// Each time the grid comes on screen (opened, or shown again after a fill)
// its columns are at least as wide as their headers: a window that has not
// been filled yet shows whole headers too.
class HeaderWidthKeeper : public QObject
{
public:
    explicit HeaderWidthKeeper(TRichGrid *Grid) : QObject(Grid), grid_(Grid) { Grid->installEventFilter(this); }
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched == grid_ && Event->type() == QEvent::Show)
            WidenColumnsToHeaders(*grid_);
        return false;
    }

private:
    TRichGrid *grid_;
};

TReadFormGridAction &GridPrinter()
{
    static TReadFormGridAction printer;
    return printer;
}

TReadFormGridAction &GridExporter()
{
    static TReadFormGridAction exporter;
    return exporter;
}

TReadFormGridAction &HideDialog()
{
    static TReadFormGridAction dialog;
    return dialog;
}

// The number of sort-position marks drawn; keys past it show none.
constexpr int SortMarkCount = 9;
constexpr int SortMarkSize = 14;

// A small raised triangle with the key's position under it.
QPixmap SortMark(int Position)
{
    QPixmap pixmap(SortMarkSize, SortMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 64, 64));
    const QPointF triangle[3] = {QPointF(1, 6), QPointF(6, 6), QPointF(3.5, 1.5)};
    p.drawPolygon(triangle, 3);
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(5, 3, SortMarkSize - 5, SortMarkSize - 3), Qt::AlignCenter, QString::number(Position + 1));
    return pixmap;
}

bool IsTotalsRecord(const TDelimitedStrings &List, int Index)
{
    QString first;
    List.GetField(Index, 0, first);
    return IsTotalsRecordText(first);
}

} // namespace

void SetReadFormGridPrinter(TReadFormGridAction Printer) { GridPrinter() = std::move(Printer); }
void SetReadFormGridExporter(TReadFormGridAction Exporter) { GridExporter() = std::move(Exporter); }
bool ReadFormGridPrinterInstalled() { return bool(GridPrinter()); }
bool ReadFormGridExporterInstalled() { return bool(GridExporter()); }
void SetReadFormHideDialog(TReadFormGridAction Dialog) { HideDialog() = std::move(Dialog); }

// ---------------------------------------------------------------------------
// Construction

TQuorendReadForm::TQuorendReadForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendStatusForm(AOwner, AFormStyle)
{
    setMinimumWidth(MinimumReadFormWidth);
    SetFreeOnClose(true);
    FMouseDownCell = TGridCoord{-1, -1};

    pnlParams = new QFrame(ClientArea);
    pnlParams->setObjectName(QStringLiteral("pnlParams"));
    pnlParams->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // The controls wrap to further rows where the window is too narrow for
    // one row, and the panel grows with them.
    pnlParams->setMinimumHeight(ParamsPanelHeight);
    auto *paramsLayout = new TFlowLayout(pnlParams);
    paramsLayout->setContentsMargins(6, 4, 6, 4);
    ClientLayout->addWidget(pnlParams);

    Images = new TImageList(this, SortMarkSize, SortMarkSize);
    Images->setObjectName(QStringLiteral("Images"));
    for (int i = 0; i < SortMarkCount; ++i)
        Images->Add(SortMark(i));

    Grid = new TRichGrid(ClientArea);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->SetDefaultRowHeight(18);
    Grid->SetFixedCols(0);
    TGridOptions options = Grid->Options();
    options.Include(goRangeSelect);
    options.Include(goThumbTracking);
    Grid->SetOptions(options);
    TCellAttributes *header = Grid->FixedAttributes();
    TCellAlignment centred;
    centred.Include(caCenter);
    header->SetAlignment(centred);
    header->SetBackColor(HeaderColor);
    header->SetCell3DEffect(bvRaised);
    // Columns widen to what they show, so that no cell is cut.
    Grid->SetAutoResizeCols(true);
    Grid->SetImages(Images);
    Grid->OnDblClick = [this](QObject *) { GridDblClk(); };
    Grid->OnSelectCell = [this](QObject *, int ACol, int ARow, bool &CanSelect) {
        GridSelectCell(ACol, ARow, CanSelect);
    };
    Grid->OnMouseDown = [this](QObject *, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
        GridMouseDown(Button, X, Y);
    };
    Grid->OnMouseUp = [this](QObject *, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
        GridMouseUp(Button, X, Y);
    };
    ClientLayout->addWidget(Grid, 1);
    new HeaderWidthKeeper(Grid);

    StatusBar->show();

    actHide = MakeAction(QStringLiteral("Скриване и сортиране"), QStringLiteral("Скриване и сортиране"), Qt::Key_F11,
                         false);
    actHide->setObjectName(QStringLiteral("actHide"));
    connect(actHide, &QAction::triggered, this, [this] { actHideExecute(); });

    // The currency, value and amount columns show 0 for an empty cell and
    // keep the value they read in the grid.
    for (TFloatFormatter *formatter : {CurrencyFormatter, ValueFormatter, AmountFormatter}) {
        formatter->SetZeroOnNoValue(true);
        formatter->SetSetGridValue(true);
    }

    actFilter->setEnabled(true);
    actSearch->setEnabled(true);
    actPrint->setEnabled(ReadFormGridPrinterInstalled());
    actFile->setEnabled(ReadFormGridExporterInstalled());
}

namespace {

// A large list (a year's lines: hundreds of megabytes of cell texts) leaves
// the heap full of freed blocks between live ones, and the allocator keeps
// them for the process. Once a closed list is wholly gone (its grid goes
// after the form's own destructor, with the widget's children), the free
// pages go back to the system; windows closed together give them back once.
void ReleaseFreedMemorySoon()
{
#ifdef __GLIBC__
    static bool pending = false;
    if (pending || !QCoreApplication::instance())
        return;
    pending = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        pending = false;
        malloc_trim(0);
    });
#endif
}

} // namespace

TQuorendReadForm::~TQuorendReadForm() { ReleaseFreedMemorySoon(); }

// ---------------------------------------------------------------------------
// Overrides

void TQuorendReadForm::UpdateActions()
{
    // The data forms' Is...Enabled read IsDataRow, so it is brought up to
    // date before they are asked.
    FIsDataRow = DotStrToFloat(Grid->Cells(0, Grid->Row()), 0) != 0;
    TQuorendStatusForm::UpdateActions();
}

bool TQuorendReadForm::CanExecute()
{
    return TQuorendStatusForm::CanExecute() && (!FReloadDrop || ConfirmReload(*this, FReloadDrop));
}

bool TQuorendReadForm::Execute()
{
    const int remembered = Grid->Row();
    const int fixedRows = Grid->FixedRows();
    if (Grid->RowCount() > fixedRows)
        Grid->ClearRowsAttributes(fixedRows, Grid->RowCount() - 1, 2 | 4);
    ClearGrid(*Grid, 0);
    Grid->ClearCellValues();

    // A failing fetch leaves the count at 0.
    struct CountOnExit
    {
        TQuorendReadForm *form;
        bool succeeded = false;
        ~CountOnExit()
        {
            try {
                form->SetStatusText(
                    Format(QStringLiteral("Общо: %d реда"), {succeeded ? form->CountedDataRows() : 0}));
            } catch (...) {
            }
        }
    } count{this};

    const bool result = TQuorendStatusForm::Execute();
    // The header sort outlives a refill: the new rows come in its order,
    // as the marks in the header say.
    if (result && !FSortColumns.empty())
        SortGridRows(Grid);
    Grid->ClearCellValues();
    int row = remembered;
    if (row >= Grid->RowCount())
        row = Grid->RowCount() - 1;
    if (row < Grid->FixedRows())
        row = Grid->FixedRows();
    if (row < Grid->RowCount() && row != Grid->Row())
        Grid->SetRow(row);
    Grid->InvalidateGrid();
    count.succeeded = result;
    return result;
}

void TQuorendReadForm::DisableActions()
{
    TQuorendStatusForm::DisableActions();
    actHide->setEnabled(false);
}

void TQuorendReadForm::SaveActionsState(TSavedActions &Rec)
{
    if (!Rec.Saved) {
        FHideSavedEnabled = actHide->isEnabled();
        FHideSaved = true;
    }
    TQuorendStatusForm::SaveActionsState(Rec);
}

void TQuorendReadForm::RestoreActionsState(TSavedActions &Rec)
{
    if (Rec.Saved && FHideSaved) {
        actHide->setEnabled(FHideSavedEnabled);
        FHideSaved = false;
    }
    TQuorendStatusForm::RestoreActionsState(Rec);
}

void TQuorendReadForm::ApplyHideState(bool Enabled)
{
    if (FHideSaved)
        FHideSavedEnabled = Enabled;
    else
        actHide->setEnabled(Enabled);
}

bool TQuorendReadForm::InitForm()
{
    if (!TQuorendStatusForm::InitForm())
        return false;
    UpdateLastParamControl();
    TGridOptions options = Grid->Options();
    options.Include(goRangeSelect);
    Grid->SetOptions(options);
    // The column dialog is offered only where the accounting link says so;
    // the link is never connected here, so it stays off.
    bool hide = false;
    if (MLinkConnected()) {
        QString value;
        if (MGetNasValue(QStringLiteral("83"), value))
            hide = value == QLatin1String("1");
    }
    ApplyHideState(hide);
    return true;
}

bool TQuorendReadForm::FormDone()
{
    FHideRowList.reset();
    FFieldTree.reset();
    FFilterDialog.reset();
    FFilterConditions.reset();
    FHideSettings.clear();
    FSortColumns.clear();
    return TQuorendStatusForm::FormDone();
}

bool TQuorendReadForm::DoSearch() { return ExecuteGridSearch(*Grid); }

bool TQuorendReadForm::DoPrint()
{
    const bool result = TQuorendStatusForm::DoPrint();
    if (GridPrinter())
        GridPrinter()(*this);
    return result;
}

bool TQuorendReadForm::DoFile()
{
    const bool result = TQuorendStatusForm::DoFile();
    if (GridExporter())
        GridExporter()(*this);
    return result;
}

void TQuorendReadForm::InitControls()
{
    TQuorendStatusForm::InitControls();
    FHeaderSortEnabled = true;
}

void TQuorendReadForm::EnableActions(bool Enable)
{
    if (!Enable) {
        if (!SavedActions().Saved) {
            TGridOptions options = Grid->Options();
            FGridWasEditing = options.Contains(goEditing);
            if (FGridWasEditing) {
                options.Exclude(goEditing);
                Grid->SetOptions(options);
            }
        }
    } else if (SavedActions().Saved && FGridWasEditing) {
        TGridOptions options = Grid->Options();
        options.Include(goEditing);
        Grid->SetOptions(options);
    }
    TQuorendStatusForm::EnableActions(Enable);
    EnableContainer(pnlParams, Enable);
}

void TQuorendReadForm::KeyPress(QChar &Key)
{
    if (Key == QLatin1Char('\r') && FLastParamControl) {
        QWidget *control = ActiveControl();
        if (control && (control == FLastParamControl || FLastParamControl->isAncestorOf(control)))
            ExecuteQuiet();
    }
    TQuorendStatusForm::KeyPress(Key);
}

void TQuorendReadForm::UpdateLastParamControl()
{
    // The tab order is the focus chain: the last qualifying child met on it
    // is the one with the highest tab order.
    FLastParamControl = nullptr;
    const QList<QWidget *> children = pnlParams->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    auto qualifies = [this, &children](QWidget *w) {
        // Enabled is not asked: the parameter controls are locked while the
        // form initialises; a control that has the focus is enabled anyway.
        return children.contains(w) && (w->focusPolicy() & Qt::TabFocus) && !w->isHidden()
               && w->isVisibleTo(pnlParams);
    };
    QWidget *w = nextInFocusChain();
    for (int guard = 0; w && w != this && guard < 100000; ++guard, w = w->nextInFocusChain())
        if (qualifies(w))
            FLastParamControl = w;
}

// ---------------------------------------------------------------------------
// Header sort

TGridCoord TQuorendReadForm::HeaderCellAt(int X, int Y)
{
    const TGridCoord none{-1, -1};
    const TGridCoord cell = Grid->MouseCoord(X, Y);
    if (cell.X < 0 || cell.Y < 0 || cell.X >= Grid->ColCount() || cell.Y >= Grid->FixedRows())
        return none;
    TGridRect block;
    Grid->GetMergeRect(cell.X, cell.Y, block);
    if (block.Left != block.Right)
        return none;
    return cell;
}

void TQuorendReadForm::ToggleSortColumn(TGridCoord Cell)
{
    if (Cell.X < 0 || Cell.Y < 0)
        return;
    bool resort = true;
    const auto found = std::find(FSortColumns.begin(), FSortColumns.end(), Cell.X);
    if (found != FSortColumns.end()) {
        // Without its last key the rows stay sorted by the keys before it.
        resort = found + 1 != FSortColumns.end();
        FSortColumns.erase(found);
    } else {
        FSortColumns.push_back(Cell.X);
    }
    DrawSortMarks(Cell, Cell.Y);
    if (!FSortColumns.empty() && resort)
        SortGridRows(Grid);
}

void TQuorendReadForm::DrawSortMarks(TGridCoord, int HeaderRow)
{
    if (HeaderRow < 0 || HeaderRow >= Grid->FixedRows())
        return;
    // A column's mark stands in its own header: the block of the last
    // header row that holds the column alone, whose top-left cell paints
    // the block (a header merged over both rows paints from the upper
    // one). Every other header cell shows none, so that no mark set in
    // another row before stays behind.
    const int lastHeaderRow = Grid->FixedRows() - 1;
    for (int col = 0; col < Grid->ColCount(); ++col) {
        int index = -1;
        if (FHeaderSortEnabled) {
            const auto found = std::find(FSortColumns.begin(), FSortColumns.end(), col);
            if (found != FSortColumns.end())
                index = static_cast<int>(found - FSortColumns.begin());
        }
        TGridRect own;
        Grid->GetMergeRect(col, lastHeaderRow, own);
        const bool alone = own.Left == col && own.Right == col;
        for (int row = 0; row <= lastHeaderRow; ++row) {
            const int shown = alone && row == own.Top ? index : -1;
            // A cell without a look of its own shows no image already.
            if (shown < 0 && !Grid->HasCellAttributes(col, row))
                continue;
            TCellAttributes *a = Grid->GetCellAttributes(col, row);
            if (shown < 0 && a->ImageIndex() < 0)
                continue;
            a->SetBitmapAlignment(caRight);
            a->SetBitmapDrawMode(bmCenter);
            a->SetImageIndex(shown);
        }
    }
    for (int row = 0; row <= lastHeaderRow; ++row)
        Grid->InvalidateRow(row);
}

void TQuorendReadForm::SetHeaderSort(bool Enabled)
{
    FHeaderSortEnabled = Enabled;
    DrawSortMarks(TGridCoord{-1, -1}, Grid->FixedRows() - 1);
}

void TQuorendReadForm::ShowRows(TDelimitedStrings &Rows)
{
    FilterRows(Rows, QString());
    FillGridFromDelimitedStrings(*Grid, Rows, true);
    SetHeaderSort(true);
}

bool TQuorendReadForm::IsTotalsRow(int Row) const
{
    return Grid->HasRowAttributes(Row) && Grid->GetRowAttributes(Row)->BackColor() == TotalsRowColor;
}

void TQuorendReadForm::SortGridRows(TRichGrid *AGrid)
{
    if (FSortColumns.empty() || !AGrid)
        return;
    const int first = AGrid->FixedRows();
    int last = AGrid->RowCount() - 1;
    while (last >= first && AGrid->HasRowAttributes(last)
           && AGrid->GetRowAttributes(last)->BackColor() == TotalsRowColor)
        --last;
    if (last <= first)
        return;
    WaitScope wait(QStringLiteral("Сортиране ..."));
    TStringGridSorter sorter(AGrid);
    sorter.SetSortColumns(FSortColumns);
    sorter.SetDirection(FSortDescending ? 1 : 0);
    sorter.Sort(first, last);
    sorter.WaitFor();
}

void TQuorendReadForm::SortRowList(TDelimitedStrings *List)
{
    if (FSortColumns.empty() || !List || List->Count() <= 1)
        return;
    // Only the totals records at the end stay where they are.
    int last = List->Count() - 1;
    while (last >= 0 && IsTotalsRecord(*List, last))
        --last;
    if (last < 1)
        return;
    TDelimitedStringsSorter sorter(List);
    sorter.SetKeyFields(FSortColumns);
    sorter.SetDirection(FSortDescending ? 1 : 0);
    sorter.Sort(0, last);
    sorter.WaitFor();
}

int TQuorendReadForm::DataRowCount() { return Grid->RowCount() - Grid->FixedRows(); }

int TQuorendReadForm::CountedDataRows() const
{
    const int first = Grid->FixedRows();
    int last = Grid->RowCount() - 1;
    while (last >= first && IsTotalsRow(last))
        --last;
    if (last < first)
        return 0;
    if (last == first) {
        // The one row an empty result leaves.
        const QStringList cells = Grid->Rows(first);
        if (std::all_of(cells.begin(), cells.end(), [](const QString &s) { return s.isEmpty(); }))
            return 0;
    }
    return last - first + 1;
}

// ---------------------------------------------------------------------------
// Handlers

void TQuorendReadForm::GridDblClk()
{
    if (actEdit->isEnabled())
        actEdit->trigger();
}

void TQuorendReadForm::GridSelectCell(int, int ARow, bool &)
{
    FIsDataRow = DotStrToFloat(Grid->Cells(0, ARow), 0) != 0;
}

void TQuorendReadForm::GridMouseDown(Qt::MouseButton Button, int X, int Y)
{
    if (Button == Qt::LeftButton && FHeaderSortEnabled)
        FMouseDownCell = HeaderCellAt(X, Y);
}

void TQuorendReadForm::GridMouseUp(Qt::MouseButton Button, int X, int Y)
{
    if (Button != Qt::LeftButton || !FHeaderSortEnabled)
        return;
    const TGridCoord cell = HeaderCellAt(X, Y);
    const TGridCoord down = FMouseDownCell;
    FMouseDownCell = TGridCoord{-1, -1};
    if (cell == down)
        ToggleSortColumn(cell);
}

void TQuorendReadForm::actHideExecute()
{
    if (!HideDialog())
        return;
    HideDialog()(*this);
    AfterHide();
}

// ---------------------------------------------------------------------------
// Filter

void TQuorendReadForm::BuildFieldProps(TFieldProps *Parent, int HeaderRow, int ToCol, int FromCol)
{
    if (!Parent || HeaderRow < 0 || HeaderRow >= Grid->RowCount())
        return;
    ToCol = std::min(ToCol, Grid->ColCount() - 1);
    int col = std::max(FromCol, 0);
    while (col <= ToCol) {
        TGridRect block;
        Grid->GetMergeRect(col, HeaderRow, block);
        if (IsColumnFilterable(block.Left, HeaderRow)) {
            TFieldProps *child = TFieldProps::AddChild(Parent);
            child->SetCaption(Grid->Cells(block.Left, block.Top));
            // The group's columns are told apart by the header row below
            // the block.
            if (block.Right > block.Left && block.Bottom + 1 < Grid->FixedRows())
                BuildFieldProps(child, block.Bottom + 1, block.Right, block.Left);
            else {
                SetFieldKind(child, block.Left);
                // Header cells under a one-column block name its column
                // further (a product's name under its code).
                QStringList below;
                for (int r = block.Bottom + 1; r < Grid->FixedRows(); ++r) {
                    TGridRect under;
                    Grid->GetMergeRect(block.Left, r, under);
                    if (under.Left == under.Right && under.Top == r && !Grid->Cells(block.Left, r).trimmed().isEmpty())
                        below << Grid->Cells(block.Left, r);
                }
                child->SetDetail(below.join(QLatin1Char(' ')));
            }
        }
        col = std::max(block.Right, col) + 1;
    }
}

bool TQuorendReadForm::IsColumnFilterable(int, int) { return true; }

void TQuorendReadForm::SetFieldKind(TFieldProps *Field, int Col)
{
    Field->SetIndex(Col);
    TCellFormatter *formatter = Grid->GetEffectiveColAttributes(Col)->Formatter();
    if (dynamic_cast<TNumberFormatter *>(formatter))
        Field->SetKind(TFieldProps::fkNumber);
    else if (dynamic_cast<TDateValueFormatter *>(formatter))
        Field->SetKind(TFieldProps::fkDate);
    else
        Field->SetKind(TFieldProps::fkText);
}

bool TQuorendReadForm::AfterHide() { return true; }
QString TQuorendReadForm::GetPrintExtraText() { return QString(); }

TPrinterOrientation TQuorendReadForm::GetPrintOrientation()
{
    const QString name = objectName();
    if (name == QLatin1String("frmPropusk_za_izvozvane") || name == QLatin1String("frmVyrnata_produkcia"))
        return poPortrait;
    return poLandscape;
}

// ---------------------------------------------------------------------------
// The filter totals

void TFilterColumnTotal::Add(const QString &Field)
{
    if (spoilt_ || Field.isEmpty())
        return;
    QString text = Field;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    text.replace(QLatin1Char('~'), QLatin1Char(' '));
    const QStringList pieces = text.split(QLatin1Char(' '));
    const QString number = pieces.value(0);
    const QString unit = pieces.value(1);
    if (!unit.isEmpty()) {
        if (!unit_.isEmpty() && unit != unit_) {
            spoilt_ = true;
            return;
        }
        unit_ = unit;
    }
    decimals_ = std::max(decimals_, CountDecimals(number));
    // A yyyymmdd text is a date, and a date has no sum.
    if (number.size() >= 8) {
        bool digits = true;
        for (int i = 0; i < 8 && digits; ++i)
            digits = number.at(i).isDigit() && number.at(i).unicode() < 128;
        if (digits) {
            const int year = number.left(4).toInt();
            const int month = number.mid(4, 2).toInt();
            const int day = number.mid(6, 2).toInt();
            if (year >= 1 && month >= 1 && month <= 12 && day >= 1) {
                spoilt_ = true;
                return;
            }
        }
    }
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double value = DotStrToFloat(number, nan);
    if (std::isnan(value)) {
        spoilt_ = true;
        return;
    }
    sum_ += value;
    ++added_;
}

QString TFilterColumnTotal::Text() const
{
    if (spoilt_ || added_ == 0)
        return QStringLiteral(" ");
    QString result;
    if (decimals_ > 0)
        FloatToFixedDotStr(decimals_, result, sum_);
    else
        FloatToDotStr(-1, result, sum_);
    return result;
}

QString FilterColumnTotal(const QStringList &Fields)
{
    TFilterColumnTotal total;
    for (const QString &field : Fields)
        total.Add(field);
    return total.Text();
}
