#pragma once
// The list of invoices and notices of a period ("Опис на фактури и
// известия"): F3 opens the chosen document in its window (a notice as a
// notice), Ctrl+F9 prints it, and the marked unpaid documents are recorded
// as paid today with "Плащане".
#include "core/uDelimitedStrings.h"
#include "documents/DocumentPeriodList.h"

class TfrmInvoice_Opis : public TDocumentPeriodList
{
    Q_OBJECT
public:
    explicit TfrmInvoice_Opis(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmInvoice_Opis() override;

    bool InitForm() override;
    bool DoExecute() override;

protected:
    void OpenDocument(int Row, long double Number) override;
    void PrintDocument(long double Number) override;
    QString PaymentStatement(int Day, long double Number) const override;
    QString PaymentFailureMessage() const override;
    TDocumentName RowDocumentName(int Row) const override;

private:
    // A notice's kinds open in the notice editor.
    bool IsNoticeRow(int Row) const;
};
