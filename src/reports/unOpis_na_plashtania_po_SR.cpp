#include "reports/unOpis_na_plashtania_po_SR.h"

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmOpis_na_plashtania_po_SR>(QStringLiteral("TfrmOpis_na_plashtania_po_SR"));

constexpr int kFieldCount = 9;
constexpr int kSumField = 6;

} // namespace

TfrmOpis_na_plashtania_po_SR::TfrmOpis_na_plashtania_po_SR(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodPartyReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmOpis_na_plashtania_po_SR"), QStringLiteral("Опис на плащания по стокови разписки"));
    RememberDates(QStringLiteral("dtp_From"), QStringLiteral("dtp_To"));
    AddParty(pkCustomer, QStringLiteral("leCustomer"), QStringLiteral("Клиент:"), QStringLiteral("panelCustomer"));
    leCustomer = leParty;
    panelCustomer = panelParty;
    SetRunsAtOnce(true);

    SetHeader(kFieldCount,
              {{QStringLiteral("Плащане"), QStringLiteral("Стокова разписка"), QString(), QStringLiteral("Обект"),
                QString(), QStringLiteral("За"), QStringLiteral("Обща"), QStringLiteral("Клиент"), QString()},
               {QStringLiteral("на дата"), QStringLiteral("номер"), QStringLiteral("дата"), QStringLiteral("шифър"),
                QStringLiteral("наименование"), QStringLiteral("дата"), QStringLiteral("сума"),
                QStringLiteral("шифър"), QStringLiteral("наименование")}},
              QStringLiteral("1,0,2,0|3,0,4,0|7,0,8,0|"));
    Grid->SetFixedCols(2);
    SetMoneyColumns({kSumField});
}

QString TfrmOpis_na_plashtania_po_SR::ListSql()
{
    QString where = Format(QStringLiteral("Zaiavki.Is_paid = True AND Zaiavki.paid_on >= %d AND Zaiavki.paid_on <= %d "),
                           {DateToDayNumber(From()), DateToDayNumber(To())});
    if (!PartyText().isEmpty())
        where += Format(QStringLiteral("AND Obekti.code_of_CustGroup = %d "), {PartyCode()});
    return Format(QStringLiteral("SELECT Zaiavki.Paid_on,        Zaiavki.Query_num,        Zaiavki.datetime_z,        "
                                 "Zaiavki.obekt,        Obekti.name_o,        Zaiavki.for_date,        "
                                 "Zaiavki.Total_sum,        Obekti.code_of_CustGroup,        CustGroups.name_c FROM "
                                 "(CustGroups INNER JOIN Obekti ON CustGroups.code_c = Obekti.code_of_CustGroup) "
                                 "INNER JOIN Zaiavki ON Obekti.code_of_object = Zaiavki.obekt WHERE %s ORDER BY "
                                 "Zaiavki.Paid_on"),
                  {where});
}

bool TfrmOpis_na_plashtania_po_SR::DoExecute()
{
    TDelimitedStringList rows;
    Select(ListSql(), rows);
    ShowMoneyRows(rows, kFieldCount, {kSumField}, kSumField);
    return true;
}

QString TfrmOpis_na_plashtania_po_SR::GetSubTitle()
{
    const QString period =
        Format(QStringLiteral("от дата %s до дата %s"), {DateToDisplayText(From()), DateToDisplayText(To())});
    if (PartyText().isEmpty())
        return period;
    return Format(QStringLiteral("клиент: %s - %s, %s"), {PartyText(), PartyName(), period});
}
