#pragma once
// The one-day planning reports over the goods receipts due on a date, split
// into regular and urgent receipts and narrowed to a product group and
// subgroup: the ordered quantities per product, or the raw materials they
// need by the consumption norms.
#include <QDate>
#include <QString>

#include "core/uDelimitedStrings.h"
#include "reports/ReportForm.h"

class QDateEdit;
class QLabel;
class TListEdit;

class TDayOrdersReport : public TReportForm
{
    Q_OBJECT
public:
    TDayOrdersReport(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;

    QDate ForDate() const;
    // The prefix of the HAVING clause for the chosen group and subgroup.
    virtual QString BuildGroupFilter();
    // The ordered quantities per product of the day's regular (Urgent
    // false) or urgent receipts; Into (when not empty) makes a table of them.
    QString OrdersSql(const QString &Into, bool Urgent);

    QDateEdit *dtp_For = nullptr;
    TListEdit *leGroup = nullptr;
    QLabel *pnlGroup = nullptr;
    TListEdit *leSubGroup = nullptr;
    QLabel *pnlSubGroup = nullptr;

protected:
    void SetReport(const QString &FormName, const QString &ACaption, const QString &RowCaption);
    bool FillList(TListEdit *Edit, const QString &Sql, const QString &Captions, const QString &Value);
    // The registry value of this form's control ("frmX_" + Control).
    QString ValueName(const QString &Control) const;
    virtual void GroupChanged();

    // R := a record per product of Regular (code, name, "", quantity, "",
    // "") with the urgent quantities of Urgent joined in or appended; sorted
    // by name; the total and the measure of Measures filled in; shown.
    void MergeAndShow(TDelimitedStringList &Regular, TDelimitedStringList &Urgent, TDelimitedStringList &Measures);

    QString Caption;
};
