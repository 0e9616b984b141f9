#pragma once
// "Необходими суровини и материали": the raw materials the day's ordered
// products need by their consumption norms, regular and urgent receipts
// apart and together; narrowed to a group, subgroup or one product.
#include "reports/DayOrdersReport.h"

class TfrmNeobhodimi_Surovini : public TDayOrdersReport
{
    Q_OBJECT
public:
    TfrmNeobhodimi_Surovini(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;
    bool DoExecute() override;
    QString BuildGroupFilter() override;
    // The raw materials per unit of the products ordered into Table.
    static QString NormsSql(const QString &Table);

    TListEdit *leIzdelie = nullptr;
    QLabel *panel_Izdelie = nullptr;

protected:
    void GroupChanged() override;

private:
    bool LoadIzdelieList();
};
