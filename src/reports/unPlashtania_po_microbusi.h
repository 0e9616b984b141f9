#pragma once
// "Плащания по микробуси (дистрибутори)": the minibuses' sales reports of
// a period (one per date and minibus) set against their payments.
#include "reports/DocumentPaymentsReport.h"

class TfrmPlashtania_po_microbusi : public TDocumentPaymentsReport
{
    Q_OBJECT
public:
    TfrmPlashtania_po_microbusi(QWidget *AOwner, TFormStyle AFormStyle);

    // The minibus's code edit and the panel with its name.
    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;

protected:
    QString DocumentsSql() override;
    QString PaidSumsSql() override;
    QString PaymentsSql() override;

private:
    // The payments' condition: the reports of the period (and minibus).
    QString PaymentsWhere();
};
