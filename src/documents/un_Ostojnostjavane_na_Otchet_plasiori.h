#pragma once
// The valuation of a minibus's report: what one minibus sold on one day,
// product by product, as what its export passes took out less what came
// back as returned production, split into one or more price lines
// (quantity × price = value). F2 writes the day's report of the minibus
// anew as a whole (table Otchet_plasiori), which the payments on minibus
// reports and the minibus reports read.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class QPushButton;
class TGridAmountEntry;
class TListEdit;

class TfrmOstojnostjavane_na_Otchet_plasiori : public TQuorendReadForm
{
    Q_OBJECT
public:
    explicit TfrmOstojnostjavane_na_Otchet_plasiori(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmOstojnostjavane_na_Otchet_plasiori() override;

    // Grid columns: the product with its net quantity (taken out less
    // brought back), then one price line.
    enum { colCode, colName, colUnit, colNet, colNr, colQuantity, colPrice, colValue, colCount };

    // --- hooks
    QString GetSubTitle() override;
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    bool CanExecute() override;
    bool CanSave() override;
    bool DoExecute() override;
    bool DoSave() override;
    // Splits the current product over one more price line.
    bool DoNew() override;
    QString GetSaveErrorText() override { return FSaveError; }
    // Enter on "Зареди пета цена" presses it.
    void KeyPress(QChar &Key) override;

    // --- handlers
    void GridClick();
    void GridKeyPress(QChar &Key);
    void ParamsChange();
    void btnLoad_5th_PriceClick();

    // Every line's value from its quantity and price, the total and the
    // quantity of the selected rows.
    void RecalcValues();
    // The price lines of each product numbered from 1 again, down the
    // records (a line whose code is above 0): the lines of one product must
    // stand together.
    static void RenumberLines(std::vector<QStringList> &Records);
    // The statements of the save for the grid as it stands: the delete of
    // the day's report, then one insert per valued line; the lines the
    // filter hides are written as they were read.
    QStringList SaveStatements() const;
    // The price lines to save: the grid's and those the filter hides, each
    // product's lines numbered from 1 again, values computed.
    std::vector<QStringList> LinesToSave() const;

    int BusCode() const;
    int DayNumber() const;
    TGridAmountEntry *AmountEntry() const { return FAmounts.get(); }

    // --- controls
    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QDateEdit *date_doc = nullptr;
    QPushButton *btnLoad_5th_Price = nullptr;
    QLabel *lab_Total = nullptr;

private:
    bool CanEditCell(int ACol, int ARow) const;
    // Whether a grid row is a price line (a product code above 0, not a
    // totals row).
    bool IsLineRow(int Row) const;
    long double CellNumber(int Col, int Row) const;
    // The data rows as records, refilled after a line is added.
    std::vector<QStringList> GridRecords() const;
    void FillGrid(const std::vector<QStringList> &Records);

    std::unique_ptr<TGridAmountEntry> FAmounts;
    // The lines the filter left out of the grid, as read.
    std::vector<QStringList> FHidden;
    // The day's report as read, each line as the save would write it.
    QStringList FStoredLines;
    // The same, as the save reads it again to compare.
    TLoadedRows FLoaded;
    // What the quantities were computed from (the day's passes and returned
    // production of the minibus), as the save reads them again to compare.
    TLoadedRows FTakenOut;
    TLoadedRows FBroughtBack;
    // The minibus and date of the report the grid shows.
    TDocumentSwitch FSwitch;
    QString FSaveError;
    bool FLoading = false;
};
