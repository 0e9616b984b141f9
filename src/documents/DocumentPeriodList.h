#pragma once
// The common part of the lists of stored sales documents over a period
// (invoices and notices, goods receipts, goods-receipt lines): the two
// dates remembered per list, the subtitle, F3 opening the current row's
// document and Ctrl+F9 printing it. The paying lists add the marks of
// column 8 (space in the grid, "Маркирай всички за плащане"), the sum of
// the marked rows and "Плащане", which records the marked unpaid documents
// as paid today in one transaction.
#include <QString>
#include <functional>
#include <vector>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QAction;
class QDateEdit;
class QLabel;
class QPushButton;
class TCellFormatter;
class TDelimitedStrings;
class TDelimitedStringList;

class TDocumentPeriodList : public TQuorendReadForm
{
    Q_OBJECT
public:
    // RegistryPrefix names the form's registry values ("frmInvoice_Opis"
    // gives "frmInvoice_Opis_dtp_From" and "..._dtp_To").
    TDocumentPeriodList(QWidget *AOwner, TFormStyle AFormStyle, const QString &RegistryPrefix, bool Paying);
    ~TDocumentPeriodList() override;

    QDateEdit *dtp_From = nullptr;
    QDateEdit *dtp_To = nullptr;
    QPushButton *btnPayment = nullptr;
    QLabel *labTotal_Cap = nullptr;
    QLabel *labTotal = nullptr;
    QLabel *labHint = nullptr;
    QPushButton *btnPrintContract = nullptr;
    QAction *actPrintDocument = nullptr;

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;
    bool DoEdit() override;

    // --- handlers
    void actPrintDocumentExecute();
    void btnPrintContractClick();
    void GridKeyPress(QChar &Key);
    void btnPaymentClick();
    void btnMarkAll_4_PaymentClick();
    void dtp_FromChange();
    void dtp_ToChange();

    // Marks of the paying lists.
    bool IsMarked(int Row) const;
    // Marks an unmarked unpaid row, unmarks a marked one; then the total.
    void ToggleMark(int Row);
    // The sum of column 5 of the marked rows.
    long double MarkedTotal() const;

    // The number in column 0 of a row.
    long double RowNumber(int Row) const;

protected:
    // The document of a number: opened (F3) or printed (Ctrl+F9).
    virtual void OpenDocument(int Row, long double Number) = 0;
    virtual void PrintDocument(long double Number) = 0;
    // The payment of one number, and the message of a failed payment.
    // Pays the document of the number, only while it is unpaid: a document
    // paid or deleted by another workstation since the list was read
    // changes no row, and the payment is refused.
    virtual QString PaymentStatement(int Day, long double Number) const;
    virtual QString PaymentFailureMessage() const;
    // The document of a row, as the refusal names it.
    virtual TDocumentName RowDocumentName(int Row) const;
    // After a load: the totals row and the grid, as every list ends.
    void FinishRows(TDelimitedStringList &Rows);
    // Where a list's query puts its fields.
    struct TRowFields
    {
        int Count;                 // fields of a row
        int Value;                 // the value, shown at two decimals and summed
        std::vector<int> Flags;    // shown as "да" / "не"
        std::vector<int> Dates;    // a day-0 date shown empty
        std::vector<int> Cleared;  // shown empty
    };
    // The rows of a list's query shown: the number of field 0 padded, the
    // fields as Fields says (Own changes a record's own fields first), a
    // totals row with the sum of the values, then FinishRows.
    void ShowDocumentRows(TDelimitedStringList &Rows, const TRowFields &Fields,
                          const std::function<void(QString &Record)> &Own = {});
    void ShowMarkedTotal();

private:
    QString FRegistryPrefix;
    bool FPaying;
    int FMarkImage = -1;
    TCellFormatter *FMarkFormatter = nullptr;
};

// The helpers of the lists' rows.
namespace documentlist {
// "да" for anything but "False", "не" for "False".
QString YesNo(const QString &Flag);
// A date text of day 0 ("30.12.1899...") becomes empty.
QString DateOrEmpty(const QString &Text);
// The number '0'-padded to ten characters.
QString NumberText(const QString &Number);
} // namespace documentlist
