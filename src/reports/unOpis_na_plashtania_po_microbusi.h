#pragma once
// "Опис на плащания по дистрибутори": the payments on minibus reports made
// in a period, each with the value of the report it pays; "Печат на ПКО"
// prints the cash receipt order of the chosen payment.
#include "reports/PeriodPartyReport.h"

class QPushButton;

class TfrmOpis_na_plashtania_po_microbusi : public TPeriodPartyReport
{
    Q_OBJECT
public:
    TfrmOpis_na_plashtania_po_microbusi(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;
    QString GetSubTitle() override;
    QString ListSql();
    // The cash receipt order of the current row; a row that is no payment
    // (the totals row, an empty row) is refused with a message.
    void btnPrint_PKOClick();

    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QPushButton *btnPrint_PKO = nullptr;
};
