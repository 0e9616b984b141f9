// The payments on minibus reports in their window against a real database:
// each valued report of the minibus and period with what was paid and what
// remains, a payment on a day without a report, the kinds of reports, the
// refusals of the save and payments numbered one by one inside one
// transaction.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <memory>
#include <sqlite3.h>

#include "BusDayFixture.h"
#include "PaymentEntryFixture.h"
#include "components/GridAmountEntry.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/unRegistryFuncs.h"
#include "documents/un_Plashtane_po_otchet_na_plasior.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using Form = TfrmPlashtane_po_otchet_na_plasior;

class MinibusPaymentsGui : public testsupport::BusDayTest
{
protected:
    void SetUp() override
    {
        BusDayTest::SetUp();
        // Minibus 3: three days valued in the period (150.40, 101.55 with a
        // line of returns below 0, 80.00), one before it; minibus 4 one.
        Report(Day - 3, 3, 101, 1, 120);
        Report(Day - 3, 3, 101, 2, 30.4);
        Report(Day - 2, 3, 205, 1, 114.75);
        Report(Day - 2, 3, 307, 1, -13.2);
        Report(Day - 1, 3, 101, 1, 80);
        Report(Day - 10, 3, 101, 1, 55);
        Report(Day - 2, 4, 101, 1, 999);
        // The first day paid in two payments, the second in part; a payment
        // on a day without a report; minibus 4's payment.
        Payment(1, Day - 2, 3, Day - 3, 100);
        Payment(2, Day - 1, 3, Day - 3, 50.4);
        Payment(3, Day, 3, Day - 2, 40.55);
        Payment(4, Day, 3, Day - 4, 25);
        Payment(5, Day, 4, Day - 2, 999);
        SetRegistrySetting("code_bus_Text", "3");
        dialogs_ = std::make_unique<testsupport::ScopedDialogAnswers>();
        form_ = Open<Form>();
        form_->resize(900, 500);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_));
        form_->dtp_From->setDate(Today.addDays(-5));
        form_->actExecute->trigger();
    }
    void TearDown() override
    {
        BusDayTest::TearDown();
        dialogs_.reset();
    }

    void Report(int day, int bus, int product, int nr, double value)
    {
        Execute(QString("Insert into Otchet_plasiori values ( %1, %2, %3, %4, 1, %5, %5 )")
                    .arg(day)
                    .arg(bus)
                    .arg(product)
                    .arg(nr)
                    .arg(value, 0, 'f', 2));
    }
    void Payment(int docno, int day, int bus, int report, double sum)
    {
        Execute(QString("Insert into Plashtane_po_otchet_na_plasior values ( %1, %2, %3, %4, %5 )")
                    .arg(docno)
                    .arg(day)
                    .arg(bus)
                    .arg(report)
                    .arg(sum, 0, 'f', 2));
    }
    QString Date(int daysBack) const { return Today.addDays(-daysBack).toString("dd.MM.yyyy"); }

    QStringList Row(int row) { return testsupport::PaymentGridRow(*form_, row); }
    void Type(int row, const QString &keys) { testsupport::TypePaymentAmount(*form_, row, keys); }

    std::unique_ptr<testsupport::ScopedDialogAnswers> dialogs_;
    Form *form_ = nullptr;
};

} // namespace

TEST_F(MinibusPaymentsGui, ListsReportsWithPaidAndRemainingAndReportsAPaymentWithoutReport)
{
    EXPECT_EQ(form_->windowTitle(), "Плащания по отчети на микробуси");
    EXPECT_EQ(form_->pnlCaption->text(), "ПЛАЩАНИЯ ПО ОТЧЕТИ НА МИКРОБУСИ");
    // The payment on a day without a report is named by its date, once
    // per run, and not listed.
    ASSERT_EQ(dialogs_->Texts(),
              QStringList({QString("За плащане на дата %1 не е попълнен отчет на пласьор.").arg(Date(4))}));
    ASSERT_EQ(form_->Grid->RowCount(), 6);
    // 150.40 - (100 + 50.40) = 0; 101.55 - 40.55 = 61.00; 80 unpaid.
    EXPECT_EQ(Row(2), QStringList({Date(3), "150.40", "150.40", "0.00", "0.00"}));
    EXPECT_EQ(Row(3), QStringList({Date(2), "101.55", "40.55", "61.00", "61.00"}));
    EXPECT_EQ(Row(4), QStringList({Date(1), "80.00", "0.00", "80.00", "80.00"}));
    EXPECT_EQ(Row(5), QStringList({"Общо:", "331.95", "190.95", "141.00", "141.00"}));
    EXPECT_TRUE(form_->IsTotalsRow(5));
    EXPECT_EQ(form_->GetSubTitle(), QString(" за микробус 3 - Микробус Варна-Север, от дата %1, до дата %2")
                                        .arg(Date(5), Date(0)));

    // Unpaid: the paid-up day goes; paid: only it stays.
    form_->SetTypeIndex(1);
    form_->actExecute->trigger();
    ASSERT_EQ(form_->Grid->RowCount(), 5);
    EXPECT_EQ(Row(4), QStringList({"Общо:", "181.55", "40.55", "141.00", "141.00"}));
    form_->SetTypeIndex(2);
    form_->actExecute->trigger();
    ASSERT_EQ(form_->Grid->RowCount(), 4);
    EXPECT_EQ(form_->Grid->Cells(0, 2), Date(3));

    // Another minibus; a change of parameter clears the grid.
    form_->SetTypeIndex(0);
    form_->code_bus->setText("4");
    EXPECT_EQ(form_->Grid->RowCount(), 3);
    EXPECT_EQ(form_->Grid->Cells(0, 2), "");
    form_->actExecute->trigger();
    ASSERT_EQ(form_->Grid->RowCount(), 4);
    EXPECT_EQ(Row(2), QStringList({Date(2), "999.00", "999.00", "0.00", "0.00"}));
    EXPECT_EQ(dialogs_->Texts().size(), 3);
    form_->code_bus->setText("3");
    form_->actExecute->trigger();
    testsupport::ExpectTypedAmountAsked(*form_, 3, *form_->code_bus);
}

TEST_F(MinibusPaymentsGui, TwoReportsPaidAtOnceGetConsecutiveNumbersOfOneSave)
{
    // The second day pays 61 in full, the third 30.005 (30.01); the first
    // has nothing left.
    Type(4, "3a0.005");
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 4), "30.005");
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 5), "91.01");
    // Another workstation takes number 6 meanwhile: the numbers come from
    // the table as it is inside the save's transaction.
    Payment(6, Day, 4, Day - 2, 1);
    form_->actSave->trigger();
    const QString today = Date(0);
    EXPECT_EQ(Rows("SELECT docno, date_d, c_bus, date_otchet, suma FROM Plashtane_po_otchet_na_plasior WHERE docno "
                   "> 6 ORDER BY docno"),
              QStringList({QString("7@%1@3@%2@61").arg(today, Date(2)), QString("8@%1@3@%2@30.01").arg(today, Date(1))}));
    // Loaded again with the new payments (the dialog of the day without
    // a report comes with each run).
    EXPECT_EQ(Row(3), QStringList({Date(2), "101.55", "101.55", "0.00", "0.00"}));
    EXPECT_EQ(Row(4), QStringList({Date(1), "80.00", "30.01", "49.99", "49.99"}));
    EXPECT_EQ(dialogs_->Texts().size(), 2);
}

TEST_F(MinibusPaymentsGui, SaveRefusesWithoutAmountsOrMinibusAndAFailureWritesNothing)
{
    const int shown = int(dialogs_->Shown().size());
    for (int row = 2; row <= 4; ++row)
        form_->Grid->SetCells(Form::colToPay, row, "0");
    form_->actSave->trigger();
    form_->Grid->SetCells(Form::colToPay, 4, "5");
    form_->code_bus->blockSignals(true);
    form_->code_bus->setText("");
    form_->actSave->trigger();
    form_->code_bus->setText("3");
    form_->code_bus->blockSignals(false);
    ASSERT_EQ(int(dialogs_->Shown().size()), shown + 2);
    EXPECT_EQ(dialogs_->Shown()[size_t(shown)].Text, "Не са въведени данни, които да се запишат в базата данни");
    EXPECT_EQ(dialogs_->Shown()[size_t(shown) + 1].Text, "Въвдетете микробус");

    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_payment BEFORE INSERT ON Plashtane_po_otchet_na_plasior WHEN "
                           "NEW.suma = 5 BEGIN SELECT RAISE(ABORT, 'payment refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    form_->Grid->SetCells(Form::colToPay, 3, "1");
    form_->actSave->trigger();
    ASSERT_EQ(int(dialogs_->Shown().size()), shown + 4);
    EXPECT_TRUE(dialogs_->Shown()[size_t(shown) + 2].Text.contains("payment refused"));
    EXPECT_EQ(dialogs_->Shown()[size_t(shown) + 3].Text,
              "Грешка при актуализиране на Plashtane_po_otchet_na_plasior на ред 2.");
    EXPECT_EQ(Rows("SELECT count(*) FROM Plashtane_po_otchet_na_plasior"), QStringList({"5"}));
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 4), "5");
}
