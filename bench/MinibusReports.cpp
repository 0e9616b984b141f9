// Products by minibus and the valued expedition on the generated year: each
// report of one month (goal: under 0.5 s) and of the whole year (goal:
// under 1.5 s) through its window, for all minibuses, set against its bare
// statements of the same period through the same database layer. Products
// by minibus is also set against the same sums grouped by code, name and
// unit with the minibuses joined from the right (a plan that searches the
// month's receipts once per customer, and compares texts for every line).
#include <benchmark/benchmark.h>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "reports/unArtikuli_po_microbusi.h"
#include "reports/unOstojnostena_expedicia.h"
#include "support/YearReports.h"

namespace {

using bench::MakePeriodReport;
using bench::PeriodReport;

void Plain(benchmark::State &state, const QStringList &Statements)
{
    TDelimitedStringList list;
    for (auto _ : state)
        for (const QString &sql : Statements)
            SelectToList(nullptr, DbConnection, sql, list);
}

QStringList ProductsStatements(bool Year)
{
    auto form = MakePeriodReport<TfrmArtikuli_po_microbusi>(Year);
    form->leMicrobus->setText(QString());
    return {form->RowsSql()};
}

QStringList ExpeditionStatements(bool Year)
{
    auto form = MakePeriodReport<TfrmOstojnostena_expedicia>(Year);
    form->code_bus->setText(QString());
    return {form->PassesSql(), form->ReturnsSql(), form->SalesSql()};
}

QString ByNameAndUnit(bool Year)
{
    auto form = MakePeriodReport<TfrmArtikuli_po_microbusi>(Year);
    form->leMicrobus->setText(QString());
    return Format(
        QStringLiteral(
            "SELECT Zaiavka_rows.izdelie,        Izdelia.name_izd,        Merki.v_Miarka,        "
            "Sum(Zaiavka_rows.quantity_izd) AS SumOfquantity_izd FROM (((Busses RIGHT JOIN CustGroups ON "
            "Busses.c_bus=CustGroups.c_bus) INNER JOIN Obekti ON CustGroups.code_c=Obekti.code_of_CustGroup) INNER "
            "JOIN Zaiavki ON Obekti.code_of_object=Zaiavki.obekt) INNER JOIN (Merki INNER JOIN (Izdelia INNER JOIN "
            "Zaiavka_rows ON Izdelia.code_izd=Zaiavka_rows.izdelie) ON Merki.n_Miarka=Izdelia.mjarka) ON "
            "Zaiavki.Query_num=Zaiavka_rows.Query_num WHERE %sGROUP BY Zaiavka_rows.izdelie, Izdelia.name_izd, "
            "Merki.v_Miarka ORDER BY Izdelia.name_izd"),
        {form->BuildFilter()});
}

void BM_ProductsByMinibusMonth(benchmark::State &state) { PeriodReport<TfrmArtikuli_po_microbusi>(state, false); }
void BM_ProductsByMinibusPlainMonth(benchmark::State &state) { Plain(state, ProductsStatements(false)); }
void BM_ProductsByMinibusByNameMonth(benchmark::State &state) { Plain(state, {ByNameAndUnit(false)}); }
void BM_ProductsByMinibusYear(benchmark::State &state) { PeriodReport<TfrmArtikuli_po_microbusi>(state, true); }
void BM_ProductsByMinibusPlainYear(benchmark::State &state) { Plain(state, ProductsStatements(true)); }
void BM_ValuedExpeditionMonth(benchmark::State &state) { PeriodReport<TfrmOstojnostena_expedicia>(state, false); }
void BM_ValuedExpeditionPlainMonth(benchmark::State &state) { Plain(state, ExpeditionStatements(false)); }
void BM_ValuedExpeditionYear(benchmark::State &state) { PeriodReport<TfrmOstojnostena_expedicia>(state, true); }
void BM_ValuedExpeditionPlainYear(benchmark::State &state) { Plain(state, ExpeditionStatements(true)); }

BENCHMARK(BM_ProductsByMinibusMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsByMinibusPlainMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsByMinibusByNameMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsByMinibusYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProductsByMinibusPlainYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValuedExpeditionMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValuedExpeditionPlainMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValuedExpeditionYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValuedExpeditionPlainYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunOnProgramDatabase(argc, argv,
                                       {{"BM_ProductsByMinibusMonth", "BM_ProductsByMinibusPlainMonth"},
                                        {"BM_ProductsByMinibusMonth", "BM_ProductsByMinibusByNameMonth"},
                                        {"BM_ProductsByMinibusYear", "BM_ProductsByMinibusPlainYear"},
                                        {"BM_ValuedExpeditionMonth", "BM_ValuedExpeditionPlainMonth"},
                                        {"BM_ValuedExpeditionYear", "BM_ValuedExpeditionPlainYear"}});
}
