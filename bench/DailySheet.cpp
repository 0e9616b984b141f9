// The driver's daily sheet on a year of data (300 sites, 300 products with
// a price at every site, 75,000 goods receipts): loading the sheet of a
// minibus and day (goal: under 0.3 s) and saving it with a changed
// quantity at every site (goal: under 0.2 s, the sheet's reload included).
//
// Alternatives: the same rows read bare through the SQLite C API into
// texts; the same updates of the receipts' lines and totals in one bare
// BEGIN IMMEDIATE ... COMMIT of prepared statements.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <memory>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "documents/un_Dneven_list_na_shofior.h"
#include "support/Ratios.h"
#include "support/SilentDialogs.h"
#include "support/YearOfData.h"

namespace {

// A minibus with two customers (twenty sites) and a day in the middle of
// the year.
const int kBus = 5;


int SheetDay()
{
    return bench::FirstDayOfYear(bench::YearSpec()) + 180;
}

std::unique_ptr<TfrmDneven_list_na_shofior> MakeSheet()
{
    std::unique_ptr<TfrmDneven_list_na_shofior> form(
        CreateQuorendForm<TfrmDneven_list_na_shofior>(nullptr, fsNormal));
    form->leMicrobus->setText(QString::number(kBus));
    form->dtp_For->setDate(DayNumberToDate(SheetDay()));
    form->ShowForm();
    return form;
}

void BM_DailySheet_Load(benchmark::State &state)
{
    auto form = MakeSheet();
    for (auto _ : state) {
        form->Execute();
        benchmark::DoNotOptimize(form->Grid->RowCount());
    }
    form->SetModified(false);
}

void BM_DailySheet_BareSqlite(benchmark::State &state)
{
    sqlite3 *db = DbConnection->Handle();
    const char *const queries[] = {
        "SELECT p.code_izd FROM Busses b JOIN CustGroups c ON b.c_bus = c.c_bus JOIN Obekti o ON c.code_c = "
        "o.code_of_CustGroup JOIN Prices_by_items_and_stores p ON o.code_of_object = p.code_of_object WHERE b.c_bus = "
        "?1 GROUP BY p.code_izd",
        "SELECT code_izd, name_izd FROM Izdelia ORDER BY code_izd",
        "SELECT o.code_of_object, o.name_o FROM Busses b JOIN CustGroups c ON b.c_bus = c.c_bus JOIN Obekti o ON "
        "c.code_c = o.code_of_CustGroup WHERE b.c_bus = ?1 ORDER BY o.code_of_object",
        "SELECT p.code_izd, p.code_of_object, p.price_1 FROM Busses b JOIN CustGroups c ON b.c_bus = c.c_bus JOIN "
        "Obekti o ON c.code_c = o.code_of_CustGroup JOIN Prices_by_items_and_stores p ON o.code_of_object = "
        "p.code_of_object WHERE b.c_bus = ?1",
        "SELECT r.izdelie, r.quantity_izd FROM Zaiavki z JOIN Zaiavka_rows r ON z.Query_num = r.Query_num JOIN "
        "Obekti o ON o.code_of_object = z.obekt JOIN CustGroups c ON c.code_c = o.code_of_CustGroup WHERE "
        "z.for_date = ?2 AND c.c_bus = ?1 ORDER BY r.izdelie"};
    std::vector<sqlite3_stmt *> statements;
    for (const char *sql : queries) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        statements.push_back(st);
    }
    for (auto _ : state) {
        QStringList texts;
        for (sqlite3_stmt *st : statements) {
            if (sqlite3_bind_parameter_count(st) >= 1)
                sqlite3_bind_int(st, 1, kBus);
            if (sqlite3_bind_parameter_count(st) >= 2)
                sqlite3_bind_int(st, 2, SheetDay());
            while (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(st); ++c)
                    texts << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
            sqlite3_reset(st);
        }
        benchmark::DoNotOptimize(texts);
    }
    for (sqlite3_stmt *st : statements)
        sqlite3_finalize(st);
}

// One priced quantity cell of every site's row changed, then F2.
void BM_DailySheet_Save(benchmark::State &state)
{
    auto form = MakeSheet();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (int row = form->Grid->FixedRows(); row < form->Grid->RowCount() - 1; ++row)
            for (int col = TfrmDneven_list_na_shofior::FirstQuantityCol; col < form->FirstPriceCol(); ++col)
                if (form->CanEditCell(col, row)) {
                    form->Grid->SetCells(col, row, QString::number(1 + round % 40));
                    break;
                }
        state.ResumeTiming();
        if (!form->Save())
            state.SkipWithError("save failed");
    }
}

// The same work bare: per site, the line's quantity and value and the
// receipt's total, in one transaction.
void BM_DailySheet_BareTransaction(benchmark::State &state)
{
    sqlite3 *db = DbConnection->Handle();
    sqlite3_stmt *receipts = nullptr;
    sqlite3_stmt *line = nullptr;
    sqlite3_stmt *total = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT z.Query_num, (SELECT min(izdelie) FROM Zaiavka_rows r WHERE r.Query_num = z.Query_num) "
                       "FROM Zaiavki z JOIN Obekti o ON o.code_of_object = z.obekt JOIN CustGroups c ON c.code_c = "
                       "o.code_of_CustGroup WHERE z.for_date = ?2 AND c.c_bus = ?1",
                       -1, &receipts, nullptr);
    sqlite3_prepare_v2(db,
                       "UPDATE Zaiavka_rows SET quantity_izd = ?3, Value_of_row = round(?3 * Price_w_disc, 2) WHERE "
                       "Query_num = ?1 AND izdelie = ?2",
                       -1, &line, nullptr);
    sqlite3_prepare_v2(db,
                       "UPDATE Zaiavki SET Total_sum = (SELECT sum(Value_of_row) FROM Zaiavka_rows r WHERE "
                       "r.Query_num = ?1) WHERE Query_num = ?1",
                       -1, &total, nullptr);
    int round = 0;
    for (auto _ : state) {
        ++round;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int(receipts, 1, kBus);
        sqlite3_bind_int(receipts, 2, SheetDay());
        std::vector<std::pair<double, int>> found;
        while (sqlite3_step(receipts) == SQLITE_ROW)
            found.emplace_back(sqlite3_column_double(receipts, 0), sqlite3_column_int(receipts, 1));
        sqlite3_reset(receipts);
        for (const auto &r : found) {
            sqlite3_bind_double(line, 1, r.first);
            sqlite3_bind_int(line, 2, r.second);
            sqlite3_bind_double(line, 3, 1 + round % 40);
            sqlite3_step(line);
            sqlite3_reset(line);
            sqlite3_bind_double(total, 1, r.first);
            sqlite3_step(total);
            sqlite3_reset(total);
        }
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            state.SkipWithError("commit failed");
    }
    sqlite3_finalize(receipts);
    sqlite3_finalize(line);
    sqlite3_finalize(total);
}

BENCHMARK(BM_DailySheet_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailySheet_BareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailySheet_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailySheet_BareTransaction)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::SilentDialogs dialogs;
    DbConnection = new TADOConnection(nullptr);
    DbConnection->SetPath(bench::CopyOfYear(QStringLiteral("daily-sheet")));
    bench::AddRatio("BM_DailySheet_Load", "BM_DailySheet_BareSqlite");
    bench::AddRatio("BM_DailySheet_Save", "BM_DailySheet_BareTransaction");
    const int rc = bench::RunBenchmarks(argc, argv);
    CloseDatabase();
    return rc;
}
