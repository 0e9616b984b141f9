// The two crosstabs of the year's reports (turnover by site and delivery
// date; ordered quantities by site and product) through the database
// layer, against the plain grouped query that gives the same cells stepped
// through the SQLite C API with its values read as text, and against the
// column-per-value query that the crosstabs once ran.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "platform/db/Database.h"
#include "support/Ratios.h"
#include "support/YearOfData.h"

namespace {

QString Period()
{
    const int first = bench::FirstDayOfYear(bench::YearSpec());
    return QStringLiteral("Zaiavki.for_date >= %1 AND Zaiavki.for_date <= %2 ").arg(first).arg(first + 365);
}

QString TurnoverCrosstab()
{
    return QStringLiteral("TRANSFORM Sum( Total_sum ) AS SumOfTotal_sum SELECT obekt, Sum( Total_sum ) AS [Total Of "
                          "Total_sum] FROM Zaiavki WHERE ") +
           Period() + QStringLiteral("GROUP BY obekt PIVOT Format( [for_date], \"Short Date\" )");
}

const char *const kWorkTable = "table_bench_apkio";

QString ProductsCrosstab()
{
    return QStringLiteral("TRANSFORM Sum(quantity_izd) AS SumOfquantity_izd SELECT obekt, Sum(quantity_izd) AS [Total "
                          "Of quantity_izd] FROM %1 GROUP BY obekt PIVOT izdelie")
        .arg(QLatin1String(kWorkTable));
}

platform::Database &Year()
{
    static platform::Database db(bench::CopyOfYear(QStringLiteral("crosstabs")));
    static bool made = false;
    if (!made) {
        made = true;
        db.Execute(QStringLiteral("SELECT Zaiavki.obekt,        Zaiavka_rows.izdelie,        Zaiavka_rows.quantity_izd "
                                  "INTO %1 FROM Zaiavki INNER JOIN Zaiavka_rows ON Zaiavki.Query_num = "
                                  "Zaiavka_rows.Query_num WHERE Zaiavka_rows.Izdelie <> 0 AND %2ORDER BY "
                                  "Zaiavka_rows.izdelie")
                       .arg(QLatin1String(kWorkTable), Period()));
    }
    return db;
}

// Steps a statement of SQLite's own dialect, reading every value as text.
long long StepAll(const QString &sql)
{
    sqlite3 *db = Year().Handle();
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    long long cells = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const unsigned char *t = sqlite3_column_text(stmt, c);
            benchmark::DoNotOptimize(t);
            ++cells;
        }
    sqlite3_finalize(stmt);
    return cells;
}

void Crosstab(benchmark::State &state, const QString &jet)
{
    size_t rows = 0;
    int columns = 0;
    for (auto _ : state) {
        const platform::QueryResult r = Year().Query(jet);
        rows = r.rows.size();
        columns = r.columns.size();
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["columns"] = columns;
}

void ByColumns(benchmark::State &state, const QString &jet)
{
    const platform::JetSql::Statement st = platform::JetSql::Translate(jet);
    // The pivot values, then the query with one CASE aggregate per value.
    std::vector<platform::JetSql::PivotValue> values;
    {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(Year().Handle(), platform::JetSql::CrosstabValuesQuery(st).toUtf8().constData(), -1,
                           &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            platform::JetSql::PivotValue v;
            v.type = platform::JetSql::PivotValue::Integer;
            v.i = sqlite3_column_int64(stmt, 0);
            values.push_back(v);
        }
        sqlite3_finalize(stmt);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(StepAll(platform::JetSql::CrosstabQuery(st, values)));
}

void BM_TurnoverCrosstab(benchmark::State &state) { Crosstab(state, TurnoverCrosstab()); }
void BM_TurnoverGroupedQuery(benchmark::State &state)
{
    const QString sql = QStringLiteral("SELECT obekt, for_date, Sum(Total_sum) FROM Zaiavki WHERE ") + Period() +
                        QStringLiteral("GROUP BY obekt, for_date ORDER BY obekt");
    for (auto _ : state)
        benchmark::DoNotOptimize(StepAll(sql));
}
void BM_TurnoverColumnPerValue(benchmark::State &state) { ByColumns(state, TurnoverCrosstab()); }

void BM_ProductsCrosstab(benchmark::State &state) { Crosstab(state, ProductsCrosstab()); }
void BM_ProductsGroupedQuery(benchmark::State &state)
{
    const QString sql = QStringLiteral("SELECT obekt, izdelie, Sum(quantity_izd) FROM %1 GROUP BY obekt, izdelie "
                                       "ORDER BY obekt")
                            .arg(QLatin1String(kWorkTable));
    for (auto _ : state)
        benchmark::DoNotOptimize(StepAll(sql));
}
void BM_ProductsColumnPerValue(benchmark::State &state) { ByColumns(state, ProductsCrosstab()); }

BENCHMARK(BM_TurnoverCrosstab)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnoverGroupedQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnoverColumnPerValue)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ProductsCrosstab)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsGroupedQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsColumnPerValue)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    bench::AddRatio("BM_TurnoverCrosstab", "BM_TurnoverGroupedQuery");
    bench::AddRatio("BM_TurnoverColumnPerValue", "BM_TurnoverGroupedQuery");
    bench::AddRatio("BM_ProductsCrosstab", "BM_ProductsGroupedQuery");
    bench::AddRatio("BM_ProductsColumnPerValue", "BM_ProductsGroupedQuery");
    Year();  // the year and the products' work table, made before the clocks run
    return bench::RunBenchmarks(argc, argv);
}
