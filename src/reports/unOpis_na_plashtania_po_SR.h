#pragma once
// "Опис на плащания по стокови разписки": the goods receipts paid in a
// period (by their payment date), with the receipt's date and delivery
// date beside it.
#include "reports/PeriodPartyReport.h"

class TfrmOpis_na_plashtania_po_SR : public TPeriodPartyReport
{
    Q_OBJECT
public:
    TfrmOpis_na_plashtania_po_SR(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;
    QString GetSubTitle() override;
    QString ListSql();

    // The customer's code edit and the panel with its name.
    TListEdit *leCustomer = nullptr;
    QLabel *panelCustomer = nullptr;
};
