// The goods receipt window against a real database: lines with discounts
// and markups computed by hand (half away from zero), validation messages,
// editing and deleting lines, numbering from the workstation's counter, the
// save's failure and retry, opened documents, printing, and two processes
// saving at once or killed while saving.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <sqlite3.h>

#include "GoodsReceiptFixture.h"
#include "SalesDocumentTestParts.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "documents/unStokovaRazpiska.h"
#include "framework/QuorendFormClasses.h"
#include "framework/unTextDocument.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class StokovaRazpiskaGui
    : public testsupport::SalesWindowTest<testsupport::GoodsReceiptTest, TfrmStokovaRazpiska>
{
protected:
    TfrmStokovaRazpiska *New()
    {
        EXPECT_TRUE(NewStokovaRazpiska());
        TfrmStokovaRazpiska *form = OpenGoodsReceiptWindow();
        EXPECT_NE(form, nullptr);
        return form;
    }

    // The window of stored receipt Number.
    TfrmStokovaRazpiska *Opened(long double Number)
    {
        EXPECT_TRUE(OpenStokovaRazpiska(Number));
        return OpenGoodsReceiptWindow();
    }

    // Every stored receipt, header and lines: what a save without a change
    // leaves as it is.
    QStringList StoredReceipts()
    {
        return Rows("SELECT * FROM Zaiavki ORDER BY Query_num") +
               Rows("SELECT * FROM Zaiavka_rows ORDER BY Query_num, izdelie");
    }

    // Customer 7 (price list 2) and its site 12.
    void ChooseCustomer(TfrmStokovaRazpiska *form)
    {
        form->leCustomer->setText("7");
        form->leObject->setText("12");
    }
};

void MakeLineFail(int Product)
{
    const QByteArray sql = "CREATE TRIGGER refuse_line BEFORE INSERT ON Zaiavka_rows WHEN NEW.izdelie = " +
                           QByteArray::number(Product) + " BEGIN SELECT RAISE(ABORT, 'line refused'); END";
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
}

} // namespace

TEST_F(StokovaRazpiskaGui, NewReceiptPricesDiscountsAndTotalsAsComputedByHand)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    // No counter row: the first number is 1, in ten digits.
    EXPECT_EQ(form->pnlDocNo->text(), "0000000001");
    EXPECT_EQ(form->windowTitle(), "Стокова разписка");
    EXPECT_EQ(form->pnlCaption->text(), "СТОКОВА РАЗПИСКА");
    EXPECT_EQ(form->panelDateOfDoc->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_EQ(form->dtpInvoiceNoDate->date(), QDate::currentDate().addDays(1));
    EXPECT_EQ(form->pcMain->currentWidget(), form->tabCustomer);
    EXPECT_FALSE(form->dtp_Paid_on->isEnabled());

    form->leCustomer->setText("7");
    // The customer's last site is taken, and its price list 2.
    EXPECT_EQ(form->leObject->text(), "13");
    EXPECT_EQ(form->PanelObject->text(), "Магазин Чайка");
    EXPECT_EQ(form->panelCustomer->text(), "Пекарна Зора ЕООД");
    EXPECT_EQ(form->PriceList(), 2);
    form->leObject->setText("12");

    form->leIzdelie->setText("101");
    EXPECT_EQ(form->labMeasure->text(), "бр.");
    EXPECT_EQ(form->edPrice->Value(), 1.1L);
    // 10 x 1.10 less 10 %: 0.99 a piece, 9.90.
    form->edAmount->SetText("10");
    form->cbDiscount->click();
    EXPECT_TRUE(form->edDiscountPerc->isEnabled());
    form->edDiscountPerc->SetText("10");
    EXPECT_EQ(form->edDiscountedPriceLeva->Text(), "0.9900");
    EXPECT_EQ(form->edValue->Text(), "9.90");
    form->actNew->trigger();
    EXPECT_EQ(GridLine(form, 2), (QStringList{"1", "101", "Хляб Добруджа 500 г", "бр.", "", "10.000", "1.1000",
                                              "-10.00", "0.9900", "9.90"}));
    EXPECT_EQ(form->edAmount->Value(), 0);
    form->cbDiscount->click();
    EXPECT_FALSE(form->edDiscountPerc->isEnabled());
    EXPECT_EQ(form->edDiscountPerc->Value(), 0);

    // 2.5 x 9.00 plus 5 %: 9.45 a piece, 23.625 -> 23.63 (half away from zero).
    AddLine(form, "205", "2.5", '+', "5");
    EXPECT_EQ(GridLine(form, 3), (QStringList{"2", "205", "Козунак със стафиди и орехи, голям, 800 г", "бр.", "",
                                              "2.500", "9.0000", "+5.00", "9.4500", "23.63"}));
    // 3 x 3.00 with 100 % off would keep the price while showing the
    // percent: the line is refused; 99.99 % is the most a line takes.
    AddLine(form, "307", "3", '-', "100");
    EXPECT_EQ(dialogs.Texts(), QStringList{" Процентът на ТО/ТН трябва да е от 0 до 99.99!\n\r"});
    EXPECT_EQ(form->GridGoods->RowCount(), 4);
    AddLine(form, "307", "3", '-', "99.99");
    EXPECT_EQ(GridLine(form, 4).mid(5), (QStringList{"3.000", "3.0000", "-99.99", "0.0003", "0.00"}));
    EXPECT_EQ(form->DocumentTotal(), 33.53L);
    EXPECT_EQ(form->labTotal->text(), "Общо:      33.53 лв.");
    main_->grab().save(testsupport::OutputPath("goods_receipt_window.png"));
    // The hidden store column stays hidden.
    EXPECT_EQ(form->GridGoods->ColWidths(4), 0);
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(dialogs.Shown().size(), 1u) << dialogs.Texts().join('|').toStdString();

    // F2: saved under number 1, the print question answered Cancel.
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    ASSERT_EQ(dialogs.Texts().mid(1), QStringList{"Желаете ли да отпечатате съставените документи?"});
    const QString today = QString::number(QDate(1899, 12, 30).daysTo(QDate::currentDate()));
    EXPECT_EQ(Rows("SELECT Query_num, obekt, Total_sum, Is_paid, Paid_on, Is_urgent FROM Zaiavki"),
              QStringList{"1@12@33.53@False@30.12.1899@False"});
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows ORDER BY izdelie"),
              (QStringList{"1@101@10@1.1@-10@0.99@9.9", "1@205@2.5@9@5@9.45@23.63", "1@307@3@3@-99.99@0.0003@0"}));
    EXPECT_EQ(Rows(QString("SELECT Value_nas FROM Nas WHERE n_nas = 1 AND IP_Address = \"%1\"").arg(Station)),
              QStringList{"0000000001"});
    // Ready for the next one: number 2, no lines, the customer kept.
    EXPECT_EQ(form->pnlDocNo->text(), "0000000002");
    EXPECT_EQ(form->GridGoods->RowCount(), 3);
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "");
    EXPECT_EQ(form->DocumentTotal(), 0);
    EXPECT_EQ(form->leCustomer->text(), "7");
    EXPECT_FALSE(form->Modified());
    EXPECT_NE(OpenGoodsReceiptWindow(), nullptr);
}

TEST_F(StokovaRazpiskaGui, LineAndSaveValidationCollectEveryMessage)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    form->pcMain->setCurrentWidget(form->tabGoods);
    form->actNew->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0], " Въведете артикул!\n\r Въведете количество!\n\r Въведете продажна цена!\n\r");
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "");

    ChooseCustomer(form);
    AddLine(form, "101", "1");
    AddLine(form, "101", "2");
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Texts()[1], "Вече имате заявка за продажба на артикул 101 !\n\r");
    EXPECT_EQ(form->GridGoods->RowCount(), 3);

    // A product without a unit row.
    Execute("Insert into Izdelia values ( 400, \"Без мярка\", 1, 1, 9, 1, 1, 1, 1, 1 )");
    form->LoadProductList();
    AddLine(form, "400", "1");
    // It is not on the list (no unit row), so it has no price either.
    EXPECT_EQ(dialogs.Texts()[2], "Липсва мерна единица. Изберете артикула отново. Въведете продажна цена!\n\r");

    form->GridGoods->SetRow(2);
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    form->leCustomer->clear();
    form->leObject->clear();
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts()[4], "Въведете клиент.\n\rВъведете обект.\n\rНе са въведени редове на документа.\n\r");
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavki").isEmpty());
}

TEST_F(StokovaRazpiskaGui, EditTakesTheLineOutAndDeleteAsksFirst)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    ChooseCustomer(form);
    AddLine(form, "101", "10", '-', "10");
    AddLine(form, "205", "2");
    form->GridGoods->SetRow(2);
    form->actEdit->trigger();
    EXPECT_TRUE(form->LineInEdit());
    EXPECT_EQ(form->leIzdelie->text(), "101");
    EXPECT_EQ(form->edAmount->Value(), 10);
    EXPECT_EQ(form->edPrice->Value(), 1.1L);
    EXPECT_TRUE(form->cbDiscount->isChecked());
    EXPECT_EQ(form->edDiscountPerc->Value(), 10);
    EXPECT_EQ(form->GridGoods->RowCount(), 3);
    EXPECT_EQ(form->GridGoods->Cells(0, 2), "1");
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "205");
    EXPECT_EQ(form->DocumentTotal(), 18);
    form->actEdit->trigger();
    ASSERT_EQ(dialogs.Texts(), QStringList{"Не можете да редактирате два реда едновремнно!"});
    // Put back with another quantity: no duplicate, since it left the grid.
    form->edAmount->SetText("20");
    form->actNew->trigger();
    EXPECT_FALSE(form->LineInEdit());
    EXPECT_EQ(GridLine(form, 3).mid(0, 2), (QStringList{"2", "101"}));
    EXPECT_EQ(form->GridGoods->Cells(9, 3), "19.80");
    EXPECT_EQ(form->DocumentTotal(), 37.8L);

    dialogs.Press(mbNo);
    form->GridGoods->SetRow(2);
    form->actDelete->trigger();
    EXPECT_EQ(form->GridGoods->RowCount(), 4);
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().mid(1), (QStringList{"Желаете ли да изтриете този ред ?", "Желаете ли да изтриете този ред ?"}));
    EXPECT_EQ(form->GridGoods->RowCount(), 3);
    EXPECT_EQ(GridLine(form, 2).mid(0, 2), (QStringList{"1", "101"}));
    EXPECT_EQ(form->DocumentTotal(), 19.8L);
}

TEST_F(StokovaRazpiskaGui, AFailedSaveKeepsTheWindowAndARetryWritesOnce)
{
    SetNas(NasGoodsReceiptCounter, "0000000041");
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    EXPECT_EQ(form->pnlDocNo->text(), "0000000042");
    ChooseCustomer(form);
    AddLine(form, "101", "1");
    AddLine(form, "205", "1");
    AddLine(form, "307", "1");
    MakeLineFail(307);
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Texts()[0], "Грешка при работа с базата данни !\n\rline refused\n\rINSERT INTO "
                                  "Zaiavka_rows Values ( 42.00, 307.00, 1.000, 3.0000, 0.00, 3.0000, 3.00 )");
    EXPECT_EQ(dialogs.Texts()[1], "Грешка при актуализиране на Zaiavka_rows на ред 3.");
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavki").isEmpty());
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavka_rows").isEmpty());
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas WHERE n_nas = 1"), QStringList{"0000000041"});
    EXPECT_EQ(form->pnlDocNo->text(), "0000000042");
    EXPECT_EQ(form->GridGoods->RowCount(), 5);
    EXPECT_TRUE(form->Modified());

    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(), "DROP TRIGGER refuse_line", nullptr, nullptr, nullptr), SQLITE_OK);
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Query_num, Count(*) FROM Zaiavka_rows GROUP BY Query_num"), QStringList{"42@3"});
    EXPECT_EQ(Rows("SELECT Query_num FROM Zaiavki"), QStringList{"42"});
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas WHERE n_nas = 1"), QStringList{"0000000042"});
}

TEST_F(StokovaRazpiskaGui, ANumberTakenMeanwhileGivesWayToTheNextAndNothingIsDeleted)
{
    Execute("INSERT INTO Zaiavki Values ( 1, 46363, 21, 46364, 5, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 1, 101, 5, 1, 0, 1, 5 )");
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    EXPECT_EQ(form->pnlDocNo->text(), "0000000002");   // the first free number, without a word
    ChooseCustomer(form);
    AddLine(form, "205", "1");
    // Taken by another workstation between the proposal and the save too:
    // the save takes the next free number and says so.
    form->CanSave();
    Execute("INSERT INTO Zaiavki Values ( 2, 46363, 21, 46364, 5, 0, 0, 0 )");
    dialogs.Press(mbOK);
    dialogs.Press(mbCancel);
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(dialogs.Texts(), (QStringList{"Документът е записан с номер 0000000003.",
                                            "Желаете ли да отпечатате съставените документи?"}));
    EXPECT_EQ(Rows("SELECT Query_num, obekt, Total_sum FROM Zaiavki ORDER BY Query_num"),
              (QStringList{"1@21@5", "2@21@5", "3@12@9"}));
    EXPECT_EQ(Rows("SELECT Query_num, izdelie FROM Zaiavka_rows ORDER BY Query_num"), (QStringList{"1@101", "3@205"}));
    // Another window of this workstation saved 4 meanwhile: the clerk hears which number was taken.
    SetNas(NasGoodsReceiptCounter, "0000000004");
    AddLine(form, "205", "1");
    dialogs.Press(mbOK).Press(mbCancel);
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(dialogs.Texts().value(2), "Документът е записан с номер 0000000005.");
}

TEST_F(StokovaRazpiskaGui, ACounterEditedByHandProposesTheNumberTheSaveStores)
{
    // Read as the save reads it: a fraction is cut off, another notation is no number (0).
    for (const auto &[counter, number] : std::vector<std::pair<QString, QString>>{{"12.5", "0000000013"}, {"1E3", "0000000001"}}) {
        SetNas(NasGoodsReceiptCounter, counter);
        testsupport::ScopedDialogAnswers dialogs;
        QPointer<TfrmStokovaRazpiska> form = New();
        EXPECT_EQ(form->pnlDocNo->text(), number);
        ChooseCustomer(form), AddLine(form, "205", "1"), dialogs.Press(mbCancel);
        ASSERT_TRUE(form->Save());
        // Without a word of another number: the counter holds the one stored.
        EXPECT_EQ(dialogs.Texts(), QStringList{"Желаете ли да отпечатате съставените документи?"});
        EXPECT_EQ(Rows("SELECT Value_nas FROM Nas WHERE n_nas = 1"), QStringList{number});
        form->close();
        QTRY_VERIFY(form.isNull());
    }
}

TEST_F(StokovaRazpiskaGui, AnOpenedReceiptIsLoadedRewrittenAndClosed)
{
    Execute("INSERT INTO Zaiavki Values ( 42, 46363, 12, 46364, 33.75, -1, 46370, -1 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 205, 2.5, 9.18, 0, 9.18, 22.95 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 101, 10, 1.2, -10, 1.08, 10.8 )");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(OpenStokovaRazpiska(42));
    TfrmStokovaRazpiska *form = OpenGoodsReceiptWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->IsNew);
    EXPECT_EQ(form->pnlDocNo->text(), "0000000042");
    EXPECT_EQ(form->panelDateOfDoc->text(), "07.12.2026");
    EXPECT_EQ(form->leCustomer->text(), "7");
    EXPECT_EQ(form->leObject->text(), "12");
    EXPECT_EQ(form->dtpInvoiceNoDate->date(), QDate(2026, 12, 8));
    EXPECT_TRUE(form->cb_Is_paid->isChecked());
    EXPECT_TRUE(form->dtp_Paid_on->isEnabled());
    EXPECT_EQ(form->dtp_Paid_on->date(), QDate(2026, 12, 14));
    EXPECT_TRUE(form->cb_Is_Urgent->isChecked());
    EXPECT_EQ(GridLine(form, 2), (QStringList{"1", "101", "Хляб Добруджа 500 г", "бр.", "", "10", "1.2", "-10", "1.08",
                                              "10.8"}));
    EXPECT_EQ(form->GridGoods->Cells(1, 3), "205");
    EXPECT_EQ(form->DocumentTotal(), 33.75L);
    EXPECT_FALSE(form->Modified());

    // A second window is refused while this one is open.
    EXPECT_FALSE(NewStokovaRazpiska());
    EXPECT_FALSE(OpenStokovaRazpiska(7));
    EXPECT_EQ(dialogs.Texts(), (QStringList{LoadResString(rsOneNewDocumentOnly), LoadResString(rsOneNewDocumentOnly)}));

    form->GridGoods->SetRow(3);
    form->pcMain->setCurrentWidget(form->tabGoods);
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    dialogs.Press(mbCancel);
    QPointer<TfrmStokovaRazpiska> alive(form);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum, Is_paid, Paid_on FROM Zaiavki"),
              QStringList{"42@10.8@True@14.12.2026"});
    EXPECT_EQ(Rows("SELECT izdelie FROM Zaiavka_rows"), QStringList{"101"});
    // The counter is not touched by an opened document.
    EXPECT_TRUE(Rows("SELECT * FROM Nas WHERE n_nas = 1").isEmpty());
    QTRY_VERIFY(alive.isNull());
    EXPECT_EQ(OpenGoodsReceiptWindow(), nullptr);
}

TEST_F(StokovaRazpiskaGui, PrintSavesFirstThenPrintsTheSavedNumber)
{
    SetNas(NasPrintPhone, "1");
    SetNas(NasGoodsReceiptCounter, "41");
    SetDocumentPrintMomentForTests([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)); });
    testsupport::RawPrinterFile prn;
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    ChooseCustomer(form);
    AddLine(form, "205", "2.5");
    AddLine(form, "101", "10", '-', "10");
    form->actPrint->trigger();
    SetDocumentPrintMomentForTests(nullptr);
    // No print question: printing was asked for.
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki"), QStringList{"42@32.4"});
    const QStringList lines = prn.Lines();
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[1].trimmed(), "N: 0000000042 / " + QDate::currentDate().toString("dd.MM.yyyy") + " за дата " +
                                      QDate::currentDate().addDays(1).toString("dd.MM.yyyy"));
    EXPECT_EQ(lines[9], "   1 Хляб Добруджа 500 г              бр.         10.000     0.9900       9.90");
    EXPECT_EQ(lines[10], "   2 Козунак със стафиди и орехи, голябр.          2.500     9.0000      22.50");
    EXPECT_EQ(lines[12], " Общо:" + QString(67, ' ') + "32.40");
    EXPECT_EQ(form->pnlDocNo->text(), "0000000043");
}

TEST_F(StokovaRazpiskaGui, TheMenuEntryOpensTheWindow)
{
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(IsFormEntryRegistered("NewStokovaRazpiska"));
    ASSERT_TRUE(RunRegisteredEntry("NewStokovaRazpiska", TFormParams()));
    TfrmStokovaRazpiska *form = OpenGoodsReceiptWindow();
    ASSERT_NE(form, nullptr);
    ASSERT_NE(form->SubWindow(), nullptr);
    EXPECT_TRUE(form->SubWindow()->isMaximized());
    EXPECT_EQ(form->objectName(), "frmStokovaRazpiska");
    // The choices come back in the next window.
    ChooseCustomer(form);
    form->leGroup->setText("2");
    form->leSubGroup->setText("2");
    form->leIzdelie->setText("205");
    form->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QString value;
    GetRegistrySetting("frmStokovaRazpiska_leCustomer_Text", value);
    EXPECT_EQ(value, "7");
    ASSERT_TRUE(NewStokovaRazpiska());
    form = OpenGoodsReceiptWindow();
    EXPECT_EQ(form->leCustomer->text(), "7");
    EXPECT_EQ(form->leGroup->text(), "2");
    EXPECT_EQ(form->leIzdelie->text(), "205");
    EXPECT_EQ(form->edPrice->Value(), 9);
}

TEST_F(StokovaRazpiskaGui, PickersHoldTheCustomersSitesAndPricedProducts)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    form->leCustomer->setText("7");
    TListForm *sites = form->leObject->Form();
    ASSERT_NE(sites, nullptr);
    EXPECT_EQ(sites->Grid()->Cells(0, 0), "Шифър");
    EXPECT_EQ(sites->Grid()->Cells(1, 0), "Наименование");
    ASSERT_EQ(sites->Grid()->RowCount(), 3);
    EXPECT_EQ(sites->Grid()->Cells(0, 1), "12");
    EXPECT_EQ(sites->Grid()->Cells(0, 2), "13");

    // Products of price list 2, by name; the price column formatted.
    TListForm *products = form->leIzdelie->Form();
    ASSERT_NE(products, nullptr);
    EXPECT_EQ(products->Grid()->Cells(2, 0), "Мярка");
    EXPECT_EQ(products->Grid()->Cells(3, 0), "Цена");
    ASSERT_EQ(products->Grid()->RowCount(), 4);
    EXPECT_EQ(products->Grid()->Cells(0, 1), "205");
    EXPECT_EQ(products->Grid()->Cells(3, 1), "9");
    QString shown;
    products->Grid()->GetDisplayText(3, 1, shown);
    EXPECT_EQ(shown, "9.0000");
    EXPECT_EQ(products->Grid()->Cells(0, 3), "101");

    // A group and subgroup narrow the list.
    form->leGroup->setText("2");
    form->leSubGroup->setText("2");
    EXPECT_EQ(form->panelGroup->text(), "Сладки");
    ASSERT_EQ(products->Grid()->RowCount(), 2);
    EXPECT_EQ(products->Grid()->Cells(0, 1), "205");
    // The picked product's name shows in its panel.
    form->leIzdelie->setText("205");
    EXPECT_EQ(form->panel_Izdelie->text(), "Козунак със стафиди и орехи, голям, 800 г");
    EXPECT_EQ(form->labMeasure->text(), "бр.");
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(StokovaRazpiskaGui, APrinterThatFailsLeavesTheReceiptSaved)
{
    QTemporaryDir empty;
    testsupport::ScopedEnvironment prn("TOLVEX_PRN", "");
    testsupport::ScopedEnvironment path("PATH", empty.path().toLocal8Bit());
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    ChooseCustomer(form);
    AddLine(form, "101", "3");
    form->actPrint->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_TRUE(dialogs.Texts()[0].contains("принтер")) << dialogs.Texts()[0].toStdString();
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki"), QStringList{"1@3.3"});
    EXPECT_EQ(Rows("SELECT izdelie, Value_of_row FROM Zaiavka_rows"), QStringList{"101@3.3"});
    EXPECT_EQ(form->pnlDocNo->text(), "0000000002");
}

TEST_F(StokovaRazpiskaGui, AStoredMarkupLineIsKeptWhenResavedOrWhenAnotherLineIsDeleted)
{
    // Receipt 42 to site 12: 2.297 x 9.20 with a markup of 2.5 % (9.43,
    // 21.66) and 10 x 1.10 less 10 % (0.99, 9.90); the markup stored as a
    // plain positive percent.
    Execute("INSERT INTO Zaiavki Values ( 42, 46363, 12, 46364, 31.56, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 205, 2.297, 9.2, 2.5, 9.43, 21.66 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 101, 10, 1.1, -10, 0.99, 9.9 )");
    const QStringList stored = StoredReceipts();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = Opened(42);
    ASSERT_NE(form, nullptr);
    // The markup shows its kind, as a typed one does.
    EXPECT_EQ(GridLine(form, 3).mid(5), (QStringList{"2.297", "9.2", "+2.5", "9.43", "21.66"}));
    QPointer<TfrmStokovaRazpiska> alive(form);
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(StoredReceipts(), stored);
    EXPECT_EQ(Rows("SELECT Total_sum FROM Zaiavki"), QStringList{"31.56"});
    QTRY_VERIFY(alive.isNull());

    // Deleting the other line leaves the markup line as it was stored.
    form = Opened(42);
    ASSERT_NE(form, nullptr);
    form->pcMain->setCurrentWidget(form->tabGoods);
    form->GridGoods->SetRow(2);
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows"), QStringList{"42@205@2.297@9.2@2.5@9.43@21.66"});
    EXPECT_EQ(Rows("SELECT Total_sum FROM Zaiavki"), QStringList{"21.66"});
}

TEST_F(StokovaRazpiskaGui, ACustomerOrSiteNotInItsListIsRefused)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    ChooseCustomer(form);
    AddLine(form, "101", "1");
    // 21 is a site of another customer; 0 is the reserved empty site.
    for (const char *site : {"0", "-1", "99", "abc", "21", " "}) {
        form->leObject->setText(site);
        EXPECT_FALSE(form->Save()) << site;
        EXPECT_EQ(dialogs.Texts().last(), "Въведете обект.\n\r") << site;
    }
    for (const char *customer : {"abc", "0", "99"}) {
        form->leCustomer->setText(customer);
        EXPECT_FALSE(form->Save()) << customer;
        EXPECT_EQ(dialogs.Texts().last(), "Въведете клиент.\n\rВъведете обект.\n\r") << customer;
    }
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavki").isEmpty());
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavka_rows").isEmpty());
    // A code typed with a leading zero is the listed one.
    ChooseCustomer(form);
    form->leObject->setText("012");
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Query_num, obekt FROM Zaiavki"), QStringList{"1@12"});
}

TEST_F(StokovaRazpiskaGui, AClickOnALinesNameMakesF3TakeThatLine)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = New();
    ChooseCustomer(form);
    AddLine(form, "101", "1");
    AddLine(form, "205", "2");
    ASSERT_EQ(form->GridGoods->Row(), 3);
    QCoreApplication::processEvents();
    // The name is a fixed column: the click still chooses its line.
    const QRect name = form->GridGoods->CellRect(2, 2);
    ASSERT_FALSE(name.isEmpty());
    QTest::mouseClick(form->GridGoods->viewport(), Qt::LeftButton, {}, name.center());
    form->actEdit->trigger();
    EXPECT_EQ(form->leIzdelie->text(), "101");
    EXPECT_EQ(form->edAmount->Value(), 1);
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "205");
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(StokovaRazpiskaGui, AStoredLinePutBackUnchangedKeepsTheValueItWasStoredWith)
{
    // Stored by another rule: 2.5 x 9.18 = 22.95 cut to 22.94.
    Execute("INSERT INTO Zaiavki Values ( 42, 46363, 12, 46364, 22.94, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 205, 2.5, 9.18, 0, 9.18, 22.94 )");
    const QStringList stored = StoredReceipts();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = Opened(42);
    ASSERT_NE(form, nullptr);
    form->pcMain->setCurrentWidget(form->tabGoods);
    form->GridGoods->SetRow(2);
    form->actEdit->trigger();
    ASSERT_TRUE(form->LineInEdit());
    form->actNew->trigger();
    // The line shows what is stored, and the save writes it so.
    EXPECT_EQ(GridLine(form, 2).mid(5), (QStringList{"2.5", "9.18", "0", "9.18", "22.94"}));
    EXPECT_EQ(form->DocumentTotal(), 22.94L);
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(StoredReceipts(), stored);
    EXPECT_EQ(Rows("SELECT Total_sum FROM Zaiavki"), QStringList{"22.94"});
    EXPECT_TRUE(dialogs.Pending() == 0);
}

TEST_F(StokovaRazpiskaGui, AReceiptSavedUnchangedKeepsTheTotalItWasStoredWith)
{
    // The lines come to 33.75; the total was stored as 33.76.
    Execute("INSERT INTO Zaiavki Values ( 42, 46363, 12, 46364, 33.76, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 205, 2.5, 9.18, 0, 9.18, 22.95 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 101, 10, 1.2, -10, 1.08, 10.8 )");
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = Opened(42);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->labTotal->text(), "Общо:      33.76 лв.");
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Total_sum FROM Zaiavki"), QStringList{"33.76"});
    QTRY_VERIFY(OpenGoodsReceiptWindow() == nullptr);

    // Without one of its lines it is summed again.
    form = Opened(42);
    ASSERT_NE(form, nullptr);
    form->pcMain->setCurrentWidget(form->tabGoods);
    form->GridGoods->SetRow(2);
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    EXPECT_EQ(form->labTotal->text(), "Общо:      22.95 лв.");
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Total_sum FROM Zaiavki"), QStringList{"22.95"});
}

TEST_F(StokovaRazpiskaGui, AReceiptPaidWithoutADateIsResavedWithoutOne)
{
    Execute("INSERT INTO Zaiavki Values ( 42, 46363, 12, 46364, 10.8, -1, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 42, 101, 10, 1.2, -10, 1.08, 10.8 )");
    const QStringList stored = StoredReceipts();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmStokovaRazpiska *form = Opened(42);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->cb_Is_paid->isChecked());
    EXPECT_EQ(form->dtp_Paid_on->date(), QDate(1899, 12, 30));
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(StoredReceipts(), stored);
}
