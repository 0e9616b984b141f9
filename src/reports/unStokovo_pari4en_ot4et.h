#pragma once
// "Месечен стоково-паричен отчет": per product sold in the period its
// sales, the material cost from the consumption norms and the month's
// resource prices, its share of the month's indirect cost, the cost price
// and the difference.
#include "reports/WorkTableReport.h"

class TfrmStokovo_pari4en_ot4et : public TPeriodReportForm
{
    Q_OBJECT
public:
    TfrmStokovo_pari4en_ot4et(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool DoExecute() override;
};

// The indirect cost I spread over the sales values: each share is its
// value x I / (sum of the values), rounded to 2 decimals; what the rounded
// shares miss of I goes to the largest share (the first of equal ones).
// No sales or no indirect cost leaves every share empty.
QStringList SpreadIndirectCost(const QStringList &SalesValues, long double I);
