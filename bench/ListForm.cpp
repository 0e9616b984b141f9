// The list form of the code pickers: type-ahead over 5,000 codes (against
// the grid utility's longest-prefix search, which does not skip hidden
// rows), and a filter over 100,000 rows (against matching the same cells
// without hiding any row).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdio>

#include "components/FilterMan.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/ListForm.h"
#include "core/uDelimitedStrings.h"
#include "framework/LookupLists.h"
#include "support/BenchMain.h"

namespace {

void FillCodes(TListForm &form, int rows)
{
    TRichGrid *g = form.Grid();
    g->SetRowCount(rows + 1);
    g->SetFixedRows(1);
    g->SetCells(0, 0, QStringLiteral("Шифър"));
    g->SetCells(1, 0, QStringLiteral("Наименование"));
    for (int i = 0; i < rows; ++i) {
        g->SetCells(0, i + 1, QString::number(100000 + i * 7));
        g->SetCells(1, i + 1, QStringLiteral("Изделие %1 хляб").arg(i));
    }
}

// One key of type-ahead: a four-character prefix located from the top.
void BM_TypeAheadKey(benchmark::State &state)
{
    TListForm form;
    FillCodes(form, static_cast<int>(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        QString prefix = QString::number(100000 + (i++ % 5000) * 7).left(5);
        benchmark::DoNotOptimize(form.LocateText(prefix, 0, 0, 1));
    }
}
BENCHMARK(BM_TypeAheadKey)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_GridUtilityPrefix(benchmark::State &state)
{
    TListForm form;
    FillCodes(form, static_cast<int>(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        QString prefix = QString::number(100000 + (i++ % 5000) * 7).left(5);
        benchmark::DoNotOptimize(FindBestPrefixRow(*form.Grid(), prefix, 0, 0, 1));
    }
}
BENCHMARK(BM_GridUtilityPrefix)->Arg(5000)->Unit(benchmark::kMicrosecond);

double FilterSeconds(TListForm &form, bool hide)
{
    QElapsedTimer t;
    t.start();
    if (hide) {
        form.editSearch()->setText(QStringLiteral("*9*;~1000"));
        form.DoFilter();
    } else {
        const TFilterMan filter(QStringLiteral("*9*;~1000"), FilterKindText);
        int n = 0;
        for (int r = 1; r < form.Grid()->RowCount(); ++r)
            n += filter.Matches(form.Grid()->Cells(0, r));
        benchmark::DoNotOptimize(n);
    }
    return t.nsecsElapsed() / 1e9;
}

void BM_Filter(benchmark::State &state)
{
    TListForm form;
    FillCodes(form, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        form.editSearch()->clear();
        form.DoFilter();   // every row shown again
        form.editSearch()->setText(QStringLiteral("*9*;~1000"));
        form.DoFilter();
    }
}
BENCHMARK(BM_Filter)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void Products(TDelimitedStringList &list, int n)
{
    for (int i = 0; i < n; ++i)
        list.Add(QStringLiteral("%1@Изделие %2 хляб типов@бр").arg(100 + i).arg(i));
}

// A picker of 5,000 products filled and its columns sized to their texts.
void BM_SetupPicker(benchmark::State &state)
{
    TDelimitedStringList list;
    Products(list, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TListEdit edit;
        SetupListEdit(&edit, QStringLiteral("Шифър@Наименование@Мярка"), &list);
    }
}
BENCHMARK(BM_SetupPicker)->Arg(5000)->Unit(benchmark::kMillisecond);

// The grid fill of the same records into a grid of the same kind, sized.
void BM_GridFillAndSize(benchmark::State &state)
{
    TDelimitedStringList list;
    Products(list, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TRichGrid grid;
        grid.SetColCount(3);
        grid.SetRowCount(2);
        grid.SetFixedRows(1);
        for (int c = 0; c < 3; ++c)
            grid.GetColAttributes(c)->SetAutoResize(true);
        FillGridFromDelimitedStrings(grid, list, true);
        grid.AutoSizeColumns();
    }
}
BENCHMARK(BM_GridFillAndSize)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    const int rc = bench::RunWidgetBenchmarks(argc, argv);
    {
        int qargc = 1;
        QApplication app(qargc, argv);
        TListForm form;
        FillCodes(form, 100000);
        const double ours = FilterSeconds(form, true);
        const double bare = FilterSeconds(form, false);
        std::printf("filter over 100,000 rows: %.1f ms; matching alone %.1f ms; ratio %.2f\n",
                    ours * 1e3, bare * 1e3, ours / bare);
    }
    return rc;
}
