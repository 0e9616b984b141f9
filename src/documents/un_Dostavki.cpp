#include "documents/un_Dostavki.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterQuorendFormClass<TfrmDostavki>(QStringLiteral("TfrmDostavki"));

TResourceDocumentKind DeliveryKind()
{
    TResourceDocumentKind k;
    k.Table = QStringLiteral("Dostavki");
    k.CounterpartyField = QStringLiteral("code_supplier");
    k.CounterpartyCaption = QStringLiteral("Доставчик:");
    k.MissingCounterparty = QStringLiteral("Въведете доставчик");
    k.Caption = QStringLiteral("Складова разписка за доставка на суровини и материали");
    k.Hint = QStringLiteral("не е попълнено, се създава\nНОВА стокова разписка за доставка на\nсуровини и материали. "
                            "При F2 (запис)\nсистемата ще й зададе номер.");
    k.DeleteNoun = QStringLiteral("ред от складова разписка за доставка на суровини и материали");
    k.SubTitle = QStringLiteral(" номер %d, доставчик: %s - %s, за дата %s");
    k.PricePrecision = 6;
    k.Delivery = true;
    return k;
}

} // namespace

TfrmDostavki::TfrmDostavki(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmResourceDocument(DeliveryKind(), AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmDostavki"));
}
