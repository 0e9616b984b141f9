#include "masterdata/unNepreki_razhodi.h"

#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"

#include <map>

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

bool TfrmNepreki_razhodi::LoadGrid()
{
    TDelimitedStringList stored;
    if (!SelectToList(this, DbConnection, QStringLiteral("Select * from Nepreki_razhodi"), stored))
        return false;
    std::map<int, QString> costs;
    QString month, cost;
    for (int i = 0; i < stored.Count(); ++i) {
        stored.GetField(i, 0, month);
        stored.GetField(i, 1, cost);
        costs[StrToIntOrZero(month)] = cost;
    }
    // The row's index is its month: the title row is row 0.
    Grid->SetRowCount(13);
    for (int m = 1; m <= 12; ++m) {
        const auto found = costs.find(m);
        QString text;
        FormatDotStr(found != costs.end() ? found->second : QString(), 2, text);
        Grid->SetRows(m, {MonthName(m), text});
    }
    return true;
}

bool TfrmNepreki_razhodi::IsValueCell(int Col, int) const { return Col == 1; }

bool TfrmNepreki_razhodi::ReadStoredKeys(QSet<qint64> &Keys)
{
    TDelimitedStringList stored;
    if (!SelectToList(this, DbConnection, QStringLiteral("Select * from Nepreki_razhodi"), stored))
        return false;
    QString month;
    for (int i = 0; i < stored.Count(); ++i) {
        stored.GetField(i, 0, month);
        Keys.insert(StrToIntOrZero(month));
    }
    return true;
}

qint64 TfrmNepreki_razhodi::CellKey(int, int Row) const { return Row; }

QString TfrmNepreki_razhodi::UpdateSql(int, int Row, const QString &Value) const
{
    return Format(QStringLiteral("Update Nepreki_razhodi set kosven_razhod = %s Where month_n_r = %d"), {Value, Row});
}

QString TfrmNepreki_razhodi::InsertSql(int, int Row, const QString &Value) const
{
    return Format(QString::fromUtf8(sqlInsertNepreki_razhodi), {Row, Value});
}

QString TfrmNepreki_razhodi::CellName(int, int Row) const
{
    return Format(QStringLiteral("месец %s"), {MonthName(Row)});
}
