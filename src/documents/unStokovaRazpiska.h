#pragma once
// The goods receipt window: one sale of products to one site of a customer
// for a delivery date, priced from the customer's price list with a discount
// or markup per line, numbered from the workstation's counter, saved into
// Zaiavki and Zaiavka_rows through the shared document save, and printed as
// an 80-column text document. Only one goods receipt window is open at a
// time.
#include "documents/SalesDocumentForm.h"

class TfrmStokovaRazpiska : public TSalesDocumentForm
{
    Q_OBJECT
public:
    explicit TfrmStokovaRazpiska(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmStokovaRazpiska() override;

    // --- controls of its own
    QDateEdit *dtpInvoiceNoDate = nullptr;
    TListEdit *leGroup = nullptr;
    QLabel *panelGroup = nullptr;
    TListEdit *leSubGroup = nullptr;
    QLabel *panelSubGroup = nullptr;
    QCheckBox *cb_Is_Urgent = nullptr;

    // --- state
    long double DocumentTotal() const { return FDocumentTotal; }

    // --- hooks
    bool FormDone() override;
    bool CanSave() override;

protected:
    void InitWindow() override;
    void LoadLists() override;
    void ShowStored(const TDelimitedStrings &Header, const QStringList &Records) override;
    // The product list of the price list and the group/subgroup filter.
    QString ProductListSql() const override;
    void BeforeLineEdit() override;
    void AddStatements(TDocumentSave &Save) override;
    void ShowTotal(long double Total) override;

private:
    void BuildControls();
    QString ListName(const TDelimitedStringList &List, const QString &Code) const;

    long double FDocumentTotal = 0;
    long double FStoredTotal = 0;   // the opened receipt's Total_sum

    TDelimitedStringList FGroups;
    TDelimitedStringList FSubGroups;
};

// Opens the window for a new goods receipt; false (with the message) when
// a goods receipt window is open already.
bool NewStokovaRazpiska();
// Opens a stored goods receipt; the same one-window rule.
bool OpenStokovaRazpiska(long double Number);
// The goods receipt window open now, or null.
TfrmStokovaRazpiska *OpenGoodsReceiptWindow();
