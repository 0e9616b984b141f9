#pragma once
// The window of the sales documents that carry VAT: invoices (Mode 0) and
// the debit and credit notices that correct an earlier invoice (Mode 1).
// Product prices are stored with VAT; the window shows them without it
// (divided by 1 + the company's rate) and computes the VAT of the whole
// document as its net total times the rate, rounded to stotinki. A new
// document is numbered from the workstation's invoice counter inside the
// shared document save; the document goes into Invoices and Invoices_rows
// and prints as an 80-column text document. Only one invoice window is
// open at a time.
//
// A notice shows three grid rows per product of the referred invoice: the
// invoiced line, the new line ("Ново:", typed in the grid) and the
// difference ("Разлика:"), which alone is stored.
#include <QString>

#include "core/uDelimitedStrings.h"
#include "framework/QuorendForm.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTabWidget;
class TFloatEdit;
class TListEdit;
class TRichGrid;

class TfrmInvoice : public TQuorendForm
{
    Q_OBJECT
public:
    explicit TfrmInvoice(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmInvoice() override;

    // Set before the form is shown.
    unsigned char Mode = 0; // 0 invoice, 1 notice
    bool IsNew = true;      // false: the number in pnlDocNo is opened

    // --- controls
    QLabel *pnlDocNo = nullptr;
    QLabel *panelDateOfDoc = nullptr;
    QTabWidget *pcMain = nullptr;
    QWidget *tabCustomer = nullptr;
    QWidget *tabGoods = nullptr;
    QWidget *tabPayment = nullptr;
    TListEdit *leCustomer = nullptr;
    QLabel *panelCustomer = nullptr;
    TListEdit *leObject = nullptr;
    QLabel *PanelObject = nullptr;
    TListEdit *leDocType = nullptr;
    QLabel *panelDocType = nullptr;
    QLabel *lblForInvoice = nullptr;
    TListEdit *edInvoiceNo = nullptr;
    QWidget *pnlLineEditors = nullptr;
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
    TListEdit *leType_of_payment = nullptr;
    QLabel *panelType_of_payment = nullptr;

    // --- state
    long double VatRate() const { return FVatRate; }
    long double TotalWithoutVat() const { return FTotalWithoutVat; }
    long double VatAmount() const { return FVatAmount; }
    int PriceList() const { return FPriceList; }
    QString ByInvoice() const { return FByInvoice; }
    bool LineInEdit() const { return FLineInEdit; }
    // The number in pnlDocNo.
    long double DocumentNumber() const;
    // The number the last successful save wrote.
    long double SavedNumber() const { return FSavedNumber; }

    // --- hooks
    bool Save() override;
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
    void leDocTypeChange();
    void cbDiscountClick();
    void cbOverValueClick();
    void edDiscountPercChange();
    void RecalculateValue();
    void cb_Is_paidClick();
    // The referred invoice was chosen: its lines become the triples.
    void edInvoiceNoFormOk();
    // The grid's click and key of a notice: the editing switch, the keys
    // let through, the recomputation.
    void GridGoodsClick();
    void GridGoodsKeyPress(QChar &Key);
    void LoadProductList();
    // The list of invoices a notice may refer to.
    void LoadReferenceList();
    void CalculateTotals();

    // The discounted or marked-up price: percent in [0, 100) changes the
    // price (rounded to 4 decimals), any other percent leaves it.
    static long double AdjustedPrice(long double Price, long double Percent, bool Discount, bool Markup);

private:
    void BuildControls();
    void ApplyDiscountSwitches();
    bool LineValidation();
    // Mode 0: each line's discounted price and value from its typed cells.
    void RecalculateLines();
    // Mode 1: the new row at Row from its typed Col, then its difference.
    void RecalculateTriple(int Row, int Col);
    void RecalculateDifferences();
    void SetupNoticeMode();
    bool CellEditable(int Col, int Row) const;
    QStringList TriplesOf(const TDelimitedStrings &Rows) const;
    int DataLineCount() const;
    void SetEditText(QLineEdit *Edit, const QString &Text);
    void SetCaptionColor(unsigned Color);
    void SetDocNumber(long double Number);
    long double CounterProposal();
    bool LoadDocument();

    long double FVatRate = 0;
    long double FTotalWithoutVat = 0;
    long double FVatAmount = 0;
    int FPriceList = 1;
    QString FByInvoice;
    bool FLineInEdit = false;
    bool FRecalculating = false;
    bool FSavingForPrint = false;
    long double FSavedNumber = 0;

    TDelimitedStringList SavedRows;
    TDelimitedStringList FCustomers;
    TDelimitedStringList FObjects;
    TDelimitedStringList FProducts;
    TDelimitedStringList FKinds;
    TDelimitedStringList FReferences;
};

// Opens the window for a new invoice (Mode 0) or notice (Mode 1); false
// (with the message) when an invoice window is open already or the window
// could not be made.
bool NewInvoice(unsigned char Mode);
// Opens a stored document in the given mode; the same one-window rule.
bool OpenInvoice(unsigned char Mode, long double Number);
// The invoice window open now, or null.
TfrmInvoice *OpenInvoiceWindow();
