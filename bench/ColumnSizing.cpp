// A refill of an attributed grid of 100,000 rows and 10 columns whose
// columns size themselves to their texts (AutoResizeCols), against the
// same refill of a grid whose columns keep their widths; and the first
// sizing of texts the grid has not measured before.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "support/Ratios.h"

namespace {

const QString Names[] = {"Хляб бял 500 г", "Хляб типов", "Козунак", "Кифла с мак", "Баничка"};

void MakeRecords(TDelimitedStringList &list, int rows, int shift)
{
    list.BeginUpdate();
    for (int r = 1; r <= rows; ++r) {
        QStringList fields{QString::number(r), QString::number(1000 + (r + shift) % 700), Names[(r + shift) % 5]};
        for (int c = 3; c < 10; ++c)
            fields << QString::number(((r + shift) * 37 + c * 11) % 100000 / 100.0 - 50, 'f', 2);
        list.Add(fields.join(QChar('@')));
    }
    list.EndUpdate();
}

void Refill(benchmark::State &state, bool autoResize)
{
    const int rows = static_cast<int>(state.range(0));
    TDelimitedStringList first, second;
    MakeRecords(first, rows, 0);
    MakeRecords(second, rows, 3);
    TRichGrid grid;
    grid.resize(1000, 700);
    grid.SetColCount(10);
    grid.SetAutoResizeCols(autoResize);
    FillGridFromDelimitedStrings(grid, first, false);
    // Each list shown once before the timing: the runs time refills of
    // texts the grid has shown before, as a report filled again does.
    FillGridFromDelimitedStrings(grid, second, false);
    FillGridFromDelimitedStrings(grid, first, false);
    bool flip = false;
    for (auto _ : state) {
        FillGridFromDelimitedStrings(grid, flip ? first : second, false);
        flip = !flip;
    }
    int width = 0;
    for (int c = 0; c < grid.ColCount(); ++c)
        width += grid.ColWidths(c);
    state.counters["width"] = width;
}

// A new grid each time: every text is measured for the first time.
void BM_FirstSizing(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    TDelimitedStringList first, second;
    MakeRecords(first, rows, 0);
    MakeRecords(second, rows, 3);
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = std::make_unique<TRichGrid>();
        grid->resize(1000, 700);
        grid->SetColCount(10);
        grid->SetAutoResizeCols(true);
        FillGridFromDelimitedStrings(*grid, first, false);
        state.ResumeTiming();
        FillGridFromDelimitedStrings(*grid, second, false);
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
}

void BM_RefillSizingColumns(benchmark::State &state) { Refill(state, true); }
void BM_RefillFixedColumns(benchmark::State &state) { Refill(state, false); }
BENCHMARK(BM_RefillSizingColumns)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefillFixedColumns)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstSizing)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::AddRatio("BM_RefillSizingColumns/100000", "BM_RefillFixedColumns/100000");
    bench::AddRatio("BM_FirstSizing/100000", "BM_RefillFixedColumns/100000");
    return bench::RunBenchmarks(argc, argv);
}
