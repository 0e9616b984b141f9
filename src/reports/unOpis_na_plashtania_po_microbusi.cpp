#include "reports/unOpis_na_plashtania_po_microbusi.h"

#include <QPushButton>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterQuorendFormClass<TfrmOpis_na_plashtania_po_microbusi>(
    QStringLiteral("TfrmOpis_na_plashtania_po_microbusi"));

constexpr int kFieldCount = 7;

// The payments of the period with the value of the report each pays. The
// report's value is summed inside the one statement, along the reports'
// date-and-minibus index, instead of one query per payment.
const QString kPayments = QStringLiteral(
    "SELECT Plashtane_po_otchet_na_plasior.docno,        Plashtane_po_otchet_na_plasior.date_d,        "
    "Plashtane_po_otchet_na_plasior.suma,        Plashtane_po_otchet_na_plasior.date_otchet,        ( SELECT Sum( "
    "value_izd ) FROM Otchet_plasiori WHERE ((( Otchet_plasiori.date_doc ) = "
    "Plashtane_po_otchet_na_plasior.date_otchet ) AND (( Otchet_plasiori.code_bus ) = "
    "Plashtane_po_otchet_na_plasior.c_bus )) ) AS SumOfvalue_izd,        Plashtane_po_otchet_na_plasior.c_bus, "
    "Busses.n_bus FROM Plashtane_po_otchet_na_plasior INNER JOIN Busses ON Plashtane_po_otchet_na_plasior.c_bus = "
    "Busses.c_bus WHERE ( ((Plashtane_po_otchet_na_plasior.date_d) >=  %d ) AND         "
    "((Plashtane_po_otchet_na_plasior.date_d) <=  %d )%s ) ORDER BY Plashtane_po_otchet_na_plasior.docno");

} // namespace

TfrmOpis_na_plashtania_po_microbusi::TfrmOpis_na_plashtania_po_microbusi(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodPartyReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmOpis_na_plashtania_po_microbusi"), QStringLiteral("Опис на плащания по дистрибутори"));
    AddParty(pkBus, QStringLiteral("code_bus"), QStringLiteral("Микробус:"), QStringLiteral("panelMicrobus"),
             QStringLiteral("(на документа за плащане)"));
    code_bus = leParty;
    panelMicrobus = panelParty;
    btnPrint_PKO = new QPushButton(QStringLiteral("Печат на ПКО"), pnlParams);
    btnPrint_PKO->setObjectName(QStringLiteral("btnPrint_PKO"));
    connect(btnPrint_PKO, &QPushButton::clicked, this, [this] { RunHeld([this] { btnPrint_PKOClick(); }); });
    AddParam(btnPrint_PKO);
    SetRunsAtOnce(true);

    SetHeader(kFieldCount,
              {{QStringLiteral("Плащания"), QString(), QString(), QStringLiteral("По отчет"), QString(),
                QStringLiteral("Микробус"), QString()},
               {QStringLiteral("номер"), QStringLiteral("дата"), QStringLiteral("сума"), QStringLiteral("дата"),
                QStringLiteral("сума"), QStringLiteral("номер"), QStringLiteral("наименование")}},
              QStringLiteral("0,0,2,0|3,0,4,0|5,0,6,0|"));
    SetMoneyColumns({2, 4});
    SetCentredColumns({5});
}

QString TfrmOpis_na_plashtania_po_microbusi::ListSql()
{
    QString bus;
    if (PartyCode() > 0)
        bus = Format(QStringLiteral(" AND         ((Plashtane_po_otchet_na_plasior.c_bus)=  %d )"), {PartyCode()});
    return Format(kPayments, {DateToDayNumber(From()), DateToDayNumber(To()), bus});
}

bool TfrmOpis_na_plashtania_po_microbusi::DoExecute()
{
    TDelimitedStringList rows;
    Select(ListSql(), rows);
    ShowMoneyRows(rows, kFieldCount, {2, 4}, 2);
    return true;
}

QString TfrmOpis_na_plashtania_po_microbusi::GetSubTitle()
{
    return Format(QStringLiteral(" за микробус %s - %s, от дата %s, до дата %s"),
                  {PartyText(), PartyName(), DateToDisplayText(From()), DateToDisplayText(To())});
}

void TfrmOpis_na_plashtania_po_microbusi::btnPrint_PKOClick()
{
    const int row = Grid->Row();
    if (StrToIntOrZero(Grid->Cells(0, row)) == 0) {
        ShowError(QStringLiteral("Избраният ред не е за документ !"));
        return;
    }
    QStringList cells;
    for (int c = 0; c < Grid->ColCount(); ++c) {
        const QString text = Grid->Cells(c, row);
        cells << (text.isEmpty() ? QStringLiteral(" ") : text);
    }
    PrintCashReceiptOrder(this, cells.join(QChar('@')));
}
