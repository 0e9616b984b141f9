#include "support/YearReports.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "support/Ratios.h"
#include "support/YearOfData.h"

namespace bench {

QDate YearFirstDay() { return DayNumberToDate(FirstDayOfYear(YearSpec())); }
QDate YearLastDay() { return YearFirstDay().addYears(1).addDays(-1); }
QDate MonthFirstDay() { return YearFirstDay().addMonths(2); }
QDate MonthLastDay() { return YearFirstDay().addMonths(3).addDays(-1); }

QString YearSql(const QString &Sql)
{
    return Format(Sql, {DateToDayNumber(YearFirstDay()), DateToDayNumber(YearLastDay())});
}

int RunOnProgramDatabase(int argc, char **argv, RatioPairs Ratios)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir base;
    QDir(base.path()).mkpath(QStringLiteral("db"));
    QDir(base.path()).mkpath(QStringLiteral("bin"));
    QFile::copy(CachedYear(), base.filePath(QStringLiteral("db/bread.db")));
    SetProgramFileNameForTests(base.filePath(QStringLiteral("bin/tolvex")));
    OpenDatabase(&app, nullptr, true);
    for (const auto &[ours, alternative] : Ratios)
        AddRatio(ours, alternative);
    const int result = RunBenchmarks(argc, argv);
    CloseDatabase();
    return result;
}

int RunOnConnection(int argc, char **argv, const std::function<QString()> &Database, RatioPairs Ratios,
                    const std::function<void()> &Prepare)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DbConnection = new TADOConnection(nullptr);
    DbConnection->SetPath(Database());
    if (Prepare)
        Prepare();
    for (const auto &[ours, alternative] : Ratios)
        AddRatio(ours, alternative);
    const int result = RunBenchmarks(argc, argv);
    CloseDatabase();
    return result;
}

} // namespace bench
