// The work-table reports and the crosstab reports by site on the generated
// year: each report of one month through its window (goal: under 0.5 s),
// the turnover report of the whole year, and its crosstab set against the
// same cells as one plain grouped query through the same database layer
// (goal: under 0.3 s and within 1.5x).
#include <benchmark/benchmark.h>
#include <functional>

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
#include "support/YearReports.h"

namespace {

template <class T>
void MonthReport(benchmark::State &state, const std::function<void(T &)> &Setup = {})
{
    auto form = bench::MakePeriodReport<T>(false);
    if (Setup)
        Setup(*form);
    bench::RunReport(state, *form);
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
    auto form = bench::MakePeriodReport<TfrmOborot_po_obekti>(true);
    bench::RunReport(state, *form);
    state.counters["columns"] = form->Grid->ColCount();
}

QString YearFilter() { return bench::YearSql(QStringLiteral("Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d ")); }

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
    return bench::RunOnProgramDatabase(argc, argv, {{"BM_TurnoverCrosstabYear", "BM_TurnoverGroupedYear"}});
}
