// The payments of deliveries against a real database: the deliveries of the
// period with what was paid and what remains, the kinds of deliveries, the
// amount column that takes only non-negative numbers, the refusals of the
// save, and payments numbered one by one inside one transaction.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QTest>
#include <memory>
#include <sqlite3.h>

#include "components/GridAmountEntry.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "PaymentEntryFixture.h"
#include "documents/un_Plashtane_na_dostavki.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using Form = TfrmPlashtane_na_dostavki;

class PlashtaneNaDostavkiGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        today_ = DateToDayNumber(QDate::currentDate());
        Execute("Insert into CustGroups values ( 5, \"Мелница Добруджа АД\", \"\", \"\", \"\", 0, \"\", \"\", \"\", "
                "\"\", \"Добрич\", \"\", 0, \"\" )");
        Execute("Insert into CustGroups values ( 6, \"Захар ООД\", \"\", \"\", \"\", 0, \"\", \"\", \"\", \"\", "
                "\"Русе\", \"\", 0, \"\" )");
        // Delivery 1 of two lines (100.005 rounds to 100.01 when summed as
        // one value: 60.004 + 40.001), delivery 2 half paid, delivery 3 paid
        // in full, delivery 4 of the other supplier, delivery 5 before the
        // period.
        Delivery(1, 1, 5, today_, 60.004, 3301);
        Delivery(1, 2, 5, today_, 40.001, 3301);
        Delivery(2, 1, 5, today_, 250.5, 3302);
        Delivery(3, 1, 5, today_ - 1, 80, 3303);
        Delivery(4, 1, 6, today_, 12.3, 77);
        Delivery(5, 1, 5, today_ - 40, 9.99, 3299);
        Execute(QString("Insert into Plashtane_na_dostavki values ( 7, %1, 2, 100.25, 1 )").arg(today_ - 1));
        Execute(QString("Insert into Plashtane_na_dostavki values ( 8, %1, 3, 80, 2 )").arg(today_ - 1));
        SetRegistrySetting("code_supplier_Text", "5");
        SetRegistrySetting("frmInvoice_leType_of_payment_Text", "1");
        form_.reset(CreateQuorendForm<Form>(nullptr, fsNormal));
        form_->resize(1100, 500);
        ASSERT_TRUE(form_->ShowForm());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        form_->dtp_From->setDate(QDate::currentDate().addDays(-5));
        form_->actExecute->trigger();
    }
    void TearDown() override
    {
        form_.reset();
        DatabaseTest::TearDown();
    }

    void Delivery(int docno, int resource, int supplier, int day, double value, int byDoc)
    {
        Execute(QString("Insert into Dostavki values ( %1, %2, %3, %4, 1, %5, %5, %6, %4 )")
                    .arg(docno)
                    .arg(resource)
                    .arg(supplier)
                    .arg(day)
                    .arg(value, 0, 'f', 3)
                    .arg(byDoc));
    }

    QStringList Row(int row) { return testsupport::PaymentGridRow(*form_, row); }
    void Type(int row, const QString &keys) { testsupport::TypePaymentAmount(*form_, row, keys); }

    int today_ = 0;
    std::unique_ptr<Form> form_;
};

} // namespace

TEST_F(PlashtaneNaDostavkiGui, ListsDeliveriesWithPaidAndRemainingAndTheirTotals)
{
    EXPECT_EQ(form_->windowTitle(), "Плащания на доставки");
    EXPECT_EQ(form_->pnlCaption->text(), "ПЛАЩАНИЯ НА ДОСТАВКИ");
    EXPECT_EQ(form_->Grid->FixedRows(), 2);
    const QString day = DateToDisplayText(QDate::currentDate());
    const QString yesterday = DateToDisplayText(QDate::currentDate().addDays(-1));
    ASSERT_EQ(form_->Grid->RowCount(), 6);
    EXPECT_EQ(Row(2), QStringList({"1", day, "100.01", "0.00", "100.01", "100.01", "5", "Мелница Добруджа АД", "3301",
                                   day}));
    EXPECT_EQ(Row(3), QStringList({"2", day, "250.50", "100.25", "150.25", "150.25", "5", "Мелница Добруджа АД",
                                   "3302", day}));
    EXPECT_EQ(Row(4), QStringList({"3", yesterday, "80.00", "80.00", "0.00", "0.00", "5", "Мелница Добруджа АД",
                                   "3303", yesterday}));
    EXPECT_EQ(Row(5), QStringList({"Общо:", "", "430.51", "180.25", "250.26", "250.26", "", "", "", ""}));
    EXPECT_TRUE(form_->IsTotalsRow(5));
    EXPECT_EQ(form_->GetSubTitle(), QString(" за доставчик 5 - Мелница Добруджа АД, от дата %1, до дата %2")
                                        .arg(DateToDisplayText(QDate::currentDate().addDays(-5)), day));

    // Unpaid: the paid-up delivery 3 goes; paid: only it stays.
    form_->SetTypeIndex(1);
    form_->actExecute->trigger();
    ASSERT_EQ(form_->Grid->RowCount(), 5);
    EXPECT_EQ(form_->Grid->Cells(0, 3), "2");
    EXPECT_EQ(form_->Grid->Cells(Form::colValue, 4), "350.51");
    form_->SetTypeIndex(2);
    form_->actExecute->trigger();
    ASSERT_EQ(form_->Grid->RowCount(), 4);
    EXPECT_EQ(form_->Grid->Cells(0, 2), "3");

    // No supplier: every supplier's deliveries. A change of parameter
    // clears the grid.
    form_->SetTypeIndex(0);
    form_->code_supplier->setText("");
    EXPECT_EQ(form_->Grid->RowCount(), 3);
    EXPECT_EQ(form_->Grid->Cells(0, 2), "");
    form_->actExecute->trigger();
    ASSERT_EQ(form_->Grid->RowCount(), 7);
    EXPECT_EQ(Row(5).mid(0, 8), QStringList({"4", day, "12.30", "0.00", "12.30", "12.30", "6", "Захар ООД"}));
}

TEST_F(PlashtaneNaDostavkiGui, AmountColumnTakesOnlyDigitsAndPointAndTotalsFollow)
{
    TGridAmountEntry *entry = form_->AmountEntry();
    // Only the amount column of a delivery row edits.
    form_->Grid->SetCol(Form::colValue);
    form_->Grid->SetRow(2);
    EXPECT_FALSE(form_->Grid->Options().Contains(goEditing));
    form_->Grid->SetCol(Form::colToPay);
    EXPECT_TRUE(form_->Grid->Options().Contains(goEditing));
    form_->Grid->SetRow(5);
    EXPECT_FALSE(form_->Grid->Options().Contains(goEditing));

    for (QChar c : QString("-a,+ e"))
        EXPECT_FALSE(entry->AcceptsKey(c)) << QString(c).toStdString();
    for (QChar c : QString("0123456789.\b\t\n\r"))
        EXPECT_TRUE(entry->AcceptsKey(c));

    Type(3, "-4a0.5x");
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 3), "40.5");
    // The totals follow the amount just typed.
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 5), "140.51");

    // The totals row never edits, also when typed at.
    form_->Grid->SetRow(5);
    QTest::keyClicks(form_->Grid, "9");
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 5), "140.51");
    testsupport::ExpectTypedAmountAsked(*form_, 2, *form_->code_supplier);

    // The integer kind refuses the point.
    TGridAmountEntry whole(form_->Grid, TGridAmountEntry::akInteger);
    EXPECT_FALSE(whole.AcceptsKey('.'));
    EXPECT_TRUE(whole.AcceptsKey('7'));
}

TEST_F(PlashtaneNaDostavkiGui, EachPaymentTakesItsOwnNumberInsideOneSave)
{
    testsupport::ScopedDialogAnswers dialogs;
    // Delivery 1 pays 30, delivery 2 nothing (cleared), delivery 3 0.
    form_->Grid->SetCells(Form::colToPay, 2, "30");
    form_->Grid->SetCells(Form::colToPay, 3, "");
    form_->Grid->SetCells(Form::colToPay, 4, "0");
    // Another workstation takes number 9 meanwhile: the save's numbers
    // come from the table as it is inside the transaction.
    Execute(QString("Insert into Plashtane_na_dostavki values ( 9, %1, 4, 1, 1 )").arg(today_));
    form_->Grid->SetCells(Form::colToPay, 3, "20.456");
    form_->actSave->trigger();
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(Rows("SELECT docno, date_d, docno_supplier, suma, code_payment FROM Plashtane_na_dostavki WHERE docno "
                   "> 9 ORDER BY docno"),
              QStringList({QString("10@%1@1@30@1").arg(DateToDisplayText(QDate::currentDate())),
                           QString("11@%1@2@20.46@1").arg(DateToDisplayText(QDate::currentDate()))}));
    // The grid is loaded again with the new payments.
    EXPECT_EQ(form_->Grid->Cells(Form::colPaid, 2), "30.00");
    EXPECT_EQ(form_->Grid->Cells(Form::colRemaining, 3), "129.79");
}

TEST_F(PlashtaneNaDostavkiGui, SaveRefusesWithoutAmountsSupplierOrPaymentType)
{
    testsupport::ScopedDialogAnswers dialogs;
    for (int row = 2; row <= 4; ++row)
        form_->Grid->SetCells(Form::colToPay, row, "0");
    form_->actSave->trigger();
    form_->Grid->SetCells(Form::colToPay, 2, "5");
    form_->code_payment->setText("");
    form_->actSave->trigger();
    form_->code_payment->setText("2");
    form_->code_supplier->setText("");  // clears the grid: nothing to pay
    form_->actExecute->trigger();
    form_->Grid->SetCells(Form::colToPay, 2, "5");
    form_->actSave->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Не са въведени данни, които да се запишат в базата данни");
    EXPECT_EQ(dialogs.Shown()[1].Text, "Изберете начин на плащане!");
    EXPECT_EQ(dialogs.Shown()[2].Text, "Въведете доставчик");
    EXPECT_EQ(Rows("SELECT count(*) FROM Plashtane_na_dostavki"), QStringList({"2"}));
}

TEST_F(PlashtaneNaDostavkiGui, FailedPaymentWritesNoneOfTheSave)
{
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_payment BEFORE INSERT ON Plashtane_na_dostavki WHEN "
                           "NEW.docno_supplier = 2 BEGIN SELECT RAISE(ABORT, 'payment refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    testsupport::ScopedDialogAnswers dialogs;
    form_->actSave->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_TRUE(dialogs.Shown()[0].Text.contains("payment refused"));
    EXPECT_EQ(dialogs.Shown()[1].Text, "Грешка при актуализиране на Plashtane_na_Dostavki на ред 2.");
    EXPECT_EQ(Rows("SELECT count(*) FROM Plashtane_na_dostavki"), QStringList({"2"}));
    // The amounts stay for another try.
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 3), "150.25");
}

TEST_F(PlashtaneNaDostavkiGui, AMistypedAmountIsRefusedByItsDeliveryAndACommaTypesThePoint)
{
    Type(3, "4,5");
    EXPECT_EQ(form_->Grid->Cells(Form::colToPay, 3), "4.5");
    form_->Grid->SetCells(Form::colToPay, 2, "17.5.");
    testsupport::ScopedDialogAnswers dialogs;
    form_->actSave->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Стойността \"17.5.\" за сумата за плащане на \"1\" не е число!\n\r"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM Plashtane_na_dostavki"), QStringList({"2"}));
}
