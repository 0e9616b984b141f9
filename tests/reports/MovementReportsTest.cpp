// The movement reports of raw materials, packaging and finished goods over a
// real database: opening balances, the period's movements, the closing
// balance, the average delivery price and the values it gives, the items
// that did not move, a code missing from the item list.
#include <QDate>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "reports/unDvijenie_na_Ambalaj.h"
#include "reports/unDvijenie_na_GP.h"
#include "reports/unDvijenie_na_surovini_i_materiali.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// One empty row under the header: the result is gone.
bool Cleared(const TRichGrid &Grid)
{
    return Grid.RowCount() == Grid.FixedRows() + 1 && Grid.Cells(1, Grid.FixedRows()).isEmpty();
}

const QDate kMarch1(2026, 3, 1);
const QDate kMarch31(2026, 3, 31);

template <class T>
std::unique_ptr<T> MakeReport()
{
    auto form = std::unique_ptr<T>(CreateQuorendForm<T>(nullptr, fsNormal));
    form->SetPeriod(kMarch1, kMarch31);
    return form;
}

int Day(int Month, int DayOfMonth) { return DateToDayNumber(QDate(2026, Month, DayOfMonth)); }

class MovementReportsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Unit(1, QStringLiteral("кг"));
        Unit(2, QStringLiteral("бр"));
    }

    void Run(const QString &Sql, std::initializer_list<TFormatArg> Args) { Execute(Format(Sql, Args)); }

    void RawMaterials()
    {
        const char *names[] = {"Брашно", "Захар", "Мая", "Сол"};
        for (int code = 1; code <= 4; ++code)
            Run(QStringLiteral("INSERT INTO Resources VALUES ( %d, \"%s\", 1 )"),
                {code, QString::fromUtf8(names[code - 1])});
        Run(QStringLiteral("INSERT INTO Resources VALUES ( 5, \"Яйца\", 2 )"), {});
        const QString delivery = QStringLiteral("INSERT INTO Dostavki VALUES ( %d, %d, 1, %d, %s, 0, %s, 0, 0 )");
        Run(delivery, {1, 1, Day(2, 10), QStringLiteral("100"), QStringLiteral("80")});
        Run(delivery, {2, 1, Day(3, 5), QStringLiteral("45"), QStringLiteral("45")});
        Run(delivery, {3, 2, Day(2, 15), QStringLiteral("20"), QStringLiteral("30")});
        Run(delivery, {4, 3, Day(3, 10), QStringLiteral("4"), QStringLiteral("10")});
        Run(delivery, {5, 5, Day(4, 2), QStringLiteral("30"), QStringLiteral("9")}); // after the period
        Run(delivery, {6, 99, Day(3, 3), QStringLiteral("1"), QStringLiteral("1")}); // unknown code
        const QString issue = QStringLiteral("INSERT INTO Iskane_za_otpuskane_na_surovini_i_materiali VALUES ( %d, %d, %s )");
        Run(issue, {Day(2, 20), 1, QStringLiteral("30")});
        Run(issue, {Day(3, 12), 1, QStringLiteral("40.5")});
        Run(issue, {Day(3, 13), 1, QStringLiteral("0.0004")}); // lost in the rounding to 3 decimals
        Run(issue, {Day(2, 25), 2, QStringLiteral("20")});
        Run(issue, {Day(3, 20), 5, QStringLiteral("2")});
        Run(QStringLiteral("INSERT INTO Expedicia_na_surovini_i_materiali VALUES ( 1, 1, 1, %d, 10, 0, 0 )"),
            {Day(3, 15)});
    }

    void Packaging()
    {
        Execute(QStringLiteral("INSERT INTO Ambalaj VALUES ( 1, \"Тава\" )"));
        Execute(QStringLiteral("INSERT INTO Ambalaj VALUES ( 2, \"Каса\" )"));
        Execute(QStringLiteral("INSERT INTO Ambalaj VALUES ( 3, \"Кош\" )"));
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 7, \"Бус Север\" )"));
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 8, \"Бус Юг\" )"));
        const QString receipt = QStringLiteral("INSERT INTO Zaprihojdavane_na_ambalaj VALUES ( %d, %d, %d, %d )");
        Run(receipt, {1, 1, Day(2, 1), 100});
        Run(receipt, {2, 1, Day(3, 2), 50});
        Run(receipt, {3, 2, Day(3, 3), 20});
        Passes();
    }

    // Export passes and returned production carry products and packaging.
    void Passes()
    {
        const QString pass = QStringLiteral("INSERT INTO Propusk_za_izvozvane VALUES ( %d, %d, %d, %d, %d, %s, %d )");
        Run(pass, {1, Day(2, 10), 7, 1, 1, QStringLiteral("10"), 30});
        Run(pass, {2, Day(3, 5), 7, 1, 1, QStringLiteral("10"), 25});
        Run(pass, {3, Day(3, 6), 8, 1, 2, QStringLiteral("5"), 8});
        Run(pass, {4, Day(3, 7), 8, 1, 0, QStringLiteral("5"), 0});
        Run(pass, {5, Day(3, 8), 8, 2, 9, QStringLiteral("1"), 3});
        Run(pass, {6, Day(2, 2), 7, 4, 0, QStringLiteral("10"), 0});
        const QString back = QStringLiteral("INSERT INTO Vyrnata_produkcia VALUES ( %d, %d, %d, %d, %d, %s, %d )");
        Run(back, {1, Day(2, 12), 7, 1, 1, QStringLiteral("2"), 10});
        Run(back, {2, Day(3, 9), 8, 1, 2, QStringLiteral("1"), 5});
    }

    void Products()
    {
        Product(1, QStringLiteral("Хляб"), 2);
        Product(2, QStringLiteral("Козунак"), 2);
        Product(3, QStringLiteral("Питка"), 2);
        Product(4, QStringLiteral("Кифла"), 2);
        const QString act = QStringLiteral("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( %d, %d, %d, %d )");
        Run(act, {1, 1, Day(2, 20), 100});
        Run(act, {2, 1, Day(3, 2), 200});
        Run(act, {3, 2, Day(3, 3), 50});
        Run(act, {4, 4, Day(2, 1), 10});
        Run(act, {5, 77, Day(3, 4), 3});
        Run(QStringLiteral("INSERT INTO Akt_za_brakuvana_produkcia VALUES ( 1, 1, %d, 3.5 )"), {Day(3, 10)});
        Passes();
    }

    testsupport::ScopedDialogAnswers dialogs;
};

TEST_F(MovementReportsGui, RawMaterialsAreValuedAtTheAverageDeliveryPriceUpToTheEnd)
{
    RawMaterials();
    auto form = MakeReport<TfrmDvijenie_na_surovini_i_materiali>();
    ASSERT_TRUE(form->Execute());
    // Брашно: opening 100 - 30 = 70, delivered 45, issued 40.5 (the 0.0004
    // rounds away), expedited 10, closing 64.5; average (80 + 45) / 145 =
    // 0.862068... -> 0.8621; values 60.347, 38.7945, 34.91505, 8.621 and
    // 60.35 + 38.79 - 34.92 - 8.62. Захар cancels out and is dropped, Сол
    // never moved. Мая is priced from March; Яйца, delivered only after the
    // period, has quantities without a price.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("1|Брашно|кг|0.8621|70|60.35|45|38.79|40.5|34.92|10|8.62|64.5|55.60"),
                           QStringLiteral("3|Мая|кг|2.5000||0.00|4|10.00||0.00||0.00|4|10.00"),
                           QStringLiteral("5|Яйца|бр||||||2||||-2|")}));
    EXPECT_EQ(dialogs.Texts(),
              QStringList{QStringLiteral("Шифър 99 липсва в номенклатурата на суровини и материали.")});
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,2,0|4,0,5,0|6,0,7,0|8,0,9,0|10,0,11,0|12,0,13,0|"));
    EXPECT_EQ(form->Grid->Cells(3, 0), QStringLiteral("Средна"));
    EXPECT_EQ(form->Grid->Cells(13, 1), QStringLiteral("стойност"));
    EXPECT_EQ(form->AmountFormatter->Precision(), 0);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Движение на суровини и материали"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("от дата 01.03.2026 до дата 31.03.2026"));
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmDvijenie_na_surovini_i_materiali")));

    // A later end takes the April delivery into the average of Яйца; a
    // change of date clears the result first.
    form->SetPeriod(kMarch1, QDate(2026, 4, 30));
    EXPECT_TRUE(Cleared(*form->Grid));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("5|Яйца|бр|0.3000||0.00|30|9.00|2|0.60||0.00|28|8.40"));
}

TEST_F(MovementReportsGui, PackagingForAllBusesAndForOne)
{
    Packaging();
    auto form = MakeReport<TfrmDvijenie_na_Ambalaj>();
    form->code_bus->setText(QString());
    ASSERT_TRUE(form->Execute());
    // Тава: 100 received - 30 taken + 10 back before March = 80; March 50
    // received, 25 taken; 105 on hand. Каса only in March. Кош never moved.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("2|Каса||20|8|5|17"), QStringLiteral("1|Тава|80|50|25||105")}));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Шифър 9 липсва в номенклатурата на амбалаж.")});
    EXPECT_TRUE(form->Grid->GetColAttributes(3)->Visible());
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,1,0|3,0,6,0|"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("от дата 01.03.2026 до дата 31.03.2026"));

    // One bus: the receipts carry none, so they leave the opening balance
    // too, and the received column hides.
    form->code_bus->setText(QStringLiteral("7"));
    EXPECT_FALSE(form->Grid->GetColAttributes(3)->Visible());
    EXPECT_TRUE(Cleared(*form->Grid));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList{QStringLiteral("1|Тава|-20||25||-45")});
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("за микробус 7 - Бус Север, от дата 01.03.2026 до дата 31.03.2026"));
    form->code_bus->setText(QStringLiteral("8"));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList{QStringLiteral("2|Каса|||8|5|-3")});
    ASSERT_TRUE(form->FormDone());
    form->code_bus->setText(QString());
    EXPECT_TRUE(form->Grid->GetColAttributes(3)->Visible());
}

TEST_F(MovementReportsGui, FinishedGoodsProducedReturnedExpeditedScrapped)
{
    Products();
    auto form = MakeReport<TfrmDvijenie_na_GP>();
    ASSERT_TRUE(form->Execute());
    // Хляб: 100 produced + 2 back - 10 out before March = 92; March 200
    // produced, 1 back, 20 out, 3.5 scrapped; 269.5. Кифла's 10 produced and
    // 10 taken out cancel; Питка never moved.
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("2|Козунак|бр||50||1||49"),
                                                  QStringLiteral("1|Хляб|бр|92|200|1|20|3.5|269.5")}));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Шифър 77 липсва в номенклатурата на изделията.")});
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,2,0|4,0,7,0|"));
    EXPECT_EQ(form->Grid->Cells(8, 0), QStringLiteral("Крайно"));
    EXPECT_EQ(form->Grid->Cells(6, 1), QStringLiteral("експедирано"));
}

TEST_F(MovementReportsGui, GroupedQueriesKeepTheirTexts)
{
    auto form = MakeReport<TfrmDvijenie_na_Ambalaj>();
    form->code_bus->setText(QStringLiteral("7"));
    const int from = DateToDayNumber(kMarch1);
    EXPECT_EQ(form->OpeningSql(QStringLiteral("Vyrnata_produkcia")),
              Format(QStringLiteral("SELECT code_a,        Sum( quantity_amb ) AS SumOfquantity_amb FROM "
                                    "Vyrnata_produkcia WHERE ( date_doc < %d ) AND ( code_a > 0 )AND ( code_bus = 7 ) "
                                    "GROUP BY code_a"),
                     {from}));
    form->code_bus->setText(QString());
    EXPECT_EQ(form->OpeningSql(QStringLiteral("T")),
              Format(QStringLiteral("SELECT code_a,        Sum( quantity_amb ) AS SumOfquantity_amb FROM T WHERE ( "
                                    "date_doc < %d ) AND ( code_a > 0 )GROUP BY code_a"),
                     {from}));
}

} // namespace
