#include "documents/un_Expedicia_na_surovini_i_materiali.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterQuorendFormClass<TfrmExpedicia_na_surovini_i_materiali>(
    QStringLiteral("TfrmExpedicia_na_surovini_i_materiali"));

TResourceDocumentKind IssueKind()
{
    TResourceDocumentKind k;
    k.Table = QStringLiteral("Expedicia_na_surovini_i_materiali");
    k.CounterpartyField = QStringLiteral("code_customer");
    k.CounterpartyCaption = QStringLiteral("Клиент:");
    k.MissingCounterparty = QStringLiteral("Въведете клиент!");
    k.Caption = QStringLiteral("Протокол за експедиция на суровини и материали");
    k.Hint = QStringLiteral("не е попълнено се създава\nНОВ протокол за експедиция на\nсуровини и материали. "
                            "При F2 (запис)\nсистемата ще му зададе номер.");
    k.DeleteNoun = QStringLiteral("ред от протокол за експедиция на суровини и материали");
    k.SubTitle = QStringLiteral(" номер %d, клиент: %s - %s, за дата %s");
    k.PricePrecision = 4;
    k.Delivery = false;
    return k;
}

} // namespace

TfrmExpedicia_na_surovini_i_materiali::TfrmExpedicia_na_surovini_i_materiali(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmResourceDocument(IssueKind(), AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmExpedicia_na_surovini_i_materiali"));
}
