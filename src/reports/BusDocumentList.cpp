#include "reports/BusDocumentList.h"

#include "components/ListEdit.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"

TBusDocumentList::TBusDocumentList(QWidget *AOwner, TFormStyle AFormStyle) : TPeriodPartyReport(AOwner, AFormStyle)
{
    RememberDates(QStringLiteral("frmAnalit_po_klienti_dtp_From"), QStringLiteral("frmAnalit_po_klienti_dtp_To"));
    AddParty(pkBus, QStringLiteral("code_bus"), QStringLiteral("Микробус:"), QStringLiteral("panelMicrobus"));
    code_bus = leParty;
    panelMicrobus = panelParty;
    SetHeader(4,
              {{QStringLiteral("Документ"), QString(), QStringLiteral("Микробус"), QString()},
               {QStringLiteral("номер"), QStringLiteral("дата"), QStringLiteral("номер"), QStringLiteral("шофьор")}},
              QStringLiteral("0,0,1,0|2,0,3,0|"));
    SetCentredColumns({2});
}

QString TBusDocumentList::ListSql()
{
    // One row per document: a document's lines share its number, date and
    // minibus.
    QString bus;
    if (PartyCode() > 0)
        bus = Format(QStringLiteral(" AND ((<T>.code_bus) = %d ) "), {PartyCode()});
    QString sql = QStringLiteral("SELECT <T>.docno,        <T>.date_doc,        <T>.code_bus,        Busses.n_bus "
                                 "FROM Busses INNER JOIN <T> ON Busses.c_bus = <T>.code_bus GROUP BY <T>.docno, "
                                 "<T>.date_doc, <T>.code_bus, Busses.n_bus HAVING <T>.date_doc >= %d AND "
                                 "<T>.date_doc <= %d ") +
                  bus + QStringLiteral("ORDER BY <T>.docno");
    sql.replace(QStringLiteral("<T>"), TableName());
    return Format(sql, {DateToDayNumber(From()), DateToDayNumber(To())});
}

bool TBusDocumentList::DoExecute()
{
    TDelimitedStringList rows;
    Select(ListSql(), rows);
    ShowRows(rows);
    return true;
}

QString TBusDocumentList::GetSubTitle()
{
    QString result = Format(QStringLiteral("от дата %s до дата %s"),
                            {DateToDisplayText(From()), DateToDisplayText(To())});
    if (PartyCode() > 0)
        result = Format(QStringLiteral("за микробус %s - %s, "), {PartyText(), PartyName()}) + result;
    return result;
}
