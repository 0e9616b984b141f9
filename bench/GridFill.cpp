// Pouring a record list of 100,000 rows and 10 fields into an attributed
// grid with FillGridFromDelimitedStrings, as every list and report form
// does, and the first paint after it; then a refill of the filled grid.
#include <QImage>
#include <benchmark/benchmark.h>

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "support/BenchMain.h"

namespace {

const QString Names[] = {"Хляб бял 500 г", "Хляб типов", "Козунак", "Кифла с мак", "Баничка"};

void MakeRecords(TDelimitedStringList &list, int rows)
{
    list.BeginUpdate();
    for (int r = 1; r <= rows; ++r) {
        QStringList fields{QString::number(r), QString::number(1000 + r % 700), Names[r % 5]};
        for (int c = 3; c < 10; ++c)
            fields << QString::number((r * 37 + c * 11) % 100000 / 100.0 - 50, 'f', 2);
        list.Add(fields.join(QChar('@')));
    }
    list.Add(QString::fromUtf8("¤Общо:@@@1@2@3@4@5@6@7"));
    list.EndUpdate();
}

struct ListGrid
{
    TRichGrid grid;
    TFloatFormatter value;

    ListGrid()
    {
        grid.resize(1000, 700);
        grid.SetColCount(10);
        grid.SetDefaultRowHeight(18);
        value.SetPrecision(2);
        value.SetMarkNegative(true);
        for (int c = 3; c < 10; ++c)
            grid.GetColAttributes(c)->SetFormatter(&value);
    }
};

void BM_FillAndFirstPaint(benchmark::State &state)
{
    TDelimitedStringList list;
    MakeRecords(list, static_cast<int>(state.range(0)));
    QImage screen(1000, 700, QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        auto *g = new ListGrid;
        state.ResumeTiming();
        FillGridFromDelimitedStrings(g->grid, list, false);
        g->grid.viewport()->render(&screen);
        state.PauseTiming();
        delete g;
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(list.Count());
}
BENCHMARK(BM_FillAndFirstPaint)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Refill(benchmark::State &state)
{
    TDelimitedStringList list;
    MakeRecords(list, static_cast<int>(state.range(0)));
    ListGrid g;
    FillGridFromDelimitedStrings(g.grid, list, false);
    for (auto _ : state)
        FillGridFromDelimitedStrings(g.grid, list, false);
}
BENCHMARK(BM_Refill)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunWidgetBenchmarks(argc, argv);
}
