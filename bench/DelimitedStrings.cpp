// Record lists at the size of a year's report: splitting the text of
// 750,000 rows, and sorting 75,000 records.
#include <benchmark/benchmark.h>

#include "core/uDelimitedStrings.h"

namespace {

QString YearText(int rows)
{
    QString text;
    text.reserve(rows * 40);
    for (int i = 0; i < rows; ++i) {
        if (i)
            text += QChar(0xB0);
        text += QString::number((i * 7919) % 100003) + QStringLiteral("@Хляб бял %1@%2.35@12.06.2008").arg(i % 300).arg(i % 97);
    }
    return text;
}

void BM_SplitYearOfLines(benchmark::State &state)
{
    const QString text = YearText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TDelimitedStringList l;
        l.SetTextStr(text);
        benchmark::DoNotOptimize(l.Count());
    }
}
BENCHMARK(BM_SplitYearOfLines)->Arg(750000)->Unit(benchmark::kMillisecond);

void BM_SortReceipts(benchmark::State &state)
{
    const QString text = YearText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        TDelimitedStringList l;
        l.SetTextStr(text);
        state.ResumeTiming();
        l.Sort();
        benchmark::DoNotOptimize(l.Count());
    }
}
BENCHMARK(BM_SortReceipts)->Arg(75000)->Unit(benchmark::kMillisecond);

void BM_TextOfYear(benchmark::State &state)
{
    TDelimitedStringList l;
    l.SetTextStr(YearText(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(l.Text().size());
}
BENCHMARK(BM_TextOfYear)->Arg(750000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
