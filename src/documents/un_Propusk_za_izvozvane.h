#pragma once
// The export pass: what a minibus takes out on a day, per product and
// packaging. The returned-production protocol's window with three
// additions: yesterday's pass can be loaded as a new pass of the day, the
// quantities of such a new pass are typed straight into the grid, and a new
// pass writes its rows from the grid when it is saved.
#include "documents/un_Vyrnata_produkcia.h"

class QPushButton;

class TfrmPropusk_za_izvozvane : public TfrmBusDayDocument
{
    Q_OBJECT
public:
    explicit TfrmPropusk_za_izvozvane(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // --- handlers
    void btnLoadPropuskFromPreviousDayClick();
    void GridClick();
    void GridKeyPress(QChar &Key);

    QPushButton *btnLoadPropuskFromPreviousDay = nullptr;

protected:
    QString TableName() const override { return QStringLiteral("Propusk_za_izvozvane"); }
    QString CaptionText() const override { return QStringLiteral("Пропуск за извозване"); }
    QString RowNoun() const override { return QStringLiteral("ред от пропуск за извозване"); }
    bool PrintDocument(long double Number) override;
    // A new pass (no number) changes only its grid; its rows are written at
    // the save.
    void QueueRow(int Line, int Product, int Packaging, long double QuantityIzd, long double QuantityAmb) override;
    void QueueDelete(int Row) override;
    void PrepareSave(TDocumentSave &Save) override;
    int NewDocumentLines() const override;
    TDocumentName DocumentName() const override;

public:
    // A new pass's quantities typed into the grid must be numbers.
    bool CanSave() override;
};
