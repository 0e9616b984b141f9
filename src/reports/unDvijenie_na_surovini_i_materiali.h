#pragma once
// "Движение на суровини и материали": deliveries, issues and expeditions of
// each raw material, valued at its average delivery price up to the end of
// the period.
#include "reports/MovementReport.h"

class TfrmDvijenie_na_surovini_i_materiali : public TMovementReport
{
    Q_OBJECT
public:
    TfrmDvijenie_na_surovini_i_materiali(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool DoExecute() override;
    QString OpeningSql(const QString &Table) override;
    QString PeriodSql(const QString &Table) override;
    // The average prices of all deliveries up to To.
    QString AveragePriceSql();

protected:
    int FindItem(const QString &Code) override;
    QString MissingCodeMessage() const override;
    int QuantityDecimals() const override { return 3; }
};
