#pragma once
// The stock-movement reports: an item list, the quantities the documents
// booked before the period (opening balance) and within it (one column per
// movement), the items that did not move dropped, the closing balance.
#include <QString>

#include "core/uDelimitedStrings.h"
#include "reports/WorkTableReport.h"

class TMovementReport : public TPeriodReportForm
{
    Q_OBJECT
public:
    TMovementReport(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;

    // The grouped quantities of Table (code, sum) before the period and
    // within it.
    virtual QString OpeningSql(const QString &Table) = 0;
    virtual QString PeriodSql(const QString &Table) = 0;

protected:
    // Q := the grouped quantities of Table before From / within From..To;
    // a failing query is reported and gives false.
    bool SelectOpening(const QString &Table);
    bool SelectPeriod(const QString &Table);
    // Adds (subtracts) every Q row's quantity to field Col of the R record
    // of its code; a code missing from R is reported and skipped.
    void AddToColumn(int Col);
    void SubtractFromColumn(int Col);
    // Keeps the records of R with a non-zero value in one of Fields.
    void KeepMoved(std::initializer_list<int> Fields);

    // The record of R for a code of Q, -1 when none.
    virtual int FindItem(const QString &Code) = 0;
    // "Шифър %s липсва в номенклатурата на ...".
    virtual QString MissingCodeMessage() const = 0;
    // The decimals each quantity is rounded to before it is added.
    virtual int QuantityDecimals() const = 0;

    TDelimitedStringList Q;
    TDelimitedStringList R;

private:
    void Book(int Col, int Sign);
};
