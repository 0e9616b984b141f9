// Filling and painting a grid of 100,000 rows and 10 columns: the time from
// an empty grid to its first painted screen, the memory the rows take, and
// a paint after a jump far down the list. The cells are written one by one
// here; the fill from a record list (FillGridFromDelimitedStrings) is
// measured by bench_GridFill.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "support/BenchMain.h"

namespace {

long ResidentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * 4 : 0;
}

const QString Names[] = {"Хляб бял 500 г", "Хляб типов", "Козунак", "Кифла с мак", "Баничка"};

// Like a list form's grid: header row, a code and a name column, numbers
// under float formatters.
struct ListGrid
{
    TRichGrid grid;
    TFloatFormatter quantity;
    TFloatFormatter value;

    ListGrid()
    {
        grid.resize(1000, 700);
        grid.SetColCount(10);
        grid.SetDefaultRowHeight(18);
        grid.SetOptions(TGridOptions{goRangeSelect, goThumbTracking});
        quantity.SetPrecision(3);
        value.SetPrecision(2);
        value.SetMarkNegative(true);
        for (int c = 3; c < 6; ++c)
            grid.GetColAttributes(c)->SetFormatter(&quantity);
        for (int c = 6; c < 10; ++c)
            grid.GetColAttributes(c)->SetFormatter(&value);
        for (int c = 0; c < 10; ++c)
            grid.SetCells(c, 0, QStringLiteral("Колона %1").arg(c));
    }

    void Fill(int rows, bool colourEveryCell)
    {
        grid.SetRowCount(rows + 1);
        for (int r = 1; r <= rows; ++r) {
            grid.SetCells(0, r, QString::number(r));
            grid.SetCells(1, r, QString::number(1000 + r % 700));
            grid.SetCells(2, r, Names[r % 5]);
            for (int c = 3; c < 10; ++c)
                grid.SetCells(c, r, QString::number((r * 37 + c * 11) % 100000 / 100.0 - 50, 'f', 2));
            if (colourEveryCell)
                for (int c = 0; c < 10; ++c)
                    grid.GetCellAttributes(c, r)->SetBackColor(clWindow);
        }
    }

    void Paint(QImage &screen)
    {
        screen.fill(Qt::white);
        grid.viewport()->render(&screen);
    }
};

void FillAndFirstPaint(benchmark::State &state, bool colourEveryCell)
{
    const int rows = static_cast<int>(state.range(0));
    QImage screen(1000, 700, QImage::Format_RGB32);
    long memory = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto *g = new ListGrid;
        const long before = ResidentKiB();
        state.ResumeTiming();
        g->Fill(rows, colourEveryCell);
        g->Paint(screen);
        state.PauseTiming();
        memory = std::max(memory, ResidentKiB() - before);
        delete g;
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["memory_MiB"] = memory / 1024.0;
}

void BM_FillAndFirstPaint(benchmark::State &state)
{
    FillAndFirstPaint(state, false);
}
BENCHMARK(BM_FillAndFirstPaint)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A form that colours every data cell on its own (the grid fill does not:
// it colours rows) pays an attribute object per cell: what that costs on top.
void BM_FillColouringEveryCellAndFirstPaint(benchmark::State &state)
{
    FillAndFirstPaint(state, true);
}
BENCHMARK(BM_FillColouringEveryCellAndFirstPaint)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PaintAfterJump(benchmark::State &state)
{
    ListGrid g;
    g.Fill(static_cast<int>(state.range(0)), false);
    QImage screen(1000, 700, QImage::Format_RGB32);
    int top = 1;
    for (auto _ : state) {
        top = (top * 7919 + 13) % (g.grid.RowCount() - 50) + 1;
        g.grid.SetTopRow(top);
        g.Paint(screen);
    }
}
BENCHMARK(BM_PaintAfterJump)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SetCells(benchmark::State &state)
{
    ListGrid g;
    g.grid.SetRowCount(100001);
    int r = 1;
    for (auto _ : state) {
        g.grid.SetCells(4, r, QStringLiteral("12.5"));
        r = r % 100000 + 1;
    }
}
BENCHMARK(BM_SetCells);

// Writing cells while the grid is on screen.
void BM_SetCellsShown(benchmark::State &state)
{
    ListGrid g;
    g.grid.SetRowCount(100001);
    g.grid.show();
    QApplication::processEvents();
    int r = 1;
    for (auto _ : state) {
        g.grid.SetCells(4, r, QStringLiteral("12.5"));
        r = r % 100000 + 1;
    }
}
BENCHMARK(BM_SetCellsShown);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunWidgetBenchmarks(argc, argv);
}
