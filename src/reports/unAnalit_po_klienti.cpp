#include "reports/unAnalit_po_klienti.h"

#include "core/uHelpers.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmAnalit_po_klienti>(QStringLiteral("TfrmAnalit_po_klienti"));
}

TfrmAnalit_po_klienti::TfrmAnalit_po_klienti(QWidget *AOwner, TFormStyle AFormStyle)
    : TReceivablesReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmAnalit_po_klienti"), QStringLiteral("Аналитична справка по клиенти"),
              QStringLiteral("frmAnalit_po_klienti_dtp_From"), QStringLiteral("frmAnalit_po_klienti_dtp_To"));
}

// A receipt dated before the period and still unpaid at its beginning was
// owed then, whenever it was paid later (also after the period's end).
QString TfrmAnalit_po_klienti::OpeningSql(const QString &T, int F, int L)
{
    Q_UNUSED(L);
    return Format(QStringLiteral(
                      "SELECT CustGroups.code_c, CustGroups.name_c, Zaiavki.Total_sum INTO %s FROM (CustGroups LEFT "
                      "JOIN Obekti ON CustGroups.code_c=Obekti.code_of_CustGroup) LEFT JOIN Zaiavki ON "
                      "Obekti.code_of_object=Zaiavki.obekt WHERE ( Zaiavki.for_date < %d AND Zaiavki.Is_paid = False "
                      "AND Zaiavki.Total_sum <> 0 ) OR       ( Zaiavki.for_date < %d AND Zaiavki.Is_paid = True AND "
                      "Zaiavki.Paid_on >= %d AND Zaiavki.Total_sum <> 0 ) ORDER BY CustGroups.code_c"),
                  {T, F, F, F});
}

QString TfrmAnalit_po_klienti::ReceivablesSql(const QString &T, int F, int L)
{
    return Format(QStringLiteral(
                      "SELECT CustGroups.code_c, CustGroups.name_c, Zaiavki.Total_sum INTO %s FROM (CustGroups LEFT "
                      "JOIN Obekti ON CustGroups.code_c=Obekti.code_of_CustGroup) LEFT JOIN Zaiavki ON "
                      "Obekti.code_of_object=Zaiavki.obekt WHERE ( Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d "
                      "AND Zaiavki.Total_sum <> 0 ) ORDER BY CustGroups.code_c"),
                  {T, F, L});
}

QString TfrmAnalit_po_klienti::PaymentsSql(const QString &T, int F, int L)
{
    return Format(QStringLiteral(
                      "SELECT CustGroups.code_c, CustGroups.name_c, Zaiavki.Total_sum INTO %s FROM (CustGroups LEFT "
                      "JOIN Obekti ON CustGroups.code_c=Obekti.code_of_CustGroup) LEFT JOIN Zaiavki ON "
                      "Obekti.code_of_object=Zaiavki.obekt WHERE ( Zaiavki.for_date <= %d AND  Zaiavki.Is_paid = True "
                      "AND  Zaiavki.Paid_on >= %d AND  Zaiavki.Paid_on <= %d AND  Zaiavki.Total_sum <> 0 ) ORDER BY "
                      "CustGroups.code_c"),
                  {T, L, F, L});
}

QString TfrmAnalit_po_klienti::GroupSql(const QString &T)
{
    return Format(QStringLiteral("SELECT %s.code_c, %s.name_c, Sum(%s.Total_sum) AS [Sum_Of_Total_sum] FROM %s GROUP "
                                 "BY %s.code_c, %s.name_c"),
                  {T, T, T, T, T, T});
}

QString TfrmAnalit_po_klienti::RowCaption() { return QStringLiteral("Клиент"); }
