#pragma once
// "Артикули по обекти (на база стокови разписки)": ordered quantities per
// site and product, with each site's money total for the period.
#include "reports/SiteCrosstabReport.h"

class TfrmArtikuli_po_obekti : public TSiteCrosstabReport
{
    Q_OBJECT
public:
    TfrmArtikuli_po_obekti(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;
    // The WHERE text of the period's product lines, ending in a blank.
    QString BuildDateFilter();

protected:
    QString CornerCaption() override;
};
