#pragma once
// The indirect cost of each month (table Nepreki_razhodi), typed into the
// grid's twelve month rows.
#include "masterdata/CellMatrixForm.h"

class TfrmNepreki_razhodi : public TCellMatrixForm
{
    Q_OBJECT
public:
    explicit TfrmNepreki_razhodi(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    bool BeforeShow() override;

protected:
    bool LoadGrid(QHash<QString, QString> &Stored) override;
    bool IsValueCell(int Col, int Row) const override;
    bool ReadStored(QHash<QString, QString> &Values) override;
    // The row's month, found by its name: a sort moves the rows.
    QString CellKey(int Col, int Row) const override;
    QString UpdateSql(int Col, int Row, const QString &Value) const override;
    QString InsertSql(int Col, int Row, const QString &Value) const override;
    int ValueDecimals() const override { return 2; }
    QString CellName(int Col, int Row) const override;

private:
    // The month (1..12) whose name the row shows; 0 for none.
    int MonthOfRow(int Row) const;
};
