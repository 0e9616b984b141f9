#pragma once
// The payments on minibus reports: for one minibus and a period, each day's
// valued report with what has been paid on it and what remains, and a
// column in which the operator types what the driver pays in now. F2
// writes one payment of its own number per amount, all in one transaction.
#include <QString>

#include "documents/PaymentEntryForm.h"

class QLabel;
class TListEdit;

class TfrmPlashtane_po_otchet_na_plasior : public TPaymentEntryForm
{
    Q_OBJECT
public:
    explicit TfrmPlashtane_po_otchet_na_plasior(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmPlashtane_po_otchet_na_plasior() override;

    // Grid columns.
    enum { colDate, colValue, colPaid, colRemaining, colToPay, colCount };

    int BusCode() const;

    // --- controls
    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;

protected:
    QString CaptionText() const override { return QStringLiteral("Плащания по отчети на микробуси"); }
    void FetchDocuments(TDelimitedStringList &Records, QStringList &Warnings, const QStringList *Keys) override;
    TDocumentName RowDocumentName(int Row) const override;
    QString PaymentPartyError() override;
    QString PaymentTable() const override { return QStringLiteral("Plashtane_po_otchet_na_plasior"); }
    QString PaymentInsert(int Number, int Day, int Row, long double Amount) const override;
};
