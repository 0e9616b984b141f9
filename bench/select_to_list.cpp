// SelectToList over 100,000 rows of a year's goods receipts (with their
// site and product names, dates and flags), against the same query run by
// the sqlite3 shell into a file, and against bare stepping through the
// SQLite C API; and the per-site look-up of the drivers' daily sheet. The
// year (about 75,000 receipts, 750,000 lines, the other
// documents in proportion) is generated once per run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>

#include "core/un_Ado_Connection.h"
#include "support/YearOfData.h"

namespace {

const char *const kQuery =
    "SELECT Zaiavka_rows.Query_num, Zaiavki.for_date, Zaiavki.obekt, Obekti.name_o, Zaiavka_rows.izdelie, "
    "Izdelia.name_izd, Zaiavka_rows.quantity_izd, Zaiavka_rows.Price_w_disc, Zaiavka_rows.Value_of_row, "
    "Zaiavki.Is_paid FROM ((Zaiavki INNER JOIN Zaiavka_rows ON Zaiavki.Query_num = Zaiavka_rows.Query_num) "
    "INNER JOIN Obekti ON Zaiavki.obekt = Obekti.code_of_object) INNER JOIN Izdelia ON Zaiavka_rows.izdelie = "
    "Izdelia.code_izd WHERE Zaiavki.Query_num <= 1000010000 ORDER BY Zaiavka_rows.Query_num, Zaiavka_rows.izdelie";

struct Year
{
    QTemporaryDir dir;
    QString path;
};

Year &TheYear()
{
    static Year year;
    static bool made = false;
    if (!made) {
        made = true;
        year.path = year.dir.filePath("bread.db");
        QElapsedTimer t;
        t.start();
        const bench::YearCounts c = bench::GenerateYear(year.path);
        std::fprintf(stderr,
                     "Generated a year in %.2f s: %lld receipts, %lld receipt lines, %lld invoices, %lld invoice "
                     "lines, %lld other document rows\n",
                     t.elapsed() / 1000.0, c.receipts, c.receiptLines, c.invoices, c.invoiceLines, c.otherRows);
    }
    return year;
}

void BM_SelectToList(benchmark::State &state)
{
    TADOConnection connection;
    connection.SetConnectionString(ConnectionStringTemplate("Data Source = " + TheYear().path + "; "));
    int rows = 0;
    for (auto _ : state) {
        TDelimitedStringList list;
        SelectToList(nullptr, &connection, QString::fromLatin1(kQuery), list);
        rows = list.Count();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_SelectToList)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Sqlite3ShellIntoFile(benchmark::State &state)
{
    const QString shell = QStandardPaths::findExecutable("sqlite3");
    if (shell.isEmpty()) {
        state.SkipWithError("the sqlite3 shell is not installed (apt-get install sqlite3)");
        return;
    }
    const QString out = TheYear().dir.filePath("shell.txt");
    for (auto _ : state) {
        QProcess p;
        p.setStandardOutputFile(out);
        p.start(shell, {"-batch", "-noheader", "-separator", "@", TheYear().path, QString::fromLatin1(kQuery)});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("the sqlite3 shell failed");
            return;
        }
    }
}
BENCHMARK(BM_Sqlite3ShellIntoFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The floor: stepping the statement and touching every field's text.
void BM_SqliteCApiStep(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(TheYear().path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, kQuery, -1, &stmt, nullptr);
        size_t bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                sqlite3_column_text(stmt, i);
                bytes += sqlite3_column_bytes(stmt, i);
            }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_SqliteCApiStep)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The drivers' daily sheet asks, for every site, how many receipts it has
// for the day; the (for_date, obekt) index answers each in microseconds.
void BM_DriversSheetSiteCounts(benchmark::State &state)
{
    TADOConnection connection;
    connection.SetConnectionString(ConnectionStringTemplate("Data Source = " + TheYear().path + "; "));
    const int day = bench::FirstDayOfYear(bench::YearSpec()) + 200;
    for (auto _ : state) {
        for (int site = 1; site <= 60; ++site) {
            TDelimitedStringList list;
            SelectToList(nullptr, &connection,
                         QStringLiteral("Select Count( Query_num ) As CountOfQuery_num From Zaiavki Where obekt = %1 "
                                        "and for_date = %2")
                             .arg(site)
                             .arg(day),
                         list);
            benchmark::DoNotOptimize(list.Count());
        }
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(BM_DriversSheetSiteCounts)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TheYear();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
