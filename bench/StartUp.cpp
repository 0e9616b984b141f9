// The start-up's check of the main database on a year of data (whose it is,
// read without changing a byte, against the columns the creating statements
// define), against opening the database through the database layer and
// reading the company's name, which a start-up without any check does; and
// how the check learned the columns before: a database made in a temporary
// folder, once per process.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/unSchema.h"
#include "platform/db/Database.h"
#include "support/Ratios.h"

namespace {

QString g_Folder;

QString MainPath() { return g_Folder + QLatin1String(MainDatabaseFileName); }

void BM_StartUpCheck(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(EnsureDatabaseFiles(g_Folder));
}

void BM_OpenAndCompanyName(benchmark::State &state)
{
    for (auto _ : state) {
        platform::Database db(MainPath());
        benchmark::DoNotOptimize(db.Query(QStringLiteral("Select Value_va from va where ( code_va = 1 )")));
    }
}

void BM_ColumnsFromAMadeDatabase(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("schema.db"));
        CreateDatabaseFile(path);
        platform::Database db(path);
        for (const QString &table : AllTableNames())
            benchmark::DoNotOptimize(db.ColumnNames(table));
    }
}

BENCHMARK(BM_StartUpCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndCompanyName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColumnsFromAMadeDatabase)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    g_Folder = folder.path() + QStringLiteral("/db/");
    QDir().mkpath(g_Folder);
    QFile::rename(bench::CopyOfYear(QStringLiteral("startup")), MainPath());
    EnsureDatabaseFiles(g_Folder);  // the template, made once
    bench::AddRatio("BM_StartUpCheck", "BM_OpenAndCompanyName");
    bench::AddRatio("BM_StartUpCheck", "BM_ColumnsFromAMadeDatabase");
    return bench::RunBenchmarks(argc, argv);
}
