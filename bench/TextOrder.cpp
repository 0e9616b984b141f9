// The text order of the database and the lists: a year's receipt lines
// totalled by product name (grouped through the text collation) against the
// same totals by product code (through the same sort, and along the code's
// index) and by name in SQLite's byte order; and the record list's Sort of 1,000,000
// records against std::sort of the records' sort keys made beforehand.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "core/uDelimitedStrings.h"
#include "platform/db/Collation.h"
#include "platform/db/Database.h"
#include "support/Ratios.h"

namespace {

platform::Database &Year()
{
    static platform::Database db(bench::CachedYear());
    return db;
}

void Totals(benchmark::State &state, const char *by)
{
    const QString sql = QStringLiteral("SELECT Izdelia.name_izd, Sum(Zaiavka_rows.Value_of_row) FROM Zaiavka_rows "
                                       "INNER JOIN Izdelia ON Zaiavka_rows.izdelie = Izdelia.code_izd GROUP BY %1")
                            .arg(QLatin1String(by));
    size_t rows = 0;
    for (auto _ : state)
        rows = Year().Query(sql).rows.size();
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_YearTotalsByName(benchmark::State &state) { Totals(state, "Izdelia.name_izd"); }
// The same plan (a sort of the 750,000 lines) by a number.
void BM_YearTotalsByCode(benchmark::State &state) { Totals(state, "Izdelia.code_izd + 0"); }
// By the code along its index: no sort at all.
void BM_YearTotalsByCodeIndexed(benchmark::State &state) { Totals(state, "Izdelia.code_izd"); }
// By name in SQLite's own byte order.
void BM_YearTotalsByNameBytes(benchmark::State &state) { Totals(state, "Izdelia.name_izd COLLATE BINARY"); }
BENCHMARK(BM_YearTotalsByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearTotalsByCode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearTotalsByCodeIndexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearTotalsByNameBytes)->Unit(benchmark::kMillisecond);

// Records as the reports make them: a site's name, a product's, an amount.
QStringList Records(int n)
{
    QStringList out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int r = static_cast<int>((i * 2654435761u) % 1000003u);
        out += QStringLiteral("Магазин %1@Хляб бял %2@%3.%4")
                   .arg(r % 300)
                   .arg(r % 97)
                   .arg(r % 1000)
                   .arg(r % 100, 2, 10, QLatin1Char('0'));
    }
    return out;
}

void BM_RecordListSort(benchmark::State &state)
{
    const QStringList records = Records(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        TDelimitedStringList list;
        for (const QString &r : records)
            list.Add(r);
        state.ResumeTiming();
        list.Sort();
        benchmark::DoNotOptimize(list.Count());
    }
}

void BM_StdSortOfKeys(benchmark::State &state)
{
    const QStringList records = Records(static_cast<int>(state.range(0)));
    std::vector<QByteArray> made;
    made.reserve(records.size());
    for (const QString &r : records)
        made.push_back(platform::JetSortKey(r));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<QByteArray> keys = made;
        state.ResumeTiming();
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_RecordListSort)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortOfKeys)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    bench::AddRatio("BM_YearTotalsByName", "BM_YearTotalsByCode");
    bench::AddRatio("BM_YearTotalsByName", "BM_YearTotalsByCodeIndexed");
    bench::AddRatio("BM_YearTotalsByName", "BM_YearTotalsByNameBytes");
    bench::AddRatio("BM_RecordListSort/1000000", "BM_StdSortOfKeys/1000000");
    Year().Open();
    return bench::RunBenchmarks(argc, argv);
}
