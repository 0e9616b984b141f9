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
#include "documents/SalesDocumentForm.h"

class TfrmInvoice : public TSalesDocumentForm
{
    Q_OBJECT
public:
    explicit TfrmInvoice(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmInvoice() override;

    // Set before the form is shown.
    unsigned char Mode = 0; // 0 invoice, 1 notice

    // --- controls of its own
    TListEdit *leDocType = nullptr;
    QLabel *panelDocType = nullptr;
    QLabel *lblForInvoice = nullptr;
    TListEdit *edInvoiceNo = nullptr;
    QWidget *pnlLineEditors = nullptr;
    TListEdit *leType_of_payment = nullptr;
    QLabel *panelType_of_payment = nullptr;

    // --- state
    long double VatRate() const { return FVatRate; }
    long double TotalWithoutVat() const { return FTotalWithoutVat; }
    long double VatAmount() const { return FVatAmount; }
    QString ByInvoice() const { return FByInvoice; }

    // --- hooks
    bool FormDone() override;
    bool CanSave() override;
    bool DoEdit() override;

    // --- handlers
    void leDocTypeChange();
    // The referred invoice was chosen: its lines become the triples.
    void edInvoiceNoFormOk();
    // The grid's click and key of a notice: the editing switch, the keys
    // let through, the recomputation.
    void GridGoodsClick();
    void GridGoodsKeyPress(QChar &Key);
    // The list of invoices a notice may refer to.
    void LoadReferenceList();

protected:
    void InitWindow() override;
    void LoadLists() override;
    bool BeforeDocument() override;
    void AfterDocument() override;
    void ShowStored(const TDelimitedStrings &Header, const QStringList &Records) override;
    // The products of the price list at their prices without VAT.
    QString ProductListSql() const override;
    long double ListPrice(const QString &Text) const override;
    bool LinesTyped() const override { return Mode == 0; }
    void PrepareLines() override;
    void AddStatements(TDocumentSave &Save) override;
    long double LinesTotal() override;
    void ShowTotal(long double Total) override;
    void AfterShown() override;
    TNounGender TitleGender() const override { return Mode == 1 ? ngNeuter : ngFeminine; }

private:
    void BuildControls();
    // Mode 1: the new row at Row from its typed Col, then its difference.
    void RecalculateTriple(int Row, int Col);
    void RecalculateDifferences();
    void SetupNoticeMode();
    bool CellEditable(int Col, int Row) const;
    QStringList TriplesOf(const TDelimitedStrings &Rows);

    long double FVatRate = 0;
    long double FTotalWithoutVat = 0;
    long double FVatAmount = 0;
    long double FStoredTotal = 0;   // the opened document's net total and VAT
    long double FStoredVat = 0;
    QString FByInvoice;

    TDelimitedStringList SavedRows;
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
