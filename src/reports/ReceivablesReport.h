#pragma once
// The receivables of a period: opening balance, receivables, payments and
// closing balance per customer or per site of one customer.
#include "reports/WorkTableReport.h"

class TReceivablesReport : public TPeriodReportForm
{
    Q_OBJECT
public:
    TReceivablesReport(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool DoExecute() override;

protected:
    // The three selections into the work table T for the period F..L (day
    // numbers), and the grouping of T by code and name.
    virtual QString OpeningSql(const QString &T, int F, int L) = 0;
    virtual QString ReceivablesSql(const QString &T, int F, int L) = 0;
    virtual QString PaymentsSql(const QString &T, int F, int L) = 0;
    virtual QString GroupSql(const QString &T) = 0;
    // "Клиент" or "Обект" over the code and the name.
    virtual QString RowCaption() = 0;
};
