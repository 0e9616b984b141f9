#pragma once
// "Артикули по микробуси": the ordered quantities of the goods receipts per
// product over a range of delivery dates, for the customers one minibus
// serves or for all of them (customers without a minibus included).
#include "reports/WorkTableReport.h"

class TfrmArtikuli_po_microbusi : public TPeriodReportForm
{
    Q_OBJECT
public:
    TfrmArtikuli_po_microbusi(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;
    bool DoExecute() override;

    // The WHERE text of the period's lines (and of the chosen minibus),
    // ending in a blank.
    QString BuildFilter();
    // The report's one grouped statement.
    QString RowsSql();

    TListEdit *leMicrobus = nullptr;
    QLabel *panelMicrobus = nullptr;
};
