// The goods receipt on a year of data (75,000 receipts, 750,000 lines):
// opening a stored receipt in its window (goal: under 0.1 s) and saving a
// new receipt of ten lines through the shared document save (goal: under
// 50 ms on a local disk).
//
// Alternatives: the receipt's header and named lines read bare through the
// SQLite C API; the same eleven inserts and the counter update in one bare
// BEGIN IMMEDIATE ... COMMIT of prepared statements.
//
// The first free number: a new receipt's and a new invoice's window opened,
// and a new one of each saved, with the workstation's counter far behind
// the stored numbers (the receipt's 75,000 numbers behind, the invoice's
// row missing: 15,600 numbers from 1) against the same with the counter on
// the last number (goal: within 1.5x).
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>

#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/unInvoice.h"
#include "framework/DocumentSave.h"
#include "support/Ratios.h"
#include "support/SilentDialogs.h"
#include "support/YearReports.h"

namespace {

const double kStoredReceipt = 1000000001.0 + 40000;  // one of the middle of the year

void BM_OpenReceipt_Window(benchmark::State &state)
{
    for (auto _ : state) {
        auto *form = CreateQuorendForm<TfrmStokovaRazpiska>(nullptr, fsMDIChild);
        form->IsNew = false;
        form->pnlDocNo->setText(StokovaRazpiskaNumberText(kStoredReceipt));
        form->ShowForm();
        benchmark::DoNotOptimize(form->DocumentTotal());
        // Closing (which stores the window's bounds in the settings file)
        // is not opening.
        state.PauseTiming();
        form->SetModified(false);
        delete form;
        state.ResumeTiming();
    }
}

void BM_OpenReceipt_Load(benchmark::State &state)
{
    for (auto _ : state) {
        TDelimitedStringList header, lines;
        LoadStokovaRazpiska(nullptr, kStoredReceipt, header, lines);
        QString name, unit;
        for (int i = 0; i < lines.Count(); ++i) {
            QString code;
            GetPiece(lines.Strings(i), QLatin1Char('@'), 1, code);
            name = GetItemName(nullptr, code.toInt());
            unit = GetItemUnit(nullptr, code.toInt());
        }
        benchmark::DoNotOptimize(name);
    }
}

void BM_OpenReceipt_BareSqlite(benchmark::State &state)
{
    sqlite3 *db = DbConnection->Handle();
    sqlite3_stmt *head = nullptr;
    sqlite3_stmt *rows = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Zaiavki WHERE Query_num = ?", -1, &head, nullptr);
    sqlite3_prepare_v2(db,
                       "SELECT r.*, i.name_izd, m.v_Miarka FROM Zaiavka_rows r LEFT JOIN Izdelia i ON i.code_izd = "
                       "r.izdelie LEFT JOIN Merki m ON m.n_Miarka = i.mjarka WHERE r.Query_num = ? ORDER BY r.izdelie",
                       -1, &rows, nullptr);
    for (auto _ : state) {
        QStringList texts;
        for (sqlite3_stmt *st : {head, rows}) {
            sqlite3_bind_double(st, 1, kStoredReceipt);
            while (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(st); ++c)
                    texts << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
            sqlite3_reset(st);
        }
        benchmark::DoNotOptimize(texts);
    }
    sqlite3_finalize(head);
    sqlite3_finalize(rows);
}

// A new document of ten lines: its kind's tables and statements.
struct TNewDocument
{
    int Counter;                 // the Nas setting of its number
    const char *Header;          // its tables, by their column of the number
    const char *Rows;
    const char *NumberColumn;
    const char *HeaderInsert;    // %f: the number
    const char *RowInsert;       // %f: the number, %d: the product
    long double LastStored;      // the generated year's last number
};

const TNewDocument kReceipt = {NasGoodsReceiptCounter, "Zaiavki", "Zaiavka_rows", "Query_num",
                               "INSERT INTO Zaiavki Values ( %f, 39500, 17, 39501, 123.45, 0, 0, 0 )",
                               "INSERT INTO Zaiavka_rows Values ( %f, %d, 2.000, 1.2345, 0, 1.2345, 2.47 )",
                               1000000000.0L + 75000};
const TNewDocument kInvoice = {NasInvoiceCounter, "Invoices", "Invoices_rows", "Invoice_num",
                               "INSERT INTO Invoices Values ( %f, 39500, 17, 123.45, 24.69, 0, 0, 1, 1, 0, 0.2 )",
                               "INSERT INTO Invoices_rows Values ( %f, %d, 2.000, 1.2345, 0, 1.2345, 2.47 )", 15600};

void AddNewDocument(TDocumentSave &save, const TNewDocument &kind, const QString &address)
{
    save.NumberFromCounter(kind.Counter, address);
    save.NumberColumns = {{kind.Header, kind.NumberColumn}, {kind.Rows, kind.NumberColumn}};
    save.Add([&kind](long double n) { return Format(QString::fromUtf8(kind.HeaderInsert), {n}); });
    for (int line = 1; line <= 10; ++line)
        save.Add([&kind, line](long double n) { return Format(QString::fromUtf8(kind.RowInsert), {n, line * 7}); });
}

void BM_SaveReceipt_DocumentSave(benchmark::State &state)
{
    for (auto _ : state) {
        TDocumentSave save;
        save.NumberFromCounter(NasGoodsReceiptCounter, QStringLiteral("10.20.30.40"));
        save.NumberColumns = {{"Zaiavki", "Query_num"}, {"Zaiavka_rows", "Query_num"}};
        save.Add([](long double n) {
            return Format(QStringLiteral("INSERT INTO Zaiavki Values ( %f, %d, %d, %d, %f, %d, %d, %d )"),
                          {n, 39500, 17, 39501, 123.45L, 0, 0, 0});
        });
        for (int line = 1; line <= 10; ++line)
            save.Add([line](long double n) {
                return Format(QStringLiteral("INSERT INTO Zaiavka_rows Values ( %f, %f, %.*f, %.*f, %f, %.*f, %f )"),
                              {n, (long double)(line * 7), 3, (long double)line, 4, 1.2345L, 0.0L, 4, 1.2345L,
                               RoundFloat(2, line * 1.2345L)});
            });
        if (!save.Run())
            state.SkipWithError("save failed");
    }
}

// This workstation's (Address, or the machine's) counter of the kind set
// to Number, or its row removed when Number is negative.
void SetCounter(const TNewDocument &kind, long double Number, QString address = QString())
{
    if (address.isEmpty())
        address = GetLocalIPAddress();
    DbConnection->Execute(Format(QStringLiteral("DELETE * FROM Nas WHERE ( ( n_nas = %d ) AND ( IP_Address = \"%s\" ) )"),
                                 {kind.Counter, SqlEscape(address)}));
    if (Number >= 0)
        DbConnection->Execute(NasCounterStatement(kind.Counter, address, Number, false));
}

// A counter that stands this far behind the kind's last stored number: on
// it (0), 75,000 numbers back, or no row at all (-1).
enum TCounterAt { caInPlace, caBehind, caMissing };

long double CounterAt(const TNewDocument &kind, TCounterAt at)
{
    return at == caInPlace ? kind.LastStored : at == caBehind ? kind.LastStored - 75000 : -1;
}

// The window of a new document opened as the menu opens it; the number
// it proposes must be the first after the stored ones.
template <class T> void OpenNew(benchmark::State &state, const TNewDocument &kind, TCounterAt at)
{
    bench::SilentDialogs dialogs;
    SetCounter(kind, CounterAt(kind, at));
    long double proposed = 0;
    for (auto _ : state) {
        auto *form = CreateQuorendForm<T>(nullptr, fsMDIChild);
        form->IsNew = true;
        form->ShowForm();
        proposed = form->DocumentNumber();
        state.PauseTiming();
        form->SetModified(false);
        delete form;
        state.ResumeTiming();
    }
    if (proposed != kind.LastStored + 1)
        state.SkipWithError("not the first free number");
}

// A new document saved from the counter as it stands at the start of each
// save (of a workstation of its own, so that no other run moves it), as
// its window saves it: with the number the window's open found free from
// that counter (timed in OpenNew).
void SaveNew(benchmark::State &state, const TNewDocument &kind, TCounterAt at)
{
    const QString address = QStringLiteral("10.20.30.42");
    long double saved = kind.LastStored;
    for (auto _ : state) {
        state.PauseTiming();
        // In place, the counter stands on the number the last run saved.
        const long double counter = at == caInPlace ? saved : CounterAt(kind, at);
        SetCounter(kind, counter, address);
        TDocumentSave save;
        AddNewDocument(save, kind, address);
        save.FoundFree = save.FirstFreeNumber(std::max(counter, 0.0L) + 1);
        state.ResumeTiming();
        if (!save.Run())
            state.SkipWithError("save failed");
        saved = save.Number();
    }
}

void BM_NewReceipt_Open_CounterInPlace(benchmark::State &state) { OpenNew<TfrmStokovaRazpiska>(state, kReceipt, caInPlace); }
void BM_NewReceipt_Open_CounterBehind(benchmark::State &state) { OpenNew<TfrmStokovaRazpiska>(state, kReceipt, caBehind); }
void BM_NewInvoice_Open_CounterInPlace(benchmark::State &state) { OpenNew<TfrmInvoice>(state, kInvoice, caInPlace); }
void BM_NewInvoice_Open_CounterMissing(benchmark::State &state) { OpenNew<TfrmInvoice>(state, kInvoice, caMissing); }
void BM_NewReceipt_Save_CounterInPlace(benchmark::State &state) { SaveNew(state, kReceipt, caInPlace); }
void BM_NewReceipt_Save_CounterBehind(benchmark::State &state) { SaveNew(state, kReceipt, caBehind); }
void BM_NewInvoice_Save_CounterInPlace(benchmark::State &state) { SaveNew(state, kInvoice, caInPlace); }
void BM_NewInvoice_Save_CounterMissing(benchmark::State &state) { SaveNew(state, kInvoice, caMissing); }

// The bare save's numbers go on from run to run: Google Benchmark calls a
// benchmark several times (to size it, and once per repetition), and a
// number taken again would fail on the table's key.
double BareReceiptNumber = 2000000000.0;

void BM_SaveReceipt_BareTransaction(benchmark::State &state)
{
    sqlite3 *db = DbConnection->Handle();
    sqlite3_stmt *head = nullptr;
    sqlite3_stmt *line = nullptr;
    sqlite3_stmt *counter = nullptr;
    const bool prepared =
        sqlite3_prepare_v2(db, "INSERT INTO Zaiavki VALUES (?, 39500, 17, 39501, 123.45, 0, 0, 0)", -1, &head,
                           nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "INSERT INTO Zaiavka_rows VALUES (?, ?, ?, 1.2345, 0, 1.2345, ?)", -1, &line,
                           nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "UPDATE Nas SET Value_nas = ? WHERE n_nas = 1 AND IP_Address = '10.20.30.41'", -1,
                           &counter, nullptr) == SQLITE_OK;
    // Every step must do its work: a failing insert is no save to compare.
    auto step = [&](sqlite3_stmt *st) {
        const bool done = sqlite3_step(st) == SQLITE_DONE && sqlite3_changes(db) == 1;
        if (!done)
            state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_reset(st);
        return done;
    };
    auto exec = [&](const char *sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        state.SkipWithError(sqlite3_errmsg(db));
        return false;
    };
    if (!prepared)
        state.SkipWithError(sqlite3_errmsg(db));
    for (auto _ : state) {
        if (!prepared)
            break;
        const double number = ++BareReceiptNumber;
        const QByteArray numberText = QByteArray::number(number, 'f', 0);
        bool ok = exec("BEGIN IMMEDIATE");
        sqlite3_bind_text(counter, 1, numberText.constData(), -1, SQLITE_TRANSIENT);
        ok = ok && step(counter);
        sqlite3_bind_double(head, 1, number);
        ok = ok && step(head);
        for (int k = 1; ok && k <= 10; ++k) {
            sqlite3_bind_double(line, 1, number);
            sqlite3_bind_int(line, 2, k * 7);
            sqlite3_bind_double(line, 3, k);
            sqlite3_bind_double(line, 4, k * 1.2345);
            ok = step(line);
        }
        if (!ok) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            break;
        }
        if (!exec("COMMIT"))
            break;
    }
    sqlite3_finalize(head);
    sqlite3_finalize(line);
    sqlite3_finalize(counter);
}

BENCHMARK(BM_OpenReceipt_Window)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenReceipt_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenReceipt_BareSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveReceipt_DocumentSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveReceipt_BareTransaction)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewReceipt_Open_CounterInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewReceipt_Open_CounterBehind)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewInvoice_Open_CounterInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewInvoice_Open_CounterMissing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewReceipt_Save_CounterInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewReceipt_Save_CounterBehind)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewInvoice_Save_CounterInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewInvoice_Save_CounterMissing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunOnConnection(
        argc, argv, [] { return bench::CopyOfYear(QStringLiteral("goods-receipt")); },
        {{"BM_OpenReceipt_Load", "BM_OpenReceipt_BareSqlite"},
         {"BM_OpenReceipt_Window", "BM_OpenReceipt_BareSqlite"},
         {"BM_SaveReceipt_DocumentSave", "BM_SaveReceipt_BareTransaction"},
         {"BM_NewReceipt_Open_CounterBehind", "BM_NewReceipt_Open_CounterInPlace"},
         {"BM_NewInvoice_Open_CounterMissing", "BM_NewInvoice_Open_CounterInPlace"},
         {"BM_NewReceipt_Save_CounterBehind", "BM_NewReceipt_Save_CounterInPlace"},
         {"BM_NewInvoice_Save_CounterMissing", "BM_NewInvoice_Save_CounterInPlace"}},
        [] { DbConnection->Execute(QStringLiteral("Insert into nas values ( 1, \"10.20.30.41\", \"0\" )")); });
}
