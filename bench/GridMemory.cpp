// The texts of a grid of 100,000 rows and 10 columns filled from a record
// list: the grid's store (one block of memory per row), against a vector of
// ten texts per row (how the store held them before). Both print the heap
// the rows take (bytes per row) and the time to fill them.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <vector>

#include "core/uDelimitedStrings.h"
#include "platform/ui/GridData.h"
#include "support/Ratios.h"

namespace {

const QString Names[] = {"Хляб бял 500 г", "Хляб типов", "Козунак", "Кифла с мак", "Баничка"};

TDelimitedStringList &Records()
{
    static TDelimitedStringList list;
    if (list.Count() == 0) {
        for (int r = 1; r <= 100000; ++r) {
            QStringList fields{QString::number(r), QString::number(1000 + r % 700), Names[r % 5]};
            for (int c = 3; c < 10; ++c)
                fields << QString::number((r * 37 + c * 11) % 100000 / 100.0 - 50, 'f', 2);
            list.Add(fields.join(QChar('@')));
        }
    }
    return list;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_GridStore(benchmark::State &state)
{
    const TDelimitedStringList &list = Records();
    double perRow = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto *grid = new platform::GridData;
        grid->SetColCount(10);
        grid->SetRowCount(list.Count() + 1);
        for (int i = 0; i < list.Count(); ++i)
            grid->SetRowTexts(i + 1, list.Strings(i).split(QChar('@')));
        perRow = double(HeapInUse() - before) / list.Count();
        state.PauseTiming();
        delete grid;
        state.ResumeTiming();
    }
    state.counters["bytes_per_row"] = perRow;
}

void BM_VectorOfTexts(benchmark::State &state)
{
    const TDelimitedStringList &list = Records();
    double perRow = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto *rows = new std::vector<std::vector<QString>>(size_t(list.Count() + 1));
        for (int i = 0; i < list.Count(); ++i) {
            const QStringList fields = list.Strings(i).split(QChar('@'));
            auto &line = (*rows)[size_t(i + 1)];
            line.resize(10);
            for (int c = 0; c < 10 && c < fields.size(); ++c)
                line[size_t(c)] = fields[c];
        }
        perRow = double(HeapInUse() - before) / list.Count();
        state.PauseTiming();
        delete rows;
        state.ResumeTiming();
    }
    state.counters["bytes_per_row"] = perRow;
}

BENCHMARK(BM_GridStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorOfTexts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    Records();
    bench::AddRatio("BM_GridStore", "BM_VectorOfTexts");
    return bench::RunBenchmarks(argc, argv);
}
