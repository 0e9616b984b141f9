#pragma once
// "Артикули по клиенти и обекти (на база фактури)": the products report of
// the goods receipts, read from the invoices, prices without VAT.
#include "reports/unArtikuli_po_klienti_i_obekti.h"

class TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi : public TfrmArtikuli_po_klienti_i_obekti
{
    Q_OBJECT
public:
    TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi(QWidget *AOwner, TFormStyle AFormStyle);

protected:
    QString DocumentFilter(int F, int L) override;
    QString PaidFilter(bool Paid) override;
    QString IntoSql(const QString &T, const QString &W) override;
    QString PriceCaption() override;
};
