// The valued expedition over a real database: the quantities placed with
// the minibuses (passes less returns), the quantities and values of the
// sales reports, the average prices and the totals row; a price or value
// typed into the grid and what follows from it; the window driven by keys.
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/GridAmountEntry.h"
#include "components/Formatters.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "reports/unOstojnostena_expedicia.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using Form = TfrmOstojnostena_expedicia;

const QDate kMarch1(2026, 3, 1);
const QDate kMarch31(2026, 3, 31);

int Day(int Month, int DayOfMonth) { return DateToDayNumber(QDate(2026, Month, DayOfMonth)); }

class ValuedExpeditionGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 7, \"Бус Север\" )"));
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 8, \"Бус Юг\" )"));
        Unit(2, QStringLiteral("бр"));
        Product(1, QStringLiteral("Хляб"), 2);
        Product(2, QStringLiteral("Козунак"), 2);
        Product(3, QStringLiteral("Питка"), 2);
        Product(4, QStringLiteral("Кифла"), 2);
        Product(5, QStringLiteral("Баница"), 2);
        const QString pass = QStringLiteral("INSERT INTO Propusk_za_izvozvane VALUES ( %d, %d, %d, %d, 1, %s, 1 )");
        Run(pass, {1, Day(3, 3), 7, 1, QStringLiteral("100")});
        Run(pass, {1, Day(3, 3), 7, 2, QStringLiteral("20")});
        Run(pass, {2, Day(3, 4), 8, 1, QStringLiteral("50")});
        Run(pass, {3, Day(2, 27), 7, 1, QStringLiteral("999")}); // before the period
        Run(pass, {4, Day(3, 5), 8, 4, QStringLiteral("30")});
        Run(pass, {5, Day(3, 5), 8, 99, QStringLiteral("5")}); // no such product
        const QString back = QStringLiteral("INSERT INTO Vyrnata_produkcia VALUES ( %d, %d, %d, %d, 1, %s, 0 )");
        Run(back, {1, Day(3, 6), 7, 1, QStringLiteral("10")});
        Run(back, {2, Day(3, 6), 8, 3, QStringLiteral("4")}); // returned, never taken out
        const QString sold = QStringLiteral("INSERT INTO Otchet_plasiori VALUES ( %d, %d, %d, 1, %s, 0, %s )");
        Run(sold, {Day(3, 3), 7, 1, QStringLiteral("90"), QStringLiteral("72")});
        Run(sold, {Day(3, 4), 8, 1, QStringLiteral("48"), QStringLiteral("38.4")});
        Run(sold, {Day(3, 3), 7, 2, QStringLiteral("18.6"), QStringLiteral("65.1")});
        Run(sold, {Day(3, 5), 8, 5, QStringLiteral("12"), QStringLiteral("13.2")}); // valued, never taken out
        Run(sold, {Day(3, 5), 8, 4, QStringLiteral("0.4"), QStringLiteral("0.8")}); // a quantity of 0 shown
        Run(sold, {Day(4, 1), 8, 4, QStringLiteral("7"), QStringLiteral("7")});     // after the period
    }

    void Run(const QString &Sql, std::initializer_list<TFormatArg> Args) { Execute(Format(Sql, Args)); }

    std::unique_ptr<Form> MakeReport(const QString &Bus)
    {
        auto form = std::unique_ptr<Form>(CreateQuorendForm<Form>(nullptr, fsNormal));
        form->SetPeriod(kMarch1, kMarch31);
        form->code_bus->setText(Bus);
        return form;
    }

    // Types into a cell of the grid, as the operator does.
    static void Type(Form &F, int Col, int Row, const QString &Keys)
    {
        F.Grid->setFocus();
        F.Grid->SetCol(Col);
        F.Grid->SetRow(Row);
        QTest::keyClicks(F.Grid->InplaceEditor() && F.Grid->InplaceEditor()->isVisible()
                             ? static_cast<QWidget *>(F.Grid->InplaceEditor())
                             : static_cast<QWidget *>(F.Grid),
                         Keys);
        QTest::keyClick(F.Grid->InplaceEditor() ? static_cast<QWidget *>(F.Grid->InplaceEditor())
                                                 : static_cast<QWidget *>(F.Grid),
                        Qt::Key_Return);
    }

    testsupport::ScopedDialogAnswers dialogs;
};

const QStringList kAllBuses{
    // valued only: 13.20 / 12
    QStringLiteral("5|Баница|бр||12|1.1000|13.20"),
    // 0.4 valued shows as 0: no price
    QStringLiteral("4|Кифла|бр|30|0|0.0000|0.80"),
    // 18.6 valued shows as 19: 65.10 / 19 = 3.42631...
    QStringLiteral("2|Козунак|бр|20|19|3.4263|65.10"),
    // returned only
    QStringLiteral("3|Питка|бр|-4||0.0000|"),
    // 100 + 50 - 10 placed; 90 + 48 valued at 72 + 38.40
    QStringLiteral("1|Хляб|бр|140|138|0.8000|110.40"),
    // 189.50 / 169 = 1.12130...
    QStringLiteral("Общо:|||186.000|169.000|1.1213|189.50")};

TEST_F(ValuedExpeditionGui, PlacedAndValuedQuantitiesPerProduct)
{
    auto form = MakeReport(QString());
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), kAllBuses);
    EXPECT_TRUE(form->IsTotalsRow(7));
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("от дата 01.03.2026 до дата 31.03.2026"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Остойностена експедиция"));
    EXPECT_EQ(form->Grid->ColCount(), 7);
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,2,0|3,0,4,0|5,0,5,1|6,0,6,1|"));
    EXPECT_EQ(form->Grid->Cells(3, 0), QStringLiteral("Количества"));
    EXPECT_EQ(form->Grid->Cells(4, 1), QStringLiteral("остойностени"));
    EXPECT_EQ(form->AmountFormatter->Precision(), 0);
    EXPECT_EQ(form->Grid->GetColAttributes(4)->Formatter(), static_cast<TCellFormatter *>(form->AmountFormatter));
    EXPECT_EQ(form->Grid->GetColAttributes(5)->Formatter(), static_cast<TCellFormatter *>(form->PriceFormatter));
    EXPECT_EQ(form->Grid->GetColAttributes(6)->Formatter(), static_cast<TCellFormatter *>(form->ValueFormatter));
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmOstojnostena_expedicia")));

    // One minibus: its passes, returns and reports only.
    form->code_bus->setText(QStringLiteral("7"));
    EXPECT_EQ(form->Grid->RowCount(), form->Grid->FixedRows() + 1);
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("2|Козунак|бр|20|19|3.4263|65.10"),
                                                  QStringLiteral("1|Хляб|бр|90|90|0.8000|72.00"),
                                                  QStringLiteral("Общо:|||110.000|109.000|1.2578|137.10")}));
    EXPECT_EQ(form->GetSubTitle(),
              QStringLiteral("за микробус 7 - Бус Север, от дата 01.03.2026 до дата 31.03.2026"));
}

TEST_F(ValuedExpeditionGui, TypedPriceGivesValueAndTypedValueGivesPrice)
{
    auto form = MakeReport(QString());
    ASSERT_TRUE(form->Execute());
    // Хляб (row 6): 138 × 0.8125 = 112.125, to the stotinka away from zero.
    form->Grid->SetCells(Form::colPrice, 6, QStringLiteral("0.8125"));
    form->CellEdited(Form::colPrice, 6);
    EXPECT_EQ(form->Grid->Cells(Form::colValue, 6), QStringLiteral("112.13"));
    // The totals: 13.20 + 0.80 + 65.10 + 112.13 = 191.23; 191.23 / 169.
    EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("Общо:|||186.000|169.000|1.1315|191.23"));

    // Козунак (row 4): 76 / 19 = 4.
    form->Grid->SetCells(Form::colValue, 4, QStringLiteral("76"));
    form->CellEdited(Form::colValue, 4);
    EXPECT_EQ(form->Grid->Cells(Form::colPrice, 4), QStringLiteral("4.0000"));
    EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("Общо:|||186.000|169.000|1.1960|202.13"));

    // Кифла (row 3) has no valued quantity: a value gives no price, a price
    // no value.
    form->Grid->SetCells(Form::colValue, 3, QStringLiteral("5"));
    form->CellEdited(Form::colValue, 3);
    EXPECT_EQ(form->Grid->Cells(Form::colPrice, 3), QStringLiteral("0.0000"));
    EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("Общо:|||186.000|169.000|1.2209|206.33"));
    form->Grid->SetCells(Form::colPrice, 3, QStringLiteral("2.5"));
    form->CellEdited(Form::colPrice, 3);
    EXPECT_EQ(form->Grid->Cells(Form::colValue, 3), QStringLiteral("0.00"));
    // The price of 1/3 rounds to 4 decimals; the quantities never change.
    form->Grid->SetCells(Form::colValue, 5, QStringLiteral("1"));
    form->CellEdited(Form::colValue, 5);
    EXPECT_EQ(form->Grid->Cells(Form::colPrice, 5), QStringLiteral("0.0000"));
    form->Grid->SetCells(Form::colValue, 2, QStringLiteral("4"));
    form->CellEdited(Form::colValue, 2);
    EXPECT_EQ(form->Grid->Cells(Form::colPrice, 2), QStringLiteral("0.3333"));
    EXPECT_EQ(form->Grid->Cells(Form::colValued, 2), QStringLiteral("12"));

    // Only the price and value of a product row take typing.
    EXPECT_TRUE(form->CanEditCell(Form::colPrice, 2));
    EXPECT_TRUE(form->CanEditCell(Form::colValue, 6));
    EXPECT_FALSE(form->CanEditCell(Form::colValued, 6));
    EXPECT_FALSE(form->CanEditCell(Form::colPlaced, 6));
    EXPECT_FALSE(form->CanEditCell(Form::colValue, 7)); // the totals row
    EXPECT_FALSE(form->CanEditCell(Form::colValue, 1)); // the header
}

TEST_F(ValuedExpeditionGui, RunsAtOpeningAndTakesTypedAmountsFromTheKeyboard)
{
    // Today's passes, as the window opens on today.
    const int today = DateToDayNumber(QDate::currentDate());
    Run(QStringLiteral("INSERT INTO Propusk_za_izvozvane VALUES ( 9, %d, 8, 1, 1, 40, 1 )"), {today});
    Run(QStringLiteral("INSERT INTO Otchet_plasiori VALUES ( %d, 8, 1, 1, 40, 0, 30 )"), {today});
    Run(QStringLiteral("INSERT INTO Otchet_plasiori VALUES ( %d, 8, 2, 2, 12, 0, 42 )"), {today});
    Run(QStringLiteral("INSERT INTO Otchet_plasiori VALUES ( %d, 7, 2, 2, 5, 0, 10 )"), {today});
    SetRegistrySetting(QStringLiteral("code_bus_Text"), QStringLiteral("8"));
    auto form = std::unique_ptr<Form>(CreateQuorendForm<Form>(nullptr, fsNormal));
    form->resize(1000, 400);
    ASSERT_TRUE(form->ShowForm());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->pnlCaption->text(), QStringLiteral("ОСТОЙНОСТЕНА ЕКСПЕДИЦИЯ"));
    EXPECT_EQ(form->code_bus->text(), QStringLiteral("8"));
    EXPECT_EQ(form->panelMicrobus->text(), QStringLiteral("Бус Юг"));
    // The minibus stands first; the last date ends the parameters.
    EXPECT_EQ(form->LastParamControl(), form->dtp_To);
    ASSERT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("2|Козунак|бр||12|3.5000|42.00"),
                                                  QStringLiteral("1|Хляб|бр|40|40|0.7500|30.00"),
                                                  QStringLiteral("Общо:|||40.000|52.000|1.3846|72.00")}));

    // A price typed into Хляб: letters and minus signs are dropped.
    Type(*form, Form::colPrice, 3, QStringLiteral("-0a.8x"));
    EXPECT_EQ(form->Grid->Cells(Form::colPrice, 3), QStringLiteral("0.8"));
    EXPECT_EQ(form->Grid->Cells(Form::colValue, 3), QStringLiteral("32.00"));
    EXPECT_EQ(form->Grid->Cells(Form::colValue, 4), QStringLiteral("74.00"));
    // A value typed into Козунак.
    Type(*form, Form::colValue, 2, QStringLiteral("45"));
    EXPECT_EQ(form->Grid->Cells(Form::colPrice, 2), QStringLiteral("3.7500"));
    EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("Общо:|||40.000|52.000|1.4808|77.00"));

    // The quantity columns and the totals row do not edit, also when typed at.
    form->Grid->SetCol(Form::colValued);
    form->Grid->SetRow(3);
    EXPECT_FALSE(form->Grid->Options().Contains(goEditing));
    QTest::keyClicks(form->Grid, QStringLiteral("9"));
    EXPECT_EQ(form->Grid->Cells(Form::colValued, 3), QStringLiteral("40"));
    form->Grid->SetCol(Form::colValue);
    form->Grid->SetRow(4);
    EXPECT_FALSE(form->Grid->Options().Contains(goEditing));
    QTest::keyClicks(form->Grid, QStringLiteral("9"));
    EXPECT_EQ(form->Grid->Cells(Form::colValue, 4), QStringLiteral("77.00"));

    // A click shows the valued quantity of the selected rows.
    form->Grid->SetSelection(TGridRect{0, 2, 6, 3});
    form->AmountEntry()->Click();
    EXPECT_EQ(form->StatusText(), QStringLiteral(" Общо количество: 52"));
    const QRect cell = form->Grid->CellRect(Form::colName, 3);
    QTest::mouseClick(form->Grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(form->Grid->Row(), 3);
    EXPECT_EQ(form->StatusText(), QStringLiteral(" Общо количество: 40"));

    // The minibus is remembered; the dates are not.
    form->code_bus->setText(QStringLiteral("7"));
    ASSERT_TRUE(form->FormDone());
    QString bus, from;
    GetRegistrySetting(QStringLiteral("code_bus_Text"), bus);
    GetRegistrySetting(QStringLiteral("frmOstojnostena_expedicia_dtp_From"), from);
    EXPECT_EQ(bus, QStringLiteral("7"));
    EXPECT_TRUE(from.isEmpty());
}

} // namespace
