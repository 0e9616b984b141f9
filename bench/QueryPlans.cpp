// One day's lines of the goods receipts (the six-table lines list, about
// 2,050 lines of a year of 750,000) through the database layer: on a
// database with the schema's fixed planner figures, against the same
// database after a whole ANALYZE (the best figures there are), and against
// one without figures.
#include <benchmark/benchmark.h>

#include "core/unSchema.h"
#include "platform/db/Database.h"
#include "support/Ratios.h"
#include "support/YearOfData.h"

namespace {

QString LinesOfOneDay()
{
    const int day = bench::FirstDayOfYear(bench::YearSpec()) + 152;
    return QStringLiteral(
               "SELECT Zaiavki.Query_num, Zaiavki.datetime_z, CustGroups.code_c, CustGroups.name_c AS "
               "CustGroups_name, Zaiavki.obekt, Obekti.name_o AS Obekti_name, Zaiavki.for_date, Zaiavki.Is_paid, "
               "Zaiavki.Paid_on, Zaiavki.Is_urgent,  Zaiavka_rows.izdelie, Izdelia.name_izd AS Izdelia_name, "
               "Merki.v_Miarka, Zaiavka_rows.quantity_izd, Zaiavka_rows.Price_w_disc, Zaiavka_rows.Value_of_row FROM "
               "((CustGroups INNER JOIN Obekti ON CustGroups.code_c = Obekti.code_of_CustGroup) INNER JOIN Zaiavki ON "
               "Obekti.code_of_object = Zaiavki.obekt) INNER JOIN (Merki INNER JOIN (Izdelia INNER JOIN Zaiavka_rows "
               "ON Izdelia.code_izd = Zaiavka_rows.izdelie) ON Merki.n_Miarka = Izdelia.mjarka) ON Zaiavki.Query_num "
               "= Zaiavka_rows.Query_num WHERE Zaiavki.for_date >= %1 and Zaiavki.for_date <= %1 ORDER BY "
               "Zaiavki.Query_num")
        .arg(day);
}

platform::Database *fixed = nullptr;
platform::Database *analyzed = nullptr;
platform::Database *bare = nullptr;

void Lines(benchmark::State &state, platform::Database *db)
{
    size_t rows = 0;
    for (auto _ : state)
        rows = db->Query(LinesOfOneDay()).rows.size();
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_LinesOfOneDay_FixedFigures(benchmark::State &state) { Lines(state, fixed); }
void BM_LinesOfOneDay_WholeAnalyze(benchmark::State &state) { Lines(state, analyzed); }
void BM_LinesOfOneDay_NoFigures(benchmark::State &state) { Lines(state, bare); }

BENCHMARK(BM_LinesOfOneDay_FixedFigures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesOfOneDay_WholeAnalyze)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesOfOneDay_NoFigures)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // A copy without figures, opened without the schema's hook.
    platform::Database::SetOpenedHook(nullptr);
    bare = new platform::Database(bench::CopyOfYear(QStringLiteral("plans-bare")));
    bare->Execute(QStringLiteral("DROP TABLE IF EXISTS sqlite_stat1"));
    bare->Close();
    bare->Open();
    analyzed = new platform::Database(bench::CopyOfYear(QStringLiteral("plans-analyzed")));
    analyzed->Execute(QStringLiteral("ANALYZE"));
    analyzed->Close();
    analyzed->Open();
    platform::Database::SetOpenedHook(&WriteSchemaStatistics);
    platform::Database plain(bench::CopyOfYear(QStringLiteral("plans-fixed")));
    plain.Execute(QStringLiteral("DROP TABLE IF EXISTS sqlite_stat1"));
    plain.Close();
    fixed = &plain;
    fixed->Open();  // the program's opening gives the figures back

    bench::AddRatio("BM_LinesOfOneDay_FixedFigures", "BM_LinesOfOneDay_WholeAnalyze");
    bench::AddRatio("BM_LinesOfOneDay_NoFigures", "BM_LinesOfOneDay_WholeAnalyze");
    const int rc = bench::RunBenchmarks(argc, argv);
    delete bare;
    delete analyzed;
    return rc;
}
