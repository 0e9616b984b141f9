#pragma once
// The goods receipt window: one sale of products to one site of a customer
// for a delivery date, priced from the customer's price list with a discount
// or markup per line, numbered from the workstation's counter, saved into
// Zaiavki and Zaiavka_rows through the shared document save, and printed as
// an 80-column text document. Only one goods receipt window is open at a
// time.
#include <QString>

#include "core/uDelimitedStrings.h"
#include "framework/QuorendForm.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class TListEdit;
class QTabWidget;
class TFloatEdit;
class TRichGrid;

class TfrmStokovaRazpiska : public TQuorendForm
{
    Q_OBJECT
public:
    explicit TfrmStokovaRazpiska(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmStokovaRazpiska() override;

    // Set before the form is shown: a new document, or an opened one whose
    // number stands in pnlDocNo.
    bool IsNew = true;

    // --- controls
    QLabel *pnlDocNo = nullptr;
    QLabel *panelDateOfDoc = nullptr;
    QDateEdit *dtpInvoiceNoDate = nullptr;
    QTabWidget *pcMain = nullptr;
    QWidget *tabCustomer = nullptr;
    QWidget *tabGoods = nullptr;
    QWidget *tabPayment = nullptr;
    TListEdit *leCustomer = nullptr;
    QLabel *panelCustomer = nullptr;
    TListEdit *leObject = nullptr;
    QLabel *PanelObject = nullptr;
    TListEdit *leGroup = nullptr;
    QLabel *panelGroup = nullptr;
    TListEdit *leSubGroup = nullptr;
    QLabel *panelSubGroup = nullptr;
    TListEdit *leIzdelie = nullptr;
    QLabel *panel_Izdelie = nullptr;
    TFloatEdit *edAmount = nullptr;
    QLabel *labMeasure = nullptr;
    TFloatEdit *edPrice = nullptr;
    QCheckBox *cbDiscount = nullptr;
    QCheckBox *cbOverValue = nullptr;
    TFloatEdit *edDiscountPerc = nullptr;
    TFloatEdit *edDiscountedPriceLeva = nullptr;
    TFloatEdit *edValue = nullptr;
    QLabel *labTotal = nullptr;
    TRichGrid *GridGoods = nullptr;
    QCheckBox *cb_Is_paid = nullptr;
    QDateEdit *dtp_Paid_on = nullptr;
    QCheckBox *cb_Is_Urgent = nullptr;

    // --- state
    bool LineInEdit() const { return FLineInEdit; }
    long double DocumentTotal() const { return FDocumentTotal; }
    int PriceList() const { return FPriceList; }
    // The number in pnlDocNo.
    long double DocumentNumber() const;
    // The number the last successful save wrote.
    long double SavedNumber() const { return FSavedNumber; }

    // --- hooks
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    bool CanSave() override;
    bool DoSave() override;
    bool DoEdit() override;
    bool DoNew() override;
    bool DoDelete() override;
    bool DoPrint() override;
    void UpdateActions() override;

    // --- handlers
    void leCustomerChange();
    void leIzdelieChange();
    void cbDiscountClick();
    void cbOverValueClick();
    void edDiscountPercChange();
    void RecalculateValue();
    void cb_Is_paidClick();
    // Product list of the price list and the group/subgroup filter.
    void LoadProductList();
    // Renumbers the lines and sums their values into the total.
    void CalculateTotals();

    // The discounted or marked-up price: percent in [0, 100) changes the
    // price (rounded to 4 decimals), any other percent leaves it.
    static long double AdjustedPrice(long double Price, long double Percent, bool Discount, bool Markup);

private:
    void BuildControls();
    void ApplyDiscountSwitches();
    bool LineValidation();
    void RecalculateLines();
    int DataLineCount() const;
    QString ListName(const TDelimitedStringList &List, const QString &Code) const;
    void SetEditText(QLineEdit *Edit, const QString &Text);
    void SetCaptionColor(unsigned Color);
    void SetDocNumber(long double Number);

    bool FLineInEdit = false;
    bool FRecalculating = false;
    bool FSavingForPrint = false;
    long double FDocumentTotal = 0;
    int FPriceList = 1;
    long double FSavedNumber = 0;

    TDelimitedStringList FCustomers;
    TDelimitedStringList FObjects;
    TDelimitedStringList FGroups;
    TDelimitedStringList FSubGroups;
    TDelimitedStringList FProducts;
};

// Opens the window for a new goods receipt; false (with the message) when
// a goods receipt window is open already.
bool NewStokovaRazpiska();
// Opens a stored goods receipt; the same one-window rule.
bool OpenStokovaRazpiska(long double Number);
// The goods receipt window open now, or null.
TfrmStokovaRazpiska *OpenGoodsReceiptWindow();
