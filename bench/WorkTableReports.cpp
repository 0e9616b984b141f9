// The work-table reports and the crosstab reports by site on the generated
// year: each report of one month through its window (goal: under 0.5 s),
// the turnover report of the whole year, and its crosstab set against the
// same cells as one plain grouped query through the same database layer
// (goal: under 0.3 s and within 1.5x).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "components/ListEdit.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "reports/unAnalit_po_klienti.h"
#include "reports/unAnalit_po_obekti.h"
#include "reports/unArtikuli_po_klienti_i_obekti.h"
#include "reports/unArtikuli_po_klienti_i_obekti_na_baza_fakturi.h"
#include "reports/unArtikuli_po_obekti.h"
#include "reports/unOborot_po_obekti.h"
#include "reports/unStokovo_pari4en_ot4et.h"
#include "support/Ratios.h"
#include "support/YearOfData.h"

namespace {

QDate FirstDay() { return DayNumberToDate(bench::FirstDayOfYear(bench::YearSpec())); }
QDate MarchFirst() { return FirstDay().addMonths(2); }
QDate MarchLast() { return FirstDay().addMonths(3).addDays(-1); }

template <class T>
void MonthReport(benchmark::State &state, const std::function<void(T &)> &Setup = {})
{
    std::unique_ptr<T> form(CreateQuorendForm<T>(nullptr, fsNormal));
    form->SetPeriod(MarchFirst(), MarchLast());
    if (Setup)
        Setup(*form);
    for (auto _ : state)
        if (!form->Execute())
            state.SkipWithError("the report failed");
    state.counters["rows"] = form->Grid->RowCount();
}

void BM_ReceivablesPerCustomerMonth(benchmark::State &state) { MonthReport<TfrmAnalit_po_klienti>(state); }
void BM_ReceivablesPerSiteMonth(benchmark::State &state)
{
    MonthReport<TfrmAnalit_po_obekti>(state, [](TfrmAnalit_po_obekti &F) { F.leCustomer->setText(QStringLiteral("1")); });
}
void BM_GoodsAndMoneyMonth(benchmark::State &state) { MonthReport<TfrmStokovo_pari4en_ot4et>(state); }
void BM_ProductsOnReceiptsMonth(benchmark::State &state) { MonthReport<TfrmArtikuli_po_klienti_i_obekti>(state); }
void BM_ProductsOnInvoicesMonth(benchmark::State &state)
{
    MonthReport<TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi>(state);
}
void BM_ProductsPerSiteMonth(benchmark::State &state) { MonthReport<TfrmArtikuli_po_obekti>(state); }
void BM_TurnoverReportMonth(benchmark::State &state) { MonthReport<TfrmOborot_po_obekti>(state); }

void BM_TurnoverReportYear(benchmark::State &state)
{
    std::unique_ptr<TfrmOborot_po_obekti> form(CreateQuorendForm<TfrmOborot_po_obekti>(nullptr, fsNormal));
    form->SetPeriod(FirstDay(), FirstDay().addYears(1).addDays(-1));
    for (auto _ : state)
        if (!form->Execute())
            state.SkipWithError("the report failed");
    state.counters["columns"] = form->Grid->ColCount();
}

QString YearFilter()
{
    return Format(QStringLiteral("Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d "),
                  {DateToDayNumber(FirstDay()), DateToDayNumber(FirstDay().addYears(1).addDays(-1))});
}

void SelectRepeatedly(benchmark::State &state, const QString &Sql)
{
    TDelimitedStringList list;
    for (auto _ : state)
        SelectToList(nullptr, DbConnection, Sql, list);
    state.counters["records"] = list.Count();
}

void BM_TurnoverCrosstabYear(benchmark::State &state)
{
    SelectRepeatedly(state, QStringLiteral("TRANSFORM Sum( Total_sum ) AS SumOfTotal_sum SELECT obekt, Sum( Total_sum ) "
                                           "AS [Total Of Total_sum] FROM Zaiavki WHERE ") +
                                YearFilter() +
                                QStringLiteral("GROUP BY obekt PIVOT Format( [for_date], \"Short Date\" )"));
}

void BM_TurnoverGroupedYear(benchmark::State &state)
{
    SelectRepeatedly(state, QStringLiteral("SELECT obekt, for_date, Sum( Total_sum ) FROM Zaiavki WHERE ") +
                                YearFilter() + QStringLiteral("GROUP BY obekt, for_date"));
}

BENCHMARK(BM_ReceivablesPerCustomerMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceivablesPerSiteMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodsAndMoneyMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsOnReceiptsMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsOnInvoicesMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsPerSiteMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnoverReportMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnoverReportYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnoverCrosstabYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnoverGroupedYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The year as the program's own database under a base folder of its own.
    QTemporaryDir base;
    QDir(base.path()).mkpath(QStringLiteral("db"));
    QDir(base.path()).mkpath(QStringLiteral("bin"));
    QFile::copy(bench::CachedYear(), base.filePath(QStringLiteral("db/bread.db")));
    SetProgramFileNameForTests(base.filePath(QStringLiteral("bin/tolvex")));
    OpenDatabase(&app, nullptr, true);
    bench::AddRatio("BM_TurnoverCrosstabYear", "BM_TurnoverGroupedYear");
    const int result = bench::RunBenchmarks(argc, argv);
    CloseDatabase();
    return result;
}
