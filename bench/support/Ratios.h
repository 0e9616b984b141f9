#pragma once
// The main of a benchmark program that sets our routine against the best
// alternative: after the runs it prints, for every pair registered with
// AddRatio, both times per iteration and their ratio (ours / alternative);
// with --benchmark_repetitions=N the fastest of the repetitions.
#include <QString>

namespace bench {

// Names as Google Benchmark reports them, e.g. "BM_Sort/100000".
void AddRatio(const char *ours, const char *alternative);

// Runs the benchmarks given on the command line and prints the ratios.
int RunBenchmarks(int argc, char **argv);

// A year of data (YearOfData.h, default sizes) generated once and kept in
// the temporary folder for later runs; callers that change a database
// work on a copy (CopyOfYear).
QString CachedYear();
QString CopyOfYear(const QString &name);

} // namespace bench
