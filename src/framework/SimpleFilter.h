#pragma once
// The filter dialog of the list and report windows (F6): one input per
// column of the grid (a leaf of the field tree; a period edit for a date
// column), laid out in two columns,
// each under the column's full caption. OK turns the inputs into row
// conditions; the read form applies them when it fetches the data again.
//
// The dialog works on its inputs only: the conditions in force change at
// OK and nowhere else, so clearing (F5) and leaving with Esc keeps the
// filter that was set, and a condition that does not read (a number
// column given "abc") is refused with a message while the dialog stays
// open and the conditions stay as they were.
#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>
#include <vector>

#include "platform/ui/MessageBox.h"

class QAction;
class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;
class TFieldProps;
class TLineConv;

// The date range of a period text for a date condition, "dd.mm.yyyy:
// dd.mm.yyyy": a month of Year (1@m), a range of months of Year (6@m1@m2),
// or two dates (5@yyyymmdd@yyyymmdd). Anything else (an empty or unknown
// period, a month outside 1..12, a date that does not read) gives "".
QString PeriodToDateRange(const QString &PeriodText, int Year);
// The year of the month periods: the year of the accounting period's end
// date when the accounting link gives one, else the current year.
int FilterPeriodYear();

class TfrmSimpleFilter : public QDialog
{
    Q_OBJECT
public:
    // The dialog for Owner, with an input for every leaf of Root; the first
    // input has the focus.
    static TfrmSimpleFilter *CreateFilter(QWidget *Owner, TFieldProps *Root);
    ~TfrmSimpleFilter() override;

    // The list OK fills: one item per leaf, in the leaves' order, whose
    // text is the leaf's grid column and whose object is its condition
    // (none for an empty input). Owned by the caller.
    void SetConditions(TLineConv *List) { FConditions = List; }
    TLineConv *Conditions() const { return FConditions; }

    // The inputs show the conditions last confirmed, then the modal loop:
    // mrOk or mrCancel.
    TModalResult ShowModal();

    // Builds the conditions and closes with OK; a condition that does not
    // read shows a message naming its field, and the dialog stays open.
    void actOkExecute();
    // Every input emptied; nothing else changes until OK.
    void actClearExecute();
    void actCancelExecute();

    int LeafCount() const { return static_cast<int>(FLeaves.size()); }
    TFieldProps *Leaf(int Index) const { return FLeaves[static_cast<std::size_t>(Index)].second; }
    QString LeafCaption(int Index) const { return FLeaves[static_cast<std::size_t>(Index)].first; }
    // The caption the dialog shows for the leaf (TFieldProps::DistinctCaptions).
    QString ShownCaption(int Index) const { return FShownCaptions[static_cast<std::size_t>(Index)]; }
    QWidget *Input(int Index) const { return FInputs[static_cast<std::size_t>(Index)]; }
    QLabel *Label(int Index) const { return FLabels[static_cast<std::size_t>(Index)]; }
    // The text a condition is made of: a plain input's text, or the date
    // range of a period input.
    QString InputConditionText(int Index) const;
    int RowHeight() const { return FRowHeight; }
    int Margin() const { return FMargin; }
    int ColumnWidth() const { return FColumnWidth; }

    QScrollArea *ScrollBox = nullptr;
    QWidget *pnlBottom = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnClear = nullptr;
    QAction *actOk = nullptr;
    QAction *actClear = nullptr;
    QAction *actCancel = nullptr;

protected:
    explicit TfrmSimpleFilter(QWidget *Owner);
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateControls();
    void LoadInputs();

    std::vector<QPair<QString, TFieldProps *>> FLeaves;
    std::vector<QWidget *> FInputs;
    std::vector<QLabel *> FLabels;
    std::vector<QString> FShownCaptions;
    // The periods of the date inputs as last confirmed.
    std::vector<QString> FPeriods;
    int FColumnWidth = 300;
    int FRowHeight = 0;
    int FMargin = 0;
    TLineConv *FConditions = nullptr;
};
