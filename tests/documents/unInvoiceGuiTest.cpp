// The invoice window against a real database: prices without VAT, lines,
// totals with the VAT computed by hand, validation messages, numbering from
// the workstation's counter inside the shared save, a failed save and its
// retry, notices typed in the grid with their differences, opened
// documents.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QTabWidget>
#include <QTest>
#include <sqlite3.h>

#include "InvoiceFixture.h"
#include "SalesDocumentTestParts.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "documents/unInvoice.h"
#include "framework/QuorendFormClasses.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class InvoiceGui : public testsupport::SalesWindowTest<testsupport::InvoiceTest, TfrmInvoice>
{
protected:
    void SetUp() override
    {
        SalesWindowTest::SetUp();
        // Customer 7 buys at price list 3; its prices hold 20 % VAT.
        Execute("Update CustGroups Set Pref_code = 3 Where code_c = 7");
        Execute("Update Izdelia Set price_3 = 1.2 Where code_izd = 101");
    }

    TfrmInvoice *New(unsigned char Mode)
    {
        EXPECT_TRUE(NewInvoice(Mode));
        TfrmInvoice *form = OpenInvoiceWindow();
        EXPECT_NE(form, nullptr);
        return form;
    }

    // The window of stored document Number in Mode.
    TfrmInvoice *Opened(unsigned char Mode, long double Number)
    {
        EXPECT_TRUE(OpenInvoice(Mode, Number));
        return OpenInvoiceWindow();
    }

    // Every stored invoice and notice, header and lines: what a save
    // without a change leaves as it is.
    QStringList StoredInvoices()
    {
        return Rows("SELECT * FROM Invoices ORDER BY Invoice_num") +
               Rows("SELECT * FROM Invoices_rows ORDER BY Invoice_num, izdelie");
    }

    // Customer 7, site 12, paid by bank, the given kind.
    void Header(TfrmInvoice *form, const QString &kind)
    {
        form->leCustomer->setText("7");
        form->leObject->setText("12");
        form->leType_of_payment->setText("2");
        form->leDocType->setText(kind);
    }

    // Types Text into a cell of the grid as the operator does.
    void TypeInCell(TfrmInvoice *form, int col, int row, const QString &text)
    {
        TRichGrid *grid = form->GridGoods;
        form->pcMain->setCurrentWidget(form->tabGoods);
        if (grid->EditorMode())
            grid->SetEditorMode(false);
        grid->setFocus();
        grid->SetCol(col);
        grid->SetRow(row);
        form->GridGoodsClick();
        for (QChar c : text)
            QTest::keyClick(grid->EditorMode() && grid->InplaceEditor() ? static_cast<QWidget *>(grid->InplaceEditor())
                                                                         : static_cast<QWidget *>(grid),
                            c.toLatin1());
    }
};

} // namespace

TEST_F(InvoiceGui, NewInvoiceTakesPricesWithoutVatAndComputesTheVatOfTheTotal)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    // No counter row: number 1.
    EXPECT_EQ(form->pnlDocNo->text(), "0000000001");
    EXPECT_EQ(form->windowTitle(), "Фактура");
    EXPECT_EQ(form->pnlCaption->text(), "ФАКТУРА");
    EXPECT_EQ(form->VatRate(), 0.2L);
    EXPECT_FALSE(form->edInvoiceNo->isVisible());
    Header(form, "1");
    EXPECT_EQ(form->PriceList(), 3);
    EXPECT_EQ(form->panelDocType->text(), "Фактура");

    // A stored 1.20 with VAT is 1.0000 without.
    form->leIzdelie->setText("101");
    EXPECT_EQ(form->edPrice->Text(), "1.0000");
    // 10 loaves less 10 %: 0.90 each, 9.00.
    AddLine(form, "101", "10", '-', "10");
    EXPECT_EQ(GridLine(form, 2), (QStringList{"1", "101", "Хляб Добруджа 500 г", "бр.", "", "10.000", "1.0000",
                                              "-10.00", "0.9000", "9.00"}));
    // 8.80 / 1.2 = 7.3333; 2.5 of them 18.33325 -> 18.33.
    AddLine(form, "205", "2.5");
    EXPECT_EQ(GridLine(form, 3, 5), (QStringList{"2.500", "7.3333", "", "7.3333", "18.33"}));
    // Net 27.33, VAT 5.466 -> 5.47, in all 32.80.
    EXPECT_EQ(form->TotalWithoutVat(), 27.33L);
    EXPECT_EQ(form->VatAmount(), 5.47L);
    EXPECT_EQ(form->labTotal->text(), "Общо с ДДС:      32.80 лв.");
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();

    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Желаете ли да отпечатате съставените документи?"});
    EXPECT_EQ(Rows("SELECT Invoice_num, obekt, Total_sum, VAT, Is_paid, code_payment, code_FVD, by_invoice, "
                   "VAT_Percent FROM Invoices"),
              QStringList{"1@12@27.33@5.47@False@2@1@0@0.2"});
    EXPECT_EQ(Rows("SELECT * FROM Invoices_rows ORDER BY izdelie"),
              (QStringList{"1@101@10@1@-10@0.9@9", "1@205@2.5@7.3333@0@7.3333@18.33"}));
    // The counter row was missing: the save inserted it.
    EXPECT_EQ(Rows(QString("SELECT Value_nas FROM Nas WHERE n_nas = 2 AND IP_Address = \"%1\"").arg(Station)),
              QStringList{"0000000001"});
    EXPECT_EQ(form->pnlDocNo->text(), "0000000002");
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "");
    EXPECT_EQ(form->TotalWithoutVat(), 0);
    EXPECT_EQ(form->leCustomer->text(), "7");
    EXPECT_NE(OpenInvoiceWindow(), nullptr);
    // One window at a time.
    EXPECT_FALSE(NewInvoice(1));
    EXPECT_EQ(dialogs.Texts().last(),
              "Има вече започнат нов документ.\rНе можете да издавате повече от един документ едновременно!");
}

TEST_F(InvoiceGui, LineAndSaveChecksCollectTheirMessages)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    form->leCustomer->setText("7");
    form->pcMain->setCurrentWidget(form->tabGoods);
    form->leIzdelie->setText("101");
    form->edPrice->SetValue(0);
    form->actNew->trigger();
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(dialogs.Texts()[0], " Въведете количество!\n\r Въведете продажна цена!\n\r");
    AddLine(form, "101", "2");
    AddLine(form, "101", "3");
    EXPECT_EQ(dialogs.Texts().last(), "Вече имате заявка за продажба на артикул 101 !\n\r");
    EXPECT_EQ(form->GridGoods->RowCount(), 3);

    // A percent of 100 or more leaves the price while "TO" is checked.
    form->leIzdelie->setText("205");
    form->edAmount->SetText("1");
    form->cbDiscount->click();
    form->edDiscountPerc->SetText("100");
    EXPECT_EQ(form->edDiscountedPriceLeva->Text(), "7.3333");
    form->cbDiscount->click();

    // No payment, no kind: both said at once.
    form->leType_of_payment->clear();
    form->leDocType->clear();
    qsizetype mark = dialogs.Texts().size();
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(dialogs.Texts().mid(mark).size(), 1);
    EXPECT_EQ(dialogs.Texts().mid(mark)[0], "Изберете начин на плащане!\n\rИзберете вид на документа.\n\r");
    EXPECT_TRUE(Rows("SELECT * FROM Invoices").isEmpty());
}

TEST_F(InvoiceGui, ANumberTakenMeanwhileGivesWayToTheNextAndTheStoredDocumentStays)
{
    StoreInvoice5();
    SetNas(NasInvoiceCounter, "0000000004");
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    EXPECT_EQ(form->pnlDocNo->text(), "0000000006");   // the first free number, without a word
    Header(form, "1");
    AddLine(form, "101", "1");
    Execute("INSERT INTO Invoices Values ( 6, 46370, 21, 10, 2, 0, 0, 1, 4, 0, 0.2 )");
    dialogs.Press(mbOK);
    dialogs.Press(mbCancel);
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(dialogs.Texts(), (QStringList{"Документът е записан с номер 0000000007.",
                                            "Желаете ли да отпечатате съставените документи?"}));
    EXPECT_EQ(Rows("SELECT Invoice_num FROM Invoices ORDER BY Invoice_num"), (QStringList{"5", "6", "7"}));
    EXPECT_EQ(Rows("SELECT Invoice_num, count(*) FROM Invoices_rows GROUP BY Invoice_num"), (QStringList{"5@2", "7@1"}));
    EXPECT_EQ(form->pnlDocNo->text(), "0000000008");
}

TEST_F(InvoiceGui, AFailedSaveWritesNothingAndARetryWritesOnce)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    Header(form, "4");
    AddLine(form, "101", "10");
    AddLine(form, "205", "1");
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_line BEFORE INSERT ON Invoices_rows WHEN NEW.izdelie = 205 "
                           "BEGIN SELECT RAISE(ABORT, 'line refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().last(), "Грешка при актуализиране на Invoices_rows на ред 2.");
    EXPECT_TRUE(Rows("SELECT * FROM Invoices").isEmpty());
    EXPECT_TRUE(Rows("SELECT * FROM Invoices_rows").isEmpty());
    EXPECT_TRUE(Rows("SELECT * FROM Nas WHERE n_nas = 2").isEmpty());
    EXPECT_TRUE(form->Modified());

    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(), "DROP TRIGGER refuse_line", nullptr, nullptr, nullptr), SQLITE_OK);
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Invoice_num, Total_sum, VAT, code_FVD FROM Invoices"), QStringList{"1@17.33@3.47@4"});
    EXPECT_EQ(Rows("SELECT Invoice_num, izdelie FROM Invoices_rows ORDER BY izdelie"),
              (QStringList{"1@101", "1@205"}));
}

TEST_F(InvoiceGui, ACreditNoticeIsTypedInTheGridAndStoresOnlyItsDifferences)
{
    StoreInvoice5();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(1);
    EXPECT_EQ(form->windowTitle(), "Известие");
    EXPECT_TRUE(form->edInvoiceNo->isVisible());
    EXPECT_FALSE(form->actNew->isEnabled());
    Header(form, "3");
    form->edInvoiceNo->setText("0000000005");
    form->edInvoiceNoFormOk();
    ASSERT_EQ(form->GridGoods->RowCount(), 8);
    EXPECT_EQ(GridLine(form, 2), (QStringList{"1", "101", "Хляб Добруджа 500 г", "бр.", "", "10", "1", "-10", "0.9",
                                              "9"}));
    EXPECT_EQ(GridLine(form, 3, 0).mid(0, 3), (QStringList{"Ново:", "101", "Хляб Добруджа 500 г"}));
    EXPECT_EQ(form->GridGoods->Cells(0, 4), "Разлика:");
    EXPECT_EQ(form->GridGoods->Cells(0, 5), "2");

    // The difference follows the text after each key, never one behind.
    TypeInCell(form, 5, 3, "8");
    EXPECT_EQ(form->GridGoods->Cells(5, 3), "8");
    EXPECT_EQ(form->GridGoods->Cells(5, 4), "-2.000");
    // A letter is dropped.
    QTest::keyClick(form->GridGoods->InplaceEditor(), 'x');
    EXPECT_EQ(form->GridGoods->Cells(5, 3), "8");
    TypeInCell(form, 8, 3, "0.9");
    EXPECT_EQ(form->GridGoods->Cells(9, 3), "7.20");
    EXPECT_EQ(GridLine(form, 4, 5), (QStringList{"-2.000", "", "", "0.9000", "-1.80"}));
    // The cakes: 2.5 for 18.00 instead of 19.13.
    TypeInCell(form, 5, 6, "2.5");
    TypeInCell(form, 9, 6, "18");
    EXPECT_EQ(form->GridGoods->Cells(8, 6), "7.2000");
    EXPECT_EQ(GridLine(form, 7, 5), (QStringList{"0.000", "", "", "0.0000", "-1.13"}));
    // The unit column is never editable.
    form->GridGoods->SetCol(6);
    form->GridGoods->SetRow(3);
    form->GridGoodsClick();
    EXPECT_FALSE(form->GridGoods->Options().Contains(goEditing));
    // Net -2.93, VAT -0.586 -> -0.59.
    EXPECT_EQ(form->TotalWithoutVat(), -2.93L);
    EXPECT_EQ(form->VatAmount(), -0.59L);

    // A debit notice may not be negative.
    form->leDocType->setText("2");
    form->edInvoiceNo->setText("0000000005");
    qsizetype mark = dialogs.Texts().size();
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().mid(mark), QStringList{"Общата сума на документа трябва да е положително число!\n\r"});
    form->leDocType->setText("3");
    form->edInvoiceNo->setText("0000000005");
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save()) << dialogs.Texts().mid(mark).join('|').toStdString();
    EXPECT_EQ(Rows("SELECT Invoice_num, Total_sum, VAT, code_FVD, by_invoice FROM Invoices WHERE Invoice_num = 1"),
              QStringList{"1@-2.93@-0.59@3@5"});
    EXPECT_EQ(Rows("SELECT * FROM Invoices_rows WHERE Invoice_num = 1 ORDER BY izdelie"),
              (QStringList{"1@101@-2@0.9@0@0.9@-1.8", "1@205@0@0@0@0@-1.13"}));
}

TEST_F(InvoiceGui, ACreditNoticeWithAPositiveTotalAndANoticeOfNoDifferenceAreRefused)
{
    StoreInvoice5();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(1);
    Header(form, "3");
    form->edInvoiceNo->setText("0000000005");
    form->edInvoiceNoFormOk();
    qsizetype mark = dialogs.Texts().size();
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().mid(mark), QStringList{"Не можете да запишете документ с нулева стойност.\n\r"});
    TypeInCell(form, 5, 3, "12");
    TypeInCell(form, 8, 3, "0.9");
    EXPECT_EQ(form->GridGoods->Cells(9, 4), "1.80");
    mark = dialogs.Texts().size();
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().mid(mark), QStringList{"Общата сума на документа трябва да е отрицателно число число!\n\r"});
    EXPECT_EQ(Rows("SELECT count(*) FROM Invoices"), QStringList{"1"});
}

TEST_F(InvoiceGui, AnOpenedInvoiceAndAnOpenedNoticeShowTheirLines)
{
    StoreInvoice5();
    StoreNotice6();
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(OpenInvoice(1, 6));
    TfrmInvoice *form = OpenInvoiceWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->pnlDocNo->text(), "0000000006");
    EXPECT_EQ(form->panelDateOfDoc->text(), "08.12.2026");
    EXPECT_EQ(form->leCustomer->text(), "7");
    EXPECT_EQ(form->leDocType->text(), "3");
    EXPECT_EQ(form->edInvoiceNo->text(), "0000000005");
    EXPECT_EQ(form->ByInvoice(), "5");
    ASSERT_EQ(form->GridGoods->RowCount(), 8);
    EXPECT_EQ(GridLine(form, 3, 5), (QStringList{"8.000", "", "", "0.9000", "7.20"}));
    EXPECT_EQ(GridLine(form, 4, 5), (QStringList{"-2.000", "", "", "0.9000", "-1.80"}));
    EXPECT_EQ(GridLine(form, 6, 5), (QStringList{"2.500", "", "", "7.2000", "18.00"}));
    EXPECT_EQ(GridLine(form, 7, 5), (QStringList{"0.000", "", "", "0.0000", "-1.13"}));
    EXPECT_EQ(form->TotalWithoutVat(), -2.93L);
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    // Saved again, it replaces its rows and the window closes.
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(OpenInvoiceWindow(), nullptr);
    EXPECT_EQ(Rows("SELECT * FROM Invoices_rows WHERE Invoice_num = 6 ORDER BY izdelie"),
              (QStringList{"6@101@-2@0.9@0@0.9@-1.8", "6@205@0@0@0@0@-1.13"}));
    EXPECT_EQ(Rows("SELECT Invoice_num FROM Invoices ORDER BY Invoice_num"), (QStringList{"5", "6"}));

    ASSERT_TRUE(OpenInvoice(0, 5));
    form = OpenInvoiceWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GridGoods->RowCount(), 4);
    EXPECT_EQ(form->TotalWithoutVat(), 28.13L);
    EXPECT_EQ(form->VatAmount(), 5.63L);
    EXPECT_EQ(form->leType_of_payment->text(), "2");
}

TEST_F(InvoiceGui, TheMenuEntriesOpenAnInvoiceAndANotice)
{
    testsupport::ScopedDialogAnswers dialogs;
    TFormParams params;
    params.Mode = 1;
    ASSERT_TRUE(RunRegisteredEntry("NewInvoice", params));
    TfrmInvoice *form = OpenInvoiceWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Mode, 1);
    EXPECT_EQ(form->pnlCaption->text(), "ИЗВЕСТИЕ");
}

TEST_F(InvoiceGui, PrintSavesFirstWithoutTheQuestionThenPrintsTheSavedInvoice)
{
    SetNas(NasInvoiceCounter, "0000000004");
    testsupport::RawPrinterFile prn;
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    Header(form, "1");
    // 10 loaves at 1.00 less 10 % and 2.5 cakes at 7.3333: 9.00 + 18.33.
    AddLine(form, "101", "10", '-', "10");
    AddLine(form, "205", "2.5");
    form->actPrint->trigger();
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(Rows("SELECT Invoice_num, Total_sum, VAT FROM Invoices"), QStringList{"5@27.33@5.47"});
    const QStringList lines = prn.Lines();
    ASSERT_GT(lines.size(), 28);
    EXPECT_EQ(lines[0].trimmed(), "ФАКТУРА - ОРИГИНАЛ");
    EXPECT_EQ(lines[1].trimmed(), "N: 0000000005 / " + QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_TRUE(lines.contains(" Обща стойност:" + QString(58, ' ') + "32.80"));
    EXPECT_TRUE(lines.contains(" Словом: тридесет и два лева и осемдесет стотинки"));
    EXPECT_EQ(form->pnlDocNo->text(), "0000000006");
}

TEST_F(InvoiceGui, WithoutAVatRateTheWindowSaysSoOnceAndComputesNoVat)
{
    Execute("Delete * From VA Where code_VA = 9");
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Не е зададен процент за ДДС."});
    Header(form, "1");
    form->pcMain->setCurrentWidget(form->tabGoods);
    form->leIzdelie->setText("101");
    // With no rate the stored price is the price.
    EXPECT_EQ(form->edPrice->Text(), "1.2000");
    AddLine(form, "101", "3");
    EXPECT_EQ(form->TotalWithoutVat(), 3.6L);
    EXPECT_EQ(form->VatAmount(), 0);
    EXPECT_EQ(dialogs.Texts().size(), 1);
}

TEST_F(InvoiceGui, F3TakesALineBackAndF5DeletesOneAfterAsking)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    Header(form, "1");
    AddLine(form, "101", "10", '+', "5");
    AddLine(form, "205", "2.5");
    form->GridGoods->SetRow(2);
    form->actEdit->trigger();
    EXPECT_TRUE(form->LineInEdit());
    EXPECT_EQ(form->leIzdelie->text(), "101");
    EXPECT_EQ(form->edAmount->Text(), "10.000");
    EXPECT_TRUE(form->cbOverValue->isChecked());
    EXPECT_EQ(form->edDiscountPerc->Text(), "5.00");
    EXPECT_EQ(form->edDiscountedPriceLeva->Text(), "1.0500");
    ASSERT_EQ(form->GridGoods->RowCount(), 3);
    EXPECT_EQ(form->GridGoods->Cells(0, 2), "1");
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "205");
    // A second line cannot be taken out while one is in the editors.
    form->actEdit->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Не можете да редактирате два реда едновремнно!");
    form->actNew->trigger();
    EXPECT_FALSE(form->LineInEdit());
    EXPECT_EQ(form->GridGoods->Cells(9, 3), "10.50");

    // F5: No keeps the line, Yes deletes it.
    form->GridGoods->SetRow(2);
    dialogs.Press(mbNo);
    form->actDelete->trigger();
    EXPECT_EQ(form->GridGoods->RowCount(), 4);
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Желаете ли да изтриете този ред ?");
    ASSERT_EQ(form->GridGoods->RowCount(), 3);
    EXPECT_EQ(form->GridGoods->Cells(1, 2), "101");
    EXPECT_EQ(form->TotalWithoutVat(), 10.5L);
    EXPECT_EQ(form->VatAmount(), 2.1L);
}

TEST_F(InvoiceGui, ANoticeCellIsEditableOnlyOverAnInvoicedValue)
{
    StoreInvoice5();
    Execute("Update Invoices_rows Set Price_w_disc = 0 Where Invoice_num = 5 And izdelie = 101");
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(1);
    Header(form, "2");
    form->edInvoiceNo->setText("0000000005");
    form->edInvoiceNoFormOk();
    form->pcMain->setCurrentWidget(form->tabGoods);
    // The invoiced price of the loaves is 0: their new price is not typed.
    form->GridGoods->SetCol(8);
    form->GridGoods->SetRow(3);
    form->GridGoodsClick();
    EXPECT_FALSE(form->GridGoods->Options().Contains(goEditing));
    form->GridGoods->SetCol(5);
    form->GridGoodsClick();
    EXPECT_TRUE(form->GridGoods->Options().Contains(goEditing));
    // The invoiced row itself is never edited.
    form->GridGoods->SetRow(2);
    form->GridGoodsClick();
    EXPECT_FALSE(form->GridGoods->Options().Contains(goEditing));
    // A click on a line's label (a fixed column) moves to that line and
    // its editing follows: the new row takes a quantity, the difference
    // row none.
    QCoreApplication::processEvents();
    auto clickLabel = [form](int row) {
        QTest::mouseClick(form->GridGoods->viewport(), Qt::LeftButton, {},
                          form->GridGoods->CellRect(0, row).center());
    };
    clickLabel(3);
    EXPECT_EQ(form->GridGoods->Row(), 3);
    EXPECT_TRUE(form->GridGoods->Options().Contains(goEditing));
    clickLabel(4);
    EXPECT_EQ(form->GridGoods->Row(), 4);
    EXPECT_FALSE(form->GridGoods->Options().Contains(goEditing));
}

TEST_F(InvoiceGui, AStoredMarkupLineIsKeptWhenTheInvoiceIsSavedOrPrintedUnchanged)
{
    // Invoice 7 to site 12: 2.297 cakes at 7.65 plus 2.5 % (7.8413,
    // 18.01) and 10 loaves at 1.00 less 10 % (9.00): net 27.01, VAT 5.40.
    Execute("INSERT INTO Invoices Values ( 7, 46363, 12, 27.01, 5.4, 0, 0, 2, 1, 0, 0.2 )");
    Execute("INSERT INTO Invoices_rows Values ( 7, 205, 2.297, 7.65, 2.5, 7.8413, 18.01 )");
    Execute("INSERT INTO Invoices_rows Values ( 7, 101, 10, 1, -10, 0.9, 9 )");
    const QStringList stored = StoredInvoices();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = Opened(0, 7);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(GridLine(form, 3, 5), (QStringList{"2.297", "7.65", "+2.5", "7.8413", "18.01"}));
    EXPECT_EQ(form->TotalWithoutVat(), 27.01L);
    EXPECT_EQ(form->VatAmount(), 5.4L);
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(StoredInvoices(), stored);
}

TEST_F(InvoiceGui, HeaderCodesNotInTheirListsAreRefused)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = New(0);
    Header(form, "1");
    AddLine(form, "101", "1");
    form->leObject->setText("21");
    form->leType_of_payment->setText("9");
    form->leDocType->setText("3");
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().last(),
              "Въведете обект.\n\rИзберете начин на плащане!\n\rИзберете вид на документа.\n\r");
    form->leCustomer->setText("abc");
    form->leType_of_payment->setText("0");
    form->leDocType->setText("x");
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().last(), "Въведете клиент.\n\rВъведете обект.\n\rИзберете начин на плащане!\n\rИзберете "
                                      "вид на документа.\n\r");
    EXPECT_TRUE(Rows("SELECT * FROM Invoices").isEmpty());
}

TEST_F(InvoiceGui, ANoticeSavedUnchangedKeepsTheDifferencePriceItWasStoredWith)
{
    StoreInvoice5();
    // Half a cake less, 0.5 x 7.65 = 3.825 -> 3.83, stored at the invoiced
    // price 7.65 (3.83 / 0.5 would give 7.66).
    Execute("INSERT INTO Invoices Values ( 7, 46364, 12, -3.83, -0.77, 0, 0, 1, 3, 5, 0.2 )");
    Execute("INSERT INTO Invoices_rows Values ( 7, 205, -0.5, 7.65, 0, 7.65, -3.83 )");
    const QStringList stored = StoredInvoices();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = Opened(1, 7);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->TotalWithoutVat(), -3.83L);
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(StoredInvoices(), stored);
}

TEST_F(InvoiceGui, AnInvoiceSavedUnchangedKeepsTheVatItWasStoredWith)
{
    // VAT summed line by line: 3.83 + 1.80 = 5.63 would be 5.626 -> 5.63
    // on the total; stored as 5.62.
    StoreInvoice5();
    Execute("Update Invoices Set VAT = 5.62 Where Invoice_num = 5");
    const QStringList stored = StoredInvoices();
    testsupport::ScopedDialogAnswers dialogs;
    TfrmInvoice *form = Opened(0, 5);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->VatAmount(), 5.62L);
    EXPECT_EQ(form->labTotal->text(), "Общо с ДДС:      33.75 лв.");
    dialogs.Press(mbCancel);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(StoredInvoices(), stored);
}
