#include "reports/unProizvodstvenList.h"

#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmProizvodstvenList>(QStringLiteral("TfrmProizvodstvenList"));
}

TfrmProizvodstvenList::TfrmProizvodstvenList(QWidget *AOwner, TFormStyle AFormStyle)
    : TDayOrdersReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmProizvodstvenList"), QStringLiteral("Производствен лист"), QStringLiteral("Артикул"));
}

bool TfrmProizvodstvenList::DoExecute()
{
    if (!TDayOrdersReport::DoExecute())
        return false;
    TDelimitedStringList MU, RR, UR;
    if (!Select(QStringLiteral("SELECT Izdelia.code_izd, Merki.v_Miarka FROM Merki LEFT JOIN Izdelia ON "
                               "Merki.n_Miarka = Izdelia.mjarka"),
                MU) ||
        !Select(OrdersSql(QString(), false), RR) || !Select(OrdersSql(QString(), true), UR))
        return false;
    MergeAndShow(RR, UR, MU);
    return true;
}
