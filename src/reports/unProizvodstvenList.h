#pragma once
// "Производствен лист": the quantity of every product ordered for a day,
// regular and urgent receipts apart and together.
#include "reports/DayOrdersReport.h"

class TfrmProizvodstvenList : public TDayOrdersReport
{
    Q_OBJECT
public:
    TfrmProizvodstvenList(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;
};
