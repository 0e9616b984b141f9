#pragma once
// The editors whose values are typed straight into the grid's cells: the
// product prices by site, the resource prices of a month, the indirect
// costs of the months.
//
// DoExecute loads the grid and keeps, for every value cell, what it showed
// and what was stored for it (or that nothing was), keyed by the cell's own
// key (its row's code or month and its column's), never by its position:
// a header sort or an F6 filter moves and hides rows, and a row's value
// stays its own. Only value cells of rows with a first cell can be edited,
// and only digits and '.' pass. Save writes the cells that differ from the
// kept copy: under the save's write lock the stored values are read again,
// and a cell whose stored value is no longer the one loaded (changed, gone,
// or written meanwhile by another workstation) refuses the whole save with
// a message naming it; otherwise an update when it is stored, an insert
// when not. The statements run through the shared save in one transaction:
// at a failure nothing is written, the window keeps its cells and stays
// modified; after the commit the written cells show their stored text. A
// cell that is no number ("1.2.5", pasted text) is refused with a message
// naming it, before anything is written. The filter's totals row is never
// edited or written.
//
// A window whose rows belong to a choice (the minibus, the month) clears
// its grid and the kept copy together when the choice changes, and writes
// to the choice it loaded.
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "framework/QuorendReadForm.h"

class QLabel;
class TDelimitedStringList;
class TListEdit;

class TCellMatrixForm : public TQuorendReadForm
{
    Q_OBJECT
public:
    explicit TCellMatrixForm(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    bool InitForm() override;
    // F8 and F6 load the rows again: typed values are not dropped without
    // the question.
    bool Execute() override;
    // Loads the grid (LoadGrid) and keeps its copy.
    bool DoExecute() override;
    // True only when every changed cell was written (or nothing changed).
    bool DoSave() override;

    // The statements a save would run now, in order (empty when a cell is
    // no number or nothing changed).
    QStringList SaveStatements();
    // The cell's text as loaded ("" outside the kept copy).
    QString KeptCell(int Col, int Row) const;
    bool HasKeptCopy() const { return FHasKept; }
    // Whether the editor opens on the cell.
    bool CellEditable(int Col, int Row) const;
    // Whether Text is a '.'-decimal number (digits with at most one '.'),
    // or empty (a value of 0).
    static bool IsNumberText(const QString &Text);
    // The month's name (1..12).
    static QString MonthName(int Month);

protected:
    // --- what a window gives
    // Fills the grid, and Stored with the stored values it shows (as
    // ReadStored reads them, from the same reading); false when nothing
    // could be loaded.
    virtual bool LoadGrid(QHash<QString, QString> &Stored) = 0;
    // Whether the cell holds a value (the window's value columns).
    virtual bool IsValueCell(int Col, int Row) const = 0;
    // The stored values of what the window loaded (the key query), by the
    // cells' keys. A failing query raises.
    virtual bool ReadStored(QHash<QString, QString> &Values) = 0;
    // The key of a value cell, from its own row's cells and its column's
    // header ("5:10", "3"), as ReadStored keys the stored values.
    virtual QString CellKey(int Col, int Row) const = 0;
    // The statements of a changed cell; Value is its '.'-decimal text with
    // ValueDecimals() decimals.
    virtual QString UpdateSql(int Col, int Row, const QString &Value) const = 0;
    virtual QString InsertSql(int Col, int Row, const QString &Value) const = 0;
    virtual int ValueDecimals() const = 0;
    // How the refusal of a cell names it ("обект 3, изделие 12").
    virtual QString CellName(int Col, int Row) const = 0;
    // Whether the cell differs from what was loaded (default: the texts).
    virtual bool CellChanged(const QString &Now, const QString &Kept) const;

    // The grid and its kept copy emptied together (the choice changed).
    void ClearMatrix();
    // The window's title, and its caption in capitals.
    void SetTitle(const QString &Title);
    // A captioned code picker of the parameters and the panel that shows the
    // picked code's name.
    TListEdit *AddKeyPicker(const QString &Name, const QString &Caption, const QString &PanelName, int Width,
                            int PanelWidth, QLabel *&Label, QLabel *&Panel);
    // The rows of another key than the one loaded are not these: a change of
    // the picker to another key clears the grid and its kept copy, and
    // Loaded becomes 0. Typed values are first saved to the key loaded, or
    // dropped, as the clerk answers; Cancel gives the picker its key back.
    void ClearOnOtherKey(TListEdit *Picker, const std::function<int()> &Chosen, int &Loaded);
    // Turns the grid's editing on for the cell, off elsewhere.
    void UpdateEditing(int Col, int Row);

    // Whether the row holds values: a data row with a first cell, not the
    // filter's totals row.
    bool IsValueRow(int Row) const;

private:
    // What a value cell showed when loaded, and what was stored for it.
    struct TKeptCell
    {
        QString Text;
        bool Stored = false;
        QString StoredText;
    };
    // A changed cell and the text written for it.
    struct TChangedCell
    {
        int Col;
        int Row;
        QString Key;
        QString Value;
    };
    // Visits every value cell of the value rows.
    void ForEachValueCell(const std::function<void(int Col, int Row)> &Visit) const;
    void KeepGrid(const QHash<QString, QString> &Stored);
    void ForgetKeptCopy();
    // The rows that the F6 conditions let through, with their totals row.
    void FilterGrid();
    // The messages of the cells that are no numbers ("" when none).
    QString CheckCells() const;
    // The cells that differ from the kept copy, with their values.
    std::vector<TChangedCell> ChangedCells() const;
    // The statements of the changed cells against the stored values Now;
    // Conflicts gets a message for every cell whose stored value is not
    // the one loaded.
    QStringList BuildStatements(const std::vector<TChangedCell> &Cells, const QHash<QString, QString> &Now,
                                QString &Conflicts) const;
    // Two stored values are one when they read as the same number.
    static bool SameStored(const QString &A, const QString &B);

    QHash<QString, TKeptCell> FKept;
    bool FHasKept = false;
    // While a picker gets its loaded key back.
    bool FRestoringKey = false;
};
