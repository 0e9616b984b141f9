// The run-time grid: separators and merges, per-cell formats, hidden and
// fill-client columns, the outside cell source, copying, drawing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTest>

#include "components/RunTimeGrid.h"
#include "support/TestEnv.h"

namespace {

void Fill(TRunTimeGrid &g, int cols, int rows)
{
    g.SetColCount(cols);
    g.SetRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g.SetCell(c, r, QString("%1%2").arg(QChar('a' + c)).arg(r));
}

TGridRect Merge(const TRunTimeGrid &g, int c, int r)
{
    TGridRect rect;
    g.GetMergeRect(c, r, rect);
    return rect;
}

} // namespace

TEST(RunTimeGrid, NewGridHasLinesEverywhereAndCentredText)
{
    TRunTimeGrid g;
    Fill(g, 3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(GridRect(c, r, c, r), Merge(g, c, r));
            EXPECT_EQ(10, g.GetCellAlignment(c, r));
        }
    EXPECT_TRUE(g.VertLine(3, 0));
    EXPECT_TRUE(g.HorzLine(0, 3));
    EXPECT_TRUE(g.VertLine(7, 9)); // outside: a line
    EXPECT_FALSE(g.Options().Contains(goVertLine));
    EXPECT_FALSE(g.Options().Contains(goFixedHorzLine));
    EXPECT_TRUE(g.Options().Contains(goThumbTracking));
}

TEST(RunTimeGrid, AbsentSeparatorsMergeCells)
{
    TRunTimeGrid g;
    Fill(g, 4, 4);
    g.SetVertLine(1, 0, false); // between columns 0 and 1 of row 0
    EXPECT_EQ(GridRect(0, 0, 1, 0), Merge(g, 0, 0));
    EXPECT_EQ(GridRect(0, 0, 1, 0), Merge(g, 1, 0));
    EXPECT_EQ(GridRect(1, 1, 1, 1), Merge(g, 1, 1));
    // A 2 x 2 block in the data rows.
    g.SetVertLine(3, 2, false);
    g.SetVertLine(3, 3, false);
    g.SetHorzLine(2, 3, false);
    g.SetHorzLine(3, 3, false);
    EXPECT_EQ(GridRect(2, 2, 3, 3), Merge(g, 3, 3));
    EXPECT_EQ(GridRect(2, 2, 3, 3), Merge(g, 2, 2));
    g.ResetFormats();
    EXPECT_EQ(GridRect(3, 3, 3, 3), Merge(g, 3, 3));
}

TEST(RunTimeGrid, ColoursOfCellsColumnsAndDefaults)
{
    TRunTimeGrid g;
    Fill(g, 3, 4);
    g.SetFixedColor(0xF1E3B1);
    EXPECT_EQ(0xF1E3B1, g.GetCellColor(1, 0));
    EXPECT_EQ(0xF1E3B1, g.GetCellColor(0, 2)); // fixed column
    EXPECT_EQ(clWindow, g.GetCellColor(1, 1));
    g.SetCellColor(1, 2, 0xF8F0D8);
    g.SetColColor(1, clYellow);
    EXPECT_EQ(clYellow, g.GetCellColor(1, 1));
    EXPECT_EQ(0xF8F0D8, g.GetCellColor(1, 2)); // keeps its own colour
    EXPECT_EQ(0xF1E3B1, g.GetCellColor(1, 0)); // fixed cells are not touched
    g.SetOverwrite(true);
    g.SetColColor(1, clAqua);
    EXPECT_EQ(clAqua, g.GetCellColor(1, 2));
    // A fixed column has no cells to colour.
    g.SetColColor(0, clAqua);
    EXPECT_EQ(0xF1E3B1, g.GetCellColor(0, 2));

    g.SetCellFontColor(2, 3, clRed);
    EXPECT_EQ(clRed, g.GetCellFontColor(2, 3));
    EXPECT_EQ(clWindowText, g.GetCellFontColor(2, 2));
    // System colours survive the table.
    g.SetCellColor(2, 1, clBtnFace);
    EXPECT_EQ(clBtnFace, g.GetCellColor(2, 1));

    // The tables follow the grid's size.
    g.SetRowCount(2);
    g.SetRowCount(4);
    EXPECT_EQ(clWindow, g.GetCellColor(1, 2));
    g.ResetFormats();
    EXPECT_EQ(clWindow, g.GetCellColor(1, 1));
}

TEST(RunTimeGrid, CellSourceServesDataRows)
{
    TRunTimeGrid g;
    Fill(g, 2, 3);
    g.SetCellSource([](int DataRow, int ACol, QString &S) { S = QString("src %1/%2").arg(DataRow).arg(ACol); });
    EXPECT_EQ("a0", g.CellText(0, 0)); // fixed row: own strings
    EXPECT_EQ("src 0/1", g.CellText(1, 1));
    EXPECT_EQ("src 1/0", g.CellText(0, 2));
    g.SetCell(1, 1, "x");
    EXPECT_EQ("b1", g.Cells(1, 1));
    g.SetCell(1, 0, "head");
    EXPECT_EQ("head", g.CellText(1, 0));
}

TEST(RunTimeGrid, FillClientListAddsAndRemovesColumns)
{
    TRunTimeGrid g;
    Fill(g, 5, 2);
    g.SetFillClientCol(3, true);
    g.SetFillClientCol(1, true);
    g.SetFillClientCol(3, true);
    EXPECT_EQ("3,1", g.FillClientCols());
    EXPECT_TRUE(g.IsFillClientCol(1));
    EXPECT_FALSE(g.IsFillClientCol(2));
    g.SetFillClientCol(3, false);
    EXPECT_EQ("1", g.FillClientCols());
    g.SetFillClientCols(" 2 , 4");
    EXPECT_TRUE(g.IsFillClientCol(4));
}

TEST(RunTimeGrid, AssignCopiesTextsFormatsAndHiddenColumns)
{
    TRunTimeGrid g;
    Fill(g, 4, 5);
    g.SetFixedCols(0);
    g.SetFixedRows(2);
    g.SetColWidths(1, 77);
    g.SetColHidden(2, true);
    g.SetVertLine(1, 0, false);
    g.SetCellColor(0, 3, 0xF8F0D8);
    g.SetCellFontColor(1, 4, clRed);
    g.SetFillClientCol(3, true);
    g.SetLineBreak("|");
    g.SetFixedCell3DEffect(TRunTimeGrid::fc3DFlat);

    TRunTimeGrid copy;
    copy.Assign(g);
    EXPECT_EQ(4, copy.ColCount());
    EXPECT_EQ(5, copy.RowCount());
    EXPECT_EQ(0, copy.FixedCols());
    EXPECT_EQ(2, copy.FixedRows());
    EXPECT_EQ("d4", copy.CellText(3, 4));
    EXPECT_EQ(77, copy.ColWidths(1));
    EXPECT_TRUE(copy.ColHidden(2));
    EXPECT_EQ(0, copy.ColWidths(2));
    EXPECT_EQ(GridRect(0, 0, 1, 0), Merge(copy, 1, 0));
    EXPECT_EQ(0xF8F0D8, copy.GetCellColor(0, 3));
    EXPECT_EQ(clRed, copy.GetCellFontColor(1, 4));
    EXPECT_EQ("3", copy.FillClientCols());
    EXPECT_EQ("|", copy.LineBreak());
    EXPECT_EQ(TRunTimeGrid::fc3DFlat, copy.FixedCell3DEffect());
    // Shown again, the hidden column gets its width back.
    copy.SetColHidden(2, false);
    EXPECT_EQ(g.DefaultColWidth(), copy.ColWidths(2));
}

TEST(RunTimeGrid, AutoSizeCountsTheWidestLineAndSharesMergedText)
{
    TRunTimeGrid g;
    g.SetColCount(3);
    g.SetRowCount(2);
    const QFontMetrics fm(g.font());
    const int extra = 8 + g.GridLineWidth();
    g.SetCell(0, 1, "short\rmuch longer line");
    g.SetCell(1, 1, "x");
    g.SetCell(2, 1, "y");
    g.SetCell(1, 0, QString(60, QChar('W')));
    g.SetVertLine(2, 0, false); // (1,0) and (2,0) form one block
    g.SetColHidden(0, false);
    g.AutoSizeColumns();
    EXPECT_EQ(fm.horizontalAdvance("much longer line") + extra, g.ColWidths(0));
    const int need = fm.horizontalAdvance(QString(60, QChar('W'))) + extra;
    EXPECT_EQ(need / 2, g.ColWidths(1));
    EXPECT_EQ(need / 2, g.ColWidths(2));

    g.SetLineBreaks(false);
    g.AutoSizeColumns();
    EXPECT_GT(g.ColWidths(0), fm.horizontalAdvance("much longer line") + extra);

    g.AutoSizeRows();
    EXPECT_EQ(fm.height() + 4 + g.GridLineWidth(), g.DefaultRowHeight());
}

TEST(RunTimeGridGui, HiddenColumnCannotBeSelected)
{
    TRunTimeGrid g;
    Fill(g, 4, 4);
    g.resize(400, 200);
    g.show();
    g.setFocus();
    g.SetCol(1);
    g.SetColHidden(2, true);
    QTest::keyClick(&g, Qt::Key_Right);
    EXPECT_EQ(1, g.Col());
    g.SetCol(2);
    EXPECT_EQ(1, g.Col());
    // Hiding the current column moves the current cell off it.
    g.SetCol(3);
    g.SetColHidden(3, true);
    EXPECT_EQ(1, g.Col());
    // A click where the hidden column stood lands on its neighbour.
    const QRect r = g.CellRect(1, 1);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(r.right() + 3, r.center().y()));
    EXPECT_NE(2, g.Col());
}

TEST(RunTimeGridGui, FillClientColumnsTakeTheRestOfTheWidth)
{
    TRunTimeGrid g;
    Fill(g, 4, 3);
    g.SetDefaultColWidth(50);
    g.resize(420, 200);
    g.show();
    QApplication::processEvents();
    const int client = g.viewport()->width();
    g.SetFillClientCols("1,3");
    g.SetColHidden(2, true);
    g.ResizeColumnsToFillClient(false);
    EXPECT_EQ((client - 50) / 2, g.ColWidths(1));
    EXPECT_EQ((client - 50) / 2, g.ColWidths(3));
    EXPECT_EQ(0, g.ColWidths(2));

    // Without shrinking, columns that already fill the client stay.
    g.SetShrinkToFill(false);
    g.SetColWidths(1, client);
    g.ResizeColumnsToFillClient(false);
    EXPECT_EQ(client, g.ColWidths(1));
}

TEST(RunTimeGridGui, MergedBlockDrawsOnceWithItsFirstCell)
{
    TRunTimeGrid g;
    Fill(g, 3, 3);
    g.SetVertLine(1, 0, false);
    g.SetCell(0, 0, "Общо");
    g.SetCell(0, 2, "A\rB");
    g.SetRowHeights(2, 40);
    g.SetCellColor(2, 1, 0xF8F0D8);
    g.resize(300, 150);
    g.show();
    QApplication::processEvents();

    QList<QPair<TGridCoord, QRect>> drawn;
    g.OnDrawCell = [&](QObject *, int c, int r, const QRect &rect, TGridDrawState) {
        drawn.append({TGridCoord{c, r}, rect});
    };
    QImage shot = g.grab().toImage();
    shot.save(testsupport::OutputPath("runtimegrid.png"));
    int blockDraws = 0;
    for (const auto &d : drawn) {
        EXPECT_FALSE(d.first == (TGridCoord{1, 0})) << "the second cell of the block drew itself";
        if (d.first == TGridCoord{0, 0}) {
            ++blockDraws;
            EXPECT_EQ(g.ColWidths(0) + g.ColWidths(1), d.second.width());
        }
    }
    EXPECT_EQ(1, blockDraws);
    // The coloured cell shows its colour in its middle.
    const QRect cell = g.CellRect(2, 1);
    const QPoint mid = g.viewport()->mapTo(&g, cell.center() + QPoint(cell.width() / 3, cell.height() / 3));
    EXPECT_EQ(QColor(0xD8, 0xF0, 0xF8), shot.pixelColor(mid * shot.devicePixelRatio()));
}

namespace {

// The columns and rows of a cell's area that hold text pixels (dark on the
// light cell).
struct Ink
{
    int left = -1;
    int right = -1;
    QList<int> rows;
};

Ink InkIn(const QImage &shot, const QRect &area)
{
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool any = false;
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(shot.pixel(x, y)) > 100)
                continue;
            any = true;
            ink.left = ink.left < 0 ? x : std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
        }
        if (any)
            ink.rows << y;
    }
    return ink;
}

} // namespace

TEST(RunTimeGridGui, BrokenTextShowsAsLinesPlacedAsOneBlock)
{
    TRunTimeGrid g;
    g.SetColCount(2);
    g.SetRowCount(3); // the text below the current cell, drawn unselected
    g.SetColWidths(1, 200);
    g.SetRowHeights(2, 70);
    g.SetDefaultAlignment(TRunTimeGrid::alRight | TRunTimeGrid::alVCenter);
    g.SetCell(1, 2, "I\rWWWWWW");
    g.resize(320, 180);
    g.show();
    QApplication::processEvents();
    QImage shot = g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(testsupport::OutputPath("runtimegrid-lines.png"));
    const qreal dpr = shot.devicePixelRatio();
    const QRect cell = g.CellRect(1, 2).adjusted(2, 2, -2, -2);
    const QRect area(QPoint(qRound(cell.left() * dpr), qRound(cell.top() * dpr)),
                     QPoint(qRound(cell.right() * dpr), qRound(cell.bottom() * dpr)));
    const Ink all = InkIn(shot, area);
    ASSERT_FALSE(all.rows.isEmpty());
    // Two lines: the ink stands in two bands with a gap between them.
    int bands = 1;
    for (int i = 1; i < all.rows.size(); ++i)
        if (all.rows[i] != all.rows[i - 1] + 1)
            ++bands;
    EXPECT_EQ(2, bands);
    // The block stands at the right; its short first line starts where the
    // long one does, not at the right edge.
    const int middle = (all.rows.first() + all.rows.last()) / 2;
    const Ink first = InkIn(shot, QRect(QPoint(area.left(), area.top()), QPoint(area.right(), middle)));
    const Ink second = InkIn(shot, QRect(QPoint(area.left(), middle + 1), QPoint(area.right(), area.bottom())));
    EXPECT_LE(std::abs(first.left - second.left), qRound(3 * dpr));
    EXPECT_GT(second.left, area.left() + area.width() / 3);
    EXPECT_GE(second.right, area.right() - qRound(8 * dpr));
}
