// Exporting a filled list of 100,000 rows and 10 columns (an attributed grid
// with formatters, as the list forms show it) to a spreadsheet and to a
// delimited text file, each against the floor of its file format in the
// same process: libxlsxwriter writing the same cells with one ready format
// straight from the stored texts, and the same lines written to a file at
// once. The goals: the spreadsheet under 10 s, the text under 1 s.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <xlsxwriter.h>

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/unExport.h"

namespace {

const QString Names[] = {"Хляб бял 500 г", "Хляб типов", "Козунак", "Кифла с мак", "Баничка"};

struct ListGrid
{
    TRichGrid grid;
    TFloatFormatter value;

    explicit ListGrid(int rows)
    {
        grid.SetColCount(10);
        grid.SetRowCount(2);
        grid.SetFixedRows(1);
        grid.FixedAttributes()->SetBackColor(0xF1E3B1);
        value.SetPrecision(2);
        for (int c = 3; c < 10; ++c)
            grid.GetColAttributes(c)->SetFormatter(&value);
        for (int c = 0; c < 10; ++c)
            grid.SetCells(c, 0, QStringLiteral("Колона %1").arg(c));
        TDelimitedStringList list;
        list.BeginUpdate();
        for (int r = 1; r <= rows; ++r) {
            QStringList fields{QString::number(r), QString::number(1000 + r % 700), Names[r % 5]};
            for (int c = 3; c < 10; ++c)
                fields << QString::number((r * 37 + c * 11) % 100000 / 100.0 - 50, 'f', 2);
            list.Add(fields.join(QChar('@')));
        }
        list.Add(QString::fromUtf8("¤Общо:@@@1@2@3@4@5@6@7"));
        list.EndUpdate();
        FillGridFromDelimitedStrings(grid, list, false);
    }
};

ListGrid &Grid()
{
    static ListGrid g(100000);
    return g;
}

TExportJob Job(const QString &file)
{
    TExportJob job;
    job.Grid = &Grid().grid;
    job.Title.Text = QStringLiteral("Продажби");
    job.Table.Font = QFont(QStringLiteral("Times New Roman"), 8);
    job.FileName = file;
    job.Delimiter = QStringLiteral("\t");
    return job;
}

void OursXlsx(const QString &file)
{
    TExportProgress progress;
    if (ExportToSpreadsheet(Job(file), progress) != erExported)
        std::abort();
}

void FloorXlsx(const QString &file)
{
    platform::StringGrid &g = Grid().grid;
    lxw_workbook *wb = workbook_new(file.toUtf8().constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *f = workbook_add_format(wb);
    format_set_border(f, LXW_BORDER_THIN);
    for (int r = 0; r < g.RowCount(); ++r)
        for (int c = 0; c < g.ColCount(); ++c) {
            const QString s = g.Cells(c, r);
            bool ok = false;
            const double v = s.toDouble(&ok);
            if (ok)
                worksheet_write_number(ws, r + 3, c, v, f);
            else
                worksheet_write_string(ws, r + 3, c, s.toUtf8().constData(), f);
        }
    workbook_close(wb);
}

void OursText(const QString &file)
{
    TExportProgress progress;
    if (ExportToText(Job(file), progress) != erExported)
        std::abort();
}

void FloorText(const QString &file)
{
    platform::StringGrid &g = Grid().grid;
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    QString line;
    for (int r = 0; r < g.RowCount(); ++r) {
        line.clear();
        for (int c = 0; c < g.ColCount(); ++c) {
            line += g.Cells(c, r);
            line += QLatin1Char('\t');
        }
        line += QStringLiteral("\r\n");
        out.write(line.toUtf8());
    }
}

QTemporaryDir &Dir()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_ExportXlsx(benchmark::State &state)
{
    for (auto _ : state)
        OursXlsx(Dir().filePath("ours.xlsx"));
}
void BM_FloorXlsx(benchmark::State &state)
{
    for (auto _ : state)
        FloorXlsx(Dir().filePath("floor.xlsx"));
}
void BM_ExportText(benchmark::State &state)
{
    for (auto _ : state)
        OursText(Dir().filePath("ours.txt"));
}
void BM_FloorText(benchmark::State &state)
{
    for (auto _ : state)
        FloorText(Dir().filePath("floor.txt"));
}
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FloorXlsx)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FloorText)->Unit(benchmark::kMillisecond)->Iterations(3);

double Seconds(void (*run)(const QString &), const char *name)
{
    QElapsedTimer t;
    t.start();
    run(Dir().filePath(name));
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ox = Seconds(OursXlsx, "ours.xlsx");
    const double fx = Seconds(FloorXlsx, "floor.xlsx");
    const double ot = Seconds(OursText, "ours.txt");
    const double ft = Seconds(FloorText, "floor.txt");
    std::printf("100,000 x 10 cells: .xlsx %.2f s (libxlsxwriter alone %.2f s, ratio %.2f); "
                "text %.3f s (plain write %.3f s, ratio %.2f)\n",
                ox, fx, ox / fx, ot, ft, ot / ft);
    return 0;
}
