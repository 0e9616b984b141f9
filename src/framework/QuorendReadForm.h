#pragma once
// The base of every window that shows rows in a grid: master-data lists,
// document lists, daily documents entered in the grid, and every report.
//
// A data form puts its parameter controls on pnlParams (in its
// constructor, so that the last of them is known when the form
// initialises), sets up the columns of Grid, and fills the grid in its
// DoExecute:
//
//   bool TfrmX::DoExecute()
//   {
//       TDelimitedStringList rows;
//       SelectToList(this, DbConnection, sql, rows);
//       ShowRows(rows);   // the F6 conditions and their totals row, the grid, the sort marks
//       return true;
//   }
//
// The read form gives it the row count in the status bar, the F6 filter
// with its "Сума за филтъра" row, sorting by clicks on the column headers,
// the F7 search, and F9/F10 (grid print and export) as soon as those are
// installed (SetReadFormGridPrinter, SetReadFormGridExporter).
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "framework/QuorendStatusForm.h"
#include "framework/TextPagePrinter.h"
#include "platform/ui/Colors.h"
#include "platform/ui/GridTypes.h"

class QFrame;
class TDelimitedStrings;
class TDelimitedStringList;
class TFieldProps;
class TImageList;
class TLineConv;
class TRichGrid;
class TfrmSimpleFilter;
class TQuorendReadForm;

// The grid print and the export wizard of a read form (F9 and F10). The
// units that build them install them once at start-up; until one is
// installed its action stays off in every read form. The printer is called
// as PrintGrid(GetPrintOrientation(), Grid, GetTitle(), GetSubTitle(),
// GetPrintSettingsKey(), 0, "", "", false, false, true, true, "",
// GetPrintExtraText()), the exporter as ExportGrid(form, Grid, GetTitle(),
// GetSubTitle(), GetTitle()).
using TReadFormGridAction = std::function<void(TQuorendReadForm &Form)>;
void SetReadFormGridPrinter(TReadFormGridAction Printer);
void SetReadFormGridExporter(TReadFormGridAction Exporter);
bool ReadFormGridPrinterInstalled();
bool ReadFormGridExporterInstalled();
// The column hide-and-sort dialog (F11), run for the form when installed.
void SetReadFormHideDialog(TReadFormGridAction Dialog);

class TQuorendReadForm : public TQuorendStatusForm
{
    Q_OBJECT
public:
    // FreeOnClose is set: a read form is freed when it closes.
    explicit TQuorendReadForm(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TQuorendReadForm() override;

    // --- overrides of the base forms
    // Then IsDataRow: the current row's first cell reads as a number other
    // than 0.
    void UpdateActions() override;
    // The list and report forms keep their own account of what is changed:
    // their parameters only choose what is shown.
    bool TypingIsData(QWidget *) override { return false; }
    // The grid is emptied to one data row, the data fetched and filled
    // (DoExecute), the current row kept where it can be, and the status
    // bar shows "Общо: %d реда" with the data rows.
    bool Execute() override;
    void DisableActions() override;
    void SaveActionsState(TSavedActions &Rec) override;
    void RestoreActionsState(TSavedActions &Rec) override;
    bool InitForm() override;
    bool FormDone() override;
    // The filter dialog; OK fetches the data again through the new
    // conditions. Whether a condition is set.
    bool DoFilter() override;
    // F8 and the filter read the data again, which would leave unsaved
    // changes out of sight: a window that keeps such changes names how to
    // forget them, and both ask about them first (ConfirmReload): Yes
    // saves, No runs Drop, Cancel keeps them and reads nothing.
    void AskBeforeReading(std::function<void()> Drop) { FReloadDrop = std::move(Drop); }
    bool CanExecute() override;
    bool DoSearch() override;
    bool DoPrint() override;
    bool DoFile() override;
    void InitControls() override;
    // While work runs the grid does not edit and the parameter controls are
    // locked.
    void EnableActions(bool Enable) override;
    // Enter in the last parameter control refreshes the data quietly.
    void KeyPress(QChar &Key) override;

    // --- new virtual operations
    // The fixed header cell under a point of the grid's viewport, when its
    // merged block spans one column only; else (-1, -1).
    virtual TGridCoord HeaderCellAt(int X, int Y);
    // Adds the cell's column as the least significant sort key, or removes
    // it; sorts the rows again when the order changed.
    virtual void ToggleSortColumn(TGridCoord Cell);
    // The sort-position marks in HeaderRow: every column's header block
    // shows its position among the keys (image 0 for the first), none when
    // it is no key or header sorting is off.
    virtual void DrawSortMarks(TGridCoord Cell, int HeaderRow);
    // The grid's rows below the header.
    virtual int DataRowCount();
    virtual TfrmSimpleFilter *CreateFilterDialog();
    // Adds a field for each filterable header block of HeaderRow from
    // FromCol to ToCol; a block over several columns with a header row
    // below it becomes a group of the fields below it.
    virtual void BuildFieldProps(TFieldProps *Parent, int HeaderRow, int ToCol, int FromCol);
    virtual bool IsColumnFilterable(int Col, int Row);
    // The field's column and kind: 1 number, 2 date, 0 text, from the
    // column's formatter.
    virtual void SetFieldKind(TFieldProps *Field, int Col);
    virtual bool AfterHide();
    // Printed below the table.
    virtual QString GetPrintExtraText();
    // The data rows above the totals rows at the bottom, by SortColumns.
    virtual void SortGridRows(TRichGrid *AGrid);
    // The records of a list by SortColumns, its totals records at the end
    // staying there.
    virtual void SortRowList(TDelimitedStrings *List);
    virtual TPrinterOrientation GetPrintOrientation();

    // --- other operations
    // Takes out every record that a condition of the F6 filter rejects
    // and, when a condition is set and a record is left, appends the
    // "Сума за филтъра" record with the totals of the sum columns (all
    // columns from 1 when SumColumns is empty, else the comma-separated
    // column numbers). True.
    bool FilterRows(TDelimitedStrings &RowList, const QString &SumColumns);
    // Header clicks sort (or not); the marks of the last header row are
    // drawn again.
    void SetHeaderSort(bool Enabled);
    // The end of every fetch that shows its rows as they come: the F6
    // filter (FilterRows with no sum columns), the grid filled from the
    // rows, header sorting on.
    void ShowRows(TDelimitedStrings &Rows);
    // Data rows in the grid: the rows below the header and above the
    // totals rows at the bottom; 0 when the only row is empty.
    int CountedDataRows() const;
    // Whether the row is painted as a totals row ($F8F0D8 on its row).
    bool IsTotalsRow(int Row) const;
    // The control on pnlParams that takes the focus last, found again.
    void UpdateLastParamControl();

    // --- handlers
    void GridDblClk();
    void GridSelectCell(int ACol, int ARow, bool &CanSelect);
    void GridMouseDown(Qt::MouseButton Button, int X, int Y);
    void GridMouseUp(Qt::MouseButton Button, int X, int Y);
    void actHideExecute();

    // --- state readable by data forms and tests
    bool IsDataRow() const { return FIsDataRow; }
    QWidget *LastParamControl() const { return FLastParamControl; }
    const std::vector<int> &SortColumns() const { return FSortColumns; }
    void SetSortColumns(const std::vector<int> &Columns) { FSortColumns = Columns; }
    bool HeaderSortEnabled() const { return FHeaderSortEnabled; }
    TGridCoord MouseDownCell() const { return FMouseDownCell; }
    bool SortDescending() const { return FSortDescending; }
    TFieldProps *FieldTree() const { return FFieldTree.get(); }
    TfrmSimpleFilter *FilterDialog() const { return FFilterDialog.get(); }
    // One condition per leaf field, in the leaves' order; the item's text is
    // the leaf's grid column.
    TLineConv *FilterConditions() const { return FFilterConditions.get(); }

    // --- controls
    QFrame *pnlParams = nullptr;
    TRichGrid *Grid = nullptr;
    TImageList *Images = nullptr;
    QAction *actHide = nullptr;

    // The header's background (Windows colour value).
    static constexpr TColor HeaderColor = 15852465;
    static constexpr int MinimumReadFormWidth = 545;
    static constexpr int ParamsPanelHeight = 41;

private:
    void ApplyHideState(bool Enabled);

    bool FIsDataRow = false;
    QPointer<QWidget> FLastParamControl;
    std::vector<int> FSortColumns;
    bool FHeaderSortEnabled = false;
    TGridCoord FMouseDownCell{-1, -1};
    std::unique_ptr<TFieldProps> FFieldTree;
    std::unique_ptr<TfrmSimpleFilter> FFilterDialog;
    std::unique_ptr<TLineConv> FFilterConditions;
    QString FHideSettings;
    std::unique_ptr<TDelimitedStringList> FHideRowList;
    bool FHideSaved = false;
    bool FHideSavedEnabled = false;
    bool FHideFirstUse = true;
    bool FGridWasEditing = false;
    bool FSortDescending = false;
    std::function<void()> FReloadDrop;
};

// The total of one column of records for the filter totals row: the sum
// of its numbers as '.'-decimal text with the most decimals met, or a
// single blank when a field is no number (a yyyymmdd date counts as none)
// or two fields carry different units ("2.5 кг" and "1 бр").
class TFilterColumnTotal
{
public:
    // One field of the column; empty fields count for nothing.
    void Add(const QString &Field);
    // " " until a field was added or after a field that spoilt the total.
    QString Text() const;

private:
    long double sum_ = 0;
    int decimals_ = 0;
    int added_ = 0;
    bool spoilt_ = false;
    QString unit_;
};
QString FilterColumnTotal(const QStringList &Fields);
