// The payments on minibus reports over a year of data (7,320 payments on
// 7,320 reports of 183,000 lines): the payment list with each report's
// value (goal: under 0.5 s) and the reports set against their payments.
//
// Ours: the list's one statement, which sums each report inside it; the
// report's three queries (documents, grouped paid sums, payments) matched
// by key. Alternatives: the same rows made with one query per payment
// (the report's value) and two per report (its paid sum, its payments),
// through the same database layer; both fill the same window's grid.
#include <benchmark/benchmark.h>

#include <QDate>
#include <memory>

#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "reports/unOpis_na_plashtania_po_microbusi.h"
#include "reports/unPlashtania_po_microbusi.h"
#include "support/Ratios.h"
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

BENCHMARK(BM_PaymentList_OneStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaymentList_QueryPerPayment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPayments_ThreeQueries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportPayments_QueriesPerReport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunOnConnection(argc, argv, bench::CachedYear,
                                  {{"BM_PaymentList_OneStatement", "BM_PaymentList_QueryPerPayment"},
                                   {"BM_ReportPayments_ThreeQueries", "BM_ReportPayments_QueriesPerReport"}});
}
