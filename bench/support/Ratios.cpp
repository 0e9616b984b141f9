#include "support/Ratios.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/YearOfData.h"

namespace bench {

namespace {

std::vector<std::pair<std::string, std::string>> &Pairs()
{
    static std::vector<std::pair<std::string, std::string>> pairs;
    return pairs;
}

// The console report, keeping each run's seconds per iteration.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred) {
                // Of repetitions the fastest: the machine's other work only adds.
                const double s = run.real_accumulated_time / static_cast<double>(run.iterations);
                const auto it = seconds_.find(run.benchmark_name());
                if (it == seconds_.end() || s < it->second)
                    seconds_[run.benchmark_name()] = s;
            }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        for (const auto &[ours, other] : Pairs()) {
            const auto a = seconds_.find(ours);
            const auto b = seconds_.find(other);
            if (a == seconds_.end() || b == seconds_.end() || b->second <= 0)
                continue;
            std::printf("%-48s %10.3f ms\n%-48s %10.3f ms   ratio %.2f\n", ours.c_str(), a->second * 1e3,
                        other.c_str(), b->second * 1e3, a->second / b->second);
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

void AddRatio(const char *ours, const char *alternative) { Pairs().emplace_back(ours, alternative); }

int RunBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}

QString CachedYear()
{
    const YearSpec spec;
    const QString path = QDir::temp().filePath(
        QStringLiteral("tolvex-bench-year-%1-%2-%3-%4.db").arg(spec.receipts).arg(spec.sites).arg(spec.products).arg(spec.seed));
    if (!QFile::exists(path)) {
        const QString partial = path + QStringLiteral(".part");
        QFile::remove(partial);
        QElapsedTimer t;
        t.start();
        const YearCounts c = GenerateYear(partial, spec);
        QFile::rename(partial, path);
        std::fprintf(stderr,
                     "Generated a year in %.1f s: %lld receipts, %lld receipt lines, %lld invoices, %lld invoice "
                     "lines, %lld other document rows\n",
                     t.elapsed() / 1000.0, c.receipts, c.receiptLines, c.invoices, c.invoiceLines, c.otherRows);
    }
    return path;
}

QString CopyOfYear(const QString &name)
{
    const QString copy = QDir::temp().filePath(QStringLiteral("tolvex-bench-%1.db").arg(name));
    QFile::remove(copy);
    QFile::copy(CachedYear(), copy);
    return copy;
}

} // namespace bench
