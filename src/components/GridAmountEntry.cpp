#include "components/GridAmountEntry.h"

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"

TGridAmountEntry::TGridAmountEntry(platform::StringGrid *Grid, TAmountKind Kind) : FGrid(Grid), FKind(Kind) {}

namespace {

bool PaintedAsTotals(const platform::StringGrid &Grid, int Row)
{
    const auto *rich = dynamic_cast<const TRichGrid *>(&Grid);
    return rich && rich->HasRowAttributes(Row)
           && const_cast<TRichGrid *>(rich)->GetRowAttributes(Row)->BackColor() == TotalsRowColor;
}

} // namespace

bool TGridAmountEntry::DefaultCanEditCell(int ACol, int ARow) const
{
    if (!FGrid || ACol != FEditableColumn)
        return false;
    if (ARow < FGrid->FixedRows() || ARow >= FGrid->RowCount() - 1)
        return false;
    // A filter-totals row above the totals row is no delivery either.
    if (PaintedAsTotals(*FGrid, ARow))
        return false;
    return !FGrid->Cells(0, ARow).trimmed().isEmpty();
}

void TGridAmountEntry::UpdateEditing()
{
    if (!FGrid)
        return;
    const int col = FGrid->Col();
    const int row = FGrid->Row();
    SetGridEditing(*FGrid, CanEditCell ? CanEditCell(col, row) : DefaultCanEditCell(col, row));
}

void TGridAmountEntry::SumIntoLastRow()
{
    if (!FGrid || FGrid->RowCount() - 1 < FGrid->FixedRows())
        return;
    const int last = FGrid->RowCount() - 1;
    for (int col : SumColumns) {
        if (col < 0 || col >= FGrid->ColCount())
            continue;
        long double sum = 0;
        for (int row = FGrid->FixedRows(); row < last; ++row) {
            if (PaintedAsTotals(*FGrid, row))
                continue;
            sum += RoundFloat(2, DotStrToFloat(FGrid->Cells(col, row)));
        }
        QString text;
        FloatToFixedDotStr(2, text, sum);
        if (FGrid->Cells(col, last) != text)
            FGrid->SetCells(col, last, text);
    }
}

void TGridAmountEntry::RecalcTotals()
{
    if (OnRecalcTotals)
        OnRecalcTotals();
    else
        SumIntoLastRow();
}

void TGridAmountEntry::Click()
{
    UpdateEditing();
    RecalcTotals();
}

bool AcceptsAmountKey(QChar Key, bool Decimal)
{
    const ushort c = Key.unicode();
    if (c == 8 || c == 9 || c == 10 || c == 13)
        return true;
    if (c >= '0' && c <= '9')
        return true;
    return Decimal && c == '.';
}

void FilterAmountKey(QChar &Key, bool Decimal)
{
    if (Decimal && Key == QLatin1Char(','))
        Key = QLatin1Char('.');
    if (!AcceptsAmountKey(Key, Decimal))
        Key = QChar();
}

bool IsAmountText(const QString &Text)
{
    const QString t = Text.trimmed();
    long double value = 0;
    return t.isEmpty() || ReadDotDecimal(t, value);
}

QString AmountTextError(const QString &Text, const QString &What)
{
    if (IsAmountText(Text))
        return QString();
    return Format(LoadResString(rsNotANumberFmt), {Text.trimmed(), What}) + QStringLiteral("\n\r");
}

bool TGridAmountEntry::AcceptsKey(QChar Key) const
{
    return AcceptsAmountKey(Key, FKind == akDecimal);
}

void TGridAmountEntry::KeyPress(QChar &Key)
{
    UpdateEditing();
    RecalcTotals();
    FilterAmountKey(Key, FKind == akDecimal);
}
