#pragma once
// "Плащания по доставки": the deliveries of the suppliers in a period set
// against their payments.
#include <QHash>

#include "reports/DocumentPaymentsReport.h"

class TfrmPlashtania_po_dostavki : public TDocumentPaymentsReport
{
    Q_OBJECT
public:
    TfrmPlashtania_po_dostavki(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;

    // The supplier's code edit and the panel with its name.
    TListEdit *code_supplier = nullptr;
    QLabel *panelSupplier = nullptr;

protected:
    QString DocumentsSql() override;
    QString PaidSumsSql() override;
    QString PaymentsSql() override;
    QString PaymentKindName(const QString &Code) override;

private:
    // The payment kinds by code, read at each run.
    QHash<QString, QString> FPaymentTypes;
};
