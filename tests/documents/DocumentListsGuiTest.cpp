// The lists of invoices, goods receipts and goods-receipt lines against a
// real database: the rows of a period with their totals row, opening and
// printing the chosen document, marking unpaid rows and paying them in one
// transaction.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QPointer>
#include <QTest>
#include <sqlite3.h>

#include "InvoiceFixture.h"
#include "SalesDocumentTestParts.h"
#include "components/ListEdit.h"
#include "components/ListForm.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "documents/unInvoice.h"
#include "documents/unInvoice_Opis.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/unStokovaRazpiska_Opis.h"
#include "documents/unStokovaRazpiska_Opis_Ext.h"
#include "framework/QuorendFormClasses.h"
#include "framework/unTextDocument.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class DocumentListsGui : public testsupport::InvoiceTest, protected testsupport::MdiMainWindow
{
protected:
    void SetUp() override
    {
        InvoiceTest::SetUp();
        OpenMainWindow(1400);
    }
    void TearDown() override
    {
        CloseMainWindow();
        InvoiceTest::TearDown();
    }

    template <class T> T *Open(const QString &ClassName)
    {
        auto *form = qobject_cast<T *>(OpenRegisteredForm(ClassName, TFormShowKind::MdiChild, TFormParams()));
        EXPECT_NE(form, nullptr);
        form->dtp_From->setDate(QDate(2026, 12, 7));
        form->dtp_To->setDate(QDate(2026, 12, 8));
        return form;
    }

    QStringList Line(TRichGrid *grid, int row)
    {
        QStringList cells;
        for (int c = 0; c < grid->ColCount(); ++c)
            cells << grid->Cells(c, row);
        return cells;
    }

    void PressSpace(TDocumentPeriodList *form, int row)
    {
        form->Grid->SetRow(row);
        QChar key(' ');
        form->GridKeyPress(key);
    }
};

QString Money(const QString &Amount) { return " " + Amount.rightJustified(10) + " лв."; }

} // namespace

TEST_F(DocumentListsGui, TheInvoiceListShowsThePeriodWithTotalsAndOpensANoticeAsANotice)
{
    StoreInvoice5();
    StoreNotice6();
    Execute("INSERT INTO Invoices Values ( 9, 46370, 21, 10, 2, 0, 0, 1, 4, 0, 0.2 )");
    testsupport::ScopedDialogAnswers dialogs;
    auto *form = Open<TfrmInvoice_Opis>("TfrmInvoice_Opis");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Опис на фактури и известия");
    EXPECT_EQ(form->pnlCaption->text(), "ОПИС НА ФАКТУРИ И ИЗВЕСТИЯ");
    EXPECT_EQ(form->GetSubTitle(), "от дата 07.12.2026 до дата 08.12.2026");
    ASSERT_TRUE(form->Execute());
    ASSERT_EQ(form->Grid->RowCount(), 4);
    EXPECT_EQ(Line(form->Grid, 1), (QStringList{"0000000005", "07.12.2026", "12", "Магазин Център", "Фактура",
                                                "33.76", "не", "", "", "1", "7", "Пекарна Зора ЕООД",
                                                "По банков път"}));
    EXPECT_EQ(Line(form->Grid, 2).mid(0, 10), (QStringList{"0000000006", "08.12.2026", "12", "Магазин Център",
                                                           "Кредитно известие", "-3.52", "не", "", "", "3"}));
    EXPECT_EQ(form->Grid->Cells(0, 3), "Общо:");
    EXPECT_EQ(form->Grid->Cells(5, 3), "30.24");
    EXPECT_EQ(form->Grid->ColWidths(9), 0);

    // F3 on the notice opens it as a notice; on the totals row nothing.
    form->Grid->SetRow(3);
    form->actEdit->trigger();
    EXPECT_EQ(OpenInvoiceWindow(), nullptr);
    form->Grid->SetRow(2);
    form->actEdit->trigger();
    TfrmInvoice *notice = OpenInvoiceWindow();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->Mode, 1);
    EXPECT_EQ(notice->pnlDocNo->text(), "0000000006");
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(DocumentListsGui, CtrlF9PrintsTheChosenInvoice)
{
    StoreInvoice5();
    SetNas(NasPrintPhone, "1");
    SetDocumentPrintMomentForTests([] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 0)); });
    testsupport::RawPrinterFile prn;
    auto *form = Open<TfrmInvoice_Opis>("TfrmInvoice_Opis");
    ASSERT_TRUE(form->Execute());
    form->Grid->SetRow(1);
    form->btnPrintContract->click();
    SetDocumentPrintMomentForTests(nullptr);
    testsupport::ExpectLinesAsFile(prn.Lines(), "invoice_5.txt");
}

TEST_F(DocumentListsGui, OnlyUnpaidRowsAreMarkedAndPayingRecordsThemAsPaidToday)
{
    StoreInvoice5();
    StoreNotice6();
    Execute("INSERT INTO Invoices Values ( 7, 46364, 13, 100, 20, -1, 46364, 1, 1, 0, 0.2 )");
    testsupport::ScopedDialogAnswers dialogs;
    auto *form = Open<TfrmInvoice_Opis>("TfrmInvoice_Opis");
    ASSERT_TRUE(form->Execute());
    ASSERT_EQ(form->Grid->RowCount(), 5);
    EXPECT_EQ(form->Grid->Cells(6, 3), "да");
    EXPECT_EQ(form->Grid->Cells(7, 3), "08.12.2026");
    // A paid row stays unmarked.
    PressSpace(form, 3);
    EXPECT_FALSE(form->IsMarked(3));
    EXPECT_EQ(form->labTotal->text(), Money("0.00"));
    PressSpace(form, 1);
    EXPECT_TRUE(form->IsMarked(1));
    EXPECT_EQ(form->labTotal->text(), Money("33.76"));
    // Marking all twice leaves the marks as they were.
    form->btnMarkAll_4_PaymentClick();
    EXPECT_FALSE(form->IsMarked(1));
    EXPECT_TRUE(form->IsMarked(2));
    EXPECT_EQ(form->labTotal->text(), Money("-3.52"));
    form->btnMarkAll_4_PaymentClick();
    EXPECT_TRUE(form->IsMarked(1));
    EXPECT_FALSE(form->IsMarked(2));
    EXPECT_FALSE(form->IsMarked(3));
    PressSpace(form, 2);
    EXPECT_EQ(form->labTotal->text(), Money("30.24"));

    // One of the two cannot be written: neither is paid, the list is loaded again.
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_pay BEFORE UPDATE ON Invoices WHEN NEW.Invoice_num = 6 "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    form->btnPayment->click();
    EXPECT_EQ(dialogs.Texts().last(), "Грешка при актуализиране на Invoices.");
    EXPECT_EQ(Rows("SELECT Invoice_num FROM Invoices WHERE Is_paid = True ORDER BY Invoice_num"), QStringList{"7"});
    EXPECT_FALSE(form->IsMarked(1));
    EXPECT_EQ(form->labTotal->text(), "");

    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(), "DROP TRIGGER refuse_pay", nullptr, nullptr, nullptr), SQLITE_OK);
    // Paid meanwhile on another workstation: nothing is paid again, its
    // date stays.
    PressSpace(form, 1);
    PressSpace(form, 2);
    Execute("UPDATE Invoices SET Is_paid = True, Paid_on = 46360 WHERE Invoice_num = 6");
    form->btnPayment->click();
    EXPECT_EQ(dialogs.Texts().last(), "Известие 0000000006 вече е платено или изтрито. Нищо не е платено. Описът се "
                                      "зарежда отново и показва документите, както са записани.");
    EXPECT_EQ(Rows("SELECT Invoice_num, Paid_on FROM Invoices WHERE Is_paid = True ORDER BY Invoice_num"),
              (QStringList{"6@04.12.2026", "7@08.12.2026"}));
    Execute("UPDATE Invoices SET Is_paid = False, Paid_on = 0 WHERE Invoice_num = 6");
    ASSERT_TRUE(form->Execute());
    PressSpace(form, 1);
    PressSpace(form, 2);
    form->btnPayment->click();
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    EXPECT_EQ(Rows("SELECT Invoice_num, Paid_on FROM Invoices WHERE Is_paid = True ORDER BY Invoice_num"),
              (QStringList{"5@" + today, "6@" + today, "7@08.12.2026"}));
    EXPECT_EQ(form->Grid->Cells(6, 1), "да");
    EXPECT_EQ(form->Grid->Cells(7, 1), today);
    EXPECT_FALSE(form->IsMarked(1));
}

TEST_F(DocumentListsGui, TheGoodsReceiptListFiltersByMinibusAndPaysReceipts)
{
    Execute("Insert into Busses values ( 3, \"Бус Бургас\" )");
    Execute("Update CustGroups Set c_bus = 3 Where code_c = 8");
    Execute("INSERT INTO Zaiavki Values ( 42, 46362, 12, 46363, 33.75, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavki Values ( 43, 46363, 21, 46364, 12.5, 0, 0, -1 )");
    Execute("INSERT INTO Zaiavki Values ( 44, 46363, 21, 46370, 7, 0, 0, 0 )");
    testsupport::ScopedDialogAnswers dialogs;
    auto *form = Open<TfrmStokovaRazpiska_Opis>("TfrmStokovaRazpiska_Opis");
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->Execute());
    ASSERT_EQ(form->Grid->RowCount(), 4);
    EXPECT_EQ(Line(form->Grid, 1), (QStringList{"0000000042", "06.12.2026", "12", "Магазин Център", "07.12.2026",
                                                "33.75", "не", "", "", "не", "7", "Пекарна Зора ЕООД"}));
    EXPECT_EQ(form->Grid->Cells(9, 2), "да");
    EXPECT_EQ(form->Grid->Cells(5, 3), "46.25");

    // A change of the minibus empties the grid until the list is loaded.
    form->code_bus->setText("3");
    EXPECT_EQ(form->Grid->RowCount(), 2);
    EXPECT_EQ(form->Grid->Cells(0, 1), "");
    EXPECT_EQ(form->GetSubTitle(), "за микробус 3 - Бус Бургас, от дата 07.12.2026 до дата 08.12.2026");
    ASSERT_TRUE(form->Execute());
    ASSERT_EQ(form->Grid->RowCount(), 3);
    EXPECT_EQ(form->Grid->Cells(0, 1), "0000000043");

    PressSpace(form, 1);
    EXPECT_EQ(form->labTotal->text(), Money("12.50"));
    form->btnPayment->click();
    EXPECT_EQ(Rows("SELECT Query_num FROM Zaiavki WHERE Is_paid = True"), QStringList{"43"});
    EXPECT_EQ(form->Grid->Cells(6, 1), "да");
    form->dtp_From->setDate(QDate(2026, 12, 1));
    EXPECT_EQ(form->Grid->Cells(0, 1), "");
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();

    // Marks are no saved work of a read window: F8 reads the list again, a
    // date (typed or set) or a minibus (typed or picked from its list)
    // empties the grid until F8, Esc closes the window; none of them asks,
    // and "Плащане" after them pays nothing. Each marks the first unpaid row.
    Execute("INSERT INTO Zaiavki Values ( 45, 46363, 21, 46365, 5, 0, 0, 0 )");
    form->code_bus->setText("");
    QPointer<TfrmStokovaRazpiska_Opis> list = form;
    const QStringList paid = Rows("SELECT Query_num FROM Zaiavki WHERE Is_paid = True");
    const std::vector<std::function<void()>> leaves = {
        [&] { form->actExecute->trigger(); },
        [&] {
            // Typed: a digit over the day makes the date 28.12.2026.
            QTest::keyClick(form->dtp_To, Qt::Key_Home);
            QTest::keyClick(form->dtp_To, Qt::Key_2);
        },
        [&] {
            form->code_bus->DropDown();
            TRichGrid *buses = form->code_bus->ListForm()->Grid();
            buses->SetRow(buses->FixedRows());
            QTest::keyClick(buses, Qt::Key_Return);
            EXPECT_EQ((QStringList{form->code_bus->text(), form->panelMicrobus->text()}),
                      (QStringList{"3", "Бус Бургас"}));
        },
        [&] { form->code_bus->setText(""); },
        [&] { form->dtp_From->setDate(QDate(2026, 11, 30)); },
        [&] { form->actExit->trigger(); }};
    for (const auto &leave : leaves) {
        ASSERT_TRUE(form->Execute());
        int row = 1;
        while (row + 1 < form->Grid->RowCount() && form->Grid->Cells(6, row) != "не")
            ++row;
        PressSpace(form, row);
        ASSERT_TRUE(form->IsMarked(row));
        const QString subtitle = form->GetSubTitle();
        leave();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (list.isNull())
            break;
        EXPECT_FALSE(form->IsMarked(row));
        EXPECT_EQ(form->Grid->Cells(0, 1).isEmpty(), form->GetSubTitle() != subtitle) << subtitle.toStdString();
        form->btnPayment->click();
        EXPECT_EQ(Rows("SELECT Query_num FROM Zaiavki WHERE Is_paid = True"), paid);
    }
    EXPECT_TRUE(list.isNull());
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(DocumentListsGui, TheLinesListShowsEveryLineAndOpensItsReceipt)
{
    Execute("INSERT INTO Zaiavki Values ( 42, 46362, 12, 46363, 33.75, -1, 46365, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 205, 2.5, 9.18, 0, 9.18, 22.95 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 101, 10, 1.2, -10, 1.08, 10.8 )");
    testsupport::ScopedDialogAnswers dialogs;
    auto *form = Open<TfrmStokovaRazpiska_Opis_Ext>("TfrmStokovaRazpiska_Opis_Ext");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Опис на стокови разписки по артикули");
    ASSERT_TRUE(form->Execute());
    ASSERT_EQ(form->Grid->RowCount(), 5);
    const QStringList first = Line(form->Grid, 2);
    EXPECT_EQ(first.mid(0, 10), (QStringList{"0000000042", "06.12.2026", "7", "Пекарна Зора ЕООД", "12",
                                            "Магазин Център", "07.12.2026", "да", "09.12.2026", "не"}));
    EXPECT_EQ(form->Grid->Cells(15, 4), "33.75");
    EXPECT_EQ(form->Grid->Cells(0, 4), "Общо:");
    form->Grid->SetRow(2);
    form->actEdit->trigger();
    TfrmStokovaRazpiska *receipt = OpenGoodsReceiptWindow();
    ASSERT_NE(receipt, nullptr);
    EXPECT_EQ(receipt->pnlDocNo->text(), "0000000042");
}

TEST_F(DocumentListsGui, TheDatesAreRememberedPerList)
{
    auto *form = Open<TfrmInvoice_Opis>("TfrmInvoice_Opis");
    form->dtp_From->setDate(QDate(2026, 11, 1));
    form->Close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto *again = qobject_cast<TfrmInvoice_Opis *>(
        OpenRegisteredForm("TfrmInvoice_Opis", TFormShowKind::MdiChild, TFormParams()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->dtp_From->date(), QDate(2026, 11, 1));
    EXPECT_EQ(again->dtp_To->date(), QDate(2026, 12, 8));
    auto *receipts = qobject_cast<TfrmStokovaRazpiska_Opis *>(
        OpenRegisteredForm("TfrmStokovaRazpiska_Opis", TFormShowKind::MdiChild, TFormParams()));
    ASSERT_NE(receipts, nullptr);
    EXPECT_EQ(receipts->dtp_From->date(), QDate::currentDate());
}
