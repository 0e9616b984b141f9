// The background sorter over a report's worth of records: 75,000 receipts
// by amount (numbers), by date, and by name then number.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "components/Sorters.h"
#include "core/uDelimitedStrings.h"

namespace {

void FillReceipts(TDelimitedStringList &list, int rows)
{
    for (int i = 0; i < rows; ++i)
        list.Add(QStringLiteral("%1@Хляб бял %2@%3.%4@%5.%6.2008")
                     .arg((i * 7919) % 100003)
                     .arg(i % 300)
                     .arg((i * 31) % 997 - 400)
                     .arg(i % 100, 2, 10, QLatin1Char('0'))
                     .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                     .arg(1 + i % 12, 2, 10, QLatin1Char('0')));
}

void SortOn(benchmark::State &state, std::vector<int> fields)
{
    for (auto _ : state) {
        state.PauseTiming();
        TDelimitedStringList list;
        FillReceipts(list, static_cast<int>(state.range(0)));
        state.ResumeTiming();
        TDelimitedStringsSorter sorter(&list);
        sorter.SetKeyFields(fields);
        sorter.Sort(0, list.Count() - 1);
        sorter.WaitFor();
    }
}

void BM_SortByAmount(benchmark::State &state) { SortOn(state, {2}); }
void BM_SortByDate(benchmark::State &state) { SortOn(state, {3}); }
void BM_SortByNameThenCode(benchmark::State &state) { SortOn(state, {1, 0}); }

BENCHMARK(BM_SortByAmount)->Arg(75000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDate)->Arg(75000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByNameThenCode)->Arg(75000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);   // the sorter's main-thread steps
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
