#pragma once
// The editors of simple numbered acts with one line per article (receipts
// of packaging, acts of produced and of rejected production): a number, a
// date and lines of (article code, quantity), queued per line and saved as
// the clerk left them (TfrmLineDocument).
#include <QString>

#include "documents/LineDocumentForm.h"

class QLabel;
class TFloatFormatter;

// What one kind of act is: its table, article and quantity fields, caption
// and texts.
struct TLineActKind : TLineDocumentSetup
{
    QString QuantityField; // "quantity_amb"
    QString NewActHint;    // "НОВ акт за заприходен амбалаж."
    QString MissingCode;   // "Въвдетете амбалаж"
    QString CodeTextValue; // registry value of the code text
    bool ProductAct = false; // products with their unit; whole quantities shown
};

class TfrmLineAct : public TfrmLineDocument
{
    Q_OBJECT
public:
    TfrmLineAct(const TLineActKind &Kind, QWidget *AOwner, TFormStyle AFormStyle);

    const TLineActKind &Kind() const { return FKind; }

    QString GetSubTitle() override;
    bool InitForm() override;
    bool FormDone() override;
    bool DoExecute() override;
    bool DoNew() override;

    int DateNumber() const;
    // The numbers of the acts of the chosen date into the number list.
    void FillNumberList() override;

    TListEdit *code = nullptr;         // code_a / code_izd
    QLabel *lblCodeName = nullptr;
    QLabel *labMeasure_Izdelie = nullptr;
    TFloatEdit *quantity = nullptr;    // quantity_amb / quantity_izd

protected:
    void LineToEditors(int Row) override;

private:
    QString SelectSql() const;
    void CodeChanged();
    int QuantityColumn() const { return FKind.ProductAct ? 3 : 2; }

    TLineActKind FKind;
    TFloatFormatter *FWholeFormatter = nullptr;
};
