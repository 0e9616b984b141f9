// The background sorter over a report's records: amounts (numbers), dates,
// and name then number, at 100,000 and 1,000,000 records (the last row a
// totals row, which stays last); and a grid of 100,000 rows by amount.
// Each against std::sort of the same keys parsed beforehand (the amount as
// a double, the date as a day number, the name as its sort key).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <memory>
#include <vector>

#include "components/Sorters.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "platform/db/Collation.h"
#include "platform/ui/StringGrid.h"
#include "support/Ratios.h"

namespace {

QString Amount(int i) { return QStringLiteral("%1.%2").arg((i * 31) % 997 - 400).arg(i % 100, 2, 10, QLatin1Char('0')); }
QString Date(int i)
{
    return QStringLiteral("%1.%2.%3")
        .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
        .arg(1 + (i / 28) % 12, 2, 10, QLatin1Char('0'))
        .arg(2000 + (i * 7) % 9);
}
QString Name(int i) { return QStringLiteral("Хляб бял %1").arg((i * 7919) % 300); }

void FillReceipts(TDelimitedStringList &list, int rows)
{
    for (int i = 0; i < rows - 1; ++i)
        list.Add(QStringLiteral("%1@%2@%3@%4").arg((i * 7919) % 100003).arg(Name(i), Amount(i), Date(i)));
    list.Add(QStringLiteral("¤Общо:@@1.00@"));
}

void SortOn(benchmark::State &state, std::vector<int> fields)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<TDelimitedStringList>();
        FillReceipts(*list, static_cast<int>(state.range(0)));
        state.ResumeTiming();
        {
            TDelimitedStringsSorter sorter(list.get());
            sorter.SetKeyFields(fields);
            sorter.Sort(0, list->Count() - 1);
            sorter.WaitFor();
        }
        state.PauseTiming();
        list.reset();  // freeing the records is no part of the sort
        state.ResumeTiming();
    }
}

template <typename Key, typename Make>
void StdSortOf(benchmark::State &state, Make make)
{
    const int rows = static_cast<int>(state.range(0));
    std::vector<std::pair<Key, int>> parsed;
    parsed.reserve(size_t(rows));
    for (int i = 0; i < rows - 1; ++i)
        parsed.emplace_back(make(i), i);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::pair<Key, int>> keys = parsed;
        state.ResumeTiming();
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}

void BM_SortByAmount(benchmark::State &state) { SortOn(state, {2}); }
void BM_SortByDate(benchmark::State &state) { SortOn(state, {3}); }
void BM_SortByNameThenCode(benchmark::State &state) { SortOn(state, {1, 0}); }
void BM_StdSortAmounts(benchmark::State &state)
{
    StdSortOf<double>(state, [](int i) { return static_cast<double>(DotStrToFloat(Amount(i), 0)); });
}
void BM_StdSortDates(benchmark::State &state)
{
    StdSortOf<qint64>(state, [](int i) { return QDate::fromString(Date(i), QStringLiteral("dd.MM.yyyy")).toJulianDay(); });
}
void BM_StdSortNamesThenCodes(benchmark::State &state)
{
    StdSortOf<std::pair<QByteArray, int>>(state, [](int i) {
        return std::make_pair(platform::JetSortKey(Name(i)), (i * 7919) % 100003);
    });
}

void BM_GridSortByAmount(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    platform::StringGrid grid;
    grid.SetColCount(10);
    grid.SetRowCount(rows + 1);
    for (auto _ : state) {
        state.PauseTiming();
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < 10; ++c)
                grid.SetCells(c, r, c == 3 ? Amount(r) : QStringLiteral("клетка %1").arg(c));
        state.ResumeTiming();
        TStringGridSorter sorter(&grid);
        sorter.SetSortColumns({3});
        sorter.SortAll();
        sorter.WaitFor();
    }
}

BENCHMARK(BM_SortByAmount)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortAmounts)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDate)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortDates)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByNameThenCode)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortNamesThenCodes)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortByAmount)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);   // the sorter's main-thread steps; the grid
    for (const char *n : {"100000", "1000000"}) {
        bench::AddRatio(qPrintable(QStringLiteral("BM_SortByAmount/%1").arg(n)),
                        qPrintable(QStringLiteral("BM_StdSortAmounts/%1").arg(n)));
        bench::AddRatio(qPrintable(QStringLiteral("BM_SortByDate/%1").arg(n)),
                        qPrintable(QStringLiteral("BM_StdSortDates/%1").arg(n)));
    }
    bench::AddRatio("BM_SortByNameThenCode/100000", "BM_StdSortNamesThenCodes/100000");
    bench::AddRatio("BM_GridSortByAmount/100000", "BM_StdSortAmounts/100000");
    return bench::RunBenchmarks(argc, argv);
}
