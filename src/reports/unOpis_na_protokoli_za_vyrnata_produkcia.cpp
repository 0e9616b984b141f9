#include "reports/unOpis_na_protokoli_za_vyrnata_produkcia.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmOpis_na_protokoli_za_vyrnata_produkcia>(QStringLiteral("TfrmOpis_na_protokoli_za_vyrnata_produkcia"));

} // namespace

TfrmOpis_na_protokoli_za_vyrnata_produkcia::TfrmOpis_na_protokoli_za_vyrnata_produkcia(QWidget *AOwner, TFormStyle AFormStyle)
    : TBusDocumentList(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmOpis_na_protokoli_za_vyrnata_produkcia"), QStringLiteral("Опис на протоколи за върната продукция"));
}
