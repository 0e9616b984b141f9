#pragma once
// The main of a benchmark program whose code needs widgets: the benchmarks
// run inside a QApplication, on the offscreen platform unless
// QT_QPA_PLATFORM names another.

namespace bench {

int RunWidgetBenchmarks(int argc, char **argv);

} // namespace bench
