#pragma once
// The in-grid amount entry of the payment, valuation and daily-sheet
// windows: the operator types amounts straight into one column (or one
// block of columns) of a grid whose last row holds the totals.
//
// On every click (every move of the current cell) and on every key, before
// the key is handled, the grid edits only when the current cell may take an
// amount; the totals row is computed again; a key press then keeps only
// Backspace, Tab, line feed, Enter, the digits and, in the decimal variant,
// '.'. There is no minus sign: amounts are entered as non-negative numbers.
//
//   FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akDecimal);
//   FAmounts->SetEditableColumn(5);
//   FAmounts->SumColumns = {2, 3, 4, 5};
//   Grid->OnClick = [this](QObject *) { GridClick(); };        // calls FAmounts->Click()
//   Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };  // FAmounts->KeyPress(Key)
//   Grid->OnSetEditText = [this](QObject *, int, int, const QString &) { FAmounts->EditTextSet(); };
#include <QChar>
#include <functional>
#include <vector>

namespace platform {
class StringGrid;
}

// Whether a key may go into an amount cell: Backspace, Tab, line feed,
// Enter, the digits and, for a decimal amount, '.'.
bool AcceptsAmountKey(QChar Key, bool Decimal);
// The key as an amount cell takes it: ',' types the decimal point of a
// decimal amount, as in the float edits; a key not accepted becomes '\0'.
void FilterAmountKey(QChar &Key, bool Decimal);
// Whether a cell's text is an amount: empty (0) or a '.'-decimal number
// ("17.5." and "1.2.3" are not).
bool IsAmountText(const QString &Text);
// "Стойността "<Text>" за <What> не е число!" followed by "\n\r" when Text
// is not an amount; "" otherwise. A text that is not a number is refused,
// never read as 0.
QString AmountTextError(const QString &Text, const QString &What);

class TGridAmountEntry
{
public:
    enum TAmountKind {
        akDecimal,   // '.' accepted
        akInteger    // whole numbers only
    };

    TGridAmountEntry(platform::StringGrid *Grid, TAmountKind Kind);

    TAmountKind Kind() const { return FKind; }
    platform::StringGrid *Grid() const { return FGrid; }

    // The one column that takes amounts (the decimal windows).
    void SetEditableColumn(int Col) { FEditableColumn = Col; }
    int EditableColumn() const { return FEditableColumn; }

    // Whether a cell may take an amount. The default: the editable column,
    // a row above the last one (the totals row), not painted as a totals
    // row, whose first cell is not blank. A window with its own rule (a
    // block of columns, a priced cell) replaces it.
    std::function<bool(int ACol, int ARow)> CanEditCell;
    bool DefaultCanEditCell(int ACol, int ARow) const;

    // The columns summed into the totals row by the default totals.
    std::vector<int> SumColumns;
    // Computes the totals row; replaces the default totals (each summed
    // column: the sum over the data rows above the last row of the cell
    // values each rounded to 2 decimals, written into the last row with
    // exactly 2 decimals).
    std::function<void()> OnRecalcTotals;

    // The grid's editing switched on for an editable current cell, off
    // otherwise.
    void UpdateEditing();
    void RecalcTotals();
    // The grid's click: editing, then the totals.
    void Click();
    // The grid's key press: editing and the totals (from the cells as they
    // stand before the key), then the key is kept, turned into the decimal
    // point (',') or dropped (set to '\0').
    void KeyPress(QChar &Key);
    bool AcceptsKey(QChar Key) const;
    // The grid's editor wrote a cell: the totals follow the amount just
    // typed (the key press computed them before the key).
    void EditTextSet() { RecalcTotals(); }

    // The default totals, for a window that adds to them.
    void SumIntoLastRow();

private:
    platform::StringGrid *FGrid;
    TAmountKind FKind;
    int FEditableColumn = -1;
};
