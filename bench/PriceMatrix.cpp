// The product prices by site of one minibus: 200 sites × 400 products
// (80,000 cells, half of them with a stored price). Goals: the window's
// load under 1 s; a save of 400 changed cells, compared against a hash of
// the stored keys, under 0.2 s; "copy to all" of one column with its save
// under 0.1 s.
//
// Alternatives: the same prices read bare through the SQLite C API into a
// vector of texts; the same 400 updates as prepared statements in one bare
// BEGIN IMMEDIATE ... COMMIT.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <vector>

#include "components/RichGrid.h"
#include "components/ListEdit.h"
#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "masterdata/unPrices_by_items_and_stores.h"
#include "support/Ratios.h"

namespace {

constexpr int Sites = 200;
constexpr int Products = 400;
QString gPath;

void MakeDatabase(const QString &Path)
{
    CreateDatabaseFile(Path);
    sqlite3 *db = nullptr;
    sqlite3_open(Path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "INSERT INTO Busses VALUES ( 1, 'Бус' )", nullptr, nullptr, nullptr);
    for (int c = 1; c <= 50; ++c)
        sqlite3_exec(db, QStringLiteral("INSERT INTO CustGroups ( code_c, name_c, c_bus ) VALUES ( %1, 'Клиент %1', 1 )")
                             .arg(c).toUtf8().constData(), nullptr, nullptr, nullptr);
    for (int s = 1; s <= Sites; ++s)
        sqlite3_exec(db, QStringLiteral("INSERT INTO Obekti VALUES ( %1, %2, 'Обект %1', '', '', '', '' )")
                             .arg(s).arg(1 + s % 50).toUtf8().constData(), nullptr, nullptr, nullptr);
    for (int p = 1; p <= Products; ++p)
        sqlite3_exec(db, QStringLiteral("INSERT INTO Izdelia VALUES ( %1, 'Изделие %1', 0, 0, 0, 1, 0, 0, 0, 0 )")
                             .arg(p).toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Prices_by_items_and_stores VALUES ( ?, ?, ? )", -1, &st, nullptr);
    for (int s = 1; s <= Sites; ++s)
        for (int p = 1; p <= Products; p += 2) {
            sqlite3_bind_int(st, 1, p);
            sqlite3_bind_int(st, 2, s);
            sqlite3_bind_double(st, 3, 0.5 + (p * 7 + s) % 300 / 100.0);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

TfrmPrices_by_items_and_stores *OpenForm()
{
    auto *form = CreateQuorendForm<TfrmPrices_by_items_and_stores>(nullptr, fsNormal);
    form->ShowForm();
    form->leMicrobus->setText(QStringLiteral("1"));
    return form;
}

void Close(TfrmPrices_by_items_and_stores *form)
{
    form->SetModified(false);
    delete form;
}

void BM_Load_Window(benchmark::State &state)
{
    auto *form = OpenForm();
    for (auto _ : state) {
        form->Execute();
        benchmark::DoNotOptimize(form->Grid->RowCount());
    }
    Close(form);
}

void BM_Load_BareSqlite(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open(gPath.toUtf8().constData(), &db);
    for (auto _ : state) {
        std::vector<QString> cells(size_t(Sites) * Products, QStringLiteral("0"));
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT p.code_izd, p.code_of_object, p.price_1 FROM ((Busses INNER JOIN CustGroups ON "
                           "Busses.c_bus = CustGroups.c_bus) INNER JOIN Obekti ON CustGroups.code_c = "
                           "Obekti.code_of_CustGroup) INNER JOIN Prices_by_items_and_stores p ON Obekti.code_of_object "
                           "= p.code_of_object WHERE Busses.c_bus = 1",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const int p = sqlite3_column_int(st, 0), s = sqlite3_column_int(st, 1);
            cells[size_t(s - 1) * Products + size_t(p - 1)] =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2)));
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(cells.data());
    }
    sqlite3_close(db);
}

// 400 changed cells: two columns of every site, one stored, one new.
void ChangeCells(TfrmPrices_by_items_and_stores *form, int round)
{
    const int first = form->Grid->FixedRows();
    for (int r = first; r < first + Sites; ++r)
        for (int c : {2, 3})
            form->Grid->SetCells(c, r, QString::number(1 + round % 50 + r % 7));
}

void BM_Save_Window(benchmark::State &state)
{
    auto *form = OpenForm();
    form->Execute();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ChangeCells(form, ++round);
        state.ResumeTiming();
        form->DoSave();
    }
    Close(form);
}

void BM_Save_BareTransaction(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open(gPath.toUtf8().constData(), &db);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO Prices_by_items_and_stores VALUES ( ?, ?, ? )", -1, &st, nullptr);
    int round = 0;
    for (auto _ : state) {
        ++round;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int s = 1; s <= Sites; ++s)
            for (int p : {1, 2}) {
                sqlite3_bind_int(st, 1, p);
                sqlite3_bind_int(st, 2, s);
                sqlite3_bind_double(st, 3, 1 + round % 50 + s % 7);
                sqlite3_step(st);
                sqlite3_reset(st);
            }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void BM_CopyToAll_Window(benchmark::State &state)
{
    auto *form = OpenForm();
    form->Execute();
    const int first = form->Grid->FixedRows();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form->Grid->SetCells(5, first, QString::number(2 + ++round % 50));
        form->Grid->SetCol(5);
        form->Grid->SetRow(first);
        state.ResumeTiming();
        form->btnCopyToAll->click();
        form->DoSave();
    }
    Close(form);
}

BENCHMARK(BM_Load_Window)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load_BareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save_Window)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save_BareTransaction)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyToAll_Window)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    gPath = QDir(dir.path()).filePath(QStringLiteral("prices.db"));
    MakeDatabase(gPath);
    DbConnection = new TADOConnection(nullptr);
    DbConnection->SetPath(gPath);
    bench::AddRatio("BM_Load_Window", "BM_Load_BareSqlite");
    bench::AddRatio("BM_Save_Window", "BM_Save_BareTransaction");
    const int rc = bench::RunBenchmarks(argc, argv);
    CloseDatabase();
    return rc;
}
