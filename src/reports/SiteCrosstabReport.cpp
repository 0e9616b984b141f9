#include "reports/SiteCrosstabReport.h"

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"

TSiteCrosstabReport::TSiteCrosstabReport(QWidget *AOwner, TFormStyle AFormStyle) : TPeriodReportForm(AOwner, AFormStyle)
{
}

bool TSiteCrosstabReport::InitForm()
{
    Grid->SetColCount(3);
    Grid->SetRowCount(3);
    Grid->SetFixedRows(2);
    Grid->SetFixedCols(2);
    Grid->SetCells(0, 0, CornerCaption());
    Grid->SetCells(0, 1, QStringLiteral("Шифър"));
    Grid->SetCells(1, 1, QStringLiteral("Наименование"));
    Grid->GetColAttributes(1)->SetAlignment(TCellAlignment{caLeft});
    AmountFormatter->SetPrecision(0);
    ResetResultColumns();
    return TPeriodReportForm::InitForm();
}

bool TSiteCrosstabReport::BeforeShow()
{
    const bool ok = TPeriodReportForm::BeforeShow();
    Execute();
    return ok;
}

void TSiteCrosstabReport::ResetResultColumns()
{
    Grid->SetCells(Grid->ColCount() - 1, 0, QString());
    Grid->SetColCount(Grid->FixedCols() + 1);
    Grid->SetCells(Grid->ColCount() - 1, 0, QString());
    Grid->SetCells(Grid->ColCount() - 1, 1, QString());
    Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0"));
}

void TSiteCrosstabReport::ParamsChanged()
{
    ResetResultColumns();
    TPeriodReportForm::ParamsChanged();
}

void TSiteCrosstabReport::Reshape(TDelimitedStringList &X, const TDelimitedStringList &Sites)
{
    for (int i = 0; i < X.Count(); ++i) {
        QStringList f = X.Strings(i).split(QLatin1Char('@'));
        QString name;
        LookupColumnByCode(StrToIntOrZero(f[0]), &Sites, 0, name, 1);
        const QString total = f.size() > 1 ? f[1] : QString();
        if (f.size() > 1)
            f.removeAt(1);
        f.insert(1, name);
        f.append(total);
        X.SetStrings(i, f.join(QLatin1Char('@')));
    }
}

void TSiteCrosstabReport::AppendTotals(TDelimitedStringList &X, const std::function<int(int Col)> &Decimals)
{
    if (X.Count() == 0)
        return;
    const int fixed = Grid->FixedCols();
    const int cols = Grid->ColCount();
    std::vector<long double> sums(cols, 0);
    std::vector<int> decimals(cols, 0);
    for (int c = fixed; c < cols; ++c)
        decimals[c] = Decimals(c);
    for (int i = 0; i < X.Count(); ++i) {
        QStringList f = X.Strings(i).split(QLatin1Char('@'));
        while (f.size() < cols)
            f << QString();
        for (int c = fixed; c < cols; ++c) {
            FormatDotStr(f[c], decimals[c], f[c]);
            sums[c] += DotStrToFloat(f[c]);
        }
        X.SetStrings(i, f.join(QLatin1Char('@')));
    }
    QStringList totals;
    totals << QStringLiteral("¤Общо:");
    for (int c = 1; c < cols; ++c)
        totals << (c >= fixed ? Format(QStringLiteral("%.*f"), {decimals[c], sums[c]}) : QString());
    X.Add(totals.join(QLatin1Char('@')));
}

void TSiteCrosstabReport::FillResult(TDelimitedStringList &X)
{
    FilterRows(X, QString());
    FillGridFromDelimitedStrings(*Grid, X, true);
}
