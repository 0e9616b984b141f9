#pragma once
// "Опис на протоколи за върната продукция": the returned-production protocols of a period, one row per protocol.
#include "reports/BusDocumentList.h"

class TfrmOpis_na_protokoli_za_vyrnata_produkcia : public TBusDocumentList
{
    Q_OBJECT
public:
    TfrmOpis_na_protokoli_za_vyrnata_produkcia(QWidget *AOwner, TFormStyle AFormStyle);

protected:
    QString TableName() const override { return QStringLiteral("Vyrnata_produkcia"); }
};
