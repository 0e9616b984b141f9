#include "masterdata/unNepreki_razhodi.h"

#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"


namespace {
const bool registered = RegisterQuorendFormClass<TfrmNepreki_razhodi>(QStringLiteral("TfrmNepreki_razhodi"));
} // namespace

TfrmNepreki_razhodi::TfrmNepreki_razhodi(QWidget *AOwner, TFormStyle AFormStyle) : TCellMatrixForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmNepreki_razhodi"));
    Grid->SetColCount(2);
    Grid->SetFixedRows(1);
    Grid->SetRows(0, {QStringLiteral("Месец"), QStringLiteral("Непреки разходи")});
}

bool TfrmNepreki_razhodi::BeforeShow()
{
    const bool result = TCellMatrixForm::BeforeShow();
    SetTitle(QStringLiteral("Непреки разходи"));
    Grid->GetColAttributes(0)->SetAlignment(TCellAlignment{caLeft});
    Execute();
    return result;
}

bool TfrmNepreki_razhodi::ReadStored(QHash<QString, QString> &Values)
{
    TDelimitedStringList stored;
    SelectToList(this, DbConnection, QStringLiteral("Select * from Nepreki_razhodi"), stored);
    QString month, cost;
    for (int i = 0; i < stored.Count(); ++i) {
        stored.GetField(i, 0, month);
        stored.GetField(i, 1, cost);
        Values.insert(QString::number(StrToIntOrZero(month)), cost);
    }
    return true;
}

bool TfrmNepreki_razhodi::LoadGrid(QHash<QString, QString> &Stored)
{
    if (!ReadStored(Stored))
        return false;
    Grid->SetRowCount(13);
    for (int m = 1; m <= 12; ++m) {
        QString text;
        FormatDotStr(Stored.value(QString::number(m)), 2, text);
        Grid->SetRows(m, {MonthName(m), text});
    }
    return true;
}

bool TfrmNepreki_razhodi::IsValueCell(int Col, int Row) const { return Col == 1 && MonthOfRow(Row) != 0; }

int TfrmNepreki_razhodi::MonthOfRow(int Row) const
{
    const QString name = Grid->Cells(0, Row);
    for (int m = 1; m <= 12; ++m)
        if (MonthName(m) == name)
            return m;
    return 0;
}

QString TfrmNepreki_razhodi::CellKey(int, int Row) const { return QString::number(MonthOfRow(Row)); }

QString TfrmNepreki_razhodi::UpdateSql(int, int Row, const QString &Value) const
{
    return Format(QStringLiteral("Update Nepreki_razhodi set kosven_razhod = %s Where month_n_r = %d"),
                  {Value, MonthOfRow(Row)});
}

QString TfrmNepreki_razhodi::InsertSql(int, int Row, const QString &Value) const
{
    return Format(QString::fromUtf8(sqlInsertNepreki_razhodi), {MonthOfRow(Row), Value});
}

QString TfrmNepreki_razhodi::CellName(int, int Row) const
{
    return Format(QStringLiteral("месец %s"), {MonthName(MonthOfRow(Row))});
}
