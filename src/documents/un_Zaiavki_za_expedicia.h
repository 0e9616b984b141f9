#pragma once
// The expedition request: what a minibus asks to take out on a day, one
// line per product with one packaging and both quantities. It has no
// number: the day and the minibus are the document, the product is the
// line. The export-pass generation reads these requests.
#include "documents/un_Vyrnata_produkcia.h"

class TfrmZaiavki_za_expedicia : public TfrmBusDayDocument
{
    Q_OBJECT
public:
    explicit TfrmZaiavki_za_expedicia(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    QString GetSubTitle() override;

protected:
    QString TableName() const override { return QStringLiteral("Zaiavki_za_expedicia"); }
    QString CaptionText() const override { return QStringLiteral("Заявка за експедиция"); }
    QString RowNoun() const override { return QStringLiteral("ред от заявка за експедиция"); }
    bool LoadRows(TDelimitedStringList &Rows) override;
    QString ValidateRow() override;
    void QueueRow(int Line, int Product, int Packaging, long double QuantityIzd, long double QuantityAmb) override;
    void QueueDelete(int Row) override;
    QList<QWidget *> KeyControls() const override;
    void PrepareSave(TDocumentSave &Save) override;
    // A request's line is its product.
    QString RowKey(int Product, int Packaging) const override;
    TDocumentName DocumentName() const override;
    QString DeleteQuestion(int Row) const override;
    void ClearLineEditors() override;
};
