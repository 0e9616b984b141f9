#pragma once
// The payment windows: documents of a period (deliveries, minibus reports),
// each with its value, what has been paid on it and what remains, and a
// column in which the operator types what is paid now. F2 turns every
// amount typed into a payment of its own number, all of them in one
// transaction, the numbers taken inside it.
//
// The four money columns stand together: value, paid, remaining and the
// amount to pay (the one editable column), followed by a totals row. A
// window gives its documents with their values and paid sums
// (FetchDocuments), its party's picker (SetParty), the check of its party
// and the insert of one payment.
#include <QString>
#include <memory>
#include <vector>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class TCustomListEdit;
class TDelimitedStringList;
class TGridAmountEntry;
class TListEdit;

class TPaymentEntryForm : public TQuorendReadForm
{
    Q_OBJECT
public:
    // ColCount: the grid's columns; ValueColumn: the first of the four
    // money columns; TypeCaption: the caption of the kinds' group.
    TPaymentEntryForm(QWidget *AOwner, TFormStyle AFormStyle, int ColCount, int ValueColumn,
                      const QString &TypeCaption);
    ~TPaymentEntryForm() override;

    // Then the party's list is filled and its remembered text restored.
    bool InitForm() override;
    // Then the party's text is remembered.
    bool FormDone() override;
    bool BeforeShow() override;
    // " за <party> <code> - <name>, от дата <from>, до дата <to>".
    QString GetSubTitle() override;
    bool CanSave() override;
    // The party typed must be one of its list (or none).
    bool CanExecute() override;
    bool DoExecute() override;
    bool DoSave() override;
    QString GetSaveErrorText() override { return FSaveError; }

    // The payments typed, written in one transaction (what F2 writes; the
    // save then reads the window again). False when nothing was written.
    bool SavePayments();

    // --- handlers
    void GridClick();
    void GridKeyPress(QChar &Key);
    void ParamsChange();

    // The kind of documents listed: 0 all, 1 unpaid, 2 paid.
    int TypeIndex() const;
    void SetTypeIndex(int Index);

    int ValueColumn() const { return FValueColumn; }
    int PaidColumn() const { return FValueColumn + 1; }
    int RemainingColumn() const { return FValueColumn + 2; }
    int ToPayColumn() const { return FValueColumn + 3; }

    // The rows with a positive amount to pay, in grid order: grid row and
    // amount (2 decimals).
    std::vector<std::pair<int, long double>> PaymentRows() const;

    TGridAmountEntry *AmountEntry() const { return FAmounts.get(); }

    // --- controls
    QDateEdit *dtp_From = nullptr;
    QDateEdit *dtp_To = nullptr;
    QGroupBox *rg_Type = nullptr;
    QButtonGroup *rg_TypeButtons = nullptr;

protected:
    // The routine that fills a picker's list and restores its text.
    using TFillList = bool (*)(QObject *Owner, TCustomListEdit *ListEdit);
    // The window's party (the supplier, the minibus): its picker, made by
    // the window on the parameter panel, the word that names it in the
    // subtitle, the registry value that keeps its text and the routine that
    // fills its list. A change of the party clears the grid.
    void SetParty(TListEdit *Picker, const QString &Noun, const QString &RegistryValue, TFillList Fill);

    virtual QString CaptionText() const = 0;
    // The documents of the parameters, one record of ColCount fields each:
    // the value and the paid sum in their columns as read (the rest of the
    // money columns is computed here); with Keys, only the documents of
    // those keys (column 0 as listed), as the save reads the documents it
    // pays again. What the clerk should be told of the documents read goes
    // to Warnings, shown by the load (never by the save).
    virtual void FetchDocuments(TDelimitedStringList &Records, QStringList &Warnings,
                                const QStringList *Keys = nullptr) = 0;
    // The document of a grid row, as the refusal of a save names it.
    virtual TDocumentName RowDocumentName(int Row) const = 0;
    // The check of the party and of what else the payments need; "" passes.
    virtual QString PaymentPartyError() = 0;
    // The table of the payments (its docno numbers them).
    virtual QString PaymentTable() const = 0;
    // The insert of the payment of a grid row.
    virtual QString PaymentInsert(int Number, int Day, int Row, long double Amount) const = 0;

    // Set while the window sets its own parameters (no clearing then).
    bool FLoading = false;

private:
    std::unique_ptr<TGridAmountEntry> FAmounts;
    // The documents as loaded, by their key (column 0), with what had been
    // paid on them: the save pays only on these figures.
    TLoadedRows FLoaded;
    // The parameters the grid and its typed amounts belong to.
    TDocumentSwitch FSwitch;
    QStringList FFetchWarnings;
    TListEdit *FParty = nullptr;
    QString FPartyNoun;
    QString FPartyRegistryValue;
    TFillList FFillParty = nullptr;
    int FColCount;
    int FValueColumn;
    QString FSaveError;
};
