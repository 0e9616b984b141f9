#include "reports/unArtikuli_po_klienti_i_obekti_na_baza_fakturi.h"

#include "core/uHelpers.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi>(
    QStringLiteral("TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi"));
}

TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi::TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi(
    QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmArtikuli_po_klienti_i_obekti(AOwner, AFormStyle)
{
    SetReportTexts(QStringLiteral("frmArtikuli_po_klienti_i_obekti_na_baza_fakturi"),
                   QStringLiteral("Артикули по клиенти и обекти (на база фактури)"));
}

QString TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi::DocumentFilter(int F, int L)
{
    return Format(
        QStringLiteral("Invoices_rows.Izdelie <> 0 AND Invoices.datetime_i >= %d AND Invoices.datetime_i <= %d "),
        {F, L});
}

QString TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi::PaidFilter(bool Paid)
{
    return Paid ? QStringLiteral("AND Invoices.Is_paid = True ") : QStringLiteral("AND Invoices.Is_paid = False ");
}

QString TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi::IntoSql(const QString &T, const QString &W)
{
    return Format(QStringLiteral("SELECT Invoices_rows.izdelie, Invoices_rows.quantity_izd, Invoices_rows.Value_of_row "
                                 "INTO %s FROM (Obekti LEFT JOIN Invoices ON Obekti.code_of_object = Invoices.obekt) "
                                 "LEFT JOIN Invoices_rows ON Invoices.invoice_num = Invoices_rows.invoice_num WHERE %s "
                                 "ORDER BY Invoices_rows.izdelie"),
                  {T, W});
}

QString TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi::PriceCaption() { return QStringLiteral("без ДДС"); }
