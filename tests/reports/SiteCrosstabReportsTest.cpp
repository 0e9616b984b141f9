// The reports by site from a crosstab: turnover per delivery date with its
// chart, and quantities per product with the money total.
#include <QCheckBox>
#include <QDateEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "reports/TurnoverChart.h"
#include "reports/unArtikuli_po_obekti.h"
#include "reports/unOborot_po_obekti.h"
#include "support/ScopedDialogAnswers.h"

namespace {

template <class T>
std::unique_ptr<T> MakeReport()
{
    return std::unique_ptr<T>(CreateQuorendForm<T>(nullptr, fsNormal));
}

class SiteCrosstabGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Customer(1, QStringLiteral("Вега"));
        Customer(2, QStringLiteral("Арда"));
        Site(11, 1, QStringLiteral("Магазин Център"));
        Site(12, 1, QStringLiteral("Будка Гара"));
        Site(21, 2, QStringLiteral("Арда Север"));
        Unit(1, QStringLiteral("бр"));
        Unit(2, QStringLiteral("кг"));
        Product(101, QStringLiteral("Хляб"), 1);
        Product(102, QStringLiteral("Кифла"), 1);
        Product(103, QStringLiteral("Баница"), 2);
    }
    testsupport::ScopedDialogAnswers dialogs;
};

TEST_F(SiteCrosstabGui, TurnoverColumnsRunInDateOrderAcrossAMonthEnd)
{
    Receipt(1, 11, QDate(2026, 4, 30), 10.00);
    Receipt(2, 11, QDate(2026, 5, 1), 20.50);
    Receipt(3, 21, QDate(2026, 5, 1), 5.00);
    Receipt(4, 21, QDate(2026, 5, 2), 7.25);
    Receipt(5, 12, QDate(2026, 5, 3), 1.00);  // after the period
    auto form = MakeReport<TfrmOborot_po_obekti>();
    form->SetPeriod(QDate(2026, 4, 30), QDate(2026, 5, 2));
    ASSERT_TRUE(form->Execute());
    TRichGrid &g = *form->Grid;
    ASSERT_EQ(g.ColCount(), 6);
    EXPECT_EQ((QStringList{g.Cells(0, 0), g.Cells(2, 0), g.Cells(3, 0), g.Cells(4, 0), g.Cells(5, 0)}),
              (QStringList{QStringLiteral("Обект/Дата"), QStringLiteral("30.04.2026"), QStringLiteral("01.05.2026"),
                           QStringLiteral("02.05.2026"), QStringLiteral("Общо (лв.)")}));
    EXPECT_EQ(GridRows(g), (QStringList{QStringLiteral("11|Магазин Център|10.00|20.50|0.00|30.50"),
                                        QStringLiteral("21|Арда Север|0.00|5.00|7.25|12.25"),
                                        QStringLiteral("Общо:||10.00|25.50|7.25|42.75")}));
    EXPECT_EQ(g.MergeCellsStr(), QStringLiteral("0,0,1,0|2,0,2,1|3,0,3,1|4,0,4,1|5,0,5,1|"));
    EXPECT_TRUE(dialogs.Shown().empty());

    // A changed date clears the result columns and the rows.
    form->dtp_To->setDate(QDate(2026, 5, 3));
    EXPECT_EQ(g.ColCount(), 3);
    EXPECT_EQ(g.MergeCellsStr(), QStringLiteral("0,0,1,0"));
    EXPECT_EQ(g.RowCount(), 3);
}

TEST_F(SiteCrosstabGui, TurnoverOfAPeriodWithoutReceiptsHasNoResultColumns)
{
    auto form = MakeReport<TfrmOborot_po_obekti>();
    form->SetPeriod(QDate(2026, 1, 1), QDate(2026, 1, 31));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(form->Grid->ColCount(), 3);
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,1,0"));
    EXPECT_EQ(GridRows(*form->Grid), QStringList{QStringLiteral("||")});
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(SiteCrosstabGui, ChartOfASiteWithItsAverageGrabbedToPng)
{
    Receipt(1, 11, QDate(2026, 4, 30), 10.00);
    Receipt(2, 11, QDate(2026, 5, 1), 20.50);
    Receipt(3, 21, QDate(2026, 5, 1), 5.00);
    Receipt(4, 21, QDate(2026, 5, 2), 7.25);
    auto form = MakeReport<TfrmOborot_po_obekti>();
    form->SetPeriod(QDate(2026, 4, 30), QDate(2026, 5, 2));
    form->resize(1200, 700);
    ASSERT_TRUE(form->ShowForm());  // runs the report
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->Grid->SetRow(3);
    form->Grid->SetRow(2);
    TTurnoverChart *chart = form->Chart;
    EXPECT_EQ(chart->TitleLines(),
              (QStringList{QStringLiteral("Динамика на оборота на клиент \"Магазин Център\""),
                           QStringLiteral("от дата 30.04.2026 до дата 02.05.2026")}));
    ASSERT_EQ(chart->Points(0).size(), 3u);
    EXPECT_EQ(chart->Points(0)[0].Label, QStringLiteral("30.04.2026"));
    EXPECT_EQ(chart->Points(0)[0].X, 2);
    EXPECT_EQ(chart->Points(0)[1].Y, 20.5);
    EXPECT_EQ(chart->Points(0)[2].Y, 0);
    // The average of 10.00, 20.50 and 0.00, flat over the period.
    ASSERT_EQ(chart->Points(1).size(), 3u);
    for (const auto &p : chart->Points(1)) {
        EXPECT_NEAR(p.Y, 30.5 / 3, 1e-9);
        EXPECT_TRUE(p.Label.isEmpty());
    }
    EXPECT_EQ(chart->SeriesTitle(0), QStringLiteral("Оборот"));
    EXPECT_EQ(chart->SeriesTitle(1), QStringLiteral("Средно"));

    // 3-D with its depth, as drawn; then flat.
    EXPECT_TRUE(form->cb_3D->isChecked());
    EXPECT_TRUE(form->ScrollBar_Rotation->isEnabled());
    QApplication::processEvents();
    const QImage deep = chart->grab().toImage();
    ASSERT_TRUE(deep.save(testsupport::OutputPath(QStringLiteral("turnover_chart_3d.png"))));
    EXPECT_GT(chart->DepthOffset().x(), 0);
    form->ScrollBar_Rotation->setValue(300);
    EXPECT_FALSE(chart->Orthogonal());
    EXPECT_EQ(chart->Rotation(), 300);
    EXPECT_LT(chart->DepthOffset().x(), 0);  // turned: the depth runs to the left
    form->cb_3D->setChecked(false);
    EXPECT_FALSE(form->ScrollBar_2D_3D->isEnabled());
    EXPECT_TRUE(chart->DepthOffset().isNull());
    const QImage flat = chart->grab().toImage();
    ASSERT_TRUE(flat.save(testsupport::OutputPath(QStringLiteral("turnover_chart_flat.png"))));
    EXPECT_NE(deep, flat);

    // The totals row charts the column totals; its name cell is empty.
    form->Grid->SetRow(4);
    EXPECT_EQ(chart->TitleLines().first(), QStringLiteral("Динамика на оборота на клиент \"\""));
    EXPECT_EQ(chart->Points(0)[1].Y, 25.5);
    form->Close();
    form.release();
}

TEST_F(SiteCrosstabGui, ChartPagesByPointsPerPage)
{
    for (int d = 0; d < 5; ++d)
        Receipt(d + 1, 11, QDate(2026, 3, 30).addDays(d), d + 1);
    auto form = MakeReport<TfrmOborot_po_obekti>();
    form->SetPeriod(QDate(2026, 3, 30), QDate(2026, 4, 3));
    ASSERT_TRUE(form->ShowForm());  // runs the report; the parameter panel comes alive
    form->sp_dots_X->setValue(2);
    form->Grid->SetRow(3);
    form->Grid->SetRow(2);
    TTurnoverChart *chart = form->Chart;
    EXPECT_EQ(chart->NumPages(), 3);
    EXPECT_EQ(chart->Page(), 1);
    EXPECT_FALSE(form->ButtonPrevious->isEnabled());
    EXPECT_FALSE(form->BFirstPage->isEnabled());
    EXPECT_TRUE(form->ButtonNext->isEnabled());
    form->BLastPage->click();
    EXPECT_EQ(chart->Page(), 3);
    EXPECT_FALSE(form->ButtonNext->isEnabled());
    EXPECT_FALSE(form->BLastPage->isEnabled());
    EXPECT_TRUE(form->ButtonPrevious->isEnabled());
    form->ButtonPrevious->click();
    EXPECT_EQ(chart->Page(), 2);
    form->cbSteps->setChecked(true);
    EXPECT_TRUE(chart->Stairs());
    // A run gives the panel back with the flat chart's bars still off and
    // the page buttons as the page is.
    form->cb_3D->setChecked(false);
    ASSERT_TRUE(form->Execute());
    EXPECT_TRUE(form->sp_dots_X->isEnabled());
    EXPECT_FALSE(form->ScrollBar_2D_3D->isEnabled());
    EXPECT_FALSE(form->ScrollBar_Rotation->isEnabled());
    EXPECT_EQ(form->ButtonNext->isEnabled(), chart->NumPages() > chart->Page());
    form->Close();
    form.release();
}

TEST_F(SiteCrosstabGui, OneDateColumnHasNoAverageLine)
{
    Receipt(1, 11, QDate(2026, 4, 30), 10.00);
    auto form = MakeReport<TfrmOborot_po_obekti>();
    form->SetPeriod(QDate(2026, 4, 30), QDate(2026, 4, 30));
    ASSERT_TRUE(form->Execute());
    form->Grid->SetRow(3);
    form->Grid->SetRow(2);
    EXPECT_EQ(form->Chart->Points(0).size(), 1u);
    EXPECT_TRUE(form->Chart->Points(1).empty());
}

TEST_F(SiteCrosstabGui, ChartFollowsARunAtOnceAndDrawsAPeriodOfOneDay)
{
    Receipt(1, 11, QDate(2026, 4, 29), 3.00);
    Receipt(2, 11, QDate(2026, 4, 30), 10.00);
    Receipt(3, 11, QDate(2026, 5, 2), 7.00);
    auto form = MakeReport<TfrmOborot_po_obekti>();
    form->SetPeriod(QDate(2026, 4, 29), QDate(2026, 4, 30));
    ASSERT_TRUE(form->ShowForm());  // runs the report
    form->Grid->SetRow(2);
    TTurnoverChart *chart = form->Chart;
    ASSERT_EQ(chart->Points(0).size(), 2u);
    EXPECT_EQ(chart->Points(0)[1].Y, 10);

    // Another period: the chart shows it without a click in the grid.
    form->SetPeriod(QDate(2026, 5, 2), QDate(2026, 5, 2));
    EXPECT_TRUE(chart->Points(0).empty());   // the grid was cleared
    ASSERT_TRUE(form->Execute());
    ASSERT_EQ(form->Grid->Row(), 2);
    ASSERT_EQ(chart->Points(0).size(), 1u);
    EXPECT_EQ(chart->Points(0)[0].Y, 7);
    EXPECT_EQ(chart->TitleLines().last(), QStringLiteral("от дата 02.05.2026 до дата 02.05.2026"));
    // The one day is drawn as a band of some width around its column.
    const QList<QPointF> drawn = chart->DrawnPoints(0);
    ASSERT_EQ(drawn.size(), 2);
    EXPECT_EQ(drawn[0], QPointF(1.5, 7));
    EXPECT_EQ(drawn[1], QPointF(2.5, 7));
    EXPECT_LE(chart->RangeX().first, 1.5);
    EXPECT_GE(chart->RangeX().second, 2.5);
    EXPECT_TRUE(dialogs.Shown().empty());
    form->Close();
    form.release();
}

TEST_F(SiteCrosstabGui, ProductsPerSiteWithTheSitesMoneyTotal)
{
    Receipt(1, 11, QDate(2026, 3, 5), 22.00, true, QDate(2026, 3, 6), {{101, 10, 12.00}, {102, 20, 10.00}});
    Receipt(2, 12, QDate(2026, 3, 6), 6.50, false, QDate(), {{101, 5, 6.50}});
    Receipt(3, 21, QDate(2026, 3, 7), 16.30, false, QDate(), {{101, 1, 1.30}, {103, 2.5, 15.00}});
    Receipt(4, 11, QDate(2026, 4, 15), 120.00, false, QDate(), {{101, 100, 120.00}});
    auto form = MakeReport<TfrmArtikuli_po_obekti>();
    form->SetPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
    ASSERT_TRUE(form->Execute());
    TRichGrid &g = *form->Grid;
    ASSERT_EQ(g.ColCount(), 6);
    EXPECT_EQ((QStringList{g.Cells(2, 0), g.Cells(3, 0), g.Cells(4, 0), g.Cells(5, 0)}),
              (QStringList{QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("103"),
                           QStringLiteral("Общо (лв.)")}));
    EXPECT_EQ((QStringList{g.Cells(2, 1), g.Cells(3, 1), g.Cells(4, 1)}),
              (QStringList{QStringLiteral("Хляб"), QStringLiteral("Кифла"), QStringLiteral("Баница")}));
    // Quantities in whole units (2.5 kg shows as 3) before they are summed.
    EXPECT_EQ(GridRows(g), (QStringList{QStringLiteral("11|Магазин Център|10|20|0|22.00"),
                                        QStringLiteral("12|Будка Гара|5|0|0|6.50"),
                                        QStringLiteral("21|Арда Север|1|0|3|16.30"),
                                        QStringLiteral("Общо:||16|20|3|44.80")}));
    EXPECT_EQ(g.MergeCellsStr(), QStringLiteral("0,0,1,0|5,0,5,1|"));
    EXPECT_FALSE(TableExists(DbConnection, WorkTableName(QStringLiteral("_apkio"))));
    EXPECT_TRUE(dialogs.Shown().empty());
}

} // namespace
