#pragma once
// "Аналитична справка по клиенти": the receivables of a period per customer.
#include "reports/ReceivablesReport.h"

class TfrmAnalit_po_klienti : public TReceivablesReport
{
    Q_OBJECT
public:
    TfrmAnalit_po_klienti(QWidget *AOwner, TFormStyle AFormStyle);

protected:
    QString OpeningSql(const QString &T, int F, int L) override;
    QString ReceivablesSql(const QString &T, int F, int L) override;
    QString PaymentsSql(const QString &T, int F, int L) override;
    QString GroupSql(const QString &T) override;
    QString RowCaption() override;
};
