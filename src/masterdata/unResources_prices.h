#pragma once
// The price of each resource in one month (table Resources_prices), typed
// into the grid's price column.
#include "masterdata/CellMatrixForm.h"

class QLabel;
class TListEdit;

class TfrmResources_prices : public TCellMatrixForm
{
    Q_OBJECT
public:
    explicit TfrmResources_prices(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The month list filled, its text restored.
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    QString GetSubTitle() override;

    // The month the grid was loaded for (0: none).
    int LoadedMonth() const { return FLoadedMonth; }

    QLabel *lblMonth = nullptr;
    TListEdit *leMonth = nullptr;
    QLabel *pnlMonth = nullptr;

protected:
    bool LoadGrid(QHash<QString, QString> &Stored) override;
    bool IsValueCell(int Col, int Row) const override;
    bool ReadStored(QHash<QString, QString> &Values) override;
    // The row's resource code.
    QString CellKey(int Col, int Row) const override;
    QString UpdateSql(int Col, int Row, const QString &Value) const override;
    QString InsertSql(int Col, int Row, const QString &Value) const override;
    int ValueDecimals() const override { return PricePrecision; }
    QString CellName(int Col, int Row) const override;

private:
    int ChosenMonth() const;
    QString MonthPricesSql(int Month) const;

    int FLoadedMonth = 0;
};
