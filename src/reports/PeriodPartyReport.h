#pragma once
// The base of the payment reports and the document and payment lists: two
// dates "От дата:" and "До дата:", a code edit of the party (supplier,
// customer or minibus) with the panel that names the picked code, and a
// grid under two header rows.
//
// Every change of a parameter clears the grid until the report runs again.
// The party's text is remembered under its registry value when the form
// closes; the dates are remembered only where a form names their values
// (as day numbers).
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "reports/ReportForm.h"

class QDateEdit;
class QLabel;
class TListEdit;
class TDelimitedStrings;
class TDelimitedStringList;

class TPeriodPartyReport : public TPeriodForm
{
    Q_OBJECT
public:
    TPeriodPartyReport(QWidget *AOwner, TFormStyle AFormStyle);

    // Fills the party's list (its remembered text comes back with it) and
    // restores the remembered dates.
    bool InitForm() override;
    // Remembers the party's text and the dates.
    bool FormDone() override;
    // Sets the caption; the reports that run at once run.
    bool BeforeShow() override;

    // The typed party code (0 when none or not a number) and the name its
    // panel shows.
    int PartyCode() const;
    QString PartyText() const;
    QString PartyName() const;

    QLabel *lblParty = nullptr;
    TListEdit *leParty = nullptr;
    QLabel *panelParty = nullptr;

    // The kinds of party and the filler of their list.
    enum TPartyKind { pkSupplier, pkCustomer, pkBus };

protected:
    // The form's name and caption (the caption panel shows it upper-cased).
    void SetReport(const QString &FormName, const QString &ACaption);
    // The party edit after the dates: its control names, label, the note
    // that follows its name panel (none when empty) and its list; with
    // First it stands before the dates.
    void AddParty(TPartyKind Kind, const QString &EditName, const QString &Label, const QString &PanelName,
                  const QString &Note = QString(), bool First = false);
    // Whether BeforeShow runs the report.
    void SetRunsAtOnce(bool Value) { FRunsAtOnce = Value; }
    // Money columns (2 decimals) and centred columns.
    void SetMoneyColumns(const std::vector<int> &Cols);
    void SetCentredColumns(const std::vector<int> &Cols);
    // A list's rows shown: each padded to FieldCount fields, the money
    // fields at two decimals, a totals record with the sum of SumField,
    // then ShowRows.
    void ShowMoneyRows(TDelimitedStringList &Rows, int FieldCount, const std::vector<int> &MoneyFields, int SumField);

    QString FCaption;

private:
    TPartyKind FPartyKind = pkBus;
    bool FRunsAtOnce = false;
};

// The totals record of a report: "¤Общо:" in field 0, the sums in the
// given fields as "%.2f", FieldCount fields.
QString ReportTotalsRecord(int FieldCount, const std::vector<std::pair<int, long double>> &Sums);
