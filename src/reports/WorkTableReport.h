#pragma once
// The period reports that copy their rows into a work table of this
// workstation, group it and finish the arithmetic on the grouped records.
//
// A work table is named "table_" + the volume serial + the report's suffix,
// and is a temporary table of this program's connection: it takes no write
// lock on the shared file and no other workstation sees it. Every report
// drops it before it fills it and again when it is done.
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class TListEdit;
class TDelimitedStringList;
class TDelimitedStrings;

// "table_" + GetWindowsVolumeSerial + Suffix ("_apk", "_apkio", "_spo",
// "_redovni", "_urgent"); the shared connection makes it a temporary table.
QString WorkTableName(const QString &Suffix);

// The day number of a date as the registry keeps it ("39448"), and back
// (an empty or unreadable text gives a null date).
QString DateToRegistryText(const QDate &D);
QDate RegistryTextToDate(const QString &S);

// The totals record "¤Общо:" of a report: the given fields hold their
// sums as Format("%.*f", Decimals, sum); the record has FieldCount fields.
QString TotalsRecord(int FieldCount, const std::vector<int> &Fields, const std::vector<long double> &Sums,
                     const std::vector<int> &Decimals);

// A report over a period: the two dates "От дата:" and "До дата:" on the
// parameter panel, remembered under two registry values, the subtitle "от
// дата ... до дата ...", and a grid cleared by every change of a parameter.
class TPeriodReportForm : public TQuorendReadForm
{
    Q_OBJECT
public:
    TPeriodReportForm(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;

    QDate From() const;
    QDate To() const;
    void SetPeriod(const QDate &AFrom, const QDate &ATo);

    QLabel *lblFrom = nullptr;
    QDateEdit *dtp_From = nullptr;
    QLabel *lblTo = nullptr;
    QDateEdit *dtp_To = nullptr;

protected:
    // The form's name, caption and the registry values of its dates; the
    // caption shows upper-cased in the caption panel.
    void SetReport(const QString &FormName, const QString &ACaption, const QString &FromValue,
                   const QString &ToValue);
    // Every parameter change clears the result until the report runs again.
    virtual void ParamsChanged();
    // Connects a parameter control's change to ParamsChanged.
    void WatchParam(QDateEdit *Edit);
    // A list edit or radio group on the parameter panel, after the dates.
    void AddParam(QWidget *Control);

    // A code edit with its caption and the panel that shows the picked
    // code's name; a change of its text runs ParamsChanged.
    TListEdit *AddListParam(const QString &Name, const QString &Label, const QString &PanelName, QLabel *&Panel);
    // Fills the edit's list from Sql (columns "Шифър@Наименование") and
    // gives it Text.
    void FillListParam(TListEdit *Edit, const QString &Sql, const QString &Text);

    // The run's statements on the shared connection. A failing statement is
    // reported (ExecSQL) and gives false; a failing query raises.
    bool Exec(const QString &Sql);
    bool Select(const QString &Sql, TDelimitedStringList &List);
    bool DropWorkTable(const QString &Name);
    // Filter, fill, sort marks: the end of every run.
    void ShowRows(TDelimitedStrings &Rows);
    // The header rows of the grid: Texts[r] for row r, from column 0.
    void SetHeader(int ColCount, const std::vector<QStringList> &Texts, const QString &Merge);

    QString Caption;

private:
    QString FFromValue;
    QString FToValue;
};
