#pragma once
// The driver's daily sheet: for one minibus and one delivery date, the
// quantities every site on the minibus's route orders of every product with
// a site price, in one grid (sites as rows, products as columns). The save
// turns each site whose quantities were changed into its goods receipt of
// the day, priced from the site prices.
//
// A receipt that exists already keeps everything the sheet does not show:
// its header, its discounts, its paid and urgent marks and dates, and the
// lines of products without a site price; only the lines of the products
// whose quantities were changed are written. New receipts are numbered one
// above the largest number of the table, inside the save's transaction, and
// this workstation's goods-receipt counter follows them.
#include <QDate>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "core/uDelimitedStrings.h"
#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class TGridAmountEntry;
class TListEdit;

class TfrmDneven_list_na_shofior : public TQuorendReadForm
{
    Q_OBJECT
public:
    explicit TfrmDneven_list_na_shofior(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmDneven_list_na_shofior() override;

    // --- hooks
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    QString GetSubTitle() override;
    bool CanExecute() override;
    bool DoExecute() override;
    bool DoSave() override;

    // --- handlers
    void leMicrobusChange();
    void dtp_ForChange();
    void GridClick();
    void GridKeyPress(QChar &Key);

    // Each site row's value and the totals row from the quantities and the
    // hidden prices.
    void RecalcTotals();
    // Empties the product columns (on init, before each load, on a change
    // of minibus or date).
    void ResetGrid();

    // The number of products in the sheet.
    int ProductCount() const;
    // The first quantity column, the first price column, the value column.
    static constexpr int FirstQuantityCol = 2;
    int FirstPriceCol() const { return FirstQuantityCol + ProductCount(); }
    int ValueCol() const;
    // Whether the cell takes a quantity: a priced cell of the quantity
    // block in a site's row.
    bool CanEditCell(int ACol, int ARow) const;
    // The number of the paid receipt of the row's site and day (0: none).
    long double PaidReceiptOf(int ARow) const;
    static QString PaidReceiptMessage(long double Number, int Site);

    // The rows as loaded (empty: nothing loaded).
    const TDelimitedStringList &KeptRows() const { return FKept; }
    // The messages of the last save that were not failures, one per site
    // it left as it was (a row worth 0, several goods receipts of one site
    // and day, a receipt paid meanwhile), shown after it.
    const QStringList &SaveWarnings() const { return FWarnings; }
    TGridAmountEntry *AmountEntry() const { return FAmounts.get(); }

    // The colour of a cell whose site has no price for the product.
    static constexpr TColor UnpricedColor = 0x808000;

    // --- controls
    TListEdit *leMicrobus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QDateEdit *dtp_For = nullptr;

private:
    // A site row of the grid whose quantities differ from those loaded:
    // its site, and per product column whether it changed.
    struct TChangedRow
    {
        int Row = 0;
        int Site = 0;
        std::vector<bool> Changed;
    };
    std::vector<TChangedRow> ChangedRows() const;
    long double Quantity(int ACol, int ARow) const;
    long double Price(int ACol, int ARow) const;
    void Progress(int Position);
    // Before the minibus or the date changes: unsaved quantities are saved
    // for the sheet they were typed in, dropped or kept (Cancel, the change
    // undone); false when the change must not go on.
    bool ConfirmSheetChange();

    TDelimitedStringList FKept;
    std::map<int, int> FKeptBySite;   // site -> record of FKept
    std::map<int, long double> FPaidBySite;   // site -> its paid receipt of the day
    TLoadedRows FLoaded;   // the day's receipt lines of the route, as read
    struct TStoredReceipt
    {
        std::map<int, std::pair<long double, long double>> Lines;   // product -> discounted price, value
        bool Several = false;   // the site has more than one receipt that day
    };
    std::map<int, TStoredReceipt> FStoredBySite;
    std::unique_ptr<TGridAmountEntry> FAmounts;
    QStringList FWarnings;
    int FGauge = 0;
    bool FInitializing = false;
    bool FSwitching = false;
    QString FShownBus;   // the minibus and date of the sheet loaded
    QDate FShownDate;
};
