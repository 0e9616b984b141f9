#pragma once
// The period reports that copy their rows into a work table of this
// workstation, group it and finish the arithmetic on the grouped records.
//
// A work table is named "table_" + the volume serial + the report's suffix,
// and is a temporary table of this program's connection: it takes no write
// lock on the shared file and no other workstation sees it. Every report
// drops it before it fills it and again when it is done.
#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "reports/ReportForm.h"

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
class TPeriodReportForm : public TPeriodForm
{
    Q_OBJECT
public:
    TPeriodReportForm(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;

protected:
    // The form's name, caption and the registry values of its dates; the
    // caption shows upper-cased in the caption panel.
    void SetReport(const QString &FormName, const QString &ACaption, const QString &FromValue,
                   const QString &ToValue);
    // Connects a parameter control's change to ParamsChanged.
    void WatchParam(QDateEdit *Edit);
    // Fills the edit's list from Sql (columns "Шифър@Наименование") and
    // gives it Text.
    void FillListParam(TListEdit *Edit, const QString &Sql, const QString &Text);

    // The run's statements on the shared connection. A failing statement is
    // reported (ExecSQL) and gives false; a failing query raises.
    bool Exec(const QString &Sql);
    bool DropWorkTable(const QString &Name);

    QString Caption;
};
