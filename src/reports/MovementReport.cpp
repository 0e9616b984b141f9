#include "reports/MovementReport.h"

#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "components/Formatters.h"

TMovementReport::TMovementReport(QWidget *AOwner, TFormStyle AFormStyle) : TPeriodReportForm(AOwner, AFormStyle) {}

bool TMovementReport::InitForm()
{
    const bool ok = TPeriodReportForm::InitForm();
    // Quantities of stock are whole pieces and kilograms shown as counted.
    AmountFormatter->SetPrecision(0);
    SetHeaderSort(true);
    return ok;
}

bool TMovementReport::SelectOpening(const QString &Table)
{
    Q.Clear();
    return Select(OpeningSql(Table), Q);
}

bool TMovementReport::SelectPeriod(const QString &Table)
{
    Q.Clear();
    return Select(PeriodSql(Table), Q);
}

void TMovementReport::AddToColumn(int Col) { Book(Col, 1); }
void TMovementReport::SubtractFromColumn(int Col) { Book(Col, -1); }

void TMovementReport::Book(int Col, int Sign)
{
    const int decimals = QuantityDecimals();
    for (int i = 0; i < Q.Count(); ++i) {
        QString code, quantity;
        Q.GetField(i, 0, code);
        Q.GetField(i, 1, quantity);
        const int at = FindItem(code);
        if (at < 0) {
            ShowError(MissingCodeMessage(), {code});
            continue;
        }
        QString field;
        R.GetField(at, Col, field);
        const long double sum = RoundFloat(decimals, DotStrToFloat(field)) +
                                Sign * RoundFloat(decimals, DotStrToFloat(quantity));
        FloatToDotStr(-1, field, sum);
        R.SetField(at, Col, field);
    }
}

void TMovementReport::KeepMoved(std::initializer_list<int> Fields)
{
    TDelimitedStringList kept;
    for (int i = 0; i < R.Count(); ++i) {
        bool moved = false;
        for (int f : Fields) {
            QString value;
            R.GetField(i, f, value);
            if (DotStrToFloat(value) != 0)
                moved = true;
        }
        if (moved)
            kept.Add(R.Strings(i));
    }
    R.Clear();
    for (int i = 0; i < kept.Count(); ++i)
        R.Add(kept.Strings(i));
}
