#pragma once
// The list of goods receipts of a period of delivery dates, optionally of
// one minibus's route ("Опис на стокови разписки"): F3 opens the chosen
// receipt, Ctrl+F9 prints it, and the marked unpaid receipts are recorded
// as paid today with "Плащане".
#include "core/uDelimitedStrings.h"
#include "documents/DocumentPeriodList.h"

class TListEdit;

class TfrmStokovaRazpiska_Opis : public TDocumentPeriodList
{
    Q_OBJECT
public:
    explicit TfrmStokovaRazpiska_Opis(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmStokovaRazpiska_Opis() override;

    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QPushButton *btnMarkAll_4_Payment = nullptr;
    QLabel *labPaymentHint = nullptr;

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;
    bool DoExecute() override;

    void code_busChange();
    void code_busBitButtonClick();

protected:
    void OpenDocument(int Row, long double Number) override;
    void PrintDocument(long double Number) override;
    QString PaymentStatement(int Day, long double Number) const override;
    QString PaymentFailureMessage() const override;
    TDocumentName RowDocumentName(int Row) const override;
};
