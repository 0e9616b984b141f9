// The list and report base form on 100,000 rows of 10 columns: the row
// filter with its totals row, a sort by a click on a column header, and a
// search of the find-row dialog, each set against the plain way of doing
// the same work. Goals: the filter under 0.5 s, the sort under 0.5 s, the
// search under 50 ms.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

#include "components/FilterMan.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/uDelimitedStrings.h"
#include "framework/QuorendReadForm.h"

namespace {

constexpr int Rows = 100000;
const QString Names[] = {"Хляб бял 500 г", "Хляб типов", "Козунак", "Кифла с мак", "Баничка"};

void MakeRecords(TDelimitedStringList &list)
{
    list.Clear();
    list.BeginUpdate();
    for (int r = 1; r <= Rows; ++r) {
        QStringList fields{QString::number(r), QString::number(1000 + r % 700), Names[r % 5]};
        for (int c = 3; c < 10; ++c)
            fields << QString::number((r * 37 + c * 11) % 100000 / 100.0 - 50, 'f', 2);
        list.Add(fields.join(QChar('@')));
    }
    list.EndUpdate();
}

class TBenchForm : public TQuorendReadForm
{
public:
    TBenchForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
    {
        Grid->SetColCount(10);
        Grid->SetFixedRows(1);
    }
    // The filter of a name prefix, as the filter dialog leaves it.
    void SetNameCondition()
    {
        CreateFilterDialog();
        FilterConditions()->AddObject(QStringLiteral("2"), new TFilterMan(QStringLiteral("~Кифла"), FilterKindText));
    }
};

std::unique_ptr<TBenchForm> MakeForm()
{
    return std::unique_ptr<TBenchForm>(CreateQuorendForm<TBenchForm>(nullptr, fsNormal));
}

// The plain filter: each record split and tested, the kept ones copied.
int PlainFilter(const TDelimitedStringList &source, const TFilterMan &condition)
{
    TDelimitedStringList kept;
    for (int r = 0; r < source.Count(); ++r) {
        const QStringList fields = source.Strings(r).split(QChar('@'));
        if (condition.Matches(fields.value(2)))
            kept.Add(source.Strings(r));
    }
    return kept.Count();
}

double TimeFilterRows(TBenchForm &form, const TDelimitedStringList &records)
{
    TDelimitedStringList list;
    list.Assign(&records);
    QElapsedTimer t;
    t.start();
    form.FilterRows(list, QString());
    return t.nsecsElapsed() / 1e9;
}

double TimePlainFilter(const TDelimitedStringList &records)
{
    const TFilterMan condition(QStringLiteral("~Кифла"), FilterKindText);
    QElapsedTimer t;
    t.start();
    benchmark::DoNotOptimize(PlainFilter(records, condition));
    return t.nsecsElapsed() / 1e9;
}

double TimeHeaderSort(TBenchForm &form, const TDelimitedStringList &records)
{
    FillGridFromDelimitedStrings(*form.Grid, records, false);
    form.SetSortColumns({});
    QElapsedTimer t;
    t.start();
    form.ToggleSortColumn(TGridCoord{4, 0});
    return t.nsecsElapsed() / 1e9;
}

// The plain sort: the rows' texts taken out, sorted by the column's
// number, written back.
double TimePlainSort(TRichGrid &grid, const TDelimitedStringList &records)
{
    FillGridFromDelimitedStrings(grid, records, false);
    QElapsedTimer t;
    t.start();
    std::vector<std::pair<double, QStringList>> rows;
    rows.reserve(static_cast<std::size_t>(grid.RowCount()));
    for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
        rows.emplace_back(grid.Cells(4, r).toDouble(), grid.Rows(r));
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    int r = grid.FixedRows();
    for (auto &row : rows)
        grid.SetRows(r++, row.second);
    return t.nsecsElapsed() / 1e9;
}

double TimeSearch(TRichGrid &grid, bool Plain)
{
    const QString text = QStringLiteral("99999");
    QElapsedTimer t;
    t.start();
    int found = -1;
    if (Plain) {
        for (int r = grid.FixedRows(); r < grid.RowCount() && found < 0; ++r)
            if (grid.Cells(0, r).contains(text, Qt::CaseInsensitive))
                found = r;
    } else {
        found = FindRowContaining(grid, text, 0, -1, 1);
    }
    benchmark::DoNotOptimize(found);
    return t.nsecsElapsed() / 1e9;
}

template <class F>
double Fastest(F f, int n = 5)
{
    double best = 1e9;
    for (int i = 0; i < n; ++i)
        best = std::min(best, f());
    return best;
}

void BM_FilterRows(benchmark::State &state)
{
    TDelimitedStringList records;
    MakeRecords(records);
    auto form = MakeForm();
    form->SetNameCondition();
    for (auto _ : state) {
        state.PauseTiming();
        TDelimitedStringList list;
        list.Assign(&records);
        state.ResumeTiming();
        form->FilterRows(list, QString());
    }
}
BENCHMARK(BM_FilterRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    TDelimitedStringList records;
    MakeRecords(records);
    auto form = MakeForm();
    form->SetNameCondition();
    const double filter = Fastest([&] { return TimeFilterRows(*form, records); });
    const double plainFilter = Fastest([&] { return TimePlainFilter(records); });
    const double sort = Fastest([&] { return TimeHeaderSort(*form, records); }, 3);
    TRichGrid grid;
    grid.SetColCount(10);
    const double plainSort = Fastest([&] { return TimePlainSort(grid, records); }, 3);
    FillGridFromDelimitedStrings(*form->Grid, records, false);
    const double search = Fastest([&] { return TimeSearch(*form->Grid, false); });
    const double plainSearch = Fastest([&] { return TimeSearch(*form->Grid, true); });
    std::printf("FilterRows with totals, 100,000 x 10: %.0f ms; plain split-and-test %.0f ms; ratio %.2f\n",
                filter * 1e3, plainFilter * 1e3, filter / plainFilter);
    std::printf("header sort by a number column: %.0f ms; plain stable sort of the rows %.0f ms; ratio %.2f\n",
                sort * 1e3, plainSort * 1e3, sort / plainSort);
    std::printf("search to the last row: %.1f ms; plain loop over the cells %.1f ms; ratio %.2f\n", search * 1e3,
                plainSearch * 1e3, search / plainSearch);
    return 0;
}
