// The production sheet and the raw materials a day's orders need, over a
// real database: regular, urgent and total quantities, the norms, the
// group, subgroup and product filters, the remembered parameters.
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "reports/WorkTableReport.h"
#include "reports/unNeobhodimi_Surovini.h"
#include "reports/unProizvodstvenList.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// One empty row under the header: the result is gone.
bool Cleared(const TRichGrid &Grid)
{
    return Grid.RowCount() == Grid.FixedRows() + 1 && Grid.Cells(1, Grid.FixedRows()).isEmpty();
}

const QDate kDay(2026, 3, 10);

template <class T>
std::unique_ptr<T> MakeReport()
{
    auto form = std::unique_ptr<T>(CreateQuorendForm<T>(nullptr, fsNormal));
    form->dtp_For->setDate(kDay);
    return form;
}

class DayOrdersReportsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Unit(1, QStringLiteral("кг"));
        Unit(2, QStringLiteral("бр"));
        Execute(QStringLiteral("INSERT INTO Groups VALUES ( 1, \"Хлебни\" )"));
        Execute(QStringLiteral("INSERT INTO Groups VALUES ( 2, \"Сладки\" )"));
        Execute(QStringLiteral("INSERT INTO SubGroup VALUES ( 0, \"Без\" )"));
        Execute(QStringLiteral("INSERT INTO SubGroup VALUES ( 5, \"Бели\" )"));
        const QString product =
            QStringLiteral("INSERT INTO Izdelia (code_izd, name_izd, group_izd, subgroup, mjarka) VALUES ( %d, \"%s\", "
                           "%d, %d, 2 )");
        Execute(Format(product, {1, QStringLiteral("Хляб"), 1, 5}));
        Execute(Format(product, {2, QStringLiteral("Питка"), 1, 0}));
        Execute(Format(product, {3, QStringLiteral("Козунак"), 2, 0}));
        Execute(Format(product, {4, QStringLiteral("Кекс"), 2, 0}));
        Execute(Format(product, {6, QStringLiteral("Сирене"), 9, 0})); // no such group: never counted
        Order(1, kDay, false, {{1, 100}, {2, 20}, {3, 5}, {6, 7}});
        Order(2, kDay, false, {{1, 50}});
        Order(3, kDay, true, {{1, 10}, {3, 2.5}, {4, 4}});
        Order(4, kDay.addDays(1), true, {{1, 999}});
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 1, \"Брашно\", 1 )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 2, \"Захар\", 1 )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 3, \"Мая\", 1 )"));
        const QString norm = QStringLiteral("INSERT INTO Razhodni_normi VALUES ( %d, %d, %s )");
        Execute(Format(norm, {1, 1, QStringLiteral("0.5")}));
        Execute(Format(norm, {1, 3, QStringLiteral("0.01")}));
        Execute(Format(norm, {2, 1, QStringLiteral("0.2")}));
        Execute(Format(norm, {3, 1, QStringLiteral("0.4")}));
        Execute(Format(norm, {3, 2, QStringLiteral("0.1")}));
    }

    void Order(int Number, const QDate &ForDate, bool Urgent, std::initializer_list<std::pair<int, double>> Lines)
    {
        Execute(Format(QStringLiteral("INSERT INTO Zaiavki VALUES ( %d, %d, 1, %d, 0, False, 0, %s )"),
                       {Number, DateToDayNumber(ForDate), DateToDayNumber(ForDate),
                        Urgent ? QStringLiteral("True") : QStringLiteral("False")}));
        for (const auto &[code, quantity] : Lines)
            Execute(Format(QStringLiteral("INSERT INTO Zaiavka_rows VALUES ( %d, %d, %s, 0, 0, 0, 0 )"),
                           {Number, code, QString::number(quantity)}));
    }

    testsupport::ScopedDialogAnswers dialogs;
};

TEST_F(DayOrdersReportsGui, ProductionSheetSplitsRegularAndUrgentOrders)
{
    auto form = MakeReport<TfrmProizvodstvenList>();
    ASSERT_TRUE(form->Execute());
    // Кекс is only ordered urgently, Питка only regularly; Сирене has no group.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("4|Кекс|бр||4|4"), QStringLiteral("3|Козунак|бр|5|2.5|7.5"),
                           QStringLiteral("2|Питка|бр|20||20"), QStringLiteral("1|Хляб|бр|150|10|160")}));
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,2,0|3,0,5,0|"));
    EXPECT_EQ(form->Grid->Cells(0, 0), QStringLiteral("Артикул"));
    EXPECT_EQ(form->Grid->Cells(4, 1), QStringLiteral("извънредни"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("към дата 10.03.2026"));
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmProizvodstvenList")));

    form->leGroup->setText(QStringLiteral("2"));
    EXPECT_TRUE(Cleared(*form->Grid));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("4|Кекс|бр||4|4"), QStringLiteral("3|Козунак|бр|5|2.5|7.5")}));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("за група 2 - Сладки, към дата 10.03.2026"));

    // A day with urgent orders only.
    form->leGroup->setText(QString());
    form->dtp_For->setDate(kDay.addDays(1));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList{QStringLiteral("1|Хляб|бр||999|999")});
    ASSERT_TRUE(form->FormDone());
    auto again = std::unique_ptr<TfrmProizvodstvenList>(CreateQuorendForm<TfrmProizvodstvenList>(nullptr, fsNormal));
    EXPECT_EQ(again->dtp_For->date(), kDay.addDays(1));
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(DayOrdersReportsGui, RawMaterialsByTheNormsOfTheOrderedProducts)
{
    auto form = MakeReport<TfrmNeobhodimi_Surovini>();
    ASSERT_TRUE(form->Execute());
    // Regular: flour 150 * 0.5 + 20 * 0.2 + 5 * 0.4 = 81, sugar 5 * 0.1,
    // yeast 150 * 0.01; urgent: flour 10 * 0.5 + 2.5 * 0.4 = 6, sugar
    // 2.5 * 0.1, yeast 10 * 0.01. Кекс has no norms.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("1|Брашно|кг|81|6|87"), QStringLiteral("2|Захар|кг|0.5|0.25|0.75"),
                           QStringLiteral("3|Мая|кг|1.5|0.1|1.6")}));
    EXPECT_EQ(form->Grid->Cells(0, 0), QStringLiteral("Суровина/Материал"));
    EXPECT_FALSE(TableExists(DbConnection, WorkTableName(QStringLiteral("_redovni"))));
    EXPECT_FALSE(TableExists(DbConnection, WorkTableName(QStringLiteral("_urgent"))));

    form->leIzdelie->setText(QStringLiteral("1"));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("1|Брашно|кг|75|5|80"), QStringLiteral("3|Мая|кг|1.5|0.1|1.6")}));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("към дата 10.03.2026 за изделие 1 - Хляб "));
    EXPECT_TRUE(dialogs.Shown().empty());
    ASSERT_TRUE(form->FormDone());

    // The remembered product comes back after a reload of the list by group.
    auto again = MakeReport<TfrmNeobhodimi_Surovini>();
    EXPECT_EQ(again->leIzdelie->text(), QStringLiteral("1"));
    again->leGroup->setText(QStringLiteral("1"));
    EXPECT_EQ(again->leIzdelie->text(), QStringLiteral("1"));
}

TEST_F(DayOrdersReportsGui, GroupFilterTexts)
{
    auto form = MakeReport<TfrmNeobhodimi_Surovini>();
    form->leGroup->setText(QStringLiteral("1"));
    form->leSubGroup->setText(QStringLiteral("5"));
    EXPECT_EQ(form->BuildGroupFilter(), QStringLiteral("((Groups.code_g)=1) AND ((SubGroup.code_s)=5) AND "));
    form->leGroup->setText(QString());
    form->leIzdelie->setText(QStringLiteral("3"));
    EXPECT_EQ(form->BuildGroupFilter(), QStringLiteral("((SubGroup.code_s)=5) AND  ( Izdelia.code_izd = 3 ) AND "));
}

} // namespace
