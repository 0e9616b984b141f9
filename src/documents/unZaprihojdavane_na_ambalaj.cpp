#include "documents/unZaprihojdavane_na_ambalaj.h"

#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmZaprihojdavane_na_ambalaj>(QStringLiteral("TfrmZaprihojdavane_na_ambalaj"));

TLineActKind PackagingKind()
{
    TLineActKind k;
    k.Table = QStringLiteral("Zaprihojdavane_na_ambalaj");
    k.CodeField = QStringLiteral("code_a");
    k.QuantityField = QStringLiteral("quantity_amb");
    k.Caption = QStringLiteral("Заприхождаване на амбалаж");
    k.NewActHint = QStringLiteral("НОВ акт за заприходен амбалаж.");
    k.MissingCode = QStringLiteral("Въвдетете амбалаж");
    k.DeleteNoun = QStringLiteral("ред от акт за заприходен амбалаж");
    k.DocumentNoun = {QStringLiteral("Акт за заприходен амбалаж"), ngMasculine};
    k.CodeTextValue = QStringLiteral("code_a_Text");
    k.ProductAct = false;
    return k;
}

} // namespace

TfrmZaprihojdavane_na_ambalaj::TfrmZaprihojdavane_na_ambalaj(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmLineAct(PackagingKind(), AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmZaprihojdavane_na_ambalaj"));
}
