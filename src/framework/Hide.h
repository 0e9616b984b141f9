#pragma once
// The column hide-and-sort dialog TformHide "Сортиране и скриване" of a
// list or report form: per column of the form's grid whether it shows
// (the eye row), whether and how rows are sorted by it (the sort row), and
// up to five rows of criteria; applying it (F2) rebuilds the form's grid
// from the rows it held. A row is kept when any criteria row matches it,
// and a criteria row matches when every criterion it has matches.
//
// Criteria: a text holding ':' is a range "from:to", any other a single
// value. Number columns compare as numbers (ranges include both ends),
// text columns without case and with '*' wildcards (a range compares in
// the text order of lists), date columns take a period, chosen with the
// period edit over the cell ("5@yyyymmdd@yyyymmdd", "1@month", "6@first
// month@last month", ...).
#include <QString>
#include <memory>
#include <vector>

#include "framework/QuorendEditForm.h"
#include "platform/ui/GridTypes.h"

class QCheckBox;
class QComboBox;
class QScrollBar;
class QToolButton;
class TDelimitedStringList;
class TImageList;
class TRichGrid;
class TCellFormatter;
class TPeriodEdit;

class TformHide : public TQuorendEditForm
{
    Q_OBJECT
public:
    // Column kinds, one character per column.
    static constexpr char KindText = '0';
    static constexpr char KindDateFormatter = '1';
    static constexpr char KindImage = '2';
    static constexpr char KindDate = '3';
    static constexpr char KindNumber = '4';
    static constexpr int MinCriteriaRows = 2;
    static constexpr int MaxCriteriaRows = 5;

    explicit TformHide(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsNormal);
    ~TformHide() override;

    // The form's grid: its header rows, one eye and one sort cell per
    // column, two empty criteria rows.
    void LoadFromGrid(TRichGrid *Grid);
    // '1' ascending, '2' descending, '3' not sorted, per column; a shorter
    // text leaves the remaining columns unsorted.
    void SetSettings(const QString &S);
    QString GetSettings() const;
    // The criteria rows kept from the last use, one record per row (fields
    // by column, '@' between them).
    void SetRowList(const TDelimitedStringList &List);
    // The criteria rows as records, for the next use.
    QString CriteriaText() const;
    bool Applied() const { return FApplied; }
    QString ColumnKinds() const { return FKinds; }

    // Rows of the dialog's grid.
    int EyeRow() const { return FHeaderRows; }
    int SortRow() const { return FHeaderRows + 1; }
    int FirstCriteriaRow() const { return FHeaderRows + 2; }
    int CriteriaRowCount() const;

    // A click on a cell of the dialog's grid, as the mouse does it: the eye
    // row toggles, the sort row and date criteria open their editors.
    void CellClicked(int ACol, int ARow);
    bool ColumnShown(int ACol) const;
    void AddCriteriaRow();
    void DeleteCriteriaRow();

    // Whether a field of a column of Kind passes Criterion (never empty).
    // Year: the year of the month kinds of periods.
    static bool CriterionMatches(char Kind, const QString &Criterion, const QString &Field, int Year);
    // The first and last day of a period text as yyyymmdd numbers; false
    // when the text is no period.
    static bool PeriodBounds(const QString &Period, int Year, int &From, int &To);

    // --- controls
    TRichGrid *RichGrid1 = nullptr;
    QScrollBar *UpDown1 = nullptr;
    QCheckBox *cbNullCol = nullptr;
    QComboBox *cbSortType = nullptr;
    QToolButton *sbtnAdd = nullptr;
    QToolButton *sbtnDel = nullptr;
    TImageList *imagesEyes = nullptr;
    // Edits the criteria cells of date columns; shown over the cell.
    TPeriodEdit *PeriodEdit = nullptr;
    TCellFormatter *DateFormatter = nullptr;

protected:
    bool DoSave() override;
    bool CloseQuery() override { return true; }

private:
    void CloseEditors();
    void PrepareCriteriaCell(int ACol, int ARow);
    void SetEye(int ACol, bool Open);
    bool Fetch(TDelimitedStringList &Rows);
    void FilterRecords(TDelimitedStringList &Rows);
    void SortRecords(TDelimitedStringList &Rows);
    void WriteBack(const TDelimitedStringList &Rows);
    void Gauge(qint64 Done, qint64 Total);
    char Kind(int ACol) const { return ACol >= 0 && ACol < FKinds.size() ? FKinds[ACol].toLatin1() : KindText; }

    TRichGrid *FSource = nullptr;
    int FHeaderRows = 0;
    QString FKinds;
    std::vector<bool> FEyes;
    bool FApplied = false;
    int FSortCol = -1;
    TGridCoord FPeriodCell{-1, -1};
};

// The read form's side of the dialog (F11): on first use columns whose
// attributes say hidden get width 0 and no auto-resize; the dialog is shown
// modally over the form's grid with the settings and criteria of the last
// use, which come back when it was applied. Returns whether it was.
class TQuorendForm;
bool RunHideDialog(TQuorendForm *Form, TRichGrid *Grid);
