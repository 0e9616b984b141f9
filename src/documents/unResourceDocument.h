#pragma once
// The documents of raw materials and other resources moving in and out of
// the store: deliveries from a supplier (with the supplier's invoice number
// and date) and issues to a customer. A document is a number with one row
// per resource; the counterparty and the date are chosen above it.
//
// Rows are queued per line (TQueuedStatements) and nothing reaches the
// database before the save. A document without a number is new: the save
// takes max(docno) + 1 of the table inside its transaction and writes it
// into every queued insert; a row of a new document taken back and
// committed again replaces its queued insert, a deleted one drops it.
#include <QString>
#include <map>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class TFloatEdit;
class TFloatFormatter;
class TListEdit;

struct TResourceDocumentKind
{
    QString Table;
    QString CounterpartyField;   // "code_supplier" / "code_customer"
    QString CounterpartyCaption; // "Доставчик:" / "Клиент:"
    QString MissingCounterparty; // "Въведете доставчик" / "Въведете клиент!"
    QString Caption;
    QString Hint;
    QString DeleteNoun;
    QString SubTitle;            // " номер %d, доставчик: %s - %s, за дата %s"
    int PricePrecision = 6;
    bool Delivery = true;        // the supplier's invoice number and date
};

class TfrmResourceDocument : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmResourceDocument(const TResourceDocumentKind &Kind, QWidget *AOwner, TFormStyle AFormStyle);
    ~TfrmResourceDocument() override;

    QString GetSubTitle() override;
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    bool DoExecute() override;
    bool DoSave() override;
    bool DoEdit() override;
    bool DoNew() override;
    bool DoDelete() override;
    bool DoPrint() override;

    int DocNumber() const;
    int CounterpartyCode() const;
    void FillNumberList();
    const TQueuedStatements &Pending() const { return FPending; }
    bool LineInEdit() const { return FLineInEdit; }

    TListEdit *code_r = nullptr;
    QLabel *panel_Resource = nullptr;
    QLabel *labMeasure_Resource = nullptr;
    TFloatEdit *quantity_r = nullptr;
    TFloatEdit *price_r = nullptr;
    TFloatEdit *value_r = nullptr;
    TListEdit *counterparty = nullptr; // code_supplier / code_customer
    QLabel *panelCustomer = nullptr;
    QDateEdit *date_doc = nullptr;
    TListEdit *docno = nullptr;
    TFloatEdit *ByDocNo = nullptr;       // deliveries only
    QDateEdit *ByDateDocNo = nullptr;    // deliveries only

private:
    void ResourceChanged();
    void ComputeValue();
    void ResetInvoice();
    void HeaderChanged();
    void SetCaptionColor(TColor Color);
    void SetHeaderEnabled(bool Enabled);
    QString StoredKey(const QString &Code) const;
    int LineOfCode(const QString &Code);

    TResourceDocumentKind FKind;
    TQueuedStatements FPending;
    std::map<QString, int> FLineOfCode;
    bool FLineInEdit = false;
    int FEditLine = 0;
    QString FEditCode;
    TFloatFormatter *FPriceFormatter = nullptr;
};
