// The page printer writing a text file (its text-file mode): 20,000 lines
// of a report, some aligned, some in table columns, against writing the
// same lines to a file with QFile directly.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "framework/TextPagePrinter.h"
#include "support/Ratios.h"

namespace {

QString Line(int i)
{
    return QStringLiteral("   %1 Хляб бял 0.500 кг ! %2 ! %3.00 ! ").arg(i, 5).arg(i % 97, 6).arg(i % 1000, 8);
}

QTemporaryDir &Folder()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_PagePrinterTextFile(benchmark::State &state)
{
    platform::NoPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.SetPrintToFile(true);
    page.SetFileName(Folder().filePath("printer.txt"));
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        page.BeginDoc();
        for (int i = 0; i < lines; ++i) {
            page.WriteLine(Line(i));
            page.NewLine();
        }
        page.EndDoc();
    }
}

void BM_PlainFileWrite(benchmark::State &state)
{
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QFile file(Folder().filePath("plain.txt"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (int i = 0; i < lines; ++i) {
            file.write(Line(i).toUtf8());
            file.write("\r\n");
        }
        file.close();
    }
}

BENCHMARK(BM_PagePrinterTextFile)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFileWrite)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::AddRatio("BM_PagePrinterTextFile/20000", "BM_PlainFileWrite/20000");
    return bench::RunBenchmarks(argc, argv);
}
