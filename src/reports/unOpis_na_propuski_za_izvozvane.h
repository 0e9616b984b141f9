#pragma once
// "Опис на пропуски за извозване": the export passes of a period, one row per pass.
#include "reports/BusDocumentList.h"

class TfrmOpis_na_propuski_za_izvozvane : public TBusDocumentList
{
    Q_OBJECT
public:
    TfrmOpis_na_propuski_za_izvozvane(QWidget *AOwner, TFormStyle AFormStyle);

protected:
    QString TableName() const override { return QStringLiteral("Propusk_za_izvozvane"); }
};
