// The attributed grid without a window: layering, merges, values, sizing
// and navigation around hidden and unselectable cells.
#include <QDate>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "components/Formatters.h"
#include "components/RichGrid.h"

namespace {

// 7 pixels a character, 14 a line: sizes in the tests are exact.
QRect FixedMetrics(const QFont &, QPaintDevice *, const QRect &bounds, int, const QString &text)
{
    return QRect(bounds.topLeft(), QSize(7 * static_cast<int>(text.size()), 14));
}

struct Grid
{
    TRichGrid g;
    Grid(int cols = 5, int rows = 6)
    {
        g.SetColCount(cols);
        g.SetRowCount(rows);
        g.SetTextMeasure(FixedMetrics);
    }
    TRichGrid *operator->() { return &g; }
};

TColor BackOf(TRichGrid &g, int c, int r)
{
    TColRowAttributes a;
    QString text;
    g.GetDisplayAttributes(c, r, &a, text);
    return a.BackColor();
}

} // namespace

TEST(RichGrid, DefaultAttributeFlagsInTheirOrder)
{
    EXPECT_EQ(TDefaultAttributes{daAlignment}.Bits(), 1u);
    EXPECT_EQ(TDefaultAttributes{daBackColor}.Bits(), 1u << 6);
    EXPECT_EQ(TDefaultAttributes{daFormatter}.Bits(), 1u << 17);
    EXPECT_EQ(AllDefaultAttributes.Bits(), 0x3FFFFu);
    TCellAttributes a;
    EXPECT_EQ(a.DefaultAttributes(), AllDefaultAttributes);
    EXPECT_EQ(a.BorderColor(), clBtnFace);
    EXPECT_EQ(a.LeftMargin(), 2);
    EXPECT_EQ(a.RightMargin(), 2);
    EXPECT_EQ(a.BitmapDrawMode(), bmDontDraw);
    EXPECT_EQ(a.ImageIndex(), -1);
    EXPECT_TRUE(a.CanEdit());
    EXPECT_TRUE(a.CanSelect());
}

TEST(RichGrid, SetterTakesTheValueAsOwnAndReportsOnlyRealChanges)
{
    TCellAttributes a;
    int changes = 0;
    a.OnChange = [&](TCellAttributes &, int, int) { ++changes; };
    a.SetBackColor(clWindow); // equal value: now set by this object
    EXPECT_FALSE(a.DefaultAttributes().Contains(daBackColor));
    EXPECT_EQ(changes, 1);
    a.SetBackColor(clWindow); // nothing changes any more
    EXPECT_EQ(changes, 1);
    a.SetBackColor(clRed);
    EXPECT_EQ(changes, 2);
    // MergedCells and DefaultAttributes change no flag.
    a.SetMergedCells(TMergedCells{mcRight});
    EXPECT_EQ(changes, 3);
    a.SetDefaultAttributes(AllDefaultAttributes);
    EXPECT_EQ(a.DefaultAttributes(), AllDefaultAttributes);
    // A nil formatter keeps the formatter inherited.
    a.SetFormatter(nullptr);
    EXPECT_TRUE(a.DefaultAttributes().Contains(daFormatter));
    TCellFormatter f;
    a.SetFormatter(&f);
    EXPECT_FALSE(a.DefaultAttributes().Contains(daFormatter));
}

TEST(RichGrid, AttachedAttributesRefuseToMove)
{
    Grid grid;
    TCellAttributes *cell = grid->GetCellAttributes(2, 3);
    EXPECT_EQ(cell->Col(), 2);
    EXPECT_EQ(cell->Row(), 3);
    EXPECT_EQ(cell->Grid(), &grid.g);
    try {
        cell->SetCol(1);
        FAIL() << "no error";
    } catch (const EWriteInAttachedAttr &e) {
        EXPECT_EQ(e.Message(), "Can not change this property in attached attributes");
    }
    EXPECT_THROW(cell->SetRow(1), EWriteInAttachedAttr);
    EXPECT_THROW(grid->GetColAttributes(1)->SetGrid(nullptr), EWriteInAttachedAttr);
    TCellAttributes free;
    free.SetCol(4);
    free.SetGrid(&grid.g);
    EXPECT_EQ(free.Col(), 4);
    EXPECT_FALSE(free.Attached());
}

TEST(RichGrid, LayersOverrideExactlyWhatTheySet)
{
    Grid grid;
    grid->GetColAttributes(2)->SetBackColor(clYellow);
    grid->GetCellAttributes(2, 3)->SetBackColor(clRed);
    EXPECT_EQ(BackOf(grid.g, 2, 3), clRed);
    EXPECT_EQ(BackOf(grid.g, 2, 4), clYellow);
    EXPECT_EQ(BackOf(grid.g, 1, 4), clWindow);
    // A row colour set later shows on the row's other cells only.
    grid->GetRowAttributes(3)->SetBackColor(clLime);
    EXPECT_EQ(BackOf(grid.g, 1, 3), clLime);
    EXPECT_EQ(BackOf(grid.g, 2, 3), clRed);
    // A column's own values reach its header cells too; the rest of the
    // header keeps the fixed look.
    EXPECT_EQ(BackOf(grid.g, 2, 0), clYellow);
    EXPECT_EQ(BackOf(grid.g, 1, 0), clBtnFace);
    TCellAttributes *head = grid->GetEffectiveCellAttributes(2, 0);
    EXPECT_EQ(head->Cell3DEffect(), bvRaised);
    // A font style set on the row and a margin set on the column combine.
    grid->GetRowAttributes(4)->SetFontStyle(TFontStyles{fsBold});
    grid->GetColAttributes(2)->SetLeftMargin(9);
    TColRowAttributes a;
    QString text;
    grid->GetDisplayAttributes(2, 4, &a, text);
    EXPECT_EQ(a.FontStyle(), TFontStyles{fsBold});
    EXPECT_EQ(a.LeftMargin(), 9);
    EXPECT_EQ(a.BackColor(), clYellow);
}

TEST(RichGrid, NewCellAttributesFreezeTheLayersBelow)
{
    Grid grid;
    grid->GetColAttributes(1)->SetBackColor(clYellow);
    TCellAttributes *cell = grid->GetCellAttributes(1, 2);
    EXPECT_EQ(cell->BackColor(), clYellow);
    EXPECT_FALSE(cell->DefaultAttributes().Contains(daBackColor));
    grid->GetColAttributes(1)->SetBackColor(clAqua);
    EXPECT_EQ(BackOf(grid.g, 1, 2), clYellow);
    EXPECT_EQ(BackOf(grid.g, 1, 3), clAqua);
}

TEST(RichGrid, BorderColorOnACellChangesOnlyItsBorder)
{
    Grid grid;
    grid->GetRowAttributes(2)->SetBackColor(clLime);
    TCellAttributes *cell = grid->GetCellAttributes(3, 1);
    cell->SetBorderColor(clRed);
    EXPECT_EQ(cell->DefaultAttributes(), AllDefaultAttributes - TDefaultAttributes{daBorderColor});
    TColRowAttributes a;
    QString text;
    grid->GetDisplayAttributes(3, 1, &a, text);
    EXPECT_EQ(a.BorderColor(), clRed);
    EXPECT_EQ(a.BackColor(), clWindow);
}

TEST(RichGrid, ReadingCreatesNoObjects)
{
    Grid grid(4, 10000);
    QString text;
    for (int r = 0; r < 10000; ++r)
        grid->GetDisplayText(2, r, text);
    grid->GetEffectiveCellAttributes(3, 5000);
    grid->GetEffectiveColAttributes(2);
    grid->GetEffectiveRowAttributes(7);
    EXPECT_FALSE(grid->HasCellAttributes(3, 5000));
    EXPECT_FALSE(grid->HasColAttributes(2));
    EXPECT_FALSE(grid->HasRowAttributes(7));
    // Writes outside the grid go nowhere.
    grid->GetCellAttributes(9, 9)->SetBackColor(clRed);
    grid->GetColAttributes(-1)->SetBackColor(clRed);
    EXPECT_FALSE(grid->HasCellAttributes(9, 9));
}

TEST(RichGrid, SharedColumnObjectStillSizesTheGrid)
{
    Grid grid;
    grid->SetDefaultColWidth(40);
    TColRowAttributes *shared = grid->GetEffectiveColAttributes(2);
    EXPECT_EQ(shared->Size(), 40);
    shared->SetSize(55);
    EXPECT_EQ(grid->ColWidths(2), 55);
    EXPECT_FALSE(grid->HasColAttributes(2));
}

TEST(RichGrid, HiddenColumnKeepsItsSize)
{
    Grid grid;
    TColRowAttributes *col = grid->GetColAttributes(2);
    col->SetSize(80);
    col->SetVisible(false);
    EXPECT_EQ(grid->ColWidths(2), 0);
    EXPECT_FALSE(col->Visible());
    EXPECT_EQ(col->Size(), 80);
    col->SetVisible(true);
    EXPECT_EQ(grid->ColWidths(2), 80);
    // A column hidden through its width shows again at its kept size.
    grid->SetColWidths(3, 0);
    EXPECT_FALSE(grid->GetColAttributes(3)->Visible());
    grid->GetColAttributes(3)->SetVisible(true);
    EXPECT_EQ(grid->ColWidths(3), grid->DefaultColWidth());
}

TEST(RichGrid, RequiredSizeFollowsTheSizingFlags)
{
    Grid grid;
    TColRowAttributes *col = grid->GetColAttributes(1);
    col->SetSize(50);
    EXPECT_EQ(col->RequiredSize(), 50);
    col->SetMinSize(60);
    EXPECT_EQ(col->RequiredSize(), 60);
    col->SetMinSize(0);
    col->SetResizeToFillClient(true);
    EXPECT_EQ(col->RequiredSize(), 0);
    col->SetAutoResize(true);
    EXPECT_EQ(col->RequiredSize(), grid->ColWidths(1)) << "nothing measured yet";
    // MinSize never above MaxSize and the other way.
    col->SetMaxSize(30);
    col->SetMinSize(40);
    EXPECT_EQ(col->MinSize(), 30);
    col->SetMaxSize(10);
    EXPECT_EQ(col->MaxSize(), 30);
}

TEST(RichGrid, ColumnWidthsAreClampedToMinAndMax)
{
    Grid grid;
    TColRowAttributes *col = grid->GetColAttributes(1);
    col->SetMaxSize(100);
    col->SetMinSize(30);
    grid->SetColWidths(1, 150);
    EXPECT_EQ(grid->ColWidths(1), 100);
    grid->SetColWidths(1, 10);
    EXPECT_EQ(grid->ColWidths(1), 30);
    grid->SetColWidths(1, 0);
    EXPECT_EQ(grid->ColWidths(1), 0) << "a hidden column stays hidden";
    grid->SetDynamicResize(false);
    grid->SetColWidths(1, 150);
    EXPECT_EQ(grid->ColWidths(1), 150);
    // A change of the column's own rules clamps it still.
    col->SetMaxSize(120);
    EXPECT_EQ(grid->ColWidths(1), 120);
}

TEST(RichGridSizingArithmetic, MeasuredWidthAndHeight)
{
    using namespace RichGridSizing;
    // 35 text + margins 2 + 2 + 2 = 41.
    EXPECT_EQ(MeasuredWidth(35, 0, 2, 2, 64, 64), 41);
    EXPECT_EQ(MeasuredWidth(35, 0, 2, 2, 30, 30), 41);
    EXPECT_EQ(MeasuredWidth(35, 16, 2, 2, 40, 40), 57);
    // A merged block wide enough: the column need not grow.
    EXPECT_EQ(MeasuredWidth(35, 0, 2, 2, 120, 30), 30);
    // Too narrow a block: the column grows by what is missing.
    EXPECT_EQ(MeasuredWidth(100, 0, 2, 2, 90, 30), 46);
    EXPECT_EQ(MeasuredHeight(14, 0, 0, 0, 24, 24), 16);
    EXPECT_EQ(MeasuredHeight(28, 0, 0, 0, 24, 24), 31);
    EXPECT_EQ(MeasuredHeight(14, 0, 0, 0, 48, 12), 12);
}

TEST(RichGridSizingArithmetic, FillClientShares)
{
    using namespace RichGridSizing;
    EXPECT_EQ(FillClientShares(500, 200, {50, 50}, {65535, 65535}), (std::vector<int>{150, 150}));
    EXPECT_EQ(FillClientShares(501, 200, {50, 50}, {65535, 65535}), (std::vector<int>{150, 151}));
    EXPECT_EQ(FillClientShares(500, 200, {50, 50}, {100, 65535}), (std::vector<int>{100, 150}));
    EXPECT_EQ(FillClientShares(500, 200, {160, 50}, {65535, 65535}), (std::vector<int>{160, 150}));
    EXPECT_TRUE(FillClientShares(300, 200, {50, 50}, {65535, 65535}).empty());
    EXPECT_TRUE(FillClientShares(500, 200, {}, {}).empty());
}

TEST(RichGrid, AutoSizeColumnsFitsTheWidestCell)
{
    Grid grid(3, 4);
    grid->SetCells(1, 0, "Header");
    grid->SetCells(1, 2, "A much longer text");
    grid->SetCells(1, 3, "short");
    grid->GetColAttributes(1)->SetAutoResize(true);
    grid->AutoSizeColumns();
    EXPECT_EQ(grid->ColWidths(1), 18 * 7 + 6);
    EXPECT_EQ(grid->MeasuredColSize(1), 18 * 7 + 6);
    grid->SetCells(1, 2, "x");
    grid->AutoSizeColumns();
    EXPECT_EQ(grid->ColWidths(1), 6 * 7 + 6);
    EXPECT_EQ(grid->ColWidths(2), grid->DefaultColWidth());
}

TEST(RichGrid, AutoSizeMeasuresFormattedText)
{
    Grid grid(3, 3);
    TFloatFormatter money;
    money.SetPrecision(2);
    grid->GetColAttributes(2)->SetFormatter(&money);
    grid->GetColAttributes(2)->SetAutoResize(true);
    grid->SetCells(2, 1, "12345");
    grid->AutoSizeColumns();
    EXPECT_EQ(grid->ColWidths(2), 8 * 7 + 6); // "12345.00"
}

// Sizes that depend on everything a measure may see: the font's weight,
// the flags and the width of the bounds.
QRect SensitiveMetrics(const QFont &font, QPaintDevice *, const QRect &bounds, int flags, const QString &text)
{
    const int perChar = font.bold() ? 9 : 7;
    const int extra = ((flags & Qt::AlignRight) ? 3 : 0) + bounds.width() % 2;
    return QRect(bounds.topLeft(), QSize(perChar * static_cast<int>(text.size()) + extra, 14));
}

// Columns 1 to 3 hold the same texts; 1 is bold, 2 right-aligned, 3 plain.
// Only the columns in `sized` size themselves.
void FillSizingGrid(TRichGrid &g, const std::vector<int> &sized)
{
    g.SetTextMeasure(SensitiveMetrics);
    g.SetColCount(4);
    g.SetRowCount(80);
    for (int r = 0; r < g.RowCount(); ++r)
        for (int c = 1; c < 4; ++c)
            g.SetCells(c, r, QString((r * 5) % 11 + 1, QLatin1Char('w')));
    g.GetColAttributes(1)->SetFontStyle(TFontStyles{fsBold});
    g.GetColAttributes(2)->SetAlignment(TCellAlignment{caRight});
    for (int c : sized)
        g.GetColAttributes(c)->SetAutoResize(true);
}

TEST(RichGrid, AutoSizeOfManyColumnsMatchesEachSizedAlone)
{
    // Texts met again are not measured again; a text in another style,
    // alignment or width of column is.
    TRichGrid all;
    FillSizingGrid(all, {1, 2, 3});
    all.AutoSizeColumns();
    all.AutoSizeColumns();
    for (int c = 1; c < 4; ++c) {
        TRichGrid alone;
        FillSizingGrid(alone, {c});
        alone.AutoSizeColumns();
        alone.AutoSizeColumns();
        EXPECT_EQ(alone.ColWidths(c), all.ColWidths(c)) << "column " << c;
        EXPECT_EQ(alone.MeasuredColSize(c), all.MeasuredColSize(c)) << "column " << c;
    }
    EXPECT_GE(all.ColWidths(3), 11 * 7 + 6);
    EXPECT_LE(all.ColWidths(3), 11 * 7 + 6 + 1);
    EXPECT_GE(all.ColWidths(2), 11 * 7 + 3 + 6);
    EXPECT_LE(all.ColWidths(2), 11 * 7 + 3 + 6 + 1);
    EXPECT_GE(all.ColWidths(1), 11 * 9 + 6);
    EXPECT_LE(all.ColWidths(1), 11 * 9 + 6 + 1);
}

TEST(RichGrid, MergedBlocksFromTheirString)
{
    Grid grid(10, 4);
    grid->SetFixedRows(2);
    grid->SetMergeCellsStr("0,0,0,1|1,0,3,0|4,0,4,1|");
    TGridRect r;
    grid->GetMergeRect(2, 0, r);
    EXPECT_EQ(r, GridRect(1, 0, 3, 0));
    grid->GetMergeRect(0, 1, r);
    EXPECT_EQ(r, GridRect(0, 0, 0, 1));
    grid->GetMergeRect(2, 1, r);
    EXPECT_EQ(r, GridRect(2, 1, 2, 1));
    EXPECT_EQ(grid->GetEffectiveCellAttributes(1, 0)->MergedCells(), TMergedCells{mcRight});
    EXPECT_EQ(grid->GetEffectiveCellAttributes(3, 0)->MergedCells(), TMergedCells{});
    EXPECT_EQ(grid->GetEffectiveCellAttributes(4, 0)->MergedCells(), TMergedCells{mcBottom});
    EXPECT_EQ(grid->MergeCellsStr(), "0,0,0,1|1,0,3,0|4,0,4,1|");
}

TEST(RichGrid, MergeCellsMarksEachCellOfTheBlock)
{
    Grid grid(5, 5);
    grid->MergeCells(1, 1, 3, 3);
    auto merged = [&](int c, int r) { return grid->GetEffectiveCellAttributes(c, r)->MergedCells(); };
    EXPECT_EQ(merged(1, 1), (TMergedCells{mcRight, mcBottom}));
    EXPECT_EQ(merged(3, 1), TMergedCells{mcBottom});
    EXPECT_EQ(merged(1, 3), TMergedCells{mcRight});
    EXPECT_EQ(merged(3, 3), TMergedCells{});
    TGridRect r;
    grid->GetMergeRect(3, 3, r);
    EXPECT_EQ(r, GridRect(1, 1, 3, 3));
}

TEST(RichGrid, MergesSetBeforeTheGridIsLargeEnoughWaitForIt)
{
    TRichGrid grid; // 5 x 5
    grid.SetMergeCellsStr("0,0,2,0|3,0,3,1|8,0,9,1|");
    TGridRect r;
    grid.GetMergeRect(1, 0, r);
    EXPECT_EQ(r, GridRect(0, 0, 2, 0));
    grid.SetColCount(10);
    grid.GetMergeRect(9, 1, r);
    EXPECT_EQ(r, GridRect(8, 0, 9, 1));
    // Shrinking and growing again merges again.
    grid.SetColCount(9);
    grid.SetColCount(10);
    grid.GetMergeRect(9, 0, r);
    EXPECT_EQ(r, GridRect(8, 0, 9, 1));
}

TEST(RichGrid, MergeStringWithANonIntegerIsRefused)
{
    TRichGrid grid;
    grid.SetMergeCellsStr("0,0,1,0|");
    try {
        grid.SetMergeCellsStr("0,0,x,0|");
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "\"x\" не е цяло число");
    }
    EXPECT_EQ(grid.MergeCellsStr(), "0,0,1,0|");
    EXPECT_THROW(grid.SetMergeCellsStr("0,0,1"), EConvertError);
}

TEST(RichGrid, ValuesAreUnsetUntilWrittenAndFollowTheText)
{
    Grid grid;
    EXPECT_FALSE(grid->GetCellValue(1, 1).isValid());
    grid->SetCellValue(1, 1, 3.5);
    EXPECT_EQ(grid->GetCellValue(1, 1).toDouble(), 3.5);
    grid->SetCells(1, 1, "7");
    EXPECT_FALSE(grid->GetCellValue(1, 1).isValid()) << "a new text drops the old value";
    grid->SetCellValue(2, 2, 1.0);
    grid->SetCellValue(2, 3, 2.0);
    grid->ExchangeRows(2, 3);
    EXPECT_FALSE(grid->GetCellValue(2, 2).isValid());
    EXPECT_FALSE(grid->GetCellValue(2, 3).isValid());
    grid->SetCellValue(1, 4, 4.0);
    grid->ClearCellValues(GridRect(0, 4, 4, 4));
    EXPECT_FALSE(grid->GetCellValue(1, 4).isValid());
    grid->SetCellValue(9, 9, 1.0); // outside: ignored
    EXPECT_FALSE(grid->GetCellValue(9, 9).isValid());
}

TEST(RichGrid, RemovedRowsComeBackWithDefaults)
{
    Grid grid;
    grid->GetRowAttributes(5)->SetBackColor(clRed);
    grid->GetCellAttributes(4, 5)->SetForeColor(clBlue);
    grid->GetColAttributes(4)->SetBackColor(clYellow);
    grid->SetCellValue(4, 5, 1.0);
    grid->SetCells(4, 5, "x");
    grid->SetRowCount(5);
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetColCount(5);
    EXPECT_FALSE(grid->HasRowAttributes(5));
    EXPECT_FALSE(grid->HasCellAttributes(4, 5));
    EXPECT_FALSE(grid->HasColAttributes(4));
    EXPECT_FALSE(grid->GetCellValue(4, 5).isValid());
    EXPECT_EQ(grid->Cells(4, 5), "");
    EXPECT_EQ(BackOf(grid.g, 4, 5), clWindow);
}

TEST(RichGrid, ClearAttributesOfABlock)
{
    Grid grid(5, 8);
    for (int r = 1; r < 8; ++r) {
        grid->GetRowAttributes(r)->SetBackColor(clRed);
        for (int c = 0; c < 5; ++c)
            grid->GetCellAttributes(c, r)->SetForeColor(clBlue);
    }
    grid->GetColAttributes(3)->SetBackColor(clRed);
    // -1: first scrolled row, -2: the last column.
    grid->ClearAttributes(GridRect(2, -1, -2, 3), 4);
    EXPECT_TRUE(grid->HasCellAttributes(1, 1));
    EXPECT_FALSE(grid->HasCellAttributes(2, 1));
    EXPECT_FALSE(grid->HasCellAttributes(4, 3));
    EXPECT_TRUE(grid->HasCellAttributes(4, 4));
    EXPECT_TRUE(grid->HasRowAttributes(2));
    grid->ClearRowsAttributes(4, 7, 7);
    EXPECT_FALSE(grid->HasRowAttributes(4));
    EXPECT_FALSE(grid->HasCellAttributes(0, 7));
    EXPECT_TRUE(grid->HasColAttributes(3)) << "row clearing leaves the column objects";
    grid->ClearColsAttributes(3, 3, 1);
    EXPECT_FALSE(grid->HasColAttributes(3));
    // A block past the end clears nothing.
    grid->ClearAttributes(GridRect(9, 0, 9, 9), 7);
    EXPECT_TRUE(grid->HasRowAttributes(1));
}

TEST(RichGrid, KeysStepOverHiddenAndUnselectableCells)
{
    Grid grid(6, 6);
    grid->GetColAttributes(2)->SetVisible(false);
    grid->GetCellAttributes(3, 1)->SetCanSelect(false);
    int key = Qt::Key_Right;
    grid->KeyDown(key, Qt::NoModifier);
    EXPECT_EQ(grid->Col(), 4) << "over the hidden column and the unselectable cell";
    key = Qt::Key_Left;
    grid->KeyDown(key, Qt::NoModifier);
    EXPECT_EQ(grid->Col(), 1);
    key = Qt::Key_Down;
    grid->KeyDown(key, Qt::NoModifier);
    grid->SetCol(3);
    EXPECT_EQ(grid->Col(), 3) << "row 2 of column 3 is selectable";
    // Moving up into the unselectable cell goes on along the column, and
    // since nothing above is free, back down.
    key = Qt::Key_Up;
    grid->KeyDown(key, Qt::NoModifier);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 3);
    // The last column hidden: End stops at the one before.
    grid->GetColAttributes(5)->SetVisible(false);
    key = Qt::Key_End;
    grid->KeyDown(key, Qt::NoModifier);
    EXPECT_EQ(grid->Col(), 4);
}

TEST(RichGrid, SelectHandlerVetoesBeforeTheAttributes)
{
    Grid grid(6, 6);
    grid->OnSelectCell = [](QObject *, int ACol, int, bool &CanSelect) { CanSelect = ACol != 2; };
    grid->SetCol(2);
    EXPECT_EQ(grid->Col(), 1);
}

TEST(RichGrid, HidingTheCurrentColumnMovesTheCurrentCell)
{
    Grid grid(6, 6);
    grid->SetCol(3);
    grid->GetColAttributes(3)->SetVisible(false);
    EXPECT_EQ(grid->Col(), 4);
    grid->SetRow(4);
    grid->GetRowAttributes(4)->SetVisible(false);
    EXPECT_EQ(grid->Row(), 5);
}

TEST(RichGrid, UnselectableCurrentCellMovesAway)
{
    Grid grid(6, 6);
    grid->SetCol(2);
    grid->SetRow(2);
    grid->GetCellAttributes(2, 2)->SetCanSelect(false);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 2);
    grid->GetCellAttributes(1, 1)->SetCanSelect(false); // not current: nothing moves
    EXPECT_EQ(grid->Row(), 3);
}

TEST(RichGrid, UnselectableCurrentColumnOrRowMovesAway)
{
    Grid grid(6, 6);
    grid->SetCol(3);
    grid->SetRow(2);
    grid->GetColAttributes(3)->SetCanSelect(false);
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->Row(), 2) << "a column has no row to move below";
    grid->GetRowAttributes(2)->SetCanSelect(false);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 4);
    // At the end: the one before.
    grid->SetRow(5);
    grid->GetRowAttributes(5)->SetCanSelect(false);
    EXPECT_EQ(grid->Row(), 4);
    grid->GetColAttributes(1)->SetCanSelect(false); // not current: nothing moves
    EXPECT_EQ(grid->Col(), 4);
}

TEST(RichGrid, ColRowIndexesAreUnique)
{
    TRichGrid grid;
    TColRowAttributesItem *a = grid.ColAttr().Add();
    a->SetColRowIndex(2);
    TColRowAttributesItem *b = grid.ColAttr().Add();
    try {
        b->SetColRowIndex(2);
        FAIL() << "no error";
    } catch (const EDupColRowIndex &e) {
        EXPECT_EQ(e.Message(), "Duplicate ColRowIndex !");
    }
    b->SetColRowIndex(3);
    // The same index in the row collection is another matter.
    grid.RowAttr().Add()->SetColRowIndex(2);
}

TEST(RichGrid, LoadedAppliesStoredColumnAndRowAttributes)
{
    TRichGrid grid;
    grid.SetColCount(6);
    TColRowAttributesItem *item = grid.ColAttr().Add();
    item->SetColRowIndex(4);
    item->Attributes().SetBackColor(clAqua);
    item->Attributes().SetVisible(false);
    TColRowAttributesItem *row = grid.RowAttr().Add();
    row->SetColRowIndex(2);
    row->Attributes().SetFontStyle(TFontStyles{fsItalic});
    // Texts given before the grid has the column wait for Loaded.
    TColRowAttributesItem *texts = grid.ColAttr().Add();
    texts->SetColRowIndex(7);
    texts->SetCells(QStringList{"Код", "1", "2"});
    EXPECT_EQ(texts->Cells(), (QStringList{"Код", "1", "2"}));
    grid.SetColCount(8);
    grid.Loaded();
    EXPECT_EQ(grid.Cols(7), (QStringList{"Код", "1", "2", "", ""}));
    // Inside the grid the item's texts are the column's own.
    grid.SetCells(7, 4, "x");
    EXPECT_EQ(texts->Cells().value(4), "x");
    texts->SetCells(QStringList{"Име"});
    EXPECT_EQ(grid.Cells(7, 0), "Име");
    EXPECT_EQ(grid.Cells(7, 1), "");
    row->SetCells(QStringList{"a", "b"});
    EXPECT_EQ(grid.Cells(1, 2), "b");
    EXPECT_EQ(BackOf(grid, 4, 2), clAqua);
    EXPECT_EQ(grid.ColWidths(4), 0);
    EXPECT_EQ(grid.GetEffectiveCellAttributes(1, 2)->FontStyle(), TFontStyles{fsItalic});
}

TEST(RichGrid, AssignCopiesLayoutTextsAndAttributes)
{
    Grid src(4, 5);
    src->SetFixedRows(2);
    src->SetCells(1, 3, "text");
    src->SetMergeCellsStr("0,0,1,0|");
    src->GetColAttributes(2)->SetVisible(false);
    src->GetRowAttributes(3)->SetBackColor(clRed);
    src->GetCellAttributes(3, 4)->SetForeColor(clBlue);
    src->DefAttributes()->SetBorderColor(clGray);
    TRichGrid copy;
    copy.Assign(src.g);
    EXPECT_EQ(copy.ColCount(), 4);
    EXPECT_EQ(copy.RowCount(), 5);
    EXPECT_EQ(copy.FixedRows(), 2);
    EXPECT_EQ(copy.Cells(1, 3), "text");
    EXPECT_EQ(copy.ColWidths(2), 0);
    EXPECT_EQ(BackOf(copy, 1, 3), clRed);
    EXPECT_EQ(copy.GetEffectiveCellAttributes(3, 4)->ForeColor(), clBlue);
    EXPECT_EQ(copy.GetEffectiveCellAttributes(1, 3)->BorderColor(), clGray);
    TGridRect r;
    copy.GetMergeRect(1, 0, r);
    EXPECT_EQ(r, GridRect(0, 0, 1, 0));
    EXPECT_EQ(copy.MergeCellsStr(), "0,0,1,0|");
    // The copy stands on its own.
    src->GetRowAttributes(3)->SetBackColor(clLime);
    EXPECT_EQ(BackOf(copy, 1, 3), clRed);
    copy.GetColAttributes(2)->SetVisible(true);
    EXPECT_EQ(copy.ColWidths(2), src->DefaultColWidth());
}

TEST(RichGrid, DestroyedFormatterLeavesItsUsers)
{
    Grid grid;
    auto *f = new TFloatFormatter;
    grid->GetColAttributes(1)->SetFormatter(f);
    grid->GetCellAttributes(2, 2)->SetFormatter(f);
    delete f;
    EXPECT_EQ(grid->GetColAttributes(1)->Formatter(), nullptr);
    EXPECT_EQ(grid->GetCellAttributes(2, 2)->Formatter(), nullptr);
    QString text;
    grid->SetCells(1, 1, "5");
    grid->GetDisplayText(1, 1, text);
    EXPECT_EQ(text, "5");
}

TEST(RichGrid, FormatterHookSeesRowAndStoredText)
{
    Grid grid;
    TCellFormatter upper;
    upper.OnCellFormat = [](TCellFormatter &, TRichGrid &, int, int, QString &text, TCellAttributes &a) {
        text = text.toUpper();
        a.SetFontStyle(TFontStyles{fsBold});
    };
    grid->GetColAttributes(1)->SetFormatter(&upper);
    grid->SetCells(1, 3, "хляб");
    grid->SetCells(1, 0, "Име");
    TColRowAttributes a;
    QString text;
    grid->GetDisplayAttributes(1, 3, &a, text);
    EXPECT_EQ(text, "ХЛЯБ");
    EXPECT_EQ(a.FontStyle(), TFontStyles{fsBold});
    EXPECT_EQ(upper.FormattedRow(), 3);
    EXPECT_EQ(upper.FormattedText(), "хляб");
    // Header cells keep their texts.
    grid->GetDisplayText(1, 0, text);
    EXPECT_EQ(text, "Име");
}

TEST(RichGrid, ImageListChangesAndRemovalReachTheGrid)
{
    TRichGrid grid;
    int changes = 0;
    grid.OnChange = [&](QObject *) { ++changes; };
    auto *images = new TImageList(nullptr, 8, 8);
    grid.SetImages(images);
    QPixmap pm(8, 8);
    pm.fill(Qt::red);
    images->Add(pm);
    EXPECT_EQ(changes, 1);
    delete images;
    EXPECT_EQ(grid.Images(), nullptr);
}

TEST(RichGrid, PrintingLeavesTheColumnWidthsAlone)
{
    // A page is measured in its own device units: what a cell needs there
    // says nothing of the width its column needs on screen.
    Grid grid(3, 200);
    grid->GetColAttributes(1)->SetAutoResize(true);
    grid->SetCells(1, 150, QString(40, QLatin1Char('x')));
    const int before = grid->ColWidths(1);
    QImage page(grid->PaintExtent(150, 150) + QSize(10, 10), QImage::Format_RGB32);
    QPainter p(&page);
    grid->paintTo(p, QPoint(0, 0), 150, 150);
    p.end();
    EXPECT_EQ(grid->ColWidths(1), before);
}

TEST(RichGrid, MergedBlockIsDrawnOnceWithItsTopLeftCell)
{
    Grid grid(5, 4);
    grid->SetDefaultColWidth(40);
    grid->SetDefaultRowHeight(20);
    grid->SetOptions(TGridOptions{});
    grid->SetCells(0, 0, "head");
    grid->SetCells(1, 0, "hidden under the block");
    grid->SetMergeCellsStr("0,0,2,0|");
    QStringList drawn;
    grid->OnDrawCell = [&](QObject *, int ACol, int ARow, const QRect &Rect, TGridDrawState) {
        if (ARow == 0)
            drawn << QStringLiteral("%1:%2-%3").arg(ACol).arg(Rect.left()).arg(Rect.right());
    };
    QImage page(grid->PaintExtent(1, 3), QImage::Format_RGB32);
    QPainter p(&page);
    grid->paintTo(p, QPoint(0, 0), 1, 3);
    p.end();
    EXPECT_EQ(drawn, (QStringList{"0:0-119", "3:120-159", "4:160-199"}));
}

namespace {

// Mixed Cyrillic and Latin texts, numbers and blanks as reports show them.
QString MixedText(int r, int c, int shift)
{
    static const QStringList words{"Хляб бял 500 г", "Kifla", "Баница с Sirene", "", "Ъгъл WWW", "ёж iii",
                                   "Щастие & Co", "Ябълка 12.50", "   отстъп"};
    if (c == 0)
        return QString::number((r + shift) * 37 % 1000 - 500) + QStringLiteral(".%1").arg(r % 100, 2, 10, QChar('0'));
    return words[(r * (c + 2) + shift) % words.size()];
}

// A grid sized with the program's own font measure. `ownRows`: every data
// row carries a look of its own that changes nothing, so that each of its
// cells is laid and measured one by one.
void FillMixed(TRichGrid &g, int shift, bool ownRows)
{
    g.SetColCount(4);
    g.SetRowCount(120);
    g.SetFixedRows(1);
    g.SetAutoResizeCols(true);
    for (int c = 0; c < 4; ++c)
        g.SetCells(c, 0, QStringLiteral("Колона %1").arg(c));
    for (int r = 1; r < g.RowCount(); ++r)
        for (int c = 0; c < 4; ++c)
            g.SetCells(c, r, MixedText(r, c, shift));
    g.GetColAttributes(2)->SetAlignment(TCellAlignment{caRight});
    g.GetColAttributes(3)->SetFontStyle(TFontStyles{fsItalic});
    g.GetCellAttributes(1, 7)->SetFontStyle(TFontStyles{fsBold});
    if (ownRows)
        for (int r = 1; r < g.RowCount(); ++r)
            g.GetRowAttributes(r)->SetAutoResize(false);
}

void ExpectSameWidths(TRichGrid &a, TRichGrid &b, const char *what)
{
    for (int c = 0; c < a.ColCount(); ++c) {
        EXPECT_EQ(b.ColWidths(c), a.ColWidths(c)) << what << ", column " << c;
        EXPECT_EQ(b.MeasuredColSize(c), a.MeasuredColSize(c)) << what << ", column " << c;
    }
}

} // namespace

TEST(RichGrid, SizingCellsOfTheirColumnsLookGivesTheWidthsOfMeasuringEachCell)
{
    TRichGrid quick;
    FillMixed(quick, 0, false);
    quick.AutoSizeColumns();
    TRichGrid slow;
    FillMixed(slow, 0, true);
    slow.AutoSizeColumns();
    ExpectSameWidths(slow, quick, "first sizing");
    EXPECT_GT(quick.ColWidths(1), QFontMetrics(quick.font()).horizontalAdvance(QStringLiteral("Хляб бял 500 г")));

    // Filled again with other texts: what the grid measured before does not
    // stand in for what it shows now.
    FillMixed(quick, 5, false);
    quick.AutoSizeColumns();
    TRichGrid slowAgain;
    FillMixed(slowAgain, 5, true);
    slowAgain.AutoSizeColumns();
    ExpectSameWidths(slowAgain, quick, "refill");

    // Another font: every text is measured again.
    QFont larger = quick.font();
    larger.setPointSize(larger.pointSize() * 2);
    quick.setFont(larger);
    quick.AutoSizeColumns();
    TRichGrid slowLarger;
    slowLarger.setFont(larger);
    FillMixed(slowLarger, 5, true);
    slowLarger.AutoSizeColumns();
    ExpectSameWidths(slowLarger, quick, "larger font");
    EXPECT_GT(quick.ColWidths(1), slowAgain.ColWidths(1));

    // Another measure: so are they.
    quick.SetTextMeasure(FixedMetrics);
    quick.AutoSizeColumns();
    EXPECT_EQ(quick.ColWidths(1), 15 * 7 + 6);   // "Баница с Sirene"
}

namespace {

// One column of data rows only, that sizes itself.
void OneColumn(TRichGrid &g, int rows)
{
    g.SetColCount(1);
    g.SetRowCount(rows);
    g.SetFixedCols(0);
    g.SetFixedRows(0);
    g.SetAutoResizeCols(true);
}

// A column of `rows` distinct amounts, or dates, that sizes itself.
void FillNumbers(TRichGrid &g, int rows, bool dates, const std::function<QString(int)> &text = {})
{
    OneColumn(g, rows);
    for (int r = 0; r < rows; ++r)
        g.SetCells(0, r, text ? text(r)
                         : dates ? QDate(2026, 1, 1).addDays(r).toString(QStringLiteral("dd.MM.yyyy"))
                                 : QString::number((r * 7919) % 200000 / 100.0 - 500, 'f', 2));
}

// The width of each text sized alone in a grid of one cell, the widest.
int WidestAlone(const TRichGrid &filled, const TRichGrid::TTextMeasure &measure, bool right)
{
    TRichGrid one;
    OneColumn(one, 1);
    if (right)
        one.GetColAttributes(0)->SetAlignment(TCellAlignment{caRight});
    int widest = 0;
    for (int r = 0; r < filled.RowCount(); ++r) {
        one.SetCells(0, 0, filled.Cells(0, r));
        one.SetTextMeasure(measure);   // a store of its own for every text
        one.AutoSizeColumns();
        widest = std::max(widest, one.ColWidths(0));
    }
    return widest;
}

} // namespace

TEST(RichGrid, ManyDistinctNumbersSizeAsEachMeasuredAlone)
{
    // Amounts and dates with the program's own font, left and right: a
    // column of thousands of distinct numbers takes the width of its widest
    // text measured alone, and far fewer measurements than texts.
    const TRichGrid::TTextMeasure font = [](const QFont &f, QPaintDevice *, const QRect &b, int flags,
                                            const QString &t) { return QFontMetrics(f).boundingRect(b, flags, t); };
    for (bool dates : {false, true}) {
        for (bool right : {false, true}) {
            TRichGrid g;
            FillNumbers(g, 3000, dates);
            if (right)
                g.GetColAttributes(0)->SetAlignment(TCellAlignment{caRight});
            int calls = 0;
            g.SetTextMeasure([&](const QFont &f, QPaintDevice *d, const QRect &b, int flags, const QString &t) {
                ++calls;
                return font(f, d, b, flags, t);
            });
            g.AutoSizeColumns();
            EXPECT_EQ(g.ColWidths(0), WidestAlone(g, font, right)) << "dates " << dates << ", right " << right;
            EXPECT_LT(calls, 2000) << "dates " << dates << ", right " << right;
        }
    }
}

TEST(RichGrid, DigitsTheMeasureSetsApartAreMeasuredAsWritten)
{
    // '7' wider than the other digits: the one amount of sevens is the widest.
    TRichGrid wide;
    FillNumbers(wide, 2000, false, [](int r) {
        return r == 1700 ? QStringLiteral("7777.77")
                         : QStringLiteral("%1.%2").arg(1000 + r).arg(r % 100, 2, 10, QLatin1Char('0'));
    });
    wide.SetTextMeasure([](const QFont &, QPaintDevice *, const QRect &b, int, const QString &t) {
        return QRect(b.topLeft(), QSize(7 * int(t.size()) + 3 * int(t.count(QLatin1Char('7'))), 14));
    });
    wide.AutoSizeColumns();
    EXPECT_EQ(wide.ColWidths(0), 7 * 7 + 6 * 3 + 6);

    // "1." closer together than other pairs: every text has one, so none
    // is as wide as its length alone.
    TRichGrid kerned;
    FillNumbers(kerned, 2000, false, [](int r) { return QStringLiteral("%1%2").arg(r, 4, 10, QLatin1Char('0')).arg("1.50"); });
    int calls = 0;
    kerned.SetTextMeasure([&](const QFont &, QPaintDevice *, const QRect &b, int, const QString &t) {
        ++calls;
        return QRect(b.topLeft(), QSize(7 * int(t.size()) - 2 * int(t.count(QStringLiteral("1."))), 14));
    });
    kerned.AutoSizeColumns();
    EXPECT_EQ(kerned.ColWidths(0), 8 * 7 - 2 + 6);
    EXPECT_LT(calls, 1500);   // the other digits still share their sizes
}
