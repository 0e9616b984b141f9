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
    bool LoadGrid() override;
    bool IsValueCell(int Col, int Row) const override;
    bool ReadStoredKeys(QSet<qint64> &Keys) override;
    qint64 CellKey(int Col, int Row) const override;
    QString UpdateSql(int Col, int Row, const QString &Value) const override;
    QString InsertSql(int Col, int Row, const QString &Value) const override;
    int ValueDecimals() const override { return 2; }
    QString CellName(int Col, int Row) const override;
};
