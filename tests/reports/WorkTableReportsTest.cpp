// The work-table reports over a real database: receivables per customer
// and per site (opening, period, paid and closing balances), the monthly
// goods-and-money report with the spread of the indirect cost, the
// products reports on receipts and on invoices; the work tables themselves.
#include <QDateEdit>
#include <QLabel>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "reports/unAnalit_po_klienti.h"
#include "reports/unAnalit_po_obekti.h"
#include "reports/unArtikuli_po_klienti_i_obekti.h"
#include "reports/unArtikuli_po_klienti_i_obekti_na_baza_fakturi.h"
#include "framework/unPrintPreview.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "platform/print/RecordedPage.h"
#include "reports/unStokovo_pari4en_ot4et.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestPrinter.h"

namespace {

const QDate kMarch1(2026, 3, 1);
const QDate kMarch31(2026, 3, 31);

template <class T>
std::unique_ptr<T> MakeReport()
{
    return std::unique_ptr<T>(CreateQuorendForm<T>(nullptr, fsNormal));
}

class WorkTableReportsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Customer(1, QStringLiteral("Вега"));
        Customer(2, QStringLiteral("Арда"));
        Customer(3, QStringLiteral("Бор"));
        Site(11, 1, QStringLiteral("Магазин Център"));
        Site(12, 1, QStringLiteral("Будка Гара"));
        Site(21, 2, QStringLiteral("Арда Север"));
        Site(31, 3, QStringLiteral("Бор Юг"));
        Site(32, 3, QStringLiteral("Бор Изток"));
    }

    // The receivables of March: every kind of receipt once.
    void Receivables()
    {
        Receipt(1, 11, QDate(2026, 2, 15), 100.00);                                 // owed before and after
        Receipt(2, 11, QDate(2026, 2, 20), 50.50, true, QDate(2026, 3, 10));        // owed, paid in March
        Receipt(3, 11, QDate(2026, 2, 25), 30.00, true, QDate(2026, 4, 5));         // owed, paid after March
        Receipt(4, 11, QDate(2026, 3, 5), 200.00, true, QDate(2026, 3, 20));        // March, paid in March
        Receipt(5, 11, QDate(2026, 2, 10), 40.00, true, QDate(2026, 2, 25));        // settled before March
        Receipt(6, 21, QDate(2026, 3, 12), 75.25);                                  // March only
        Receipt(7, 31, QDate(2026, 2, 28), 10.10);
        Receipt(8, 32, QDate(2026, 3, 1), 5.05, true, QDate(2026, 3, 2));
        Receipt(9, 12, QDate(2026, 3, 3), 12.34);
        Receipt(10, 12, QDate(2026, 4, 1), 99.00);                                  // after March
    }

    testsupport::ScopedDialogAnswers dialogs;
};

TEST_F(WorkTableReportsGui, ReceivablesPerCustomerCountOpeningPeriodPaidAndClosing)
{
    Receivables();
    auto form = MakeReport<TfrmAnalit_po_klienti>();
    form->SetPeriod(kMarch1, kMarch31);
    ASSERT_TRUE(form->Execute());
    // Вега: opening 100 + 50.50 + 30 (the receipt paid after March was owed
    // at both ends), receivables 200 + 12.34, paid 50.50 + 200, closing
    // 100 + 30 + 12.34. Арда has no opening row: appended, then sorted in.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("2|Арда||75.25||75.25"), QStringLiteral("3|Бор|10.10|5.05|5.05|10.10"),
                           QStringLiteral("1|Вега|180.50|212.34|250.50|142.34"),
                           QStringLiteral("Общо:||190.60|292.64|255.55|227.69")}));
    EXPECT_EQ(form->Grid->Cells(2, 0), QStringLiteral("Начално"));
    EXPECT_EQ(form->Grid->Cells(2, 1), QStringLiteral("състояние "));
    EXPECT_EQ(form->Grid->Cells(0, 0), QStringLiteral("Клиент"));
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,1,0|3,0,3,1|4,0,4,1|"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("от дата 01.03.2026 до дата 31.03.2026"));
    // The work table is gone again, and never was a table of the file.
    const QString T = WorkTableName(QStringLiteral("_apk"));
    EXPECT_FALSE(TableExists(DbConnection, T));
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(WorkTableReportsGui, AReceiptPaidAfterThePeriodStaysOwedAtItsEnd)
{
    // Only the receipt dated before March and paid in April: it was owed on
    // 1 March and still on 31 March.
    Receipt(3, 11, QDate(2026, 2, 25), 30.00, true, QDate(2026, 4, 5));
    auto form = MakeReport<TfrmAnalit_po_klienti>();
    form->SetPeriod(kMarch1, kMarch31);
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("1|Вега|30.00|||30.00"),
                                                  QStringLiteral("Общо:||30.00|0.00|0.00|30.00")}));
    // April: paid then, so owed at the beginning and paid in the period.
    form->SetPeriod(QDate(2026, 4, 1), QDate(2026, 4, 30));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("1|Вега|30.00||30.00|0.00"),
                                                  QStringLiteral("Общо:||30.00|0.00|30.00|0.00")}));
}

TEST_F(WorkTableReportsGui, F9PrintsTheReportInLandscapeUnderItsSubtitle)
{
    Receivables();
    testsupport::TestPrinterDevice printer;
    SetPrintGridPrinter(&printer);
    std::unique_ptr<TfrmAnalit_po_klienti> form(CreateQuorendForm<TfrmAnalit_po_klienti>(nullptr, fsNormal));
    form->SetPeriod(kMarch1, kMarch31);
    ASSERT_TRUE(form->ShowForm());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ASSERT_TRUE(form->Execute());
    form->UpdateActions();
    ASSERT_TRUE(form->actPrint->isEnabled());
    QString text;
    QSize page;
    testsupport::OnNextModal([&](QWidget *w) {
        QPointer<TfmPrintPreview> preview(qobject_cast<TfmPrintPreview *>(w));
        ASSERT_FALSE(preview.isNull());
        for (const auto &run : preview->page->Pages().Items(0)->TextRuns())
            text += run.text + QLatin1Char(' ');
        page = preview->page->Pages().Items(0)->Size();
        preview->close();
    });
    form->Grid->setFocus();
    QTest::keyClick(form->Grid, Qt::Key_F9);
    SetPrintGridPrinter(nullptr);
    EXPECT_TRUE(text.contains(QStringLiteral("АНАЛИТИЧНА СПРАВКА ПО КЛИЕНТИ"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("от дата 01.03.2026 до дата 31.03.2026")));
    EXPECT_TRUE(text.contains(QStringLiteral("142.34")));
    EXPECT_GT(page.width(), page.height());
    form->close();
    form.release();
}

TEST_F(WorkTableReportsGui, AReportRunsWhileAnotherWorkstationIsSaving)
{
    Receivables();
    // Another workstation is in the middle of a save: it holds the file's
    // write lock. The work tables are this connection's own, so the report
    // neither waits for it nor fails.
    const int timeout = platform::Database::BusyTimeoutMs();
    platform::Database::SetBusyTimeoutMs(100);
    platform::Database other(DatabasePath());
    {
        platform::DbTransaction saving(other);
        other.Execute(QStringLiteral("UPDATE Zaiavki SET Total_sum = 1 WHERE Query_num = 6"));
        DbConnection->Close();  // reopened with the short timeout
        auto form = MakeReport<TfrmAnalit_po_klienti>();
        form->SetPeriod(kMarch1, kMarch31);
        EXPECT_TRUE(form->Execute());
        EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("Общо:||190.60|292.64|255.55|227.69"));
    }
    platform::Database::SetBusyTimeoutMs(timeout);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(WorkTableReportsGui, ReceivablesPerSiteOfOneCustomer)
{
    Receivables();
    auto form = MakeReport<TfrmAnalit_po_obekti>();
    form->SetPeriod(kMarch1, kMarch31);
    form->leCustomer->setText(QStringLiteral("1"));
    EXPECT_EQ(form->panelCustomer->text(), QStringLiteral("Вега"));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("12|Будка Гара||12.34||12.34"),
                           QStringLiteral("11|Магазин Център|180.50|200.00|250.50|130.00"),
                           QStringLiteral("Общо:||180.50|212.34|250.50|142.34")}));
    EXPECT_EQ(form->Grid->Cells(0, 0), QStringLiteral("Обект"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("клиент: 1 - Вега, от дата 01.03.2026 до дата 31.03.2026"));

    // A changed parameter clears the result; a text that is no code is
    // customer 0, whose sites there are none.
    form->leCustomer->setText(QStringLiteral("1 OR 1=1"));
    EXPECT_EQ(form->Grid->RowCount(), form->Grid->FixedRows() + 1);
    EXPECT_EQ(form->Grid->Cells(1, form->Grid->FixedRows()), QString());
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("Общо:||0.00|0.00|0.00|0.00")}));
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(WorkTableReportsGui, PeriodAndCustomerAreRememberedPerReport)
{
    Receivables();
    {
        auto form = MakeReport<TfrmAnalit_po_obekti>();
        form->SetPeriod(kMarch1, kMarch31);
        form->leCustomer->setText(QStringLiteral("3"));
        ASSERT_TRUE(form->FormDone());
    }
    QString from;
    GetRegistrySetting(QStringLiteral("frmAnalit_po_obekti_dtp_From"), from);
    EXPECT_EQ(from, QString::number(DateToDayNumber(kMarch1)));
    auto again = MakeReport<TfrmAnalit_po_obekti>();
    EXPECT_EQ(again->From(), kMarch1);
    EXPECT_EQ(again->To(), kMarch31);
    EXPECT_EQ(again->leCustomer->text(), QStringLiteral("3"));
    EXPECT_EQ(again->panelCustomer->text(), QStringLiteral("Бор"));
    // The per-customer report keeps a period of its own.
    auto other = MakeReport<TfrmAnalit_po_klienti>();
    EXPECT_EQ(other->From(), QDate::currentDate());
}

// March: bread 100 pieces for 120.00, rolls 30 for 15.00, banitsa 7.5 kg
// for 45.00; the indirect cost of March is 10.01.
class GoodsAndMoneyGui : public WorkTableReportsGui
{
protected:
    void SetUp() override
    {
        WorkTableReportsGui::SetUp();
        Unit(1, QStringLiteral("бр"));
        Unit(2, QStringLiteral("кг"));
        Product(101, QStringLiteral("Хляб"), 1);
        Product(102, QStringLiteral("Кифла"), 1);
        Product(103, QStringLiteral("Баница"), 2);
        Receipt(1, 11, QDate(2026, 3, 2), 130.00, false, QDate(), {{101, 60, 72.00}, {102, 30, 15.00}, {103, 0, 0}});
        Receipt(2, 21, QDate(2026, 3, 31), 93.00, false, QDate(), {{101, 40, 48.00}, {103, 7.5, 45.00}});
        Receipt(3, 21, QDate(2026, 4, 1), 10.00, false, QDate(), {{101, 10, 12.00}});
        // Flour 0.5 and yeast 0.02 per bread, flour 0.1 per roll.
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 1, \"Брашно\", 2 )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 2, \"Мая\", 2 )"));
        Execute(QStringLiteral("INSERT INTO Razhodni_normi VALUES ( 101, 1, 0.5 )"));
        Execute(QStringLiteral("INSERT INTO Razhodni_normi VALUES ( 101, 2, 0.02 )"));
        Execute(QStringLiteral("INSERT INTO Razhodni_normi VALUES ( 102, 1, 0.1 )"));
        Execute(QStringLiteral("INSERT INTO Resources_prices VALUES ( 1, 3, 1.2 )"));
        Execute(QStringLiteral("INSERT INTO Resources_prices VALUES ( 2, 3, 4 )"));
        Execute(QStringLiteral("INSERT INTO Resources_prices VALUES ( 1, 2, 9.99 )"));
    }
};

TEST_F(GoodsAndMoneyGui, SpreadsTheIndirectCostWithItsRoundingRemainder)
{
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 3, 10.01 )"));
    auto form = MakeReport<TfrmStokovo_pari4en_ot4et>();
    form->SetPeriod(kMarch1, kMarch31);
    ASSERT_TRUE(form->Execute());
    // Shares of 10.01 over 180.00: 6.673 -> 6.67, 0.834 -> 0.83, 2.5025 ->
    // 2.50 add up to 10.00; the bread, the largest, takes the cent left.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{
                  QStringLiteral("103|Баница|кг|7.500|6.0000|45.00|0.0000|0.00|0.3333|2.50|0.3333|2.5|5.6667|42.5"),
                  QStringLiteral("102|Кифла|бр|30.000|0.5000|15.00|0.1200|3.60|0.0277|0.83|0.1477|4.43|0.3523|10.57"),
                  QStringLiteral("101|Хляб|бр|100.000|1.2000|120.00|0.6800|68.00|0.0668|6.68|0.7468|74.68|0.4532|45.32"),
                  QStringLiteral("Общо:|||||180.00||71.60||10.01||81.61||98.39")}));
    EXPECT_EQ(form->Grid->Cells(8, 0), QStringLiteral("Непреки разходи"));
    EXPECT_EQ(form->Grid->Cells(13, 1), QStringLiteral("Стойност"));
}

TEST_F(GoodsAndMoneyGui, WithoutAnIndirectCostNothingIsSpread)
{
    auto form = MakeReport<TfrmStokovo_pari4en_ot4et>();
    form->SetPeriod(kMarch1, kMarch31);
    ASSERT_TRUE(form->Execute());
    const QStringList rows = GridRows(*form->Grid);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[2], QStringLiteral("101|Хляб|бр|100.000|1.2000|120.00|0.6800|68.00|0.0000||0.6800|68|0.5200|52"));
    EXPECT_EQ(rows[3], QStringLiteral("Общо:|||||180.00||71.60||0.00||71.60||108.40"));
}

TEST(IndirectCost, TheFirstOfEqualLargestSharesTakesTheRemainder)
{
    // 0.005 each rounds up to 0.01: together one cent too many.
    EXPECT_EQ(SpreadIndirectCost({QStringLiteral("10"), QStringLiteral("10")}, 0.01L),
              (QStringList{QStringLiteral("0"), QStringLiteral("0.01")}));
    EXPECT_EQ(SpreadIndirectCost({QStringLiteral("1"), QStringLiteral("2")}, 0),
              (QStringList{QString(), QString()}));
    EXPECT_EQ(SpreadIndirectCost({QStringLiteral("0"), QStringLiteral("0")}, 5), (QStringList{QString(), QString()}));
    EXPECT_EQ(SpreadIndirectCost({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")}, 1),
              (QStringList{QStringLiteral("0.34"), QStringLiteral("0.33"), QStringLiteral("0.33")}));
}

class ProductReportsGui : public GoodsAndMoneyGui
{
protected:
    void SetUp() override
    {
        WorkTableReportsGui::SetUp();
        Unit(1, QStringLiteral("бр"));
        Unit(2, QStringLiteral("кг"));
        Product(101, QStringLiteral("Хляб"), 1);
        Product(102, QStringLiteral("Кифла"), 1);
        Product(103, QStringLiteral("Баница"), 2);
        Receipt(1, 11, QDate(2026, 3, 5), 22.00, true, QDate(2026, 3, 6), {{101, 10, 12.00}, {102, 20, 10.00}});
        Receipt(2, 12, QDate(2026, 3, 6), 6.50, false, QDate(), {{101, 5, 6.50}});
        Receipt(3, 21, QDate(2026, 3, 7), 16.30, false, QDate(), {{101, 1, 1.30}, {103, 2.5, 15.00}});
        Receipt(4, 11, QDate(2026, 4, 15), 120.00, false, QDate(), {{101, 100, 120.00}});
    }
};

TEST_F(ProductReportsGui, ProductsOnReceiptsWithAveragePrices)
{
    auto form = MakeReport<TfrmArtikuli_po_klienti_i_obekti>();
    form->SetPeriod(kMarch1, kMarch31);
    ASSERT_TRUE(form->Execute());
    // Bread 16 for 19.80: 1.2375 a piece.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("101|Хляб|бр|16|1.2375|19.8"), QStringLiteral("102|Кифла|бр|20|0.5000|10"),
                           QStringLiteral("103|Баница|кг|2.5|6.0000|15"), QStringLiteral("Общо:|||38.50||44.80")}));
    EXPECT_EQ(form->Grid->Cells(4, 1), QStringLiteral("с ДДС"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("видове заявки: всички, от дата 01.03.2026 до дата 31.03.2026"));

    form->leCustomer->setText(QStringLiteral("1"));
    form->SetTypeOfQueries(1);
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("101|Хляб|бр|10|1.2000|12"), QStringLiteral("102|Кифла|бр|20|0.5000|10"),
                           QStringLiteral("Общо:|||30.00||22.00")}));
    form->leObject->setText(QStringLiteral("12"));
    form->SetTypeOfQueries(2);
    EXPECT_EQ(form->PanelObject->text(), QStringLiteral("Будка Гара"));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("101|Хляб|бр|5|1.3000|6.5"), QStringLiteral("Общо:|||5.00||6.50")}));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("клиент: 1 - Вега, обект: 12 - Будка Гара, видове заявки: "
                                                  "неплатени, от дата 01.03.2026 до дата 31.03.2026"));
}

TEST_F(ProductReportsGui, TypedCustomerAndSiteEnterTheStatementAsNumbers)
{
    auto form = MakeReport<TfrmArtikuli_po_klienti_i_obekti>();
    form->SetPeriod(kMarch1, kMarch31);
    form->leCustomer->setText(QStringLiteral("1 OR 1=1"));
    form->leObject->setText(QStringLiteral("x"));
    EXPECT_TRUE(form->BuildFilter().endsWith(
        QStringLiteral("AND Obekti.code_of_CustGroup = 0 AND Obekti.code_of_object = 0 ")));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("Общо:|||0.00||0.00")}));
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(ProductReportsGui, ProductsOnInvoicesWithoutVat)
{
    Invoice(1, 21, QDate(2026, 3, 10), false, {{101, 4, 4.00}, {103, 1, 5.50}});
    Invoice(2, 11, QDate(2026, 3, 11), true, {{101, 2, 3.00}});
    auto form = MakeReport<TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi>();
    form->SetPeriod(kMarch1, kMarch31);
    form->SetTypeOfQueries(2);
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("101|Хляб|бр|4|1.0000|4"),
                                                  QStringLiteral("103|Баница|кг|1|5.5000|5.5"),
                                                  QStringLiteral("Общо:|||5.00||9.50")}));
    EXPECT_EQ(form->Grid->Cells(4, 1), QStringLiteral("без ДДС"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Артикули по клиенти и обекти (на база фактури)"));
}

TEST_F(WorkTableReportsGui, WorkTablesAreTemporaryTablesOfTheConnection)
{
    const QString T = WorkTableName(QStringLiteral("_apk"));
    EXPECT_TRUE(T.startsWith(QStringLiteral("table_")));
    EXPECT_TRUE(T.endsWith(QStringLiteral("_apk")));
    ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                        QStringLiteral("SELECT code_c, name_c INTO ") + T + QStringLiteral(" FROM CustGroups")));
    EXPECT_TRUE(TableExists(DbConnection, T));
    EXPECT_FALSE(DbConnection->TableNames().contains(T, Qt::CaseInsensitive));
    EXPECT_EQ(Rows(QStringLiteral("SELECT name_c FROM ") + T + QStringLiteral(" WHERE name_c = \"вега\"")),
              QStringList{QStringLiteral("Вега")});
    ASSERT_TRUE(DropTableIfExists(nullptr, DbConnection, T));
    EXPECT_FALSE(TableExists(DbConnection, T));
}

} // namespace

namespace {

TEST(ReportMenu, EveryReportWindowIsRegisteredForItsMenuItem)
{
    for (const char *name : {"TfrmAnalit_po_klienti", "TfrmAnalit_po_obekti", "TfrmStokovo_pari4en_ot4et",
                             "TfrmArtikuli_po_klienti_i_obekti", "TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi",
                             "TfrmOborot_po_obekti", "TfrmArtikuli_po_obekti"})
        EXPECT_TRUE(IsFormClassRegistered(QString::fromLatin1(name))) << name;
}

} // namespace
