#pragma once
// The documents of raw materials and other resources moving in and out of
// the store: deliveries from a supplier (with the supplier's invoice number
// and date) and issues to a customer. A document is a number with one row
// per resource; the counterparty and the date are chosen above it. Rows are
// queued per line and saved as the clerk left them (TfrmLineDocument).
#include <QDate>
#include <QString>

#include "documents/LineDocumentForm.h"

class QLabel;
class TFloatFormatter;

struct TResourceDocumentKind : TLineDocumentSetup
{
    QString CounterpartyField;   // "code_supplier" / "code_customer"
    QString CounterpartyCaption; // "Доставчик:" / "Клиент:"
    QString MissingCounterparty; // "Въведете доставчик" / "Въведете клиент!"
    QString Hint;
    QString SubTitle;            // " номер %d, доставчик: %s - %s, за дата %s"
    int PricePrecision = 6;
    bool Delivery = true;        // the supplier's invoice number and date
};

// The deliveries (Delivery) or the issues of raw materials.
TResourceDocumentKind ResourceDocumentKind(bool Delivery);

class TfrmResourceDocument : public TfrmLineDocument
{
    Q_OBJECT
public:
    TfrmResourceDocument(const TResourceDocumentKind &Kind, QWidget *AOwner, TFormStyle AFormStyle);

    QString GetSubTitle() override;
    bool InitForm() override;
    bool FormDone() override;
    bool DoExecute() override;
    bool DoNew() override;
    bool DoPrint() override;
    bool CanSave() override;

    int CounterpartyCode() const;
    void FillNumberList() override;

    TListEdit *code_r = nullptr;
    QLabel *panel_Resource = nullptr;
    QLabel *labMeasure_Resource = nullptr;
    TFloatEdit *quantity_r = nullptr;
    TFloatEdit *price_r = nullptr;
    TFloatEdit *value_r = nullptr;
    TListEdit *counterparty = nullptr; // code_supplier / code_customer
    QLabel *panelCustomer = nullptr;
    TFloatEdit *ByDocNo = nullptr;       // deliveries only
    QDateEdit *ByDateDocNo = nullptr;    // deliveries only

protected:
    void LineToEditors(int Row) override;
    // The party is part of the header; the supplier's invoice is part of a
    // delivery line's values.
    QStringList HeaderState() const override;
    void SetHeaderState(const QStringList &State) override;
    bool LineEditorsAsFilled() const override;

private:
    void ResourceChanged();
    void ComputeValue();
    void ResetInvoice();
    void HeaderChanged();

    TResourceDocumentKind FKind;
    TFloatFormatter *FPriceFormatter = nullptr;
    QDate FEditInvoiceDate;
};
