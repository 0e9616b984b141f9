#pragma once
// The editors whose values are typed straight into the grid's cells: the
// product prices by site, the resource prices of a month, the indirect
// costs of the months.
//
// DoExecute loads the grid and keeps a copy of every cell beside it. Only
// value cells of rows with a first cell can be edited, and only digits and
// '.' pass. Save compares the grid with the kept copy; every changed cell
// becomes an update when its key is among the stored keys (read again when
// the save begins, into a hash) and an insert otherwise. The statements run
// through the shared save in one transaction: at a failure nothing is
// written, the window keeps its cells and stays modified; after the commit
// the written cells show their stored text. A cell that is no
// number ("1.2.5", pasted text) is refused with a message naming it, before
// anything is written.
//
// A window whose rows belong to a choice (the minibus, the month) clears
// its grid and the kept copy together when the choice changes, and writes
// to the choice it loaded.
#include <QSet>
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
    // Loads the grid (LoadGrid) and keeps its copy.
    bool DoExecute() override;
    // True only when every changed cell was written (or nothing changed).
    bool DoSave() override;

    // The statements a save would run now, in order (empty when a cell is
    // no number or nothing changed).
    QStringList SaveStatements();
    // The cell's text as loaded ("" outside the kept copy).
    QString KeptCell(int Col, int Row) const;
    bool HasKeptCopy() const { return !FKept.empty(); }
    // Whether the editor opens on the cell.
    bool CellEditable(int Col, int Row) const;
    // Whether Text is a '.'-decimal number (digits with at most one '.'),
    // or empty (a value of 0).
    static bool IsNumberText(const QString &Text);
    // The month's name (1..12).
    static QString MonthName(int Month);

protected:
    // --- what a window gives
    // Fills the grid; false when nothing could be loaded.
    virtual bool LoadGrid() = 0;
    // Whether the cell holds a value (the window's value columns).
    virtual bool IsValueCell(int Col, int Row) const = 0;
    // The stored keys (the key query), each reduced to one number.
    virtual bool ReadStoredKeys(QSet<qint64> &Keys) = 0;
    // The key of a value cell, as ReadStoredKeys reduces it.
    virtual qint64 CellKey(int Col, int Row) const = 0;
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
    // Loaded becomes 0.
    void ClearOnOtherKey(TListEdit *Picker, const std::function<int()> &Chosen, int &Loaded);
    // Turns the grid's editing on for the cell, off elsewhere.
    void UpdateEditing(int Col, int Row);

private:
    void KeepGrid();
    // The messages of the cells that are no numbers ("" when none).
    QString CheckCells() const;
    // A changed cell and the text written for it.
    struct TWrittenCell
    {
        int Col;
        int Row;
        QString Value;
    };
    // The statements of the changed cells (and those cells); false when the
    // keys could not be read.
    bool BuildStatements(QStringList &Statements, std::vector<TWrittenCell> *Written = nullptr);

    std::vector<QString> FKept;
    int FKeptCols = 0;
    int FKeptRows = 0;
};
