#include "reports/unOpis_na_propuski_za_izvozvane.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmOpis_na_propuski_za_izvozvane>(QStringLiteral("TfrmOpis_na_propuski_za_izvozvane"));

} // namespace

TfrmOpis_na_propuski_za_izvozvane::TfrmOpis_na_propuski_za_izvozvane(QWidget *AOwner, TFormStyle AFormStyle)
    : TBusDocumentList(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmOpis_na_propuski_za_izvozvane"), QStringLiteral("Опис на пропуски за извозване"));
}
