// The payments on minibus reports over a year of data (7,320 payments on
// 7,320 reports of 183,000 lines): the payment list with each report's
// value (goal: under 0.5 s), the reports set against their payments, and
// a year's payments of one minibus saved at once (goal: within 1.5 times
// the bare statements).
//
// Ours: the list's one statement, which sums each report inside it; the
// report's three queries (documents, grouped paid sums, payments) matched
// by key; the payment window's save of the 366 reports of a year, its
// check of what was paid on them included (and, with no alternative, the
// whole F2 with the window's reload). Alternatives: the same rows made with
// one query per payment (the report's value) and two per report (its paid
// sum, its payments), through the same database layer, both filling the
// same window's grid; the save's statements (its reads of the reports
// paid, its first number, its inserts) as texts run through the SQLite C
// API in one bare BEGIN IMMEDIATE ... COMMIT. Both saves start from the
// window just loaded, its reading of the year in the caches.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDate>
#include <QDateEdit>
#include <memory>

#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "documents/un_Plashtane_po_otchet_na_plasior.h"
#include "reports/unOpis_na_plashtania_po_microbusi.h"
#include "reports/unPlashtania_po_microbusi.h"
#include "support/Ratios.h"
#include "support/SilentDialogs.h"
#include "support/YearReports.h"

namespace {

// A list of the whole year for every minibus.
template <class T> std::unique_ptr<T> YearList()
{
    auto form = bench::MakePeriodReport<T>(true);
    form->code_bus->setText(QString());
    return form;
}

// The window's own fetch of the year's list; "rows" counts its grid's rows.
template <class T> void RunYearList(benchmark::State &state)
{
    auto form = YearList<T>();
    bench::RunReport(state, *form);
    state.counters["rows"] = form->Grid->RowCount();
}

QStringList Fields(const TDelimitedStringList &List, int I) { return List.Strings(I).split(QChar('@')); }

QString Money(const QString &S)
{
    QString r;
    FormatDotStr(S, 2, r);
    return r;
}

void BM_PaymentList_OneStatement(benchmark::State &state) { RunYearList<TfrmOpis_na_plashtania_po_microbusi>(state); }

void BM_PaymentList_QueryPerPayment(benchmark::State &state)
{
    auto form = YearList<TfrmOpis_na_plashtania_po_microbusi>();
    const QString sql = bench::YearSql(
        QStringLiteral("SELECT Plashtane_po_otchet_na_plasior.docno,        Plashtane_po_otchet_na_plasior.date_d,  "
                       "      Plashtane_po_otchet_na_plasior.suma,        Plashtane_po_otchet_na_plasior.date_otchet, "
                       "       Plashtane_po_otchet_na_plasior.date_otchet,        Plashtane_po_otchet_na_plasior.c_bus, "
                       "Busses.n_bus FROM Plashtane_po_otchet_na_plasior INNER JOIN Busses ON "
                       "Plashtane_po_otchet_na_plasior.c_bus = Busses.c_bus WHERE ( "
                       "((Plashtane_po_otchet_na_plasior.date_d) >=  %d ) AND         "
                       "((Plashtane_po_otchet_na_plasior.date_d) <=  %d ) ) ORDER BY "
                       "Plashtane_po_otchet_na_plasior.docno"));
    for (auto _ : state) {
        TDelimitedStringList rows;
        SelectToList(nullptr, DbConnection, sql, rows);
        long double sum = 0;
        for (int i = 0; i < rows.Count(); ++i) {
            QStringList f = Fields(rows, i);
            f[2] = Money(f[2]);
            TDelimitedStringList value;
            SelectToList(nullptr, DbConnection,
                         Format(QStringLiteral("SELECT Sum( value_izd ) AS SumOfvalue_izd FROM Otchet_plasiori WHERE "
                                               "((( date_doc ) = %d ) AND (( code_bus ) = %d ))"),
                                {DateToDayNumber(DisplayDateToDate(f[3])), f[5].toInt()}),
                         value);
            f[4] = Money(value.Count() ? value.Strings(0) : QString());
            sum += DotStrToRoundedFloat(f[2], 2);
            rows.SetStrings(i, f.join(QChar('@')));
        }
        rows.Add(Format(QStringLiteral("¤Общо:@@%.2f@@@@"), {sum}));
        FillGridFromDelimitedStrings(*form->Grid, rows, true);
    }
    state.counters["rows"] = form->Grid->RowCount();
}

void BM_ReportPayments_ThreeQueries(benchmark::State &state) { RunYearList<TfrmPlashtania_po_microbusi>(state); }

void BM_ReportPayments_QueriesPerReport(benchmark::State &state)
{
    auto form = YearList<TfrmPlashtania_po_microbusi>();
    const QString sql = bench::YearSql(
        QStringLiteral("SELECT Otchet_plasiori.date_doc,        Sum(Otchet_plasiori.value_izd) AS SumOfvalue_izd,  "
                       "      Otchet_plasiori.code_bus,        Busses.n_bus FROM Busses INNER JOIN Otchet_plasiori ON "
                       "Busses.c_bus = Otchet_plasiori.code_bus GROUP BY Otchet_plasiori.date_doc, "
                       "Otchet_plasiori.code_bus, Busses.n_bus HAVING ( ((Otchet_plasiori.date_doc) >= %d ) AND      "
                       "    ((Otchet_plasiori.date_doc) <= %d ) ) ORDER BY Otchet_plasiori.date_doc, "
                       "Otchet_plasiori.code_bus"));
    for (auto _ : state) {
        TDelimitedStringList docs;
        SelectToList(nullptr, DbConnection, sql, docs);
        TDelimitedStringList out;
        long double due = 0, paid = 0, diff = 0;
        for (int i = 0; i < docs.Count(); ++i) {
            const QStringList d = Fields(docs, i);
            const int day = DateToDayNumber(DisplayDateToDate(d[0]));
            const int bus = d[2].toInt();
            TDelimitedStringList sum, payments;
            SelectToList(nullptr, DbConnection,
                         Format(QStringLiteral("SELECT Sum( suma ) AS SumOfsuma FROM Plashtane_po_otchet_na_plasior "
                                               "WHERE (((date_otchet) = %d ) AND ((c_bus)= %d ))"),
                                {day, bus}),
                         sum);
            QStringList r = {d[0], Money(d[1]), Money(sum.Count() ? sum.Strings(0) : QString()), QString(),
                             QString(), QString(), QString(), d[2], d[3]};
            SubDotStr(r[1], r[2], r[3]);
            due += DotStrToRoundedFloat(r[1], 2);
            paid += DotStrToRoundedFloat(r[2], 2);
            diff += DotStrToRoundedFloat(r[3], 2);
            SelectToList(nullptr, DbConnection,
                         Format(QStringLiteral("SELECT docno,        date_d,        suma FROM "
                                               "Plashtane_po_otchet_na_plasior WHERE ( (( date_otchet )= %d ) AND (( "
                                               "c_bus ) = %d ) ) ORDER BY docno"),
                                {day, bus}),
                         payments);
            for (int p = 0; p < payments.Count(); ++p) {
                const QStringList pay = Fields(payments, p);
                if (p == 0) {
                    r[4] = pay[0];
                    r[5] = pay[1];
                    r[6] = pay[2];
                    out.Add(r.join(QChar('@')));
                } else {
                    out.Add(QStringLiteral("@@@@") + payments.Strings(p));
                }
            }
            if (payments.Count() == 0)
                out.Add(r.join(QChar('@')));
        }
        out.Add(Format(QStringLiteral("¤Общо:@%.2f@%.2f@%.2f@@@%.2f@@"), {due, paid, diff, paid}));
        FillGridFromDelimitedStrings(*form->Grid, out, true);
    }
    state.counters["rows"] = form->Grid->RowCount();
}

// The minibus whose year of reports is paid.
const int kPayingBus = 7;

// The largest payment number of the year: the payments above it are the
// benchmark's own, removed before each run so that every run pays the same
// year.
int LastStoredPayment()
{
    TDelimitedStringList last;
    SelectToList(nullptr, DbConnection, QStringLiteral("SELECT max(docno) FROM Plashtane_po_otchet_na_plasior"), last);
    return last.Count() ? StrToIntOrZero(last.Strings(0)) : 0;
}

void RemoveOwnPayments(benchmark::State &state, int LastStored)
{
    const QByteArray sql =
        QStringLiteral("DELETE FROM Plashtane_po_otchet_na_plasior WHERE docno > %1").arg(LastStored).toUtf8();
    if (sqlite3_exec(DbConnection->Handle(), sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        state.SkipWithError("the payments could not be removed");
}

// The minibus payments' window over a year, a payment of 1.25 typed for
// each report.
std::unique_ptr<TfrmPlashtane_po_otchet_na_plasior> YearPayments()
{
    std::unique_ptr<TfrmPlashtane_po_otchet_na_plasior> form(
        CreateQuorendForm<TfrmPlashtane_po_otchet_na_plasior>(nullptr, fsNormal));
    form->dtp_From->setDate(bench::YearFirstDay());
    form->dtp_To->setDate(bench::YearLastDay());
    form->code_bus->setText(QString::number(kPayingBus));
    return form;
}

int TypeYearPayments(TfrmPlashtane_po_otchet_na_plasior &Form)
{
    Form.Execute();
    int payments = 0;
    for (int row = Form.Grid->FixedRows(); row < Form.Grid->RowCount() - 1; ++row) {
        Form.Grid->SetCells(Form.ToPayColumn(), row, QStringLiteral("1.25"));
        ++payments;
    }
    return payments;
}

// Before each timed run, untimed: the payments of the last run gone, the
// window read again and an amount typed on every report, as the clerk
// leaves it before F2. The number of payments typed.
int StartRun(benchmark::State &state, int Stored, TfrmPlashtane_po_otchet_na_plasior &Form)
{
    state.PauseTiming();
    RemoveOwnPayments(state, Stored);
    const int payments = TypeYearPayments(Form);
    state.ResumeTiming();
    return payments;
}

// The save's transaction: the reports paid read again and compared, the
// numbers taken, the payments written.
void BM_YearPayments_Save(benchmark::State &state)
{
    const int stored = LastStoredPayment();
    auto form = YearPayments();
    int payments = 0;
    for (auto _ : state) {
        payments = StartRun(state, stored, *form);
        if (!form->SavePayments())
            state.SkipWithError("the save failed");
    }
    RemoveOwnPayments(state, stored);
    state.counters["payments"] = payments;
}

// The whole F2: its checks, the save and the window's reload.
void BM_YearPayments_F2(benchmark::State &state)
{
    const int stored = LastStoredPayment();
    auto form = YearPayments();
    for (auto _ : state) {
        StartRun(state, stored, *form);
        if (!form->Save())
            state.SkipWithError("the save failed");
    }
    form->SetModified(false);
    RemoveOwnPayments(state, stored);
}

// Runs a statement's text through the SQLite C API, its rows read as
// texts; false when it fails.
bool RunText(sqlite3 *Db, const QString &Sql, QStringList *Rows = nullptr)
{
    sqlite3_stmt *st = nullptr;
    const QByteArray text = Sql.toUtf8();
    if (sqlite3_prepare_v2(Db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        if (Rows)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                *Rows << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

// The same save bare: its statements as texts, each prepared and run
// through the SQLite C API in one BEGIN IMMEDIATE ... COMMIT: the reports
// paid and what was paid on them read again by their days, the first
// number, one insert per payment.
void BM_YearPayments_BareTransaction(benchmark::State &state)
{
    sqlite3 *db = DbConnection->Handle();
    QStringList days;
    RunText(db,
            QStringLiteral("SELECT DISTINCT date_doc FROM Otchet_plasiori WHERE code_bus = %1 AND date_doc BETWEEN %2 "
                           "AND %3 ORDER BY date_doc")
                .arg(kPayingBus)
                .arg(DateToDayNumber(bench::YearFirstDay()))
                .arg(DateToDayNumber(bench::YearLastDay())),
            &days);
    const QString in = days.join(QStringLiteral(", "));
    const QString values = QStringLiteral("SELECT date_doc,        Sum( value_izd ) AS SumOfvalue_izd FROM "
                                          "Otchet_plasiori WHERE ( code_bus = %1 ) AND ( date_doc IN ( %2 ) ) GROUP BY "
                                          "date_doc ORDER BY date_doc")
                               .arg(kPayingBus)
                               .arg(in);
    const QString paid = QStringLiteral("SELECT date_otchet, Sum( suma ) AS SumOfsuma FROM "
                                        "Plashtane_po_otchet_na_plasior WHERE ( c_bus = %1 ) AND ( date_otchet IN ( %2 "
                                        ") ) GROUP BY date_otchet ORDER BY date_otchet")
                             .arg(kPayingBus)
                             .arg(in);
    const int today = DateToDayNumber(QDate::currentDate());
    const int stored = LastStoredPayment();
    // Each run starts as the window's save does: the window just loaded.
    auto form = YearPayments();
    for (auto _ : state) {
        StartRun(state, stored, *form);
        bool ok = RunText(db, QStringLiteral("BEGIN IMMEDIATE"));
        QStringList read;
        ok = ok && RunText(db, values, &read) && RunText(db, paid, &read);
        benchmark::DoNotOptimize(read);
        QStringList last;
        ok = ok && RunText(db, QStringLiteral("SELECT max(docno) FROM Plashtane_po_otchet_na_plasior"), &last);
        int number = last.value(0).toInt() + 1;
        for (const QString &day : days)
            ok = ok && RunText(db, QStringLiteral("Insert into Plashtane_po_otchet_na_plasior values ( %1, %2, %3, %4, "
                                                  "%5 )")
                                       .arg(number++)
                                       .arg(today)
                                       .arg(kPayingBus)
                                       .arg(day)
                                       .arg(1.25, 0, 'f', 2));
        ok = ok && RunText(db, QStringLiteral("COMMIT"));
        if (!ok)
            state.SkipWithError("the save failed");
    }
    RemoveOwnPayments(state, stored);
    state.counters["payments"] = double(days.size());
}

BENCHMARK(BM_PaymentList_OneStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaymentList_QueryPerPayment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPayments_ThreeQueries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPayments_QueriesPerReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearPayments_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearPayments_F2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearPayments_BareTransaction)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The saves write: the year is a copy of its own.
    bench::SilentDialogs dialogs;
    return bench::RunOnConnection(argc, argv, [] { return bench::CopyOfYear(QStringLiteral("payment-lists")); },
                                  {{"BM_PaymentList_OneStatement", "BM_PaymentList_QueryPerPayment"},
                                   {"BM_ReportPayments_ThreeQueries", "BM_ReportPayments_QueriesPerReport"},
                                   {"BM_YearPayments_Save", "BM_YearPayments_BareTransaction"}});
}
