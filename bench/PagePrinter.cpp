// The page printer laying out a long text document: 2,000 lines of 80
// columns, and the same text as lines too long for the page, which the
// word wrap breaks with the halving prefix search.
#include <benchmark/benchmark.h>

#include "framework/TextPagePrinter.h"
#include "support/BenchMain.h"

namespace {

QString Line(int i)
{
    return QStringLiteral("   %1 Хляб бял 0.500 кг ! %2 ! %3.00 ! ")
        .arg(i, 5)
        .arg(i % 97, 6)
        .arg(i % 1000, 8)
        .leftJustified(80, QLatin1Char('.'));
}

void BM_LayOutLines(benchmark::State &state)
{
    platform::NoPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        page.BeginDoc();
        for (int i = 0; i < lines; ++i) {
            page.WriteLine(Line(i));
            page.NewLine();
        }
        page.EndDoc();
        benchmark::DoNotOptimize(page.PageCount());
    }
}
BENCHMARK(BM_LayOutLines)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_LayOutWrappedLines(benchmark::State &state)
{
    platform::NoPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        page.BeginDoc();
        for (int i = 0; i < lines; ++i) {
            page.WriteLine(Line(i) + Line(i + 1));
            page.NewLine();
        }
        page.EndDoc();
        benchmark::DoNotOptimize(page.PageCount());
    }
}
BENCHMARK(BM_LayOutWrappedLines)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunWidgetBenchmarks(argc, argv);
}
