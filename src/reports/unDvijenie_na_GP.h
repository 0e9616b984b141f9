#pragma once
// "Движение на готова продукция": products produced, returned, expedited
// and scrapped.
#include "reports/MovementReport.h"

class TfrmDvijenie_na_GP : public TMovementReport
{
    Q_OBJECT
public:
    TfrmDvijenie_na_GP(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool DoExecute() override;
    QString OpeningSql(const QString &Table) override;
    QString PeriodSql(const QString &Table) override;

protected:
    int FindItem(const QString &Code) override;
    QString MissingCodeMessage() const override;
    int QuantityDecimals() const override { return 2; }
};
