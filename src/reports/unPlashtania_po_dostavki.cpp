#include "reports/unPlashtania_po_dostavki.h"

#include "components/ListEdit.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmPlashtania_po_dostavki>(QStringLiteral("TfrmPlashtania_po_dostavki"));

// The documents of the period: the rows of a delivery summed, deliveries
// of no value left out.
const QString kDocumentsAll = QStringLiteral(
    "SELECT Dostavki.docno,        Dostavki.date_doc,        Sum(Dostavki.value_r) AS SumOfvalue_r,        "
    "Dostavki.code_supplier,        CustGroups.name_c FROM CustGroups INNER JOIN Dostavki ON CustGroups.code_c = "
    "Dostavki.code_supplier GROUP BY Dostavki.docno,          Dostavki.date_doc,          Dostavki.code_supplier,  "
    "        CustGroups.name_c HAVING ( ((Sum(Dostavki.value_r))>0) AND          (( Dostavki.date_doc ) >= %d ) AND "
    "         (( Dostavki.date_doc ) <= %d ) ) ORDER BY Dostavki.docno");
const QString kDocumentsOfSupplier = QStringLiteral(
    "SELECT Dostavki.docno,        Dostavki.date_doc,        Sum(Dostavki.value_r) AS SumOfvalue_r,        "
    "Dostavki.code_supplier,        CustGroups.name_c FROM CustGroups INNER JOIN Dostavki ON CustGroups.code_c = "
    "Dostavki.code_supplier GROUP BY Dostavki.docno,          Dostavki.date_doc,          Dostavki.code_supplier,  "
    "        CustGroups.name_c HAVING ( ((Dostavki.code_supplier) = %d )  AND          ((Sum(Dostavki.value_r))>0) "
    "AND          (( Dostavki.date_doc ) >= %d ) AND          (( Dostavki.date_doc ) <= %d ) ) ORDER BY "
    "Dostavki.docno");

// The deliveries of the period whose payments are wanted.
const QString kDeliveriesOfPeriod =
    QStringLiteral("SELECT docno FROM Dostavki WHERE ( date_doc >= %d ) AND ( date_doc <= %d )");

constexpr int kFieldCount = 11;

} // namespace

TfrmPlashtania_po_dostavki::TfrmPlashtania_po_dostavki(QWidget *AOwner, TFormStyle AFormStyle)
    : TDocumentPaymentsReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmPlashtania_po_dostavki"), QStringLiteral("Плащания по доставки"));
    AddTypeGroup(QStringLiteral(" Вид на доставките: "));
    AddParty(pkSupplier, QStringLiteral("code_supplier"), QStringLiteral("Доставчик:"), QStringLiteral("panelSupplier"),
             QStringLiteral("(на документа за доставка)"));
    code_supplier = leParty;
    panelSupplier = panelParty;

    SetHeader(kFieldCount,
              {{QStringLiteral("Документ"), QString(), QStringLiteral("Суми"), QString(), QString(),
                QStringLiteral("Плащания"), QString(), QString(), QStringLiteral("Доставчик"), QString(),
                QStringLiteral("Вид плащане")},
               {QStringLiteral("номер"), QStringLiteral("дата"), QStringLiteral("дължими"), QStringLiteral("платени"),
                QStringLiteral("разлика"), QStringLiteral("номер"), QStringLiteral("дата"), QStringLiteral("сума"),
                QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("Вид плащане")}},
              QStringLiteral("0,0,1,0|2,0,4,0|5,0,7,0|8,0,9,0|10,0,10,1|"));
    SetMoneyColumns({2, 3, 4, 7});
    SetCentredColumns({5, 8});
    TLayout layout;
    layout.FieldCount = kFieldCount;
    layout.Due = 2;
    layout.PayNo = 5;
    layout.Kind = 10;
    layout.RowFields = {0, 1, 2, 8, 9};
    layout.KeyFields = {0};
    layout.PartyNoun = QStringLiteral("доставчик");
    SetLayout(layout);
}

bool TfrmPlashtania_po_dostavki::DoExecute()
{
    FPaymentTypes.clear();
    TDelimitedStringList types;
    Select(QStringLiteral("Select code_payment, name_payment From Payment_types"), types);
    for (int i = 0; i < types.Count(); ++i) {
        const QStringList fields = types.Strings(i).split(QChar('@'));
        if (!FPaymentTypes.contains(fields.value(0)))
            FPaymentTypes.insert(fields.value(0), fields.value(1));
    }
    return TDocumentPaymentsReport::DoExecute();
}

QString TfrmPlashtania_po_dostavki::DocumentsSql()
{
    const int from = DateToDayNumber(From());
    const int to = DateToDayNumber(To());
    if (PartyCode() < 1)
        return Format(kDocumentsAll, {from, to});
    return Format(kDocumentsOfSupplier, {PartyCode(), from, to});
}

QString TfrmPlashtania_po_dostavki::PaidSumsSql()
{
    // Every payment counts in the paid sum, whatever its amount.
    return Format(QStringLiteral("SELECT docno_supplier, Sum(suma) AS SumOfsuma FROM Plashtane_na_dostavki WHERE "
                                 "docno_supplier IN ( %s ) GROUP BY docno_supplier"),
                  {Format(kDeliveriesOfPeriod, {DateToDayNumber(From()), DateToDayNumber(To())})});
}

QString TfrmPlashtania_po_dostavki::PaymentsSql()
{
    // Payments of no amount count in the paid sum but are not listed.
    return Format(QStringLiteral("SELECT docno_supplier, docno,        date_d,        suma,        code_payment FROM "
                                 "Plashtane_na_dostavki WHERE ( (docno_supplier IN ( %s )) AND ((suma) > 0 )) ORDER "
                                 "BY docno"),
                  {Format(kDeliveriesOfPeriod, {DateToDayNumber(From()), DateToDayNumber(To())})});
}

QString TfrmPlashtania_po_dostavki::PaymentKindName(const QString &Code) { return FPaymentTypes.value(Code); }
