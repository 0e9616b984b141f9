// The payments set against deliveries and minibus reports: the document
// rows with their sums, the payment rows under them, the three kinds of
// list and the totals, on a database made by the schema code.
#include <QCoreApplication>
#include <QDate>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <memory>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "reports/unPlashtania_po_dostavki.h"
#include "reports/unPlashtania_po_microbusi.h"
#include "ReportData.h"

namespace {

const QDate kDay1(2026, 3, 2);
const QDate kDay2(2026, 3, 3);
const QDate kDay3(2026, 3, 20);

QString Day(const QDate &D) { return QString::number(DateToDayNumber(D)); }

class DeliveryPaymentsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Execute("INSERT INTO CustGroups (code_c, name_c) VALUES ( 3, \"Мелница Добруджа\" )");
        Execute("INSERT INTO CustGroups (code_c, name_c) VALUES ( 4, \"Захар ООД\" )");
        // Delivery 7: two lines, 100.25 + 50.10 = 150.35, paid in three parts.
        Delivery(7, 1, 3, kDay1, "100.25");
        Delivery(7, 2, 3, kDay1, "50.1");
        Payment(1, kDay1, 7, "50", 1);
        Payment(2, kDay2, 7, "60.1", 2);
        Payment(3, kDay3, 7, "25", 1);
        // Delivery 8 of supplier 4, paid exactly.
        Delivery(8, 1, 4, kDay2, "80");
        Payment(4, kDay2, 8, "80", 2);
        // Delivery 9, overpaid: 17.50 listed, a correction of -5.00 only counted.
        Delivery(9, 1, 3, kDay2, "10");
        Payment(5, kDay2, 9, "17.5", 1);
        Payment(6, kDay3, 9, "-5", 1);
        // Delivery 10 has no value: never listed; delivery 11 is unpaid.
        Delivery(10, 1, 3, kDay2, "0");
        Delivery(11, 1, 4, kDay3, "33.333");
        // Outside the period.
        Delivery(12, 1, 3, QDate(2026, 4, 1), "5");

        form.reset(CreateQuorendForm<TfrmPlashtania_po_dostavki>(nullptr, fsNormal));
        ASSERT_TRUE(form->ShowForm());
        form->SetPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
    }
    void TearDown() override
    {
        form.reset();
        ReportTest::TearDown();
    }
    void Delivery(int DocNo, int Resource, int Supplier, const QDate &D, const char *Value)
    {
        Execute(QString("INSERT INTO Dostavki VALUES ( %1, %2, %3, %4, 1, %5, %5, 0, 0 )")
                    .arg(DocNo)
                    .arg(Resource)
                    .arg(Supplier)
                    .arg(Day(D))
                    .arg(Value));
    }
    void Payment(int DocNo, const QDate &D, int Delivery, const char *Sum, int Kind)
    {
        Execute(QString("INSERT INTO Plashtane_na_dostavki VALUES ( %1, %2, %3, %4, %5 )")
                    .arg(DocNo)
                    .arg(Day(D))
                    .arg(Delivery)
                    .arg(Sum)
                    .arg(Kind));
    }
    QStringList Run()
    {
        EXPECT_TRUE(form->Execute());
        return GridRows(*form->Grid);
    }

    std::unique_ptr<TfrmPlashtania_po_dostavki> form;
};

} // namespace

TEST_F(DeliveryPaymentsGui, AThreeTimesPaidDeliveryShowsOneDocumentRowAndItsPaymentRows)
{
    EXPECT_TRUE(IsFormClassRegistered("TfrmPlashtania_po_dostavki"));
    EXPECT_EQ(form->pnlCaption->text(), "ПЛАЩАНИЯ ПО ДОСТАВКИ");
    EXPECT_EQ(form->Grid->Cells(0, 0), "Документ");
    EXPECT_EQ(form->Grid->Cells(10, 1), "Вид плащане");

    const QStringList rows = Run();
    // Due 150.35, paid 50 + 60.10 + 25 = 135.10, remaining 15.25.
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows[0], "7|02.03.2026|150.35|135.10|15.25|1|02.03.2026|50|3|Мелница Добруджа|В брой");
    EXPECT_EQ(rows[1], "|||||2|03.03.2026|60.1|||По банков път");
    EXPECT_EQ(rows[2], "|||||3|20.03.2026|25|||В брой");
    // Paid exactly; overpaid (the -5.00 counts but is not listed); unpaid.
    EXPECT_EQ(rows[3], "8|03.03.2026|80.00|80.00|0|4|03.03.2026|80|4|Захар ООД|По банков път");
    EXPECT_EQ(rows[4], "9|03.03.2026|10.00|12.50|-2.5|5|03.03.2026|17.5|3|Мелница Добруджа|В брой");
    EXPECT_EQ(rows[5], "11|20.03.2026|33.33|0.00|33.33||||4|Захар ООД|");
    // 150.35 + 80 + 10 + 33.33; paid 135.10 + 80 + 12.50.
    EXPECT_EQ(rows[6], "Общо:||273.68|227.60|46.08|||227.60|||") << "totals row";
    EXPECT_EQ(rows.size(), 7);
    EXPECT_TRUE(form->IsTotalsRow(form->Grid->FixedRows() + 6));
    EXPECT_EQ(form->StatusText(), "Общо: 6 реда");
}

TEST_F(DeliveryPaymentsGui, UnpaidKeepsEveryDifferenceAndPaidOnlyExactMatches)
{
    form->SetTypeIndex(1);
    QStringList rows = Run();
    QStringList documents;
    for (const QString &row : rows)
        documents << row.section('|', 0, 0);
    EXPECT_EQ(documents, QStringList({"7", "", "", "9", "11", "Общо:"}));
    EXPECT_EQ(rows.last(), "Общо:||193.68|147.60|46.08|||147.60|||");

    form->SetTypeIndex(2);
    EXPECT_EQ(GridRows(*form->Grid), QStringList({QString(10, QChar('|'))})) << "a parameter change clears the grid";
    rows = Run();
    EXPECT_EQ(rows, QStringList({"8|03.03.2026|80.00|80.00|0|4|03.03.2026|80|4|Захар ООД|По банков път",
                                 "Общо:||80.00|80.00|0.00|||80.00|||"}));
}

TEST_F(DeliveryPaymentsGui, ASupplierNarrowsTheListAndNamesItselfInTheSubtitle)
{
    EXPECT_EQ(form->GetSubTitle(), " за доставчик  - , от дата 01.03.2026, до дата 31.03.2026");
    form->code_supplier->setText("4");
    EXPECT_EQ(form->panelSupplier->text(), "Захар ООД");
    const QStringList rows = Run();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith("8|"));
    EXPECT_TRUE(rows[1].startsWith("11|"));
    EXPECT_EQ(form->GetSubTitle(), " за доставчик 4 - Захар ООД, от дата 01.03.2026, до дата 31.03.2026");

    // The supplier's text is remembered when the window closes.
    form->Close();
    form.release();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QString remembered;
    GetRegistrySetting("code_supplier_Text", remembered);
    EXPECT_EQ(remembered, "4");
}

namespace {

class MinibusReportPaymentsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Execute("INSERT INTO Busses VALUES ( 2, \"Иван Петров\" )");
        Execute("INSERT INTO Busses VALUES ( 5, \"Георги Колев\" )");
        // Two reports of bus 2 and one of bus 5; bus 9 is not in Busses.
        Report(kDay1, 2, 1, "120.4");
        Report(kDay1, 2, 2, "30");
        Report(kDay1, 5, 1, "44.44");
        Report(kDay2, 2, 1, "75");
        Report(kDay2, 9, 1, "99");
        Payment(31, kDay1, 2, kDay1, "100");
        Payment(32, kDay2, 2, kDay1, "50.4");
        Payment(33, kDay3, 5, kDay1, "20");
        Payment(34, kDay3, 2, QDate(2026, 2, 27), "10");

        form.reset(CreateQuorendForm<TfrmPlashtania_po_microbusi>(nullptr, fsNormal));
        ASSERT_TRUE(form->ShowForm());
        form->SetPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
    }
    void TearDown() override
    {
        form.reset();
        ReportTest::TearDown();
    }
    void Report(const QDate &D, int Bus, int Product, const char *Value)
    {
        Execute(QString("INSERT INTO Otchet_plasiori VALUES ( %1, %2, %3, 0, 1, %4, %4 )")
                    .arg(Day(D))
                    .arg(Bus)
                    .arg(Product)
                    .arg(Value));
    }
    void Payment(int DocNo, const QDate &D, int Bus, const QDate &ReportDay, const char *Sum)
    {
        Execute(QString("INSERT INTO Plashtane_po_otchet_na_plasior VALUES ( %1, %2, %3, %4, %5 )")
                    .arg(DocNo)
                    .arg(Day(D))
                    .arg(Bus)
                    .arg(Day(ReportDay))
                    .arg(Sum));
    }

    std::unique_ptr<TfrmPlashtania_po_microbusi> form;
};

} // namespace

TEST_F(MinibusReportPaymentsGui, ReportsOfADateAndBusAgainstTheirPayments)
{
    EXPECT_TRUE(IsFormClassRegistered("TfrmPlashtania_po_microbusi"));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              QStringList({"02.03.2026|150.40|150.40|0|31|02.03.2026|100|2|Иван Петров",
                           "||||32|03.03.2026|50.4||",
                           "02.03.2026|44.44|20.00|24.44|33|20.03.2026|20|5|Георги Колев",
                           "03.03.2026|75.00|0.00|75||||2|Иван Петров",
                           "Общо:|269.84|170.40|99.44|||170.40||"}));

    form->SetTypeIndex(2);
    form->code_bus->setText("2");
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList({"02.03.2026|150.40|150.40|0|31|02.03.2026|100|2|Иван Петров",
                                                  "||||32|03.03.2026|50.4||",
                                                  "Общо:|150.40|150.40|0.00|||150.40||"}));
    EXPECT_EQ(form->GetSubTitle(), " за микробус 2 - Иван Петров, от дата 01.03.2026, до дата 31.03.2026");
}
