#pragma once
// The bases of the reports whose parameters stand on the parameter panel.
//
// TReportForm: date and code edits added to the panel (each change clears
// the result until the report runs again), the run's queries, the grid's
// header rows and the end of every run (filter, fill, sort marks).
// TPeriodForm adds the two dates "От дата:" and "До дата:", remembered
// under registry values where a report names them.
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class TListEdit;
class TDelimitedStringList;
class TDelimitedStrings;

class TReportForm : public TQuorendReadForm
{
    Q_OBJECT
public:
    TReportForm(QWidget *AOwner, TFormStyle AFormStyle);

protected:
    // A date edit showing today, with its caption, on the parameter panel;
    // a change of its date runs ParamsChanged.
    QDateEdit *AddDateParam(const QString &Name, const QString &Label, QLabel *&Caption);
    // A list edit or radio group on the parameter panel, after the dates.
    void AddParam(QWidget *Control);
    // A code edit with its caption and the panel that shows the picked
    // code's name; a change of its text runs ParamsChanged.
    TListEdit *AddListParam(const QString &Name, const QString &Label, const QString &PanelName, QLabel *&Panel);
    // Every parameter change clears the result until the report runs again.
    virtual void ParamsChanged();

    // The query's rows; a failing query raises.
    bool Select(const QString &Sql, TDelimitedStringList &List);
    // The header rows of the grid: Texts[r] for row r, from column 0, and the
    // merged header blocks.
    void SetHeader(int ColCount, const std::vector<QStringList> &Texts, const QString &Merge);

    // A date remembered under a registry value as its day number; none, or
    // a text that is no day number, leaves the edit's date.
    static void RestoreDate(const QString &Value, QDateEdit *Edit);
    static void StoreDate(const QString &Value, const QDate &Date);
};

class TPeriodForm : public TReportForm
{
    Q_OBJECT
public:
    TPeriodForm(QWidget *AOwner, TFormStyle AFormStyle);

    QDate From() const;
    QDate To() const;
    void SetPeriod(const QDate &AFrom, const QDate &ATo);

    QLabel *lblFrom = nullptr;
    QDateEdit *dtp_From = nullptr;
    QLabel *lblTo = nullptr;
    QDateEdit *dtp_To = nullptr;

protected:
    // The registry values of the dates (an empty one: not remembered).
    void RememberDates(const QString &FromValue, const QString &ToValue);
    void RestoreDates();
    void StoreDates();

private:
    QString FFromValue;
    QString FToValue;
};
