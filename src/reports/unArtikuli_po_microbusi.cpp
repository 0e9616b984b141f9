#include "reports/unArtikuli_po_microbusi.h"

#include <QLabel>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered =
    RegisterQuorendFormClass<TfrmArtikuli_po_microbusi>(QStringLiteral("TfrmArtikuli_po_microbusi"));

constexpr int kColumns = 4;
constexpr int kQuantityField = 3;
const char *const kMicrobusValue = "frmArtikuli_po_microbusi_leMicrobus_Text";
} // namespace

TfrmArtikuli_po_microbusi::TfrmArtikuli_po_microbusi(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodReportForm(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmArtikuli_po_microbusi"), QStringLiteral("Артикули по микробуси"),
              QStringLiteral("frmArtikuli_po_microbusi_dtp_From"), QStringLiteral("frmArtikuli_po_microbusi_dtp_To"));
    leMicrobus = AddListParam(QStringLiteral("leMicrobus"), QStringLiteral("Микробус:"),
                              QStringLiteral("panelMicrobus"), panelMicrobus);
}

bool TfrmArtikuli_po_microbusi::InitForm()
{
    SetHeader(kColumns,
              {{QStringLiteral("Артикул"), QString(), QString(), QStringLiteral("Количество")},
               {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"), QString()}},
              QStringLiteral("0,0,2,0|3,0,3,1|5,0,5,1|"));
    Grid->GetColAttributes(kQuantityField)->SetFormatter(AmountFormatter);
    QString text;
    GetRegistrySetting(QString::fromLatin1(kMicrobusValue), text);
    FillListParam(leMicrobus, QStringLiteral("SELECT c_bus, n_bus FROM Busses ORDER BY n_bus"), text);
    const bool ok = TPeriodReportForm::InitForm();
    SetHeaderSort(true);
    return ok;
}

bool TfrmArtikuli_po_microbusi::FormDone()
{
    SetRegistrySetting(QString::fromLatin1(kMicrobusValue), leMicrobus->text());
    return TPeriodReportForm::FormDone();
}

QString TfrmArtikuli_po_microbusi::GetSubTitle()
{
    QString s = TPeriodReportForm::GetSubTitle();
    if (!leMicrobus->text().isEmpty())
        s = Format(QStringLiteral("микробус: %s - %s, %s"), {leMicrobus->text(), panelMicrobus->text(), s});
    return s;
}

QString TfrmArtikuli_po_microbusi::BuildFilter()
{
    QString W = Format(QStringLiteral("Zaiavka_rows.Izdelie <> 0 AND Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d "),
                       {DateToDayNumber(From()), DateToDayNumber(To())});
    // The typed minibus enters the statement as a number only.
    if (!leMicrobus->text().isEmpty())
        W += Format(QStringLiteral("AND Busses.c_bus = %d "), {StrToIntOrZero(leMicrobus->text())});
    return W;
}

QString TfrmArtikuli_po_microbusi::RowsSql()
{
    // A receipt's minibus is the one of its site's customer; customers
    // without one stay in (the outer join from the customers' side). The
    // lines are summed per product code alone, led by the dates' index, and
    // only the sums meet the names and units: a product code stands for its
    // name and unit, so the groups are the same as by all three, without
    // comparing texts for every line.
    return Format(
        QStringLiteral(
            "SELECT r.izdelie,        Izdelia.name_izd,        Merki.v_Miarka,        r.SumOfquantity_izd FROM "
            "(SELECT Zaiavka_rows.izdelie,        Sum(Zaiavka_rows.quantity_izd) AS SumOfquantity_izd FROM "
            "(((CustGroups LEFT JOIN Busses ON Busses.c_bus=CustGroups.c_bus) INNER JOIN Obekti ON "
            "CustGroups.code_c=Obekti.code_of_CustGroup) INNER JOIN Zaiavki ON Obekti.code_of_object=Zaiavki.obekt) "
            "INNER JOIN Zaiavka_rows ON Zaiavki.Query_num=Zaiavka_rows.Query_num WHERE %sGROUP BY "
            "Zaiavka_rows.izdelie) AS r INNER JOIN (Merki INNER JOIN Izdelia ON Merki.n_Miarka=Izdelia.mjarka) ON "
            "Izdelia.code_izd=r.izdelie ORDER BY Izdelia.name_izd"),
        {BuildFilter()});
}

bool TfrmArtikuli_po_microbusi::DoExecute()
{
    if (!TPeriodReportForm::DoExecute())
        return false;
    TDelimitedStringList rows;
    if (!Select(RowsSql(), rows))
        return false;
    long double sum = 0;
    for (int i = 0; i < rows.Count(); ++i) {
        QString quantity;
        rows.GetField(i, kQuantityField, quantity);
        sum += DotStrToRoundedFloat(quantity, ::AmountPrecision);
    }
    rows.Add(TotalsRecord(kColumns, {kQuantityField}, {sum}, {::AmountPrecision}));
    ShowRows(rows);
    return true;
}
