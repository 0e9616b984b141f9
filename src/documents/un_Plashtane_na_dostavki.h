#pragma once
// The payments of deliveries: the deliveries of raw materials of a period,
// each with what has been paid on it, and a column in which the operator
// types what is paid now. F2 turns every amount typed into a payment of its
// own number, all of them in one transaction.
#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "framework/QuorendReadForm.h"

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class QLabel;
class TGridAmountEntry;
class TListEdit;

class TfrmPlashtane_na_dostavki : public TQuorendReadForm
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
    QString GetSubTitle() override;
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    bool CanSave() override;
    bool DoExecute() override;
    bool DoSave() override;
    QString GetSaveErrorText() override { return FSaveError; }

    // --- handlers
    void GridClick();
    void GridKeyPress(QChar &Key);
    void ParamsChange();

    // The kind of deliveries listed: 0 all, 1 unpaid, 2 paid.
    int TypeIndex() const;
    void SetTypeIndex(int Index);

    // The rows with a positive amount to pay, in grid order: delivery
    // number and amount.
    std::vector<std::pair<int, long double>> PaymentRows() const;
    // The insert of one payment.
    static QString PaymentInsert(int Number, int Day, int Delivery, long double Amount, int PaymentType);

    TGridAmountEntry *AmountEntry() const { return FAmounts.get(); }

    // --- controls
    QDateEdit *dtp_From = nullptr;
    QDateEdit *dtp_To = nullptr;
    QGroupBox *rg_Type = nullptr;
    QButtonGroup *rg_TypeButtons = nullptr;
    TListEdit *code_supplier = nullptr;
    TListEdit *code_payment = nullptr;

private:
    std::unique_ptr<TGridAmountEntry> FAmounts;
    QString FSaveError;
    bool FLoading = false;
};
