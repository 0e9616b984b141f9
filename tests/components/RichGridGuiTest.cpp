// The attributed grid on screen: the goods receipt's two-row merged header,
// editing rules of the attributes, keys and clicks.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "support/TestEnv.h"

namespace {

// The lines grid of the goods receipt editor: 10 columns, 2 fixed rows,
// 3 fixed columns, the header merged over both rows and across row 0.
struct GoodsGrid
{
    QWidget window;
    TRichGrid *grid;
    TFloatFormatter quantity, price, value;

    GoodsGrid()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        grid = new TRichGrid(&window);
        layout->addWidget(grid);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        grid->setFont(f);
        grid->SetColCount(10);
        grid->SetRowCount(8);
        grid->SetFixedRows(2);
        grid->SetFixedCols(3);
        grid->SetDefaultRowHeight(18);
        grid->SetOptions(TGridOptions{goRangeSelect, goThumbTracking});
        grid->FixedAttributes()->SetAlignment(TCellAlignment{caCenter});
        grid->FixedAttributes()->SetBackColor(15852465);
        const QStringList row0{"N:", "Артикул", "", "", "От склад", "Количество", "Цена", "%", "Цена", "Стойност"};
        const QStringList row1{"", "Шифър", "Наименование", "Мярка", "", "", "без ТО/ТН", "ТО/ТН", "с ТО/ТН", ""};
        grid->SetRows(0, row0);
        grid->SetRows(1, row1);
        grid->SetMergeCellsStr("0,0,0,1|1,0,3,0|4,0,4,1|5,0,5,1|9,0,9,1|");
        grid->SetColWidths(0, 30);
        grid->SetColWidths(1, 50);
        grid->SetColWidths(2, 150);
        grid->SetColWidths(3, 50);
        for (int c = 5; c < 10; ++c)
            grid->SetColWidths(c, 80);
        grid->GetColAttributes(2)->SetAlignment(TCellAlignment{caLeft});
        grid->GetColAttributes(4)->SetVisible(false);
        quantity.SetPrecision(3);
        price.SetPrecision(4);
        value.SetPrecision(2);
        for (auto *f : {&quantity, &price, &value})
            f->SetMarkNegative(true);
        grid->GetColAttributes(5)->SetFormatter(&quantity);
        grid->GetColAttributes(6)->SetFormatter(&price);
        grid->GetColAttributes(7)->SetFormatter(&value);
        grid->GetColAttributes(8)->SetFormatter(&price);
        grid->GetColAttributes(9)->SetFormatter(&value);
        const QList<QStringList> lines{
            {"1", "101", "Хляб бял 500 г", "бр.", "", "120", "0.85", "-5", "0.8075", "96.9"},
            {"2", "205", "Козунак & стафиди", "бр.", "", "12.5", "4.2", "", "4.2", "52.5"},
            {"3", "310", "Кифла", "бр.", "", "-3", "0.4", "+10", "0.44", "-1.32"},
        };
        for (int i = 0; i < lines.size(); ++i)
            grid->SetRows(2 + i, lines[i]);
        window.resize(520, 200);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
        QApplication::processEvents();
    }

    QImage Grab() { return grid->viewport()->grab().toImage(); }
};

} // namespace

TEST(RichGridGui, GoodsReceiptHeaderWithMergedCells)
{
    GoodsGrid g;
    TRichGrid *grid = g.grid;
    QImage shot = g.Grab();
    shot.save(testsupport::OutputPath("goods_receipt_grid.png"));

    const QColor headerBack = platform::ToQColor(15852465);
    const QColor shadow = platform::ToQColor(clBtnShadow);
    // "Артикул" spans columns 1-3 of row 0: no edge between 1 and 2 there,
    // but an edge in row 1.
    const QRect code0 = grid->CellRect(1, 0);
    const QRect code1 = grid->CellRect(1, 1);
    EXPECT_EQ(shot.pixelColor(code0.right(), code0.top() + 3), headerBack);
    EXPECT_EQ(shot.pixelColor(code1.right(), code1.top() + 3), shadow);
    // "N:" spans both header rows: no edge between them.
    const QRect n0 = grid->CellRect(0, 0);
    EXPECT_EQ(shot.pixelColor(n0.left() + 3, n0.bottom()), headerBack);
    // "Количество" over both rows too; "Цена" is not merged.
    const QRect q0 = grid->CellRect(5, 0);
    const QRect p0 = grid->CellRect(6, 0);
    EXPECT_EQ(shot.pixelColor(q0.left() + 3, q0.bottom()), headerBack);
    EXPECT_EQ(shot.pixelColor(p0.left() + 3, p0.bottom()), shadow);
    // The hidden column takes no room: column 5 follows column 3.
    EXPECT_EQ(grid->CellRect(5, 2).left(), grid->CellRect(3, 2).right() + 1);
    // Display texts of the lines.
    QString text;
    grid->GetDisplayText(5, 2, text);
    EXPECT_EQ(text, "120.000");
    grid->GetDisplayText(8, 2, text);
    EXPECT_EQ(text, "0.8075");
    grid->GetDisplayText(9, 4, text);
    EXPECT_EQ(text, "-1.32");
    grid->GetDisplayText(5, 5, text);
    EXPECT_EQ(text, "0.000");
    // The negative quantity is tinted.
    const QRect neg = grid->CellRect(5, 4);
    EXPECT_EQ(shot.pixelColor(neg.left() + 3, neg.top() + 3), platform::ToQColor(0xCFCDF5));
}

TEST(RichGridGui, ScrolledHeaderKeepsItsFixedPart)
{
    GoodsGrid g;
    TRichGrid *grid = g.grid;
    grid->SetLeftCol(7);
    QApplication::processEvents();
    QImage shot = g.Grab();
    shot.save(testsupport::OutputPath("goods_receipt_grid_scrolled.png"));
    // Column 3 scrolled away: "Артикул" covers columns 1 and 2 and ends
    // with its edge where the fixed columns end.
    const QRect name = grid->CellRect(2, 0);
    EXPECT_EQ(shot.pixelColor(name.right(), name.top() + 3), platform::ToQColor(clBtnShadow));
    QRect block;
    grid->GetMergedCellRect(2, 0, block);
    EXPECT_EQ(block.left(), grid->CellRect(1, 0).left());
    EXPECT_EQ(block.right(), name.right());
    // The scrolled header cells stand right after the fixed ones.
    EXPECT_EQ(grid->CellRect(7, 0).left(), name.right() + 1);
}

TEST(RichGridGui, AmpersandIsDrawnAsItself)
{
    GoodsGrid g;
    // Drawn text only: the cell shows "Козунак & стафиди", and the painter
    // got the text with one '&'.
    QStringList drawn;
    g.grid->OnDrawCell = [&](QObject *, int ACol, int ARow, const QRect &, TGridDrawState) {
        if (ACol == 2 && ARow == 3)
            drawn << g.grid->Cells(ACol, ARow);
    };
    g.grid->viewport()->repaint();
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_EQ(drawn.first(), "Козунак & стафиди");
    QImage a = g.Grab();
    g.grid->SetCells(2, 3, "Козунак  стафиди");
    g.grid->viewport()->repaint();
    QImage b = g.Grab();
    const QRect r = g.grid->CellRect(2, 3);
    EXPECT_NE(a.copy(r), b.copy(r)) << "the '&' itself is painted";
}

TEST(RichGridGui, EditorOpensOnlyWhereTheCellMayBeEdited)
{
    GoodsGrid g;
    TRichGrid *grid = g.grid;
    grid->SetOptions(grid->Options() + goEditing);
    grid->GetCellAttributes(5, 2)->SetCanEdit(false);
    grid->SetCol(5);
    grid->SetRow(2);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
    EXPECT_EQ(grid->InplaceEditor()->text(), "12.5") << "the editor holds the stored text";
    grid->SetCellValue(5, 3, 12.5);
    QTest::keyClicks(grid->InplaceEditor(), "7");
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(5, 3), "7");
    EXPECT_FALSE(grid->GetCellValue(5, 3).isValid());
    QString text;
    grid->GetDisplayText(5, 3, text);
    EXPECT_EQ(text, "7.000");
}

TEST(RichGridGui, ClicksAndKeysAvoidUnselectableCells)
{
    GoodsGrid g;
    TRichGrid *grid = g.grid;
    grid->GetCellAttributes(6, 3)->SetCanSelect(false);
    const QRect r = grid->CellRect(6, 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_NE(grid->Col() * 100 + grid->Row(), 603);
    grid->SetCol(5);
    grid->SetRow(3);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 7);
    EXPECT_EQ(grid->Row(), 3);
    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(grid->Col(), 3) << "column 4 is hidden; Home stops at the first scrolled column";
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 5);
}

TEST(RichGridGui, PrintPaintShowsTheHeaderOnEveryPage)
{
    GoodsGrid g;
    TRichGrid *grid = g.grid;
    const QSize size = grid->PaintExtent(4, 4);
    QImage page(size + QSize(20, 20), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    grid->paintTo(p, QPoint(10, 10), 4, 4);
    p.end();
    page.save(testsupport::OutputPath("goods_receipt_print.png"));
    EXPECT_EQ(size.height(), 3 * 18);
    // Header background at the top, the data row under it, white around.
    EXPECT_EQ(page.pixelColor(12 + 40, 12), platform::ToQColor(15852465));
    EXPECT_EQ(page.pixelColor(5, 5), QColor(Qt::white));
    const QColor rowBack = page.pixelColor(10 + 365, 10 + 36 + 3); // column 6
    EXPECT_EQ(rowBack, platform::ToQColor(clWindow));
}

TEST(RichGridGui, FillClientColumnTakesTheRoomLeft)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *grid = new TRichGrid(&window);
    layout->addWidget(grid);
    grid->SetColCount(4);
    grid->SetRowCount(3);
    grid->SetDefaultColWidth(50);
    grid->GetColAttributes(2)->SetResizeToFillClient(true);
    window.resize(400, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int client = grid->viewport()->width();
    EXPECT_EQ(grid->ColWidths(2), client - 150);
    window.resize(500, 150);
    QApplication::processEvents();
    EXPECT_EQ(grid->ColWidths(2), grid->viewport()->width() - 150);
    // A maximum caps the share.
    grid->GetColAttributes(2)->SetMaxSize(120);
    EXPECT_EQ(grid->ColWidths(2), 120);
}

TEST(RichGridGui, ImagesAreDrawnWhereTheAttributesSay)
{
    GoodsGrid g;
    TImageList images(nullptr, 10, 10);
    QPixmap red(10, 10);
    red.fill(Qt::red);
    images.Add(red);
    g.grid->SetImages(&images);
    TCellAttributes *a = g.grid->GetCellAttributes(6, 0);
    a->SetImageIndex(0);
    a->SetBitmapDrawMode(bmCenter);
    a->SetBitmapAlignment(caRight);
    g.grid->viewport()->repaint();
    const QImage shot = g.Grab();
    const QRect r = g.grid->CellRect(6, 0);
    // 4 pixels in from the text area's right edge (margin 2 + 1).
    EXPECT_EQ(shot.pixelColor(r.right() - 3 - 4 - 5, r.center().y()), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(r.left() + 4, r.center().y()), QColor(Qt::red));
}

TEST(RichGridGui, AutoResizeColumnsWidenAsTheirCellsArePainted)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *grid = new TRichGrid(&window);
    layout->addWidget(grid);
    grid->SetTextMeasure([](const QFont &, QPaintDevice *, const QRect &b, int, const QString &t) {
        return QRect(b.topLeft(), QSize(7 * static_cast<int>(t.size()), 14));
    });
    grid->SetColCount(3);
    grid->SetRowCount(200);
    grid->GetColAttributes(1)->SetAutoResize(true);
    grid->SetCells(1, 2, "twenty characters ok");
    grid->SetCells(1, 142, QString(40, QLatin1Char('x'))); // out of view
    window.resize(400, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid->ColWidths(1) == 20 * 7 + 6; }, 10000))
        << "width " << grid->ColWidths(1);
    grid->SetTopRow(140);
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid->ColWidths(1) == 40 * 7 + 6; }, 10000))
        << "width " << grid->ColWidths(1);
}

TEST(RichGridGui, SelectionIsHighlightedUnlessItsCellsHideIt)
{
    GoodsGrid g;
    TRichGrid *grid = g.grid;
    grid->SetSelection(GridRect(5, 2, 6, 3));
    grid->viewport()->repaint();
    QImage shot = g.Grab();
    const QColor highlight = platform::ToQColor(clHighlight);
    auto inside = [&](const QImage &img, int c, int r) {
        const QRect rc = grid->CellRect(c, r);
        return img.pixelColor(rc.left() + 3, rc.top() + 3);
    };
    EXPECT_EQ(inside(shot, 5, 2), highlight);
    EXPECT_EQ(inside(shot, 6, 3), highlight);
    EXPECT_EQ(inside(shot, 7, 3), platform::ToQColor(clWindow));
    // A row that hides its selection shows its own look.
    grid->GetRowAttributes(3)->SetHideSelection(true);
    grid->viewport()->repaint();
    shot = g.Grab();
    EXPECT_EQ(inside(shot, 5, 2), highlight);
    EXPECT_EQ(inside(shot, 6, 3), platform::ToQColor(clWindow));
}
