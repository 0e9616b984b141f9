#include "reports/unPlashtania_po_microbusi.h"

#include "components/ListEdit.h"
#include "core/uHelpers.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmPlashtania_po_microbusi>(QStringLiteral("TfrmPlashtania_po_microbusi"));

const QString kDocumentsAll = QStringLiteral(
    "SELECT Otchet_plasiori.date_doc,        Sum(Otchet_plasiori.value_izd) AS SumOfvalue_izd,        "
    "Otchet_plasiori.code_bus,        Busses.n_bus FROM Busses INNER JOIN Otchet_plasiori ON Busses.c_bus = "
    "Otchet_plasiori.code_bus GROUP BY Otchet_plasiori.date_doc, Otchet_plasiori.code_bus, Busses.n_bus HAVING ( "
    "((Otchet_plasiori.date_doc) >= %d ) AND          ((Otchet_plasiori.date_doc) <= %d ) ) ORDER BY "
    "Otchet_plasiori.date_doc, Otchet_plasiori.code_bus");
const QString kDocumentsOfBus = QStringLiteral(
    "SELECT Otchet_plasiori.date_doc,        Sum(Otchet_plasiori.value_izd) AS SumOfvalue_izd,        "
    "Otchet_plasiori.code_bus,        Busses.n_bus FROM Busses INNER JOIN Otchet_plasiori ON Busses.c_bus = "
    "Otchet_plasiori.code_bus GROUP BY Otchet_plasiori.date_doc, Otchet_plasiori.code_bus, Busses.n_bus HAVING ( "
    "((Otchet_plasiori.date_doc) >= %d ) AND          ((Otchet_plasiori.date_doc) <= %d ) AND          "
    "((Otchet_plasiori.code_bus) = %d )) ORDER BY Otchet_plasiori.date_doc");

constexpr int kFieldCount = 9;

} // namespace

TfrmPlashtania_po_microbusi::TfrmPlashtania_po_microbusi(QWidget *AOwner, TFormStyle AFormStyle)
    : TDocumentPaymentsReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmPlashtania_po_microbusi"), QStringLiteral("Плащания по микробуси (дистрибутори)"));
    AddTypeGroup(QStringLiteral(" Вид на отчетите: "));
    AddParty(pkBus, QStringLiteral("code_bus"), QStringLiteral("Микробус:"), QStringLiteral("panelMicrobus"),
             QStringLiteral("(на отчета по микробус)"));
    code_bus = leParty;
    panelMicrobus = panelParty;

    SetHeader(kFieldCount,
              {{QStringLiteral("Дата"), QStringLiteral("Суми"), QString(), QString(), QStringLiteral("Плащания"),
                QString(), QString(), QStringLiteral("Микробус"), QString()},
               {QStringLiteral("на отчета"), QStringLiteral("дължими"), QStringLiteral("платени"),
                QStringLiteral("разлика"), QStringLiteral("номер"), QStringLiteral("дата"), QStringLiteral("сума"),
                QStringLiteral("номер"), QStringLiteral("наименование")}},
              QStringLiteral("1,0,3,0|4,0,6,0|7,0,8,0|"));
    SetMoneyColumns({1, 2, 3, 6});
    SetCentredColumns({4, 7});
    // A report is its date and minibus.
    TLayout layout;
    layout.FieldCount = kFieldCount;
    layout.Due = 1;
    layout.PayNo = 4;
    layout.RowFields = {0, 1, 7, 8};
    layout.KeyFields = {0, 7};
    layout.PartyNoun = QStringLiteral("микробус");
    SetLayout(layout);
}

QString TfrmPlashtania_po_microbusi::DocumentsSql()
{
    const int from = DateToDayNumber(From());
    const int to = DateToDayNumber(To());
    if (PartyCode() < 1)
        return Format(kDocumentsAll, {from, to});
    return Format(kDocumentsOfBus, {from, to, PartyCode()});
}

QString TfrmPlashtania_po_microbusi::PaymentsWhere()
{
    QString where = Format(QStringLiteral("( date_otchet >= %d ) AND ( date_otchet <= %d )"),
                           {DateToDayNumber(From()), DateToDayNumber(To())});
    if (PartyCode() >= 1)
        where += Format(QStringLiteral(" AND ( c_bus = %d )"), {PartyCode()});
    return where;
}

QString TfrmPlashtania_po_microbusi::PaidSumsSql()
{
    return Format(QStringLiteral("SELECT date_otchet, c_bus, Sum( suma ) AS SumOfsuma FROM "
                                 "Plashtane_po_otchet_na_plasior WHERE %s GROUP BY date_otchet, c_bus"),
                  {PaymentsWhere()});
}

QString TfrmPlashtania_po_microbusi::PaymentsSql()
{
    return Format(QStringLiteral("SELECT date_otchet, c_bus, docno,        date_d,        suma FROM "
                                 "Plashtane_po_otchet_na_plasior WHERE %s ORDER BY docno"),
                  {PaymentsWhere()});
}
