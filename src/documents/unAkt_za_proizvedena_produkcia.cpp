#include "documents/unAkt_za_proizvedena_produkcia.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmAkt_za_proizvedena_produkcia>(QStringLiteral("TfrmAkt_za_proizvedena_produkcia"));

TLineActKind ActKind()
{
    TLineActKind k;
    k.Table = QStringLiteral("Akt_za_proizvedena_produkcia");
    k.CodeField = QStringLiteral("code_izd");
    k.QuantityField = QStringLiteral("quantity_izd");
    k.Caption = QStringLiteral("Акт за произведена продукция");
    k.NewActHint = QStringLiteral("НОВ акт за произведена продукця.");
    k.DeleteNoun = QStringLiteral("ред от акт за произведена продукция");
    k.DocumentNoun = {QStringLiteral("Акт за произведена продукция"), ngMasculine};
    k.CodeTextValue = QStringLiteral("code_izd_Text");
    k.ProductAct = true;
    return k;
}

} // namespace

TfrmAkt_za_proizvedena_produkcia::TfrmAkt_za_proizvedena_produkcia(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmLineAct(ActKind(), AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmAkt_za_proizvedena_produkcia"));
}
