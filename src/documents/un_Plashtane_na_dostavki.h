#pragma once
// The payments of deliveries: the deliveries of raw materials of a period,
// each with what has been paid on it, and a column in which the operator
// types what is paid now. F2 turns every amount typed into a payment of its
// own number, all of them in one transaction.
#include <QString>

#include "documents/PaymentEntryForm.h"

class TListEdit;

class TfrmPlashtane_na_dostavki : public TPaymentEntryForm
{
    Q_OBJECT
public:
    explicit TfrmPlashtane_na_dostavki(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmPlashtane_na_dostavki() override;

    // Grid columns.
    enum {
        colDocNo, colDate, colValue, colPaid, colRemaining, colToPay, colSupplier, colSupplierName, colByDocNo,
        colByDate, colCount
    };

    // --- hooks
    // Then the payment types' list; its text is remembered too.
    bool InitForm() override;
    bool FormDone() override;

    // --- controls
    TListEdit *code_supplier = nullptr;
    TListEdit *code_payment = nullptr;

protected:
    QString CaptionText() const override { return QStringLiteral("Плащания на доставки"); }
    void FetchDocuments(TDelimitedStringList &Records, QStringList &Warnings, const QStringList *Keys) override;
    TDocumentName RowDocumentName(int Row) const override;
    QString PaymentPartyError() override;
    QString PaymentTable() const override { return QStringLiteral("Plashtane_na_Dostavki"); }
    QString PaymentInsert(int Number, int Day, int Row, long double Amount) const override;
};
