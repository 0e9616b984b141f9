#pragma once
// The request to release raw materials and other resources from the store
// for one day's production. For the chosen day the window computes, from
// the acts of produced production and the consumption norms, how much of
// each resource the production used by norm, shows next to it what is
// already requested for the day, and lets the operator type the requested
// quantities into the grid. F2 replaces the whole day's request in one
// transaction: the day is never left empty or half written.
#include <QString>
#include <memory>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QPushButton;
class TGridAmountEntry;

class TfrmIskane_za_otpuskane_na_surovini_i_materiali : public TQuorendReadForm
{
    Q_OBJECT
public:
    explicit TfrmIskane_za_otpuskane_na_surovini_i_materiali(QWidget *AOwner = nullptr,
                                                              TFormStyle AFormStyle = fsMDIChild);
    ~TfrmIskane_za_otpuskane_na_surovini_i_materiali() override;

    // Grid columns.
    enum { colCode, colName, colUnit, colByNorm, colRequested, colDifference, colCount };

    // --- hooks
    QString GetSubTitle() override;
    bool InitForm() override;
    bool BeforeShow() override;
    bool CanSave() override;
    bool DoExecute() override;
    bool DoSave() override;
    QString GetSaveErrorText() override { return FSaveError; }

    // --- handlers
    void GridClick();
    void GridKeyPress(QChar &Key);
    // "Изписване": the requested quantity of every row is what the norms
    // give.
    void btnIzpisvaneClick();

    // Every data row's difference: by norm - requested.
    void RecalcDifferences();
    // Whether the cell takes a requested quantity.
    bool CanEditCell(int ACol, int ARow) const;
    // The requested quantities to write, in grid order, as they stand now:
    // resource code and quantity rounded to 3 decimals, only those above 0.
    std::vector<std::pair<int, long double>> RequestedRows() const;

    TGridAmountEntry *AmountEntry() const { return FAmounts.get(); }

    // --- controls
    QDateEdit *date_doc = nullptr;
    QPushButton *btnIzpisvane = nullptr;

private:
    void DateChanged();

    std::unique_ptr<TGridAmountEntry> FAmounts;
    QString FSaveError;
    // The day the grid shows (0: none) and the resources of its request
    // that the F6 filter hides: the save keeps their stored quantities.
    int FShownDay = 0;
    std::set<int> FHiddenCodes;
    // The day's request as read: code and quantity (3 decimals).
    std::map<int, QString> FStoredRequest;
    // The day's stored rows as loaded, which the save compares.
    TLoadedRows FLoaded;
    // The date of the request the grid shows.
    TDocumentSwitch FSwitch;
};
