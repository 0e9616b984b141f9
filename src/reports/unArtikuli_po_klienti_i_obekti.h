#pragma once
// "Артикули по клиенти и обекти (на база стокови разписки)": per product on
// the goods receipts of a period, of one customer or site or of all, paid,
// unpaid or all, the quantity, average price with VAT and value. The report
// on invoices derives from it.
#include "reports/WorkTableReport.h"

class QButtonGroup;
class QGroupBox;
class QRadioButton;

class TfrmArtikuli_po_klienti_i_obekti : public TPeriodReportForm
{
    Q_OBJECT
public:
    TfrmArtikuli_po_klienti_i_obekti(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool FormDone() override;
    QString GetSubTitle() override;
    bool DoExecute() override;

    // The WHERE text of the selection into the work table.
    QString BuildFilter();
    // The chosen item of rgTypesOfQueries (0 all, 1 paid, 2 unpaid).
    int TypeOfQueries() const;
    void SetTypeOfQueries(int Index);

    QLabel *panelCustomer = nullptr;
    TListEdit *leCustomer = nullptr;
    QLabel *PanelObject = nullptr;
    TListEdit *leObject = nullptr;
    QGroupBox *rgTypesOfQueries = nullptr;
    QButtonGroup *TypesOfQueries = nullptr;

protected:
    // The document's tables: the receipts here, the invoices in the other
    // report.
    virtual QString DocumentFilter(int F, int L);
    virtual QString PaidFilter(bool Paid);
    virtual QString IntoSql(const QString &T, const QString &W);
    // Over the price column: "с ДДС" or "без ДДС".
    virtual QString PriceCaption();
    void SetReportTexts(const QString &FormName, const QString &ACaption);

private:
    void FillSites();
};
