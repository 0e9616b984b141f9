#pragma once
// The period reports by site whose columns come from a crosstab: the sites
// down, the crosstab's values (dates, products) across, the money total
// last; the column count is checked against a grouped query of the same
// values.
#include "reports/WorkTableReport.h"

class TSiteCrosstabReport : public TPeriodReportForm
{
    Q_OBJECT
public:
    TSiteCrosstabReport(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    // Runs the report at once.
    bool BeforeShow() override;

    // One result column left (blank), the caption cell over both fixed
    // columns.
    void ResetResultColumns();

protected:
    void ParamsChanged() override;
    // "Обект/Дата" or "Обект/Артикул".
    virtual QString CornerCaption() = 0;

    // Each crosstab record (site, total, one cell per value) becomes: code,
    // the site's name from Sites, the cells, the total last.
    static void Reshape(TDelimitedStringList &X, const TDelimitedStringList &Sites);
    // Every cell from FixedCols on rewritten with its column's decimals
    // (Decimals(col)), and the totals record "¤Общо:" of those columns
    // appended, when X has records.
    void AppendTotals(TDelimitedStringList &X, const std::function<int(int Col)> &Decimals);
    // Filter and fill.
    void FillResult(TDelimitedStringList &X);
};
