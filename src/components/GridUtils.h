#pragma once
// Grid fill and grid utilities: pouring record lists into grids, searching,
// colouring, copying, inserting and deleting rows, and reading cell texts
// through the formatters, whatever grid class the caller holds. Each routine
// that takes a grid knows the attributed grid (TRichGrid) and the run-time
// grid (TRunTimeGrid) and tests for them in that order; those marked "any
// grid" work on every string grid.
#include <QString>

#include "components/RichGrid.h"
#include "platform/ui/Colors.h"
#include "platform/ui/GridTypes.h"
#include "platform/ui/StringGrid.h"

class QObject;
class QWidget;
class TDelimitedStrings;

// The colour of highlighted rows (the totals of a list, "¤Общо:") and of
// the filter-totals row.
constexpr TColor TotalsRowColor = 0xF8F0D8;
// The first field that marks the filter-totals row.
extern const QString FilterTotalsMarker; // "Сума за филтъра"
// The first character that marks a highlighted row; the fill removes it.
constexpr QChar HighlightMarker = QChar(0x00A4); // '¤'
// Whether a record's first field marks a totals record: the filter-totals
// row or a highlighted row ("¤Общо:"), which sum other records.
bool IsTotalsRecordText(const QString &FirstField);

// --- fill and search (rows counted from FixedRows) ---------------------------

// Pours the records into the grid, one row each below the fixed rows,
// fields into cells from column 0 (fields past ColCount are dropped). No
// record leaves one empty data row. On an attributed grid the rows are
// coloured: "¤" rows lose the marker and, like the filter-totals row, take
// TotalsRowColor; other rows show their columns' normal colours. True when
// the list held a record. A filter-totals row met on a grid that is not an
// attributed grid raises EInvalidCast; other grids keep the "¤" markers.
bool FillGridFromDelimitedStrings(platform::StringGrid &Grid, const TDelimitedStrings &Strings,
                                  bool HideWhileFilling);

// The first data row whose stored text in Col equals the trimmed Text
// exactly; an empty Text finds nothing.
bool FindRowByCellValue(const QString &Text, int Col, const platform::StringGrid &Grid, int &Row);

// The row whose shown text in Col shares the longest prefix with S,
// ignoring case, searched from StartRow (below the data rows: the first data
// row) in steps of Step (up when Step < 1). A row whose stored text equals S
// exactly ends the search. S is cut to the shared prefix. -1, with S
// unchanged, when no row shares even the first character.
int FindBestPrefixRow(const platform::StringGrid &Grid, QString &S, int Col, int StartRow, int Step);

// The first data row after StartRow (StartRow + Step; -1 starts at the
// first data row) whose stored text in Col contains Text, ignoring case;
// -1 when none.
int FindRowContaining(const platform::StringGrid &Grid, const QString &Text, int Col, int StartRow, int Step);

// Whether a list form with the given search setting (1 downwards only, 2
// upwards only, 3 both ways) searches in Direction (0 down, 1 up).
bool SearchDirectionAllowed(int SearchSetting, int Direction);

// The selected block as text: cells separated by TAB, rows by CR, every
// separator written even around empty cells, so that the block pastes back
// in place. On an attributed grid the shown texts.
void GridSelectionAsText(const platform::StringGrid &Grid, QString &S);

// --- grid utilities ----------------------------------------------------------

// Mode 0: one empty data row is left (on an attributed grid its values
// unset too); mode 1: every non-fixed cell emptied. Any grid.
void ClearGrid(platform::StringGrid &Grid, int Mode);
// A row more; rows Row.. move down by one, row Row keeps its texts until
// the caller writes it. Attributes stay where they are. Any grid. A fixed
// Row is refused (nothing changes).
void InsertGridRow(platform::StringGrid &Grid, int Row);
// Attributed grid only: the rows after Row move up with their texts and
// row attributes; at least FixedRows + 1 rows stay. A fixed Row is refused.
void DeleteGridRow(platform::StringGrid &Grid, int Row);
// The heights of the fixed rows together. Any grid.
int GetFixedRowsHeight(const platform::StringGrid &Grid);

void SetCellColor(platform::StringGrid &Grid, int ACol, int ARow, TColor Color);
// clWindow outside the grid or on another grid.
TColor GetCellColor(const platform::StringGrid &Grid, int ACol, int ARow);
void GetCellMergeRect(const platform::StringGrid &Grid, int ACol, int ARow, TGridRect &Rect);
void HideColumn(platform::StringGrid &Grid, int ACol);
// Widens every shown column of an attributed grid to the widest line of
// each header cell of its own (a header merged across columns is not
// measured). The fill runs it once per fill; a grid that is not filled
// runs it when its header is set.
void WidenColumnsToHeaders(platform::StringGrid &Grid);
void ShowColumn(platform::StringGrid &Grid, int ACol);
// A new grid of the model's class with the model's contents, or nullptr for
// another class. Owner and Parent default to the model's (its parent, which
// owns the copy); an Owner other than the parent deletes the copy when it is
// destroyed. The caller may delete the copy earlier.
platform::StringGrid *CloneGrid(const platform::StringGrid &Model, bool Visible, QObject *Owner = nullptr,
                                QWidget *Parent = nullptr);
void HideGridSelection(platform::StringGrid &Grid);
// Switches the grid's editing option on or off (no change when it is so).
void SetGridEditing(platform::StringGrid &Grid, bool Editable);

// Alignment bits of a cell: caLeft 1, caRight 2, caCenter 4, caTop 8,
// caBottom 16; 0 outside the grid.
enum : int {
    AlignBitLeft = 1,
    AlignBitRight = 2,
    AlignBitCenter = 4,
    AlignBitTop = 8,
    AlignBitBottom = 16,
};
int GetCellAlignment(const platform::StringGrid &Grid, int ACol, int ARow);
// The alignment bits of an attributed cell's alignment.
int AlignmentBits(const TCellAlignment &A);

// The columns from LeftCol on are narrower together than the client area.
bool ColumnsFitClient(const platform::StringGrid &Grid);
// The text a cell shows (after formatters on an attributed grid).
void GetCellText(const platform::StringGrid &Grid, int ACol, int ARow, QString &S);
void SetCellBitmapIndex(platform::StringGrid &Grid, int ACol, int ARow, int Index);
// Turns the negative marking of every number formatter in use on the
// data cells of an attributed grid on or off.
void SetGridNegativeMarking(platform::StringGrid &Grid, bool Value);
void SetColumnFillsClient(platform::StringGrid &Grid, int ACol, bool Value);
bool ColumnFillsClient(const platform::StringGrid &Grid, int ACol);
