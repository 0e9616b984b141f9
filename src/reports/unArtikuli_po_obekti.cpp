#include "reports/unArtikuli_po_obekti.h"

#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmArtikuli_po_obekti>(QStringLiteral("TfrmArtikuli_po_obekti"));
}

TfrmArtikuli_po_obekti::TfrmArtikuli_po_obekti(QWidget *AOwner, TFormStyle AFormStyle)
    : TSiteCrosstabReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmArtikuli_po_obekti"), QStringLiteral("Артикули по обекти (на база стокови разписки)"),
              QStringLiteral("frmArtikuli_po_klienti_i_obekti_dtp_From"),
              QStringLiteral("frmArtikuli_po_klienti_i_obekti_dtp_To"));
}

QString TfrmArtikuli_po_obekti::CornerCaption() { return QStringLiteral("Обект/Артикул"); }

QString TfrmArtikuli_po_obekti::BuildDateFilter()
{
    return Format(QStringLiteral("Zaiavka_rows.Izdelie <> 0 AND Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d "),
                  {DateToDayNumber(From()), DateToDayNumber(To())});
}

bool TfrmArtikuli_po_obekti::DoExecute()
{
    if (!TSiteCrosstabReport::DoExecute())
        return false;
    ResetResultColumns();
    const QString T = WorkTableName(QStringLiteral("_apkio"));
    if (!DropWorkTable(T))
        return false;
    if (!Exec(Format(QStringLiteral("SELECT Zaiavki.obekt,        Zaiavka_rows.izdelie,        Zaiavka_rows.quantity_izd "
                                    "INTO %s FROM Zaiavki INNER JOIN Zaiavka_rows ON Zaiavki.Query_num = "
                                    "Zaiavka_rows.Query_num WHERE %s ORDER BY Zaiavka_rows.izdelie"),
                     {T, BuildDateFilter()})))
        return false;
    TDelimitedStringList P, S, X, M, C;
    if (!Select(QStringLiteral("SELECT code_izd, name_izd FROM Izdelia ORDER BY code_izd"), P) ||
        !Select(QStringLiteral("SELECT code_of_object, name_o FROM Obekti ORDER BY code_of_object"), S) ||
        !Select(Format(QStringLiteral("TRANSFORM Sum(quantity_izd) AS SumOfquantity_izd SELECT obekt, "
                                      "Sum(quantity_izd) AS [Total Of quantity_izd] FROM %s GROUP BY obekt PIVOT "
                                      "izdelie"),
                       {T}),
                X))
        return false;
    Reshape(X, S);

    // The last column is money: the site's whole receipts of the period.
    if (!Select(Format(QStringLiteral("SELECT obekt, Sum( Total_sum ) AS SumOfTotal_sum FROM Zaiavki WHERE for_date >= "
                                      "%d AND for_date <= %d GROUP BY obekt ORDER BY obekt"),
                       {DateToDayNumber(From()), DateToDayNumber(To())}),
                M))
        return false;
    for (int i = 0; i < X.Count(); ++i) {
        QString code, money;
        X.GetField(i, 0, code);
        LookupColumnByCode(StrToIntOrZero(code), &M, 0, money, 1);
        X.SetField(i, X.GetFieldCount(i) - 1, money);
    }
    if (X.Count() > 0)
        Grid->SetColCount(X.GetFieldCount(0));

    if (!Select(Format(QStringLiteral("SELECT izdelie FROM %s GROUP BY izdelie ORDER BY izdelie"), {T}), C))
        return false;
    const int fixed = Grid->FixedCols();
    if (Grid->ColCount() - fixed - 1 != C.Count()) {
        ShowError(QStringLiteral("Разминаване между броя на изделията в справката - %d \nи броя на изделията, за които "
                                 "има стокови разписки - %d."),
                  {Grid->ColCount() - fixed - 1, C.Count()});
        return false;
    }
    for (int i = 0; i < C.Count(); ++i) {
        QString name;
        LookupColumnByCode(StrToIntOrZero(C.Strings(i)), &P, 0, name, 1);
        Grid->SetCells(fixed + i, 0, C.Strings(i));
        Grid->SetCells(fixed + i, 1, name);
    }
    const int last = Grid->ColCount() - 1;
    AppendTotals(X, [last](int Col) { return Col == last ? ValuePrecision : 0; });
    FillResult(X);
    if (!DropWorkTable(T))
        return false;
    if (Grid->ColCount() != fixed + 1) {
        Grid->SetCells(last, 0, QStringLiteral("Общо (лв.)"));
        Grid->SetMergeCellsStr(Format(QStringLiteral("0,0,1,0|%d,0,%d,1|"), {last, last}));
    } else {
        Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0"));
    }
    for (int c = fixed; c < last; ++c)
        Grid->GetColAttributes(c)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(last)->SetFormatter(ValueFormatter);
    return true;
}
