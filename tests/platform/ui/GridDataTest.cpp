// The grid's state and arithmetic, without a window.
#include <gtest/gtest.h>

#include "platform/ui/GridData.h"

using platform::GridData;

namespace {

// 10 columns of 50 px, 20 rows of 20 px, one fixed row and column, no grid
// lines: every position below is a plain multiple.
GridData MakeGrid(int cols = 10, int rows = 20)
{
    GridData g;
    g.SetOptions(TGridOptions{goRangeSelect});
    g.SetColCount(cols);
    g.SetRowCount(rows);
    g.SetDefaultColWidth(50);
    g.SetDefaultRowHeight(20);
    g.SetClientSize(200, 100); // fixed row + 4 rows; fixed col + 3 cols
    return g;
}

} // namespace

TEST(GridData, FixedCountsMustStayBelowCounts)
{
    GridData g = MakeGrid(3, 3);
    try {
        g.SetFixedCols(3);
        FAIL() << "no error";
    } catch (const EInvalidGridOperation &e) {
        EXPECT_EQ(e.Message(), "Fixed column count must be less than column count");
    }
    try {
        g.SetFixedRows(5);
        FAIL() << "no error";
    } catch (const EInvalidGridOperation &e) {
        EXPECT_EQ(e.Message(), "Fixed row count must be less than row count");
    }
    EXPECT_THROW(g.SetFixedCols(-1), EInvalidGridOperation);
    // Lowering a count below the fixed count lowers the fixed count.
    g.SetFixedRows(2);
    g.SetRowCount(2);
    EXPECT_EQ(g.FixedRows(), 1);
    g.SetRowCount(0);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_EQ(g.FixedRows(), 0);
}

TEST(GridData, SettingFixedCountsResetsCurrentAndTopLeft)
{
    GridData g = MakeGrid();
    g.MoveCurrent(TGridCoord{5, 9}, true);
    g.SetTopLeft(TGridCoord{4, 7});
    g.SetFixedRows(2);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 2}));
    EXPECT_EQ(g.TopLeft(), (TGridCoord{1, 2}));
    EXPECT_EQ(g.Anchor(), (TGridCoord{1, 2}));
}

TEST(GridData, RemovedCellsLoseTheirTexts)
{
    GridData g = MakeGrid(4, 4);
    g.SetCells(3, 3, "corner");
    g.SetCells(1, 3, "row3");
    g.SetCells(3, 1, "col3");
    g.SetRowCount(3);
    g.SetColCount(3);
    g.SetRowCount(4);
    g.SetColCount(4);
    EXPECT_EQ(g.Cells(3, 3), "");
    EXPECT_EQ(g.Cells(1, 3), "");
    EXPECT_EQ(g.Cells(3, 1), "");
    // Outside the grid nothing is read or written.
    EXPECT_FALSE(g.SetCells(4, 0, "x"));
    EXPECT_FALSE(g.SetCells(0, -1, "x"));
    EXPECT_EQ(g.Cells(4, 0), "");
    EXPECT_EQ(g.Cells(-1, 0), "");
}

TEST(GridData, RowsColsAndExchange)
{
    GridData g = MakeGrid(3, 3);
    g.SetCells(0, 1, "a");
    g.SetCells(2, 1, "c");
    g.SetCells(1, 2, "x");
    EXPECT_EQ(g.Rows(1), (QStringList{"a", "", "c"}));
    EXPECT_EQ(g.Cols(1), (QStringList{"", "", "x"}));
    g.ExchangeRows(1, 2);
    EXPECT_EQ(g.Rows(1), (QStringList{"", "x", ""}));
    EXPECT_EQ(g.Rows(2), (QStringList{"a", "", "c"}));
}

TEST(GridData, TextsWrittenInAnyOrderReadBackAsWritten)
{
    // The texts of a row share one block: cells grow, shrink and empty in
    // place or move to a bigger block; a model of plain texts must agree.
    GridData g;
    g.SetColCount(6);
    g.SetRowCount(4);
    std::vector<std::vector<QString>> model(4, std::vector<QString>(6));
    unsigned seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    const QString samples[] = {"", "a", "Хляб бял 500 г", "12.50", QString(300, QChar(0x44F)), "x@y"};
    for (int step = 0; step < 400; ++step) {
        const int row = int(next() % 4);
        const int col = int(next() % 6);
        const QString &text = samples[next() % 6];
        if (step % 50 == 49) {
            g.SetRowTexts(row, {text, text + "1"});
            model[size_t(row)].assign(6, QString());
            model[size_t(row)][0] = text;
            model[size_t(row)][1] = text + "1";
        } else {
            g.SetCells(col, row, text);
            model[size_t(row)][size_t(col)] = text;
        }
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c)
                ASSERT_EQ(model[size_t(r)][size_t(c)], g.Cells(c, r)) << "step " << step << " cell " << c << "," << r;
    }
    g.SetColCount(3);
    g.SetColCount(6);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(QString(), g.Cells(4, r)) << "a removed column comes back empty";
    g.PermuteRows(1, {2, 0, 1});
    EXPECT_EQ(model[3][0], g.Cells(0, 1));
    EXPECT_EQ(model[1][2], g.Cells(2, 2));
}

TEST(GridData, DefaultSizeResetsEverySize)
{
    GridData g = MakeGrid(3, 3);
    g.SetColWidths(1, 10);
    g.SetDefaultColWidth(30);
    EXPECT_EQ(g.ColWidths(1), 30);
    g.SetColCount(5);
    EXPECT_EQ(g.ColWidths(4), 30);
}

TEST(GridData, CellRectsKeepFixedCellsWhileScrolling)
{
    GridData g = MakeGrid();
    EXPECT_EQ(g.CellRect(0, 0), QRect(0, 0, 50, 20));
    EXPECT_EQ(g.CellRect(2, 3), QRect(100, 60, 50, 20));
    g.SetTopLeft(TGridCoord{4, 10});
    EXPECT_EQ(g.CellRect(0, 0), QRect(0, 0, 50, 20));
    EXPECT_EQ(g.CellRect(0, 10), QRect(0, 20, 50, 20));
    EXPECT_EQ(g.CellRect(4, 0), QRect(50, 0, 50, 20));
    EXPECT_EQ(g.CellRect(5, 11), QRect(100, 40, 50, 20));
    // Scrolled out: no rectangle.
    EXPECT_TRUE(g.CellRect(2, 3).isEmpty());
    EXPECT_TRUE(g.CellRect(5, 19).isEmpty());
    EXPECT_EQ(g.MouseCoord(10, 10), (TGridCoord{0, 0}));
    EXPECT_EQ(g.MouseCoord(60, 45), (TGridCoord{4, 11}));
    EXPECT_EQ(g.MouseCoord(-1, 10).X, -1);
}

TEST(GridData, HiddenColumnsTakeNoPixels)
{
    GridData g = MakeGrid();
    g.SetColWidths(2, 0);
    EXPECT_EQ(g.CellRect(3, 1), QRect(100, 20, 50, 20));
    EXPECT_EQ(g.MouseCoord(100, 25), (TGridCoord{3, 1}));
    EXPECT_EQ(g.MouseCoord(99, 25), (TGridCoord{1, 1}));
    // Past the last cell there is no cell.
    g.SetColCount(3);
    EXPECT_EQ(g.MouseCoord(120, 25).X, -1);
}

TEST(GridData, GridLinesWidenEachCellByTheLine)
{
    GridData g = MakeGrid();
    g.SetOptions(TGridOptions{goVertLine, goFixedVertLine});
    g.SetGridLineWidth(1);
    EXPECT_EQ(g.CellRect(2, 1), QRect(102, 20, 50, 20));
    EXPECT_EQ(g.ColExtent(2), 51);
    EXPECT_EQ(g.RowExtent(2), 20);
}

TEST(GridData, MaxTopLeftLetsTheLastCellsJustFit)
{
    GridData g = MakeGrid();
    // 80 px under the fixed row: rows 16..19 fit.
    EXPECT_EQ(g.MaxTopLeft(), (TGridCoord{7, 16}));
    EXPECT_EQ(g.VisibleRowCount(), 4);
    EXPECT_EQ(g.VisibleColCount(), 3);
    g.SetRowHeights(19, 0); // a hidden last row takes no room
    EXPECT_EQ(g.MaxTopLeft().Y, 15);
    EXPECT_EQ(g.RestrictTopLeft(TGridCoord{0, 99}), (TGridCoord{1, 15}));
}

TEST(GridData, ClampInViewScrollsACellIntoViewFromEitherSide)
{
    GridData g = MakeGrid();
    EXPECT_EQ(g.ClampInView(TGridCoord{2, 3}), (TGridCoord{1, 1}));
    // Below the last full row: it becomes the last row shown.
    EXPECT_EQ(g.ClampInView(TGridCoord{2, 9}), (TGridCoord{1, 6}));
    g.SetTopLeft(TGridCoord{5, 10});
    EXPECT_EQ(g.ClampInView(TGridCoord{2, 3}), (TGridCoord{2, 3}));
    // Fixed cells never scroll.
    EXPECT_EQ(g.ClampInView(TGridCoord{0, 0}), (TGridCoord{5, 10}));
    // Without a client area nothing scrolls.
    GridData unseen;
    unseen.SetRowCount(100);
    EXPECT_EQ(unseen.ClampInView(TGridCoord{1, 90}), (TGridCoord{1, 1}));
}

TEST(GridData, NavigationKeysStopAtTheFixedCellsAndTheEdges)
{
    GridData g = MakeGrid();
    auto target = [&](int key, Qt::KeyboardModifiers m = Qt::NoModifier) { return g.KeyTarget(key, m); };
    EXPECT_EQ(target(Qt::Key_Up).Current, (TGridCoord{1, 1}));
    EXPECT_EQ(target(Qt::Key_Left).Current, (TGridCoord{1, 1}));
    EXPECT_EQ(target(Qt::Key_Down).Current, (TGridCoord{1, 2}));
    EXPECT_EQ(target(Qt::Key_End).Current, (TGridCoord{9, 1}));
    EXPECT_EQ(target(Qt::Key_End, Qt::ControlModifier).Current, (TGridCoord{9, 19}));
    // Page down moves current row and top row by the rows shown less one.
    const auto page = target(Qt::Key_PageDown);
    EXPECT_EQ(page.Current, (TGridCoord{1, 4}));
    EXPECT_EQ(page.TopLeft, (TGridCoord{1, 4}));
    EXPECT_FALSE(target(Qt::Key_Down, Qt::ShiftModifier).MoveAnchor);
    EXPECT_FALSE(target(Qt::Key_F5).Handled);

    g.MoveCurrent(TGridCoord{7, 19}, true);
    g.SetTopLeft(TGridCoord{7, 16});
    EXPECT_EQ(target(Qt::Key_Down).Current, (TGridCoord{7, 19}));
    EXPECT_EQ(target(Qt::Key_Home).Current, (TGridCoord{1, 19}));
    EXPECT_EQ(target(Qt::Key_Home, Qt::ControlModifier).Current, (TGridCoord{1, 1}));
    EXPECT_EQ(target(Qt::Key_PageUp, Qt::ControlModifier).Current, (TGridCoord{7, 16}));
    EXPECT_EQ(target(Qt::Key_PageDown).TopLeft, (TGridCoord{7, 16}));
}

TEST(GridData, TabWrapsRowsAndShiftTabWrapsBack)
{
    GridData g = MakeGrid(4, 4);
    g.MoveCurrent(TGridCoord{3, 1}, true);
    EXPECT_FALSE(g.KeyTarget(Qt::Key_Tab, Qt::NoModifier).Handled) << "Tab is not the grid's without goTabs";
    g.SetOptions(TGridOptions{goRangeSelect, goTabs});
    EXPECT_EQ(g.KeyTarget(Qt::Key_Tab, Qt::NoModifier).Current, (TGridCoord{1, 2}));
    g.MoveCurrent(TGridCoord{3, 3}, true);
    EXPECT_EQ(g.KeyTarget(Qt::Key_Tab, Qt::NoModifier).Current, (TGridCoord{1, 1}));
    g.MoveCurrent(TGridCoord{1, 2}, true);
    const auto back = g.KeyTarget(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(back.Current, (TGridCoord{3, 1}));
    EXPECT_TRUE(back.MoveAnchor);
}

TEST(GridData, RowSelectKeepsTheWholeRowSelected)
{
    GridData g = MakeGrid(4, 6);
    g.SetOptions(TGridOptions{goRowSelect});
    g.MoveCurrent(TGridCoord{2, 3}, true);
    EXPECT_EQ(g.Selection(), GridRect(1, 3, 3, 3));
    EXPECT_EQ(g.KeyTarget(Qt::Key_Home, Qt::NoModifier).Current.Y, 1);
}

TEST(GridData, SelectionIsNormalisedBetweenAnchorAndCurrent)
{
    GridData g = MakeGrid();
    g.MoveCurrent(TGridCoord{5, 8}, true);
    g.MoveCurrent(TGridCoord{2, 3}, false);
    EXPECT_EQ(g.Selection(), GridRect(2, 3, 5, 8));
    g.MoveAnchor(TGridCoord{4, 1});
    EXPECT_EQ(g.Selection(), GridRect(2, 1, 4, 3));
    // Without range selection the anchor follows the current cell.
    g.SetOptions(TGridOptions{});
    g.MoveCurrent(TGridCoord{6, 6}, false);
    EXPECT_EQ(g.Selection(), GridRect(6, 6, 6, 6));
}

TEST(GridData, NearestSelectableCellInTheDirectionOfTravelFirst)
{
    GridData g = MakeGrid();
    // Columns 3 and 4 hidden, row 5 hidden.
    auto selectable = [](int c, int r) { return c != 3 && c != 4 && r != 5; };
    TGridCoord found;
    ASSERT_TRUE(g.FindSelectable(TGridCoord{2, 2}, TGridCoord{3, 2}, selectable, found));
    EXPECT_EQ(found, (TGridCoord{5, 2}));
    ASSERT_TRUE(g.FindSelectable(TGridCoord{5, 2}, TGridCoord{4, 2}, selectable, found));
    EXPECT_EQ(found, (TGridCoord{2, 2}));
    // Nothing further right: back the other way.
    auto lastHidden = [](int c, int) { return c != 9 && c != 8; };
    ASSERT_TRUE(g.FindSelectable(TGridCoord{7, 2}, TGridCoord{8, 2}, lastHidden, found));
    EXPECT_EQ(found, (TGridCoord{7, 2}));
    // A row change looks along the column.
    ASSERT_TRUE(g.FindSelectable(TGridCoord{2, 4}, TGridCoord{2, 5}, selectable, found));
    EXPECT_EQ(found, (TGridCoord{2, 6}));
    // Never into the fixed area.
    auto onlyFixed = [](int c, int) { return c == 0; };
    EXPECT_FALSE(g.FindSelectable(TGridCoord{2, 2}, TGridCoord{1, 2}, onlyFixed, found));
}

TEST(GridData, SizingHitsColumnEdgesInTheFixedRowsOnly)
{
    GridData g = MakeGrid();
    g.SetOptions(TGridOptions{goColSizing});
    auto hit = g.SizingAt(101, 10);
    EXPECT_EQ(hit.Kind, 1);
    EXPECT_EQ(hit.Index, 1);
    EXPECT_EQ(hit.Start, 50);
    EXPECT_EQ(g.SizingAt(101, 30).Kind, 0);
    EXPECT_EQ(g.SizingAt(75, 10).Kind, 0);
    // A hidden column has no edge: the edge belongs to the column before.
    g.SetColWidths(2, 0);
    hit = g.SizingAt(100, 10);
    EXPECT_EQ(hit.Index, 1);
    g.SetOptions(TGridOptions{});
    EXPECT_EQ(g.SizingAt(101, 10).Kind, 0);
}

TEST(GridData, BlockSpansAcrossFixedAndScrolledCells)
{
    GridData g = MakeGrid();
    g.SetFixedCols(2);
    // A header block over columns 1..3 (1 fixed, 2..3 scrolled).
    auto h = g.HorzLayout();
    auto span = g.HorzSpan(h, 1, 3);
    EXPECT_TRUE(span.Visible);
    EXPECT_EQ(span.Start, 50);
    EXPECT_EQ(span.End, 200);
    EXPECT_EQ(span.ClipStart, 0);
    // Scrolled past column 3: only the fixed part shows.
    g.SetTopLeft(TGridCoord{5, 1});
    h = g.HorzLayout();
    span = g.HorzSpan(h, 1, 3);
    EXPECT_EQ(span.Start, 50);
    EXPECT_EQ(span.End, 100);
    // A block that begins among scrolled cells before the first one shown
    // reaches under the fixed cells but may not paint there.
    span = g.HorzSpan(h, 4, 6);
    EXPECT_TRUE(span.Visible);
    EXPECT_EQ(span.Start, 50);
    EXPECT_EQ(span.End, 200);
    EXPECT_EQ(span.ClipStart, 100);
    EXPECT_FALSE(g.HorzSpan(h, 2, 4).Visible);
}
