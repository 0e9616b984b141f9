#pragma once
// "Движение на амбалаж": packaging received, taken out and returned, for
// all minibuses or one.
#include "reports/MovementReport.h"

class QLabel;
class TListEdit;

class TfrmDvijenie_na_Ambalaj : public TMovementReport
{
    Q_OBJECT
public:
    TfrmDvijenie_na_Ambalaj(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;
    bool DoExecute() override;
    QString OpeningSql(const QString &Table) override;
    QString PeriodSql(const QString &Table) override;

    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;

protected:
    int FindItem(const QString &Code) override;
    QString MissingCodeMessage() const override;
    int QuantityDecimals() const override { return 2; }

private:
    void code_busChange();
    // "AND ( code_bus = n ) " for a chosen bus, else empty.
    QString BusFilter() const;
};
