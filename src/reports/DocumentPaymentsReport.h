#pragma once
// The reports that set each document's amount due against the payments
// booked for it: all, only unpaid or only paid documents, every payment of
// a document on its own row under it (the first beside the document).
//
// A run takes three queries whatever the number of documents: the
// documents, the paid sum of every document (grouped), and every payment
// of those documents; the payments are matched to their documents by key.
#include <QString>
#include <QStringList>
#include <vector>

#include "reports/PeriodPartyReport.h"

class QButtonGroup;
class QGroupBox;
class QRadioButton;

class TDocumentPaymentsReport : public TPeriodPartyReport
{
    Q_OBJECT
public:
    TDocumentPaymentsReport(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;
    // " за <party> <code> - <name>, от дата ..., до дата ...".
    QString GetSubTitle() override;

    // 0 "всички", 1 "неплатени", 2 "платени".
    int TypeIndex() const;
    void SetTypeIndex(int Index);

    QGroupBox *rg_Type = nullptr;
    QRadioButton *rbAll = nullptr;
    QRadioButton *rbUnpaid = nullptr;
    QRadioButton *rbPaid = nullptr;

protected:
    // Where a report keeps its values in a record.
    struct TLayout
    {
        int FieldCount = 0;
        int Due = 0;     // the amount due; paid and difference follow it
        int PayNo = 0;   // the payment's number; its date and sum follow it
        int Kind = -1;   // the payment kind's name, or -1 for none
        std::vector<int> RowFields;  // the record field of each column of the documents' query
        std::vector<int> KeyFields;  // the record fields that make the key, as the payment queries lead with them
        QString PartyNoun;           // the party as the subtitle names it
    };
    void SetLayout(const TLayout &ALayout) { FLayout = ALayout; }
    // The radio group's caption, after the dates.
    void AddTypeGroup(const QString &Caption);

    virtual TLayout Layout() const { return FLayout; }
    // The documents of the period (and party), in their order.
    virtual QString DocumentsSql() = 0;
    // A document's record (Layout().FieldCount fields) from its query row
    // (by default each column into its RowFields field).
    virtual QStringList DocumentRecord(const QStringList &Row);
    // The key that matches a record to its payments (by default its
    // KeyFields joined).
    virtual QString DocumentKey(const QStringList &Record);
    // Rows of the key's fields and the document's paid sum, one per
    // document that has payments.
    virtual QString PaidSumsSql() = 0;
    // Rows of the key's fields, the payment's number, date, sum and (with a
    // kind column) its kind's code, in the order shown.
    virtual QString PaymentsSql() = 0;
    // The number of key fields at the front of both payment queries.
    virtual int KeyFieldCount() const { return int(Layout().KeyFields.size()); }
    // The name of a payment kind's code ("" when none).
    virtual QString PaymentKindName(const QString &Code);

private:
    TLayout FLayout;
};
