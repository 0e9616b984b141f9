// The grid widget on the offscreen platform: keys, clicks, editing,
// scrolling and painting.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <thread>

#include "platform/ui/StringGrid.h"
#include "support/TestEnv.h"

using platform::StringGrid;

namespace {

// A window with a grid and a Save action on F2, as the data forms have.
struct GridWindow
{
    QWidget window;
    StringGrid *grid;
    QAction *save;
    int saves = 0;

    explicit GridWindow(int cols = 6, int rows = 30)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        grid = new StringGrid(&window);
        layout->addWidget(grid);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        grid->SetDefaultColWidth(60);
        grid->SetDefaultRowHeight(20);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid->SetCells(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
        save = new QAction(&window);
        save->setShortcut(QKeySequence(Qt::Key_F2));
        save->setShortcutContext(Qt::WindowShortcut);
        window.addAction(save);
        QObject::connect(save, &QAction::triggered, [this] { ++saves; });
        window.resize(320, 200);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
        QApplication::processEvents();
    }

    QPoint CellCentre(int col, int row) const { return grid->CellRect(col, row).center(); }
    void Click(int col, int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellCentre(col, row));
    }
};

} // namespace

TEST(StringGridGui, ArrowsTabAndHomeEndMoveTheCurrentCellAndClick)
{
    GridWindow w;
    int clicks = 0;
    w.grid->OnClick = [&](QObject *) { ++clicks; };
    QTest::keyClick(w.grid, Qt::Key_Down);
    QTest::keyClick(w.grid, Qt::Key_Right);
    EXPECT_EQ(w.grid->Col(), 2);
    EXPECT_EQ(w.grid->Row(), 2);
    EXPECT_EQ(clicks, 2);
    QTest::keyClick(w.grid, Qt::Key_End);
    EXPECT_EQ(w.grid->Col(), 5);
    QTest::keyClick(w.grid, Qt::Key_Home);
    EXPECT_EQ(w.grid->Col(), 1);
    QTest::keyClick(w.grid, Qt::Key_Left);
    EXPECT_EQ(w.grid->Col(), 1) << "the fixed column is never current";
    QTest::keyClick(w.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.grid->Row(), 29);
    EXPECT_EQ(w.grid->Col(), 5);
    QTest::keyClick(w.grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w.grid->Row(), 1);
    EXPECT_EQ(w.grid->Col(), 1);

    // Tab leaves the grid unless the grid takes it.
    QTest::keyClick(w.grid, Qt::Key_Tab);
    EXPECT_EQ(w.grid->Col(), 1);
    w.grid->setFocus();
    w.grid->SetOptions(w.grid->Options() + goTabs);
    QTest::keyClick(w.grid, Qt::Key_Tab);
    EXPECT_EQ(w.grid->Col(), 2);
    QTest::keyClick(w.grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.grid->Col(), 1);
}

TEST(StringGridGui, ShiftArrowsAndShiftClickSelectARange)
{
    GridWindow w;
    QTest::keyClick(w.grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(w.grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w.grid->Selection(), GridRect(1, 1, 2, 2));
    w.Click(1, 3);
    EXPECT_EQ(w.grid->Selection(), GridRect(1, 3, 1, 3));
    w.Click(3, 5, Qt::ShiftModifier);
    EXPECT_EQ(w.grid->Selection(), GridRect(1, 3, 3, 5));
    EXPECT_EQ(w.grid->Col(), 1);
    EXPECT_EQ(w.grid->Row(), 3);
    // Shift+click on the row cut off at the bottom brings it into view.
    const platform::GridAxisLayout v = w.grid->Data().VertLayout();
    ASSERT_GT(v.LastVisible, v.LastFull) << "the window shows a part of a row";
    const QRect cut = w.grid->CellRect(2, v.LastVisible);
    QTest::mouseClick(w.grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(cut.center().x(), cut.top() + 2));
    EXPECT_EQ(w.grid->Selection(), GridRect(1, 3, 2, v.LastVisible));
    EXPECT_EQ(w.grid->Data().VertLayout().LastFull, v.LastVisible);
}

TEST(StringGridGui, MouseDragExtendsTheSelection)
{
    GridWindow w;
    QTest::mousePress(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, w.CellCentre(1, 1));
    QTest::mouseMove(w.grid->viewport(), w.CellCentre(3, 4));
    QTest::mouseRelease(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, w.CellCentre(3, 4));
    EXPECT_EQ(w.grid->Selection(), GridRect(1, 1, 3, 4));
}

TEST(StringGridGui, DragHeldBelowTheGridGoesOnScrolling)
{
    GridWindow w;
    QWidget *vp = w.grid->viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, w.CellCentre(2, 2));
    QTest::mouseMove(vp, QPoint(w.CellCentre(2, 2).x(), vp->height() + 10));
    const int afterMove = w.grid->TopRow();
    EXPECT_GT(afterMove, 1) << "the move itself scrolls";
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.grid->TopRow() > afterMove + 1; }, 10000))
        << "the grid scrolls on while the mouse rests there";
    EXPECT_EQ(w.grid->Selection().Top, 2);
    EXPECT_EQ(w.grid->Selection().Bottom, w.grid->Data().VertLayout().LastFull);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(w.CellCentre(2, 2).x(), vp->height() + 10));
    const int released = w.grid->TopRow();
    QTest::qWait(200);
    EXPECT_EQ(w.grid->TopRow(), released) << "releasing the button stops it";
}

TEST(StringGridGui, ClicksOnFixedCellsSelectNothing)
{
    GridWindow w;
    int clicks = 0;
    w.grid->OnClick = [&](QObject *) { ++clicks; };
    w.Click(2, 0);
    w.Click(0, 3);
    EXPECT_EQ(w.grid->Col(), 1);
    EXPECT_EQ(w.grid->Row(), 1);
    EXPECT_EQ(clicks, 0);
    int downs = 0;
    w.grid->OnMouseDown = [&](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        ++downs;
        EXPECT_EQ(b, Qt::LeftButton);
        EXPECT_EQ(w.grid->MouseCoord(x, y), (TGridCoord{2, 0}));
    };
    w.Click(2, 0);
    EXPECT_EQ(downs, 1);
}

TEST(StringGridGui, SelectCellVetoKeepsTheCurrentCell)
{
    GridWindow w;
    w.grid->OnSelectCell = [](QObject *, int ACol, int, bool &CanSelect) { CanSelect = ACol != 2; };
    QTest::keyClick(w.grid, Qt::Key_Right);
    EXPECT_EQ(w.grid->Col(), 1);
    w.Click(2, 2);
    EXPECT_EQ(w.grid->Col(), 1);
    EXPECT_EQ(w.grid->Row(), 1);
    w.Click(3, 2);
    EXPECT_EQ(w.grid->Col(), 3);
}

TEST(StringGridGui, InPlaceEditingWritesTheCellAsTyped)
{
    GridWindow w;
    w.grid->SetOptions(w.grid->Options() + goEditing);
    QStringList edits;
    w.grid->OnSetEditText = [&](QObject *, int c, int r, const QString &v) {
        edits << QStringLiteral("%1,%2=%3").arg(c).arg(r).arg(v);
    };
    // Enter opens the editor on the cell's text, all of it selected.
    QTest::keyClick(w.grid, Qt::Key_Return);
    ASSERT_TRUE(w.grid->EditorMode());
    QLineEdit *ed = w.grid->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    ASSERT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->text(), "1:1");
    EXPECT_EQ(ed->selectedText(), "1:1");
    QTest::keyClicks(ed, "42");
    EXPECT_EQ(w.grid->Cells(1, 1), "42");
    EXPECT_EQ(edits, (QStringList{"1,1=4", "1,1=42"}));
    // Enter closes it; Down moves on.
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_FALSE(w.grid->EditorMode());
    EXPECT_FALSE(ed->isVisible());
    EXPECT_TRUE(w.grid->hasFocus());
    // A printable key opens the editor with that key in place of the text.
    QTest::keyClick(w.grid, Qt::Key_Down);
    QTest::keyClick(w.grid, Qt::Key_7);
    EXPECT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->text(), "7");
    EXPECT_EQ(w.grid->Cells(1, 2), "7");
    // Up in the editor moves the current cell and closes the editor.
    QTest::keyClick(ed, Qt::Key_Up);
    EXPECT_EQ(w.grid->Row(), 1);
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(w.grid->Cells(1, 2), "7");
}

TEST(StringGridGui, KeyPressHandlerFiltersTypedCharacters)
{
    GridWindow w;
    w.grid->SetOptions(w.grid->Options() + goEditing);
    w.grid->OnKeyPress = [](QObject *, QChar &Key) {
        if (!(Key.isDigit() || Key == QLatin1Char('.') || Key.unicode() < 32))
            Key = QChar();
    };
    QTest::keyClick(w.grid, Qt::Key_Return);
    QLineEdit *ed = w.grid->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    QTest::keyClicks(ed, "1a.-5");
    EXPECT_EQ(w.grid->Cells(1, 1), "1.5");
}

TEST(StringGridGui, EditingIsRefusedWithoutTheEditingOption)
{
    GridWindow w;
    QTest::keyClick(w.grid, Qt::Key_Return);
    QTest::keyClick(w.grid, Qt::Key_5);
    EXPECT_FALSE(w.grid->InplaceEditor() && w.grid->InplaceEditor()->isVisible());
    EXPECT_EQ(w.grid->Cells(1, 1), "1:1");
}

TEST(StringGridGui, F2IsTheFormsSaveNeverTheEditors)
{
    GridWindow w;
    w.grid->SetOptions(w.grid->Options() + goEditing);
    QTest::keyClick(w.grid, Qt::Key_F2);
    EXPECT_EQ(w.saves, 1);
    EXPECT_FALSE(w.grid->EditorMode());
    QTest::keyClick(w.grid, Qt::Key_Return);
    QLineEdit *ed = w.grid->InplaceEditor();
    ASSERT_TRUE(ed && ed->isVisible());
    QTest::keyClicks(ed, "9");
    QTest::keyClick(ed, Qt::Key_F2);
    EXPECT_EQ(w.saves, 2);
    EXPECT_EQ(w.grid->Cells(1, 1), "9") << "the typed text is in the cell when Save runs";

    // Without any F2 shortcut the key still passes the grid by.
    w.save->setEnabled(false);
    int seen = 0;
    w.grid->OnKeyDown = [&](QObject *, int &Key, Qt::KeyboardModifiers) { seen += Key == Qt::Key_F2; };
    QTest::keyClick(ed, Qt::Key_F2);
    EXPECT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->text(), "9");
    EXPECT_EQ(seen, 0);
}

TEST(StringGridGui, ClickOnTheCurrentCellOpensTheEditor)
{
    GridWindow w;
    w.grid->SetOptions(w.grid->Options() + goEditing);
    w.Click(2, 3);
    EXPECT_EQ(w.grid->Col(), 2);
    EXPECT_FALSE(w.grid->EditorMode());
    w.Click(2, 3);
    EXPECT_TRUE(w.grid->EditorMode());
    ASSERT_TRUE(w.grid->InplaceEditor()->isVisible());
    EXPECT_EQ(w.grid->InplaceEditor()->geometry(), w.grid->CellRect(2, 3));
}

TEST(StringGridGui, ScrollingKeepsTheFixedRowsInPlace)
{
    GridWindow w;
    w.grid->SetFixedRows(2);
    int moves = 0;
    w.grid->OnTopLeftChanged = [&](QObject *) { ++moves; };
    QTest::keyClick(w.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.grid->Row(), 29);
    EXPECT_GT(w.grid->TopRow(), 2);
    EXPECT_EQ(moves, 1);
    // Header rows still stand at the top; the last row is shown whole.
    EXPECT_EQ(w.grid->CellRect(3, 0).top(), 0);
    EXPECT_EQ(w.grid->CellRect(3, 1).top(), 21); // rows of 20 and a grid line
    EXPECT_EQ(w.grid->CellRect(3, w.grid->TopRow()).top(), 42);
    EXPECT_LE(w.grid->CellRect(3, 29).bottom(), w.grid->viewport()->height());
    EXPECT_EQ(w.grid->MouseCoord(5, 25).Y, 1);
    // The scroll bar moves the rows by whole rows.
    w.grid->verticalScrollBar()->setValue(3);
    EXPECT_EQ(w.grid->TopRow(), 5);
    EXPECT_EQ(w.grid->Row(), 29) << "scrolling does not move the current cell";
    QTest::keyClick(w.grid, Qt::Key_PageUp);
    EXPECT_LT(w.grid->Row(), 29);
}

TEST(StringGridGui, WheelMovesTheCurrentRow)
{
    GridWindow w;
    QWheelEvent down(QPointF(10, 30), w.grid->viewport()->mapToGlobal(QPointF(10, 30)), QPoint(), QPoint(0, -240),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.grid->viewport(), &down);
    EXPECT_EQ(w.grid->Row(), 3);
}

TEST(StringGridGui, ColumnWidthFollowsADragOfItsEdge)
{
    GridWindow w;
    w.grid->SetOptions(w.grid->Options() + goColSizing);
    const QRect r = w.grid->CellRect(2, 0);
    const int edge = r.right() + 1;
    QTest::mousePress(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge, 5));
    QTest::mouseMove(w.grid->viewport(), QPoint(edge + 25, 5));
    QTest::mouseRelease(w.grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge + 25, 5));
    EXPECT_EQ(w.grid->ColWidths(2), 85);
    EXPECT_EQ(w.grid->Col(), 1) << "sizing selects nothing";
}

TEST(StringGridGui, PaintsOnlyTheCellsInView)
{
    QWidget window;
    auto *grid = new StringGrid(&window);
    grid->resize(300, 200);
    grid->SetColCount(10);
    grid->SetRowCount(1000000);
    grid->SetDefaultRowHeight(20);
    QSet<int> rowsPainted;
    int cells = 0;
    grid->OnDrawCell = [&](QObject *, int, int ARow, const QRect &, TGridDrawState) {
        ++cells;
        rowsPainted.insert(ARow);
    };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    grid->SetTopRow(500000);
    cells = 0;
    rowsPainted.clear();
    grid->viewport()->repaint();
    EXPECT_GT(cells, 0);
    EXPECT_LT(cells, 100);
    EXPECT_TRUE(rowsPainted.contains(0));
    EXPECT_TRUE(rowsPainted.contains(500000));
    EXPECT_FALSE(rowsPainted.contains(1));
    grid->SetRow(999999);
    EXPECT_EQ(grid->Row(), 999999);
    EXPECT_GT(grid->TopRow(), 999980);
}

TEST(StringGridGui, PaintToDrawsTheHeaderAndTheGivenRows)
{
    StringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(50);
    grid.SetFixedRows(1);
    grid.SetDefaultColWidth(40);
    grid.SetDefaultRowHeight(16);
    grid.SetOptions(TGridOptions{});
    QList<int> rows;
    grid.OnDrawCell = [&](QObject *, int ACol, int ARow, const QRect &, TGridDrawState State) {
        if (ACol == 0)
            rows << ARow;
        EXPECT_FALSE(State.Contains(gdSelected));
        EXPECT_FALSE(State.Contains(gdFocused));
    };
    EXPECT_EQ(grid.PaintExtent(10, 12), QSize(120, 64));
    QImage page(200, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    grid.paintTo(p, QPoint(5, 7), 10, 12);
    p.end();
    EXPECT_EQ(rows, (QList<int>{0, 10, 11, 12}));
    // The header's button face stands at the origin; nothing past the extent.
    EXPECT_EQ(page.pixelColor(10, 12), platform::ToQColor(clBtnFace));
    EXPECT_EQ(page.pixelColor(150, 50), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(20, 75), QColor(Qt::white));
}

TEST(StringGridGui, CellsWrittenOnAWorkerThreadShowAfterwards)
{
    GridWindow w;
    int painted = 0;
    w.grid->OnDrawCell = [&](QObject *, int c, int r, const QRect &, TGridDrawState) {
        painted += c == 1 && r == 1;
    };
    QTest::qWait(20);
    painted = 0;
    // As the background sorter does: the main thread waits while a worker
    // writes the cells.
    std::thread worker([&] {
        for (int r = 1; r < 30; ++r)
            w.grid->SetCells(1, r, QStringLiteral("w%1").arg(r));
        w.grid->ExchangeRows(1, 2);
    });
    worker.join();
    EXPECT_EQ(w.grid->Cells(1, 1), "w2");
    EXPECT_EQ(w.grid->Cells(1, 2), "w1");
    EXPECT_EQ(painted, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return painted > 0; }, 10000))
        << "the grid repaints once the main thread runs again";
}
