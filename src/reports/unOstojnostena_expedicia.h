#pragma once
// "Остойностена експедиция": per product, the quantity placed with the
// minibuses (export passes less returned production) beside the quantity
// and value that the minibus sales reports valued, with the average price.
//
// Prices and values can be corrected in the grid for the printout and the
// export; nothing is written to the database. A typed price gives the value
// (valued quantity × price, to the stotinka), a typed value the price
// (value ÷ valued quantity, to 4 decimals; none for a zero quantity), and
// the totals rows follow.
#include <memory>

#include "reports/PeriodPartyReport.h"

class TGridAmountEntry;

class TfrmOstojnostena_expedicia : public TPeriodPartyReport
{
    Q_OBJECT
public:
    TfrmOstojnostena_expedicia(QWidget *AOwner, TFormStyle AFormStyle);
    ~TfrmOstojnostena_expedicia() override;

    bool InitForm() override;
    QString GetSubTitle() override;
    bool DoExecute() override;

    // The grouped statements of the period: export passes, returned
    // production, the sales reports' valued quantities and values.
    QString PassesSql();
    QString ReturnsSql();
    QString SalesSql();

    // Whether a cell takes a typed price or value: the price and value
    // columns of a product row.
    bool CanEditCell(int ACol, int ARow) const;
    // A typed price or value sets its partner in the row, then Recalculate.
    void CellEdited(int ACol, int ARow);
    // The totals rows again from the product rows above them, and the
    // selected rows' valued quantity in the status bar.
    void Recalculate();

    TGridAmountEntry *AmountEntry() const { return FAmounts.get(); }

    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;

    enum TColumn { colCode, colName, colMeasure, colPlaced, colValued, colPrice, colValue, colCount };

private:
    // Text formatted with the chosen minibus; empty when none is chosen.
    QString BusFilter(const QString &Text) const;

    std::unique_ptr<TGridAmountEntry> FAmounts;
};
