#pragma once
// "Аналитична справка по обекти": the receivables of a period per site of
// one customer.
#include "reports/ReceivablesReport.h"

class TfrmAnalit_po_obekti : public TReceivablesReport
{
    Q_OBJECT
public:
    TfrmAnalit_po_obekti(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;

    QLabel *panelCustomer = nullptr;
    TListEdit *leCustomer = nullptr;

protected:
    QString OpeningSql(const QString &T, int F, int L) override;
    QString ReceivablesSql(const QString &T, int F, int L) override;
    QString PaymentsSql(const QString &T, int F, int L) override;
    QString GroupSql(const QString &T) override;
    QString RowCaption() override;

private:
    int Customer() const;
};
