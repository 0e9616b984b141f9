// The movement reports and the day-planning reports on the generated year:
// each movement report of one month (goal: under 0.5 s) and of the whole
// year (goal: under 1.5 s) through its window, set against its bare grouped
// queries through the same database layer; the production sheet and the
// raw materials of one day.
#include <QDateEdit>
#include <benchmark/benchmark.h>
#include <memory>

#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "reports/unDvijenie_na_Ambalaj.h"
#include "reports/unDvijenie_na_GP.h"
#include "reports/unDvijenie_na_surovini_i_materiali.h"
#include "reports/unNeobhodimi_Surovini.h"
#include "reports/unProizvodstvenList.h"
#include "support/YearReports.h"

namespace {

using bench::MakePeriodReport;
using bench::PeriodReport;

// The report's own grouped statements of the year, each run once.
template <class T>
void Grouped(benchmark::State &state, const QStringList &Tables, const QString &Extra = QString())
{
    auto form = MakePeriodReport<T>(true);
    QStringList statements;
    for (const QString &t : Tables)
        statements << form->OpeningSql(t) << form->PeriodSql(t);
    if (!Extra.isEmpty())
        statements << Extra;
    TDelimitedStringList list;
    for (auto _ : state)
        for (const QString &sql : statements)
            SelectToList(nullptr, DbConnection, sql, list);
}

const QStringList kRawTables{QStringLiteral("Dostavki"), QStringLiteral("Iskane_za_otpuskane_na_surovini_i_materiali"),
                             QStringLiteral("Expedicia_na_surovini_i_materiali")};
const QStringList kPackagingTables{QStringLiteral("Zaprihojdavane_na_ambalaj"), QStringLiteral("Propusk_za_izvozvane"),
                                   QStringLiteral("Vyrnata_produkcia")};
const QStringList kProductTables{QStringLiteral("Akt_za_proizvedena_produkcia"), QStringLiteral("Vyrnata_produkcia"),
                                 QStringLiteral("Propusk_za_izvozvane"), QStringLiteral("Akt_za_brakuvana_produkcia")};

void BM_RawMaterialsMonth(benchmark::State &state) { PeriodReport<TfrmDvijenie_na_surovini_i_materiali>(state, false); }
void BM_RawMaterialsYear(benchmark::State &state) { PeriodReport<TfrmDvijenie_na_surovini_i_materiali>(state, true); }
void BM_RawMaterialsGroupedYear(benchmark::State &state)
{
    auto form = MakePeriodReport<TfrmDvijenie_na_surovini_i_materiali>(true);
    Grouped<TfrmDvijenie_na_surovini_i_materiali>(state, kRawTables, form->AveragePriceSql());
}
void BM_PackagingMonth(benchmark::State &state) { PeriodReport<TfrmDvijenie_na_Ambalaj>(state, false); }
void BM_PackagingYear(benchmark::State &state) { PeriodReport<TfrmDvijenie_na_Ambalaj>(state, true); }
void BM_PackagingGroupedYear(benchmark::State &state) { Grouped<TfrmDvijenie_na_Ambalaj>(state, kPackagingTables); }
void BM_FinishedGoodsMonth(benchmark::State &state) { PeriodReport<TfrmDvijenie_na_GP>(state, false); }
void BM_FinishedGoodsYear(benchmark::State &state) { PeriodReport<TfrmDvijenie_na_GP>(state, true); }
void BM_FinishedGoodsGroupedYear(benchmark::State &state) { Grouped<TfrmDvijenie_na_GP>(state, kProductTables); }

template <class T>
void Day(benchmark::State &state)
{
    std::unique_ptr<T> form(CreateQuorendForm<T>(nullptr, fsNormal));
    form->dtp_For->setDate(bench::MonthFirstDay().addDays(10));
    bench::RunReport(state, *form);
    state.counters["rows"] = form->Grid->RowCount();
}
void BM_ProductionSheetDay(benchmark::State &state) { Day<TfrmProizvodstvenList>(state); }
void BM_RawMaterialsNeededDay(benchmark::State &state) { Day<TfrmNeobhodimi_Surovini>(state); }

BENCHMARK(BM_RawMaterialsMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawMaterialsYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawMaterialsGroupedYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackagingMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackagingYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackagingGroupedYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinishedGoodsMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinishedGoodsYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinishedGoodsGroupedYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductionSheetDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawMaterialsNeededDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunOnProgramDatabase(argc, argv,
                                       {{"BM_RawMaterialsYear", "BM_RawMaterialsGroupedYear"},
                                        {"BM_PackagingYear", "BM_PackagingGroupedYear"},
                                        {"BM_FinishedGoodsYear", "BM_FinishedGoodsGroupedYear"}});
}
