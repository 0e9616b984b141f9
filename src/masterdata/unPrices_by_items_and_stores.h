#pragma once
// The price of each product at each site of one minibus's customers (table
// Prices_by_items_and_stores): sites in the rows, products in the columns
// (row 0 the product's code, row 1 its name), prices typed into the cells.
#include "masterdata/CellMatrixForm.h"

#include <QVector>

class QLabel;
class QPushButton;
class TListEdit;

class TfrmPrices_by_items_and_stores : public TCellMatrixForm
{
    Q_OBJECT
public:
    explicit TfrmPrices_by_items_and_stores(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The minibus list filled, its text restored.
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    // A minibus must be chosen ("Изберете микробус").
    bool CanExecute() override;
    QString GetSubTitle() override;

    // The first site's price of the current product column goes to every
    // site.
    void btnCopyToAllClick();

    // The minibus the grid was loaded for (0: none).
    int LoadedBus() const { return FLoadedBus; }
    static constexpr int FirstProductCol = 2;

    QLabel *lblMicrobus = nullptr;
    TListEdit *leMicrobus = nullptr;
    QLabel *pnlMicrobus = nullptr;
    QPushButton *btnCopyToAll = nullptr;

protected:
    bool LoadGrid(QHash<QString, QString> &Stored) override;
    bool IsValueCell(int Col, int Row) const override;
    bool ReadStored(QHash<QString, QString> &Values) override;
    // "product:site": the column's product code (header row 0) and the
    // row's site code.
    QString CellKey(int Col, int Row) const override;
    QString UpdateSql(int Col, int Row, const QString &Value) const override;
    QString InsertSql(int Col, int Row, const QString &Value) const override;
    int ValueDecimals() const override { return PricePrecision; }
    QString CellName(int Col, int Row) const override;
    // Compared as numbers: 1.5 and 1.50 are one price.
    bool CellChanged(const QString &Now, const QString &Kept) const override;

private:
    int ChosenBus() const;
    QString StoredPricesSql(int Bus) const;
    static QString Key(int Product, int Site)
    {
        return QString::number(Product) + QLatin1Char(':') + QString::number(Site);
    }

    int FLoadedBus = 0;
};
