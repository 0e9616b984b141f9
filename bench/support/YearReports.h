#pragma once
// What the benchmarks of report windows on the generated year share: the
// year and its month (March) as periods, a report window made for one of
// them and run again and again, and the main of a program that opens the
// year as the program's own database.
#include <QDate>
#include <benchmark/benchmark.h>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

#include "framework/QuorendForm.h"

namespace bench {

// 1 January and 31 December of the generated year.
QDate YearFirstDay();
QDate YearLastDay();
// 1 and 31 March of the generated year.
QDate MonthFirstDay();
QDate MonthLastDay();
// Text of a statement with two %d, the year's first and last day numbers.
QString YearSql(const QString &Sql);

// A report window made as the menu makes it, for the year or for March.
template <class T> std::unique_ptr<T> MakePeriodReport(bool Year)
{
    std::unique_ptr<T> form(CreateQuorendForm<T>(nullptr, fsNormal));
    form->SetPeriod(Year ? YearFirstDay() : MonthFirstDay(), Year ? YearLastDay() : MonthLastDay());
    return form;
}

// The report fetched once per iteration; a failed run is reported as the
// benchmark's error.
template <class T> void RunReport(benchmark::State &state, T &Form)
{
    for (auto _ : state)
        if (!Form.Execute())
            state.SkipWithError("the report failed");
}

// The report of the year or of March run; "rows" counts its grid's rows.
template <class T> void PeriodReport(benchmark::State &state, bool Year)
{
    auto form = MakePeriodReport<T>(Year);
    RunReport(state, *form);
    state.counters["rows"] = form->Grid->RowCount();
}

using RatioPairs = std::initializer_list<std::pair<const char *, const char *>>;

// The whole main of a program of report windows: a widget application (on
// the offscreen platform unless QT_QPA_PLATFORM names another), the cached
// year copied as the database of a base folder of its own and opened as
// the program opens its database, the benchmarks run and the ratios
// (ours, alternative) printed.
int RunOnProgramDatabase(int argc, char **argv, RatioPairs Ratios);
// The same for a program that works through the shared connection alone:
// the connection opened on the database Database gives (the cached year or
// a copy of it), Prepare run when given, the benchmarks run and the ratios
// printed.
int RunOnConnection(int argc, char **argv, const std::function<QString()> &Database, RatioPairs Ratios,
                    const std::function<void()> &Prepare = {});

} // namespace bench
