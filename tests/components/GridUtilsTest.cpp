// The grid fill and the grid utilities on the attributed, the run-time and
// the plain string grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <memory>

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "components/RunTimeGrid.h"
#include "core/uDelimitedStrings.h"

namespace {

// A grid with a caption row and three columns.
void SetUpGrid(platform::StringGrid &g)
{
    g.SetColCount(3);
    g.SetRowCount(2);
    g.SetFixedCols(0);
    g.SetFixedRows(1);
    g.SetRows(0, {"Код", "Име", "Сума"});
}

bool Fill(platform::StringGrid &g, const QString &text)
{
    TDelimitedStringList list;
    list.SetTextStr(text);
    return FillGridFromDelimitedStrings(g, list, false);
}

TColor Shown(TRichGrid &g, int c, int r)
{
    TCellAttributes a;
    QString s;
    g.GetDisplayAttributes(c, r, &a, s);
    return a.BackColor();
}

QString Text(const platform::StringGrid &g, int c, int r)
{
    QString s;
    GetCellText(g, c, r, s);
    return s;
}

} // namespace

// --- fill ------------------------------------------------------------------------

TEST(GridFill, HighlightMarkerIsRemovedAndRowColoured)
{
    TRichGrid g;
    SetUpGrid(g);
    EXPECT_TRUE(Fill(g, QString::fromUtf8("1@Хляб@2.50°2@Кифла@1.20°¤Общо:@@3.70")));
    ASSERT_EQ(4, g.RowCount());
    EXPECT_EQ("Общо:", g.Cells(0, 3));
    EXPECT_EQ("3.70", g.Cells(2, 3));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(TotalsRowColor, Shown(g, c, 3)) << c;
        EXPECT_EQ(TotalsRowColor, GetCellColor(g, c, 3)) << c;
        // Ordinary rows show the data colour, never the caption's.
        EXPECT_EQ(clWindow, Shown(g, c, 1)) << c;
        EXPECT_EQ(clWindow, Shown(g, c, 2)) << c;
    }
    EXPECT_EQ("Сума", g.Cells(2, 0));
}

TEST(GridFill, RefillRecoloursRowsThatChangedTheirKind)
{
    TRichGrid g;
    SetUpGrid(g);
    g.GetColAttributes(1)->SetBackColor(clAqua);
    Fill(g, QString::fromUtf8("1@a@1°¤Общо:@@1"));
    EXPECT_EQ(clAqua, Shown(g, 1, 1)); // the column's own colour shows
    // A colour put on a cell by the form after the first fill.
    SetCellColor(g, 1, 1, clYellow);
    SetCellColor(g, 2, 2, clYellow);
    EXPECT_EQ(clYellow, Shown(g, 1, 1));
    Fill(g, QString::fromUtf8("¤Общо:@@5°1@b@5"));
    EXPECT_EQ("Общо:", g.Cells(0, 1));
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(TotalsRowColor, Shown(g, c, 1)) << c;
    EXPECT_EQ(clWindow, Shown(g, 0, 2));
    EXPECT_EQ(clAqua, Shown(g, 1, 2));
    EXPECT_EQ(clWindow, Shown(g, 2, 2));
}

TEST(GridFill, FilterTotalsRowKeepsItsTextAndTakesTheColour)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, QString::fromUtf8("1@a@1°Сума за филтъра@@12.40"));
    EXPECT_EQ(FilterTotalsMarker, g.Cells(0, 2));
    EXPECT_EQ(TotalsRowColor, Shown(g, 0, 2));
    EXPECT_EQ(TotalsRowColor, Shown(g, 2, 2));
    EXPECT_EQ(clWindow, Shown(g, 2, 1));
}

TEST(GridFill, FieldsBeyondTheColumnsAreDroppedAndMissingOnesEmptied)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, "1@a@b@c@d°2@x@y");
    Fill(g, "5@e@f@g°6");
    EXPECT_EQ(3, g.RowCount());
    EXPECT_EQ("f", g.Cells(2, 1));
    EXPECT_EQ("6", g.Cells(0, 2));
    EXPECT_EQ("", g.Cells(1, 2));
    EXPECT_EQ("", g.Cells(2, 2));
}

TEST(GridFill, EmptyListLeavesOneEmptyDataRow)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, "1@a@1°2@b@2");
    EXPECT_FALSE(Fill(g, ""));
    EXPECT_EQ(2, g.RowCount());
    EXPECT_EQ("", g.Cells(0, 1));
    EXPECT_EQ("", g.Cells(1, 1));
    EXPECT_EQ("Име", g.Cells(1, 0));
}

TEST(GridFill, FormattedColumnStaysFormatted)
{
    TRichGrid g;
    SetUpGrid(g);
    TFloatFormatter money;
    money.SetPrecision(3);
    money.SetMarkNegative(true);
    g.GetColAttributes(2)->SetFormatter(&money);
    Fill(g, QString::fromUtf8("1@a@3.5°2@b@-2°¤Общо:@@1.5"));
    EXPECT_EQ("3.500", Text(g, 2, 1));
    EXPECT_EQ("-2.000", Text(g, 2, 2));
    EXPECT_EQ("1.500", Text(g, 2, 3));
    EXPECT_EQ("3.5", g.Cells(2, 1)); // the stored text is the record's
    EXPECT_EQ(0xCFCDF5, Shown(g, 2, 2));
    EXPECT_EQ(clWindow, Shown(g, 2, 1));
    EXPECT_EQ(AlignBitRight | AlignBitCenter, GetCellAlignment(g, 2, 1));

    SetGridNegativeMarking(g, false);
    EXPECT_FALSE(money.MarkNegative());
    EXPECT_EQ(clWindow, Shown(g, 2, 2));
    SetGridNegativeMarking(g, true);
    EXPECT_TRUE(money.MarkNegative());
}

TEST(GridFill, OtherGridsTakeTextsButNoMarkers)
{
    TRunTimeGrid ta;
    SetUpGrid(ta);
    EXPECT_TRUE(Fill(ta, QString::fromUtf8("1@a@1°¤Общо:@@1")));
    EXPECT_EQ(QString::fromUtf8("¤Общо:"), ta.Cells(0, 2));
    EXPECT_THROW(Fill(ta, QString::fromUtf8("Сума за филтъра@@1")), EInvalidCast);
}

TEST(GridFillGui, HideWhileFillingRestoresTheGrid)
{
    QWidget w;
    auto *g = new TRichGrid(&w);
    SetUpGrid(*g);
    w.show();
    TDelimitedStringList list;
    list.SetTextStr("1@a@1");
    bool hiddenMeanwhile = false;
    list.OnGetRecord = [&](const TDelimitedStrings &, int, QString &, int, bool &) {
        hiddenMeanwhile = g->isHidden();
    };
    FillGridFromDelimitedStrings(*g, list, true);
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(g->isVisible());
}

TEST(GridFillGui, HideWhileFillingKeepsTheFocusOnTheGrid)
{
    QWidget w;
    auto *layout = new QVBoxLayout(&w);
    auto *g = new TRichGrid(&w);
    auto *next = new QLineEdit(&w); // the control after the grid
    layout->addWidget(g);
    layout->addWidget(next);
    SetUpGrid(*g);
    w.show();
    QApplication::setActiveWindow(&w);
    g->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(g->hasFocus());
    int nextEntered = 0;
    QObject::connect(qApp, &QApplication::focusChanged, next, [&](QWidget *, QWidget *now) {
        if (now == next)
            ++nextEntered;
    });
    TDelimitedStringList list;
    list.SetTextStr("1@a@1°2@b@2");
    FillGridFromDelimitedStrings(*g, list, true);
    EXPECT_TRUE(g->isVisible());
    EXPECT_TRUE(g->hasFocus());
    EXPECT_EQ(0, nextEntered);
}

TEST(GridFillGui, FailedFillShowsTheGridAgain)
{
    QWidget w;
    auto *g = new TRunTimeGrid(&w);
    SetUpGrid(*g);
    w.show();
    TDelimitedStringList list;
    list.SetTextStr(QString::fromUtf8("1@a@1°Сума за филтъра@@1"));
    EXPECT_THROW(FillGridFromDelimitedStrings(*g, list, true), EInvalidCast);
    EXPECT_TRUE(g->isVisible());
}

// --- search ----------------------------------------------------------------------

TEST(GridSearch, FindRowByCellValueIsExactAfterTrimming)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, "1@Хляб@1°2@хляб@2");
    int row = -1;
    EXPECT_TRUE(FindRowByCellValue("  хляб ", 1, g, row));
    EXPECT_EQ(2, row);
    EXPECT_FALSE(FindRowByCellValue("Хля", 1, g, row));
    EXPECT_FALSE(FindRowByCellValue("   ", 1, g, row));
    EXPECT_FALSE(FindRowByCellValue("Име", 1, g, row)); // captions are not data
}

TEST(GridSearch, BestPrefixRowCutsTheTypedText)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, QString::fromUtf8("1@Хлебче@1°2@Хляб бял@2°3@Кифла@3"));
    QString s = QString::fromUtf8("Хляб");
    EXPECT_EQ(2, FindBestPrefixRow(g, s, 1, -1, 1));
    EXPECT_EQ(QString::fromUtf8("Хляб"), s);

    s = QString::fromUtf8("хлеБник");
    EXPECT_EQ(1, FindBestPrefixRow(g, s, 1, -1, 1));
    EXPECT_EQ(QString::fromUtf8("хлеБ"), s);

    s = "Zz";
    EXPECT_EQ(-1, FindBestPrefixRow(g, s, 1, -1, 1));
    EXPECT_EQ("Zz", s);

    // Upwards from the last row: ties go to the first row met.
    s = QString::fromUtf8("Хл");
    EXPECT_EQ(2, FindBestPrefixRow(g, s, 1, 3, -1));
}

TEST(GridSearch, BestPrefixRowNeverMatchesTheCaption)
{
    TRichGrid g;
    SetUpGrid(g);
    g.SetCells(1, 0, QString::fromUtf8("Хляб"));
    Fill(g, QString::fromUtf8("1@Хлебче@1°2@Хляб бял@2"));
    QString s = QString::fromUtf8("Хляб");
    EXPECT_EQ(2, FindBestPrefixRow(g, s, 1, 0, 1));
}

TEST(GridSearch, ExactStoredTextEndsTheSearch)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, QString::fromUtf8("1@ХЛЯБ@1°2@Хляб@2°3@Хляб@3"));
    QString s = QString::fromUtf8("Хляб");
    EXPECT_EQ(2, FindBestPrefixRow(g, s, 1, -1, 1));
}

TEST(GridSearch, FindRowContainingIgnoresCase)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, QString::fromUtf8("1@Бял хляб@1°2@Кифла@2°3@ХЛЯБ ръжен@3"));
    EXPECT_EQ(1, FindRowContaining(g, QString::fromUtf8("ХЛЯБ"), 1, -1, 1));
    EXPECT_EQ(3, FindRowContaining(g, QString::fromUtf8("хляб"), 1, 1, 1));
    EXPECT_EQ(1, FindRowContaining(g, QString::fromUtf8("хляб"), 1, 3, -1));
    EXPECT_EQ(-1, FindRowContaining(g, QString::fromUtf8("хляб"), 1, 3, 1));
    EXPECT_EQ(-1, FindRowContaining(g, QString::fromUtf8("Име"), 1, -1, 1));
}

TEST(GridSearch, SearchDirections)
{
    EXPECT_TRUE(SearchDirectionAllowed(3, 0));
    EXPECT_TRUE(SearchDirectionAllowed(3, 1));
    EXPECT_TRUE(SearchDirectionAllowed(1, 0));
    EXPECT_FALSE(SearchDirectionAllowed(1, 1));
    EXPECT_TRUE(SearchDirectionAllowed(2, 1));
    EXPECT_FALSE(SearchDirectionAllowed(2, 0));
    EXPECT_FALSE(SearchDirectionAllowed(0, 0));
}

TEST(GridSearch, SelectionTextKeepsEveryCellInPlace)
{
    TRichGrid g;
    SetUpGrid(g);
    TFloatFormatter money;
    g.GetColAttributes(2)->SetFormatter(&money);
    Fill(g, "a@b@1°c@d@2°@e@");
    QString s;
    g.SetSelection(GridRect(0, 1, 1, 2));
    GridSelectionAsText(g, s);
    EXPECT_EQ("a\tb\rc\td", s);
    // An empty first cell keeps its place.
    g.SetSelection(GridRect(0, 3, 2, 3));
    GridSelectionAsText(g, s);
    EXPECT_EQ("\te\t0.00", s);
    g.SetSelection(GridRect(1, 2, 2, 3));
    GridSelectionAsText(g, s);
    EXPECT_EQ("d\t2.00\re\t0.00", s);
}

// --- utilities -------------------------------------------------------------------

TEST(GridUtils, ClearGridModes)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, "1@a@1°2@b@2");
    g.SetCellValue(1, 1, 5);
    ClearGrid(g, 1);
    EXPECT_EQ(3, g.RowCount());
    EXPECT_EQ("", g.Cells(0, 2));
    EXPECT_EQ("Код", g.Cells(0, 0));
    Fill(g, "1@a@1°2@b@2");
    g.SetCellValue(1, 1, 5);
    ClearGrid(g, 0);
    EXPECT_EQ(2, g.RowCount());
    EXPECT_EQ("", g.Cells(1, 1));
    EXPECT_FALSE(g.GetCellValue(1, 1).isValid());
    ClearGrid(g, 7);
    EXPECT_EQ(2, g.RowCount());
}

TEST(GridUtils, InsertAndDeleteRows)
{
    TRichGrid g;
    SetUpGrid(g);
    Fill(g, "1@a@1°2@b@2°3@c@3");
    InsertGridRow(g, 2);
    EXPECT_EQ(5, g.RowCount());
    EXPECT_EQ("2", g.Cells(0, 2)); // keeps its text until overwritten
    EXPECT_EQ("2", g.Cells(0, 3));
    EXPECT_EQ("3", g.Cells(0, 4));

    g.GetRowAttributes(3)->SetBackColor(clYellow);
    DeleteGridRow(g, 2);
    EXPECT_EQ(4, g.RowCount());
    EXPECT_EQ("2", g.Cells(0, 2));
    EXPECT_EQ("3", g.Cells(0, 3));
    EXPECT_EQ(clYellow, Shown(g, 1, 2)); // the row's look moved with it
    EXPECT_NE(clYellow, Shown(g, 1, 3));

    DeleteGridRow(g, 1);
    DeleteGridRow(g, 1);
    EXPECT_EQ(2, g.RowCount());
    EXPECT_EQ("3", g.Cells(0, 1));
    DeleteGridRow(g, 1);
    EXPECT_EQ(2, g.RowCount()); // the last data row is kept, cleared
    EXPECT_EQ("", g.Cells(0, 1));
    EXPECT_EQ("Код", g.Cells(0, 0));
    // The caption row is neither deleted nor pushed into the data.
    g.SetCells(0, 1, "9");
    DeleteGridRow(g, 0);
    InsertGridRow(g, 0);
    EXPECT_EQ(2, g.RowCount());
    EXPECT_EQ("Код", g.Cells(0, 0));
    EXPECT_EQ("9", g.Cells(0, 1));

    // Only the attributed grid deletes rows.
    platform::StringGrid sg;
    SetUpGrid(sg);
    sg.SetRowCount(3);
    sg.SetCells(0, 1, "x");
    DeleteGridRow(sg, 1);
    EXPECT_EQ(3, sg.RowCount());
    EXPECT_EQ("x", sg.Cells(0, 1));
    InsertGridRow(sg, 1);
    EXPECT_EQ("x", sg.Cells(0, 2));
}

TEST(GridUtils, ColoursOnEachGridClass)
{
    TRichGrid tr;
    SetUpGrid(tr);
    SetCellColor(tr, 1, 1, clYellow);
    EXPECT_EQ(clYellow, GetCellColor(tr, 1, 1));
    EXPECT_EQ(clWindow, GetCellColor(tr, 9, 1));
    SetCellColor(tr, 9, 1, clRed); // ignored

    TRunTimeGrid ta;
    SetUpGrid(ta);
    SetCellColor(ta, 2, 1, clYellow);
    EXPECT_EQ(clYellow, GetCellColor(ta, 2, 1));
    EXPECT_EQ(clWindow, GetCellColor(ta, 2, -1));

    platform::StringGrid sg;
    EXPECT_EQ(clWindow, GetCellColor(sg, 1, 1));
}

TEST(GridUtils, AlignmentBits)
{
    TRunTimeGrid ta;
    SetUpGrid(ta);
    EXPECT_EQ(AlignBitCenter, GetCellAlignment(ta, 1, 1)); // centred both ways
    ta.SetDefaultAlignment(TRunTimeGrid::alRight | TRunTimeGrid::alBottom);
    EXPECT_EQ(AlignBitRight | AlignBitBottom, GetCellAlignment(ta, 1, 1));
    ta.SetDefaultAlignment(TRunTimeGrid::alLeft | TRunTimeGrid::alTop);
    EXPECT_EQ(AlignBitLeft | AlignBitTop, GetCellAlignment(ta, 1, 1));
    EXPECT_EQ(0, GetCellAlignment(ta, 1, 5));

    TRichGrid tr;
    SetUpGrid(tr);
    EXPECT_EQ(0, GetCellAlignment(tr, 1, 1));
    tr.GetCellAttributes(1, 1)->SetAlignment({caCenter, caBottom});
    EXPECT_EQ(AlignBitCenter | AlignBitBottom, GetCellAlignment(tr, 1, 1));
}

TEST(GridUtils, CloneKeepsHiddenColumnsAndMerges)
{
    TRunTimeGrid ta;
    SetUpGrid(ta);
    Fill(ta, "1@a@1°2@b@2");
    ta.SetVertLine(1, 0, false);
    HideColumn(ta, 2);
    SetColumnFillsClient(ta, 1, true);
    std::unique_ptr<platform::StringGrid> copy(CloneGrid(ta, false));
    auto *tc = dynamic_cast<TRunTimeGrid *>(copy.get());
    ASSERT_NE(nullptr, tc);
    EXPECT_FALSE(tc->isVisible());
    TGridRect r;
    GetCellMergeRect(*tc, 1, 0, r);
    EXPECT_EQ(GridRect(0, 0, 1, 0), r);
    EXPECT_TRUE(tc->ColHidden(2));
    EXPECT_TRUE(ColumnFillsClient(*tc, 1));
    EXPECT_EQ("b", tc->Cells(1, 2));
    ShowColumn(*tc, 2);
    EXPECT_FALSE(tc->ColHidden(2));
    EXPECT_TRUE(ta.ColHidden(2));

    TRichGrid tr;
    SetUpGrid(tr);
    Fill(tr, QString::fromUtf8("1@a@1°¤Общо:@@2"));
    tr.SetMergeCellsStr("0,0,1,0|");
    HideColumn(tr, 2);
    SetColumnFillsClient(tr, 1, true);
    std::unique_ptr<platform::StringGrid> copy2(CloneGrid(tr, false));
    auto *rc = dynamic_cast<TRichGrid *>(copy2.get());
    ASSERT_NE(nullptr, rc);
    GetCellMergeRect(*rc, 1, 0, r);
    EXPECT_EQ(GridRect(0, 0, 1, 0), r);
    EXPECT_FALSE(rc->GetEffectiveColAttributes(2)->Visible());
    EXPECT_TRUE(ColumnFillsClient(*rc, 1));
    EXPECT_EQ("Общо:", rc->Cells(0, 2));
    EXPECT_EQ(TotalsRowColor, Shown(*rc, 1, 2));

    platform::StringGrid sg;
    EXPECT_EQ(nullptr, CloneGrid(sg, false));
}

TEST(GridUtils, CloneTakesOwnerAndParent)
{
    QWidget modelParent;
    auto *model = new TRichGrid(&modelParent);
    SetUpGrid(*model);
    // By default the model's parent holds the copy.
    QPointer<platform::StringGrid> byDefault = CloneGrid(*model, false);
    ASSERT_FALSE(byDefault.isNull());
    EXPECT_EQ(&modelParent, byDefault->parentWidget());

    QWidget panel;
    auto *owner = new QObject;
    QPointer<platform::StringGrid> copy = CloneGrid(*model, true, owner, &panel);
    ASSERT_FALSE(copy.isNull());
    EXPECT_EQ(&panel, copy->parentWidget());
    EXPECT_EQ("Сума", copy->Cells(2, 0));
    delete owner; // the owner frees its copy
    EXPECT_TRUE(copy.isNull());

    // A copy freed first leaves its owner nothing to free.
    QObject owner2;
    delete CloneGrid(*model, false, &owner2, &panel);
}

TEST(GridUtils, NegativeMarkingReachesFormattersOfSingleRowsAndCells)
{
    TRichGrid g;
    SetUpGrid(g);
    TFloatFormatter column, row, cell, caption;
    g.GetColAttributes(2)->SetFormatter(&column);
    Fill(g, "1@a@1°2@b@2°3@c@3°4@d@4°5@e@5");
    g.GetRowAttributes(4)->SetFormatter(&row);
    g.GetCellAttributes(1, 5)->SetFormatter(&cell);
    g.GetRowAttributes(0)->SetFormatter(&caption); // fixed: not a data cell
    for (TNumberFormatter *f : {&column, &row, &cell, &caption})
        f->SetMarkNegative(true);
    SetGridNegativeMarking(g, false);
    EXPECT_FALSE(column.MarkNegative());
    EXPECT_FALSE(row.MarkNegative());
    EXPECT_FALSE(cell.MarkNegative());
    EXPECT_TRUE(caption.MarkNegative());
}

TEST(GridUtils, FixedRowsHeightAndSelectionHiding)
{
    TRichGrid tr;
    SetUpGrid(tr);
    tr.SetRowCount(4);
    tr.SetFixedRows(2);
    tr.SetRowHeights(0, 20);
    tr.SetRowHeights(1, 31);
    EXPECT_EQ(51, GetFixedRowsHeight(tr));
    tr.SetOptions(tr.Options() + goDrawFocusSelected);
    HideGridSelection(tr);
    EXPECT_TRUE(tr.GetEffectiveRowAttributes(tr.Row())->HideSelection());
    EXPECT_FALSE(tr.Options().Contains(goDrawFocusSelected));

    TRunTimeGrid ta;
    HideGridSelection(ta);
    EXPECT_FALSE(ta.Highlight());
}

TEST(GridUtils, FillClientMarksAndBitmaps)
{
    TRichGrid tr;
    SetUpGrid(tr);
    EXPECT_FALSE(ColumnFillsClient(tr, 1));
    SetColumnFillsClient(tr, 1, true);
    EXPECT_TRUE(ColumnFillsClient(tr, 1));
    SetColumnFillsClient(tr, 1, false);
    EXPECT_FALSE(ColumnFillsClient(tr, 1));
    EXPECT_FALSE(ColumnFillsClient(tr, 8));
    SetCellBitmapIndex(tr, 1, 1, 3);
    EXPECT_EQ(3, tr.GetEffectiveCellAttributes(1, 1)->ImageIndex());

    TRunTimeGrid ta;
    SetUpGrid(ta);
    SetColumnFillsClient(ta, 2, true);
    SetColumnFillsClient(ta, 0, true);
    EXPECT_EQ("2,0", ta.FillClientCols());
    SetColumnFillsClient(ta, 2, false);
    EXPECT_FALSE(ColumnFillsClient(ta, 2));
}

TEST(GridUtilsGui, ColumnsFitClient)
{
    TRichGrid g;
    SetUpGrid(g);
    g.SetDefaultColWidth(60);
    g.resize(400, 200);
    g.show();
    QApplication::processEvents();
    EXPECT_TRUE(ColumnsFitClient(g));
    g.SetColWidths(2, 400);
    EXPECT_FALSE(ColumnsFitClient(g));
}
