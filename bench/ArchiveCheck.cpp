// The engine's quick check of a year's database, which every archive makes
// of its snapshot before it packs it, against the archive's own work on the
// same database: the snapshot taken through the engine's backup and the
// MSZIP cabinet written from it, with the wizard's sizes. The ratio is the
// share the check adds to an archive.
#include <benchmark/benchmark.h>

#include "service/CabArchive.h"
#include "service/DatabaseFileCheck.h"
#include "service/RestoreFiles.h"
#include "service/unArchive_TLV.h"
#include "support/Ratios.h"

#include <QTemporaryDir>
#include <QTemporaryFile>

namespace {

QString year;   // a copy of the year of data
QString work;   // where the snapshot and the cabinet go

void BM_QuickCheckOfTheSnapshot(benchmark::State &state)
{
    QString error;
    for (auto _ : state)
        if (QuickCheckDatabase(year, error) != dvSound)
            state.SkipWithError("the year's database is damaged");
}

void BM_ArchiveOfTheYear(benchmark::State &state)
{
    const QString snapshot = work + QStringLiteral("/bread.db");
    qint64 bytes = 0;
    for (auto _ : state) {
        QString error;
        if (SnapshotDatabase(year, snapshot, error) != 0) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        TCabArchive cab;
        cab.SetVolumeName(QStringLiteral("Disk1"));
        cab.SetVolumeSize(100000000);
        cab.SetFolderThreshold(10000000);
        cab.SetCABFileName(work + QStringLiteral("/20240131-235959") + CabinetPartSuffix(1));
        cab.CompressionType = 1;
        cab.SetFileSupport(true);
        cab.OnFilePlacedEvent = [](TObject *, TCCAB &Cab, const QString &, int, bool, bool &) {
            Cab.Size = 1000000000;
        };
        // The library's scratch file beside the cabinet, as the wizard keeps it.
        cab.OnGetTempFile = [](TObject *, QString &Name, bool &Success) {
            QTemporaryFile file(work + QStringLiteral("/cabXXXXXX"));
            file.setAutoRemove(false);
            Success = file.open();
            Name = file.fileName();
        };
        cab.CreateCabinet();
        const bool ok = cab.AddFile(snapshot, QStringLiteral("bread.db")) && cab.FlushCabinet(false);
        cab.CloseCabinet();
        if (!ok) {
            state.SkipWithError("the cabinet was not written");
            break;
        }
        bytes = QFileInfo(work + QStringLiteral("/20240131-235959") + CabinetPartSuffix(1)).size();
    }
    state.counters["cabinet_MB"] = double(bytes) / 1e6;
}

BENCHMARK(BM_QuickCheckOfTheSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveOfTheYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    const QTemporaryDir dir;
    work = dir.path();
    year = bench::CopyOfYear(QStringLiteral("archive-check"));
    bench::AddRatio("BM_QuickCheckOfTheSnapshot", "BM_ArchiveOfTheYear");
    const int rc = bench::RunBenchmarks(argc, argv);
    QFile::remove(year);
    return rc;
}
