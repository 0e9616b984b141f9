// The grid print: graphic pages of 10,000 rows (about 250 pages) against the
// grid's own column auto-sizing that a layout would otherwise start from;
// text pages of 100,000 rows against the bare padding of every cell; and a
// preview repaint with hundreds of pages against replaying one page.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "framework/unPrintPreview.h"
#include "platform/print/PrinterDevice.h"
#include "support/BenchMain.h"

namespace {

void FillGrid(TRichGrid &g, int rows)
{
    g.SetColCount(6);
    g.SetRowCount(2);
    g.SetFixedCols(0);
    g.SetFixedRows(1);
    g.SetRows(0, {"Код", "Наименование", "Обект", "Количество", "Цена", "Сума"});
    QStringList records;
    records.reserve(rows);
    for (int i = 1; i <= rows; ++i)
        records << QStringLiteral("%1@Хляб бял %2 г@Магазин № %3@%4@%5@%6")
                       .arg(i)
                       .arg(400 + i % 400)
                       .arg(i % 120)
                       .arg(i % 50 + 1)
                       .arg(0.85 + (i % 30) / 100.0, 0, 'f', 2)
                       .arg((i % 50 + 1) * 0.85, 0, 'f', 2);
    TDelimitedStringList list;
    list.SetTextStr(records.join(QChar(0x00B0)));
    FillGridFromDelimitedStrings(g, list, false);
}

struct PdfPrinter
{
    PdfPrinter() : printer(QPrinter::HighResolution), device(&printer)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/dev/null"));
        printer.setResolution(300);
        printer.setPageSize(QPageSize(QPageSize::A4));
    }
    QPrinter printer;
    platform::QtPrinterDevice device;
};

void BM_GraphicPages(benchmark::State &state)
{
    TRichGrid g;
    FillGrid(g, int(state.range(0)));
    PdfPrinter pdf;
    int pages = 0;
    for (auto _ : state) {
        TfmPrintPreview form(poPortrait, &g, "Продажби", "Декември", "", "", "", "", 0, false, false, false, "",
                             &pdf.device);
        pages = form.page->PageCount();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_GraphicPages)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The alternative: the grid's own sizing of every column to its widest
// cell on the printer, column by column (no pages at all).
void BM_GridAutoSizeColumns(benchmark::State &state)
{
    TRichGrid g;
    FillGrid(g, int(state.range(0)));
    g.SetAutoResizeCols(true);
    g.SetDynamicResize(false);
    PdfPrinter pdf;
    QFont font(QStringLiteral("Times New Roman"), 8);
    g.setFont(font);
    for (auto _ : state)
        g.AutoSizeColumns(&pdf.printer);
}
BENCHMARK(BM_GridAutoSizeColumns)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TextPages(benchmark::State &state)
{
    TRichGrid g;
    FillGrid(g, int(state.range(0)));
    TGridTextLayout layout;
    layout.LinesPerPage = 62;
    layout.LineWidth = 128;
    layout.Title = QStringLiteral("Продажби");
    TGridTextDocument doc;
    QString error;
    for (auto _ : state)
        BuildGridTextDocument(g, {}, {}, layout, doc, error);
    state.counters["pages"] = doc.PageCount;
}
BENCHMARK(BM_TextPages)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The alternative: every shown cell read once and padded into its line,
// the least a text layout does.
void BM_TextPadEveryCell(benchmark::State &state)
{
    TRichGrid g;
    FillGrid(g, int(state.range(0)));
    QStringList lines;
    for (auto _ : state) {
        lines.clear();
        for (int r = 0; r < g.RowCount(); ++r) {
            QString line;
            for (int c = 0; c < g.ColCount(); ++c) {
                QString s;
                GetCellText(g, c, r, s);
                line += s.leftJustified(16, QLatin1Char(' '), true) + QLatin1Char('|');
            }
            lines << line;
        }
    }
    benchmark::DoNotOptimize(lines.size());
}
BENCHMARK(BM_TextPadEveryCell)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The preview paints only the page in view: a repaint with 250 pages
// against replaying that one page onto the same image.
void BM_PreviewRepaint(benchmark::State &state)
{
    TRichGrid g;
    FillGrid(g, 10000);
    PdfPrinter pdf;
    TfmPrintPreview form(poPortrait, &g, "Продажби", "", "", "", "", "", 0, false, false, false, "", &pdf.device);
    form.resize(1000, 900);
    QImage image(form.page->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        form.page->viewport()->render(&image);
    state.counters["pages"] = form.page->PageCount();
}
BENCHMARK(BM_PreviewRepaint)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReplayOnePage(benchmark::State &state)
{
    TRichGrid g;
    FillGrid(g, 10000);
    PdfPrinter pdf;
    TfmPrintPreview form(poPortrait, &g, "Продажби", "", "", "", "", "", 0, false, false, false, "", &pdf.device);
    form.resize(1000, 900);
    QImage image(form.page->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const platform::RecordedPage *page = form.page->Pages().Items(0);
    for (auto _ : state) {
        QPainter p(&image);
        p.scale(double(image.width()) / page->Size().width(), double(image.width()) / page->Size().width());
        page->Replay(p);
    }
}
BENCHMARK(BM_ReplayOnePage)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return bench::RunWidgetBenchmarks(argc, argv);
}
