// The driver's daily sheet against a real database: the sheet of a minibus
// and day with row values and totals computed by hand, the cells that take
// quantities, and the save: new receipts numbered above the table's largest
// number with this workstation's counter following, receipts made in the
// goods receipt window keeping their discounts, marks and other lines,
// unchanged sites left alone, and two workstations saving at once.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <memory>

#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/un_Dneven_list_na_shofior.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using Sheet = TfrmDneven_list_na_shofior;

// Quantity columns 2..5 (products 101, 205, 307, 410), prices 6..9, the
// value 10.
enum { q101 = 2, q205, q307, q410, colValue = 10 };

class DailySheetGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Route();
        day_ = QDate::currentDate().addDays(1);
        dayNo_ = DateToDayNumber(day_);
        station_ = GetLocalIPAddress();
    }
    void TearDown() override
    {
        form_.reset();
        DatabaseTest::TearDown();
    }

    // Minibus 3 serves customer 7 (sites 12 and 13) and customer 8 (site
    // 21); minibus 4's site 30 has no prices.
    void Route()
    {
        Execute("Insert into Busses values ( 3, \"СА 1111 ВК\" )");
        Execute("Insert into Busses values ( 4, \"В 2222 ВВ\" )");
        Customer(7, 3);
        Customer(8, 3);
        Customer(9, 4);
        Site(12, 7, "Магазин Център");
        Site(13, 7, "Магазин Чайка");
        Site(21, 8, "Кафе на плажа");
        Site(30, 9, "Павилион");
        Product(101, "Хляб Добруджа 500 г");
        Product(205, "Козунак 800 г");
        Product(307, "Питка 100 г");
        Product(410, "Баница");
        Product(555, "Погача");
        Price(101, 12, "1.1");
        Price(101, 13, "1.15");
        Price(101, 21, "1.2345");
        Price(205, 12, "8.8");
        Price(205, 21, "9.125");
        Price(307, 13, "3.3333");
        Price(410, 12, "0");
        Price(410, 13, "0");
    }
    void Customer(int code, int bus)
    {
        Execute(QString("Insert into CustGroups values ( %1, \"Клиент %1\", \"\", \"\", \"\", 1, \"\", \"\", \"\", "
                        "\"\", \"Варна\", \"\", %2, \"\" )")
                    .arg(code)
                    .arg(bus));
    }
    void Site(int code, int customer, const QString &name)
    {
        Execute(QString("Insert into Obekti values ( %1, %2, \"%3\", \"\", \"\", \"\", \"\" )")
                    .arg(code)
                    .arg(customer)
                    .arg(name));
    }
    void Product(int code, const QString &name)
    {
        Execute(QString("Insert into Izdelia values ( %1, \"%2\", 1, 1, 1, 1, 1, 1, 1, 1 )").arg(code).arg(name));
    }
    void Price(int product, int site, const QString &price)
    {
        Execute(QString("Insert into Prices_by_items_and_stores values ( %1, %2, %3 )").arg(product).arg(site).arg(price));
    }

    Sheet *Open(const QString &bus = "3")
    {
        SetRegistrySetting("code_bus_Text", bus);
        form_.reset(CreateQuorendForm<Sheet>(nullptr, fsNormal));
        form_->resize(1200, 500);
        form_->dtp_For->setDate(day_);
        EXPECT_TRUE(form_->ShowForm());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        form_->actExecute->trigger();
        return form_.get();
    }

    int RowOf(int site)
    {
        for (int r = 2; r < form_->Grid->RowCount(); ++r)
            if (form_->Grid->Cells(0, r) == QString::number(site))
                return r;
        ADD_FAILURE() << "no row for site " << site;
        return 2;
    }

    // Types into a cell the way the operator does: the cell chosen, then
    // the keys.
    void Type(int site, int col, const QString &keys)
    {
        StringGridType(col, RowOf(site), keys);
    }
    void StringGridType(int col, int row, const QString &keys)
    {
        form_->Grid->setFocus();
        form_->Grid->SetCol(col);
        form_->Grid->SetRow(row);
        QLineEdit *editor = form_->Grid->InplaceEditor();
        if (editor && editor->isVisible())
            editor->selectAll();
        for (QChar c : keys) {
            editor = form_->Grid->InplaceEditor();
            QTest::keyClick(editor && editor->isVisible() ? static_cast<QWidget *>(editor)
                                                          : static_cast<QWidget *>(form_->Grid),
                            c.toLatin1());
        }
    }
    QString Cell(int site, int col) { return form_->Grid->Cells(col, RowOf(site)); }
    QStringList TotalsRow()
    {
        QStringList cells;
        const int last = form_->Grid->RowCount() - 1;
        for (int c = 0; c < form_->Grid->ColCount(); ++c)
            cells << form_->Grid->Cells(c, last);
        return cells;
    }

    // A receipt as the goods receipt window stores it.
    void Receipt(int number, int site, int docDay, bool paid, int paidDay, bool urgent, double total)
    {
        Execute(QString("Insert into Zaiavki values ( %1, %2, %3, %4, %5, %6, %7, %8 )")
                    .arg(number)
                    .arg(docDay)
                    .arg(site)
                    .arg(dayNo_)
                    .arg(total)
                    .arg(paid ? "True" : "False")
                    .arg(paidDay)
                    .arg(urgent ? "True" : "False"));
    }
    void Line(int number, int product, const QString &q, const QString &price, const QString &percent,
              const QString &discounted, const QString &value)
    {
        Execute(QString("Insert into Zaiavka_rows values ( %1, %2, %3, %4, %5, %6, %7 )")
                    .arg(number)
                    .arg(product)
                    .arg(q, price, percent, discounted, value));
    }

    QDate day_;
    int dayNo_ = 0;
    QString station_;
    std::unique_ptr<Sheet> form_;
};

} // namespace

TEST_F(DailySheetGui, SheetOfARouteWithRowValuesAndTotalsComputedByHand)
{
    testsupport::ScopedDialogAnswers dialogs;
    Sheet *form = Open();
    EXPECT_EQ(form->windowTitle(), "Дневен лист на шофьор");
    EXPECT_EQ(form->pnlCaption->text(), "ДНЕВЕН ЛИСТ НА ШОФЬОР");
    EXPECT_EQ(form->panelMicrobus->text(), "СА 1111 ВК");
    ASSERT_EQ(form->ProductCount(), 4);
    ASSERT_EQ(form->Grid->ColCount(), 11);
    ASSERT_EQ(form->Grid->RowCount(), 6);  // 2 header rows, 3 sites, totals
    EXPECT_EQ(form->Grid->Cells(q205, 0), "205");
    EXPECT_EQ(form->Grid->Cells(q205, 1), "Козунак 800 г");
    EXPECT_EQ(form->Grid->Cells(colValue, 0), "Общо (лв.)");
    EXPECT_EQ(form->Grid->MergeCellsStr(), "0,0,1,0|10,0,10,1|");
    // Prices hidden, with 4 decimals; "0" where the site has none.
    EXPECT_EQ(form->Grid->ColWidths(6), 0);
    EXPECT_EQ(Cell(21, 6), "1.2345");
    EXPECT_EQ(Cell(13, 7), "0");
    EXPECT_EQ(Cell(13, 8), "3.3333");
    // Unpriced cells are painted and take nothing; a product priced for no
    // site is hidden.
    EXPECT_EQ(GetCellColor(*form->Grid, q205, RowOf(13)), Sheet::UnpricedColor);
    EXPECT_EQ(form->Grid->ColWidths(q410), 0);
    EXPECT_GT(form->Grid->ColWidths(q307), 0);
    EXPECT_FALSE(form->CanEditCell(q205, RowOf(13)));
    EXPECT_TRUE(form->CanEditCell(q205, RowOf(12)));
    EXPECT_FALSE(form->CanEditCell(q101, form->Grid->RowCount() - 1));

    Type(12, q101, "10");
    Type(12, q205, "3");
    Type(13, q101, "7");
    Type(13, q307, "4");
    Type(13, q205, "9");   // refused: no price
    Type(21, q101, "3");
    Type(21, q205, "1.,");  // the point and the comma do nothing
    EXPECT_EQ(Cell(13, q205), "");
    EXPECT_EQ(Cell(21, q205), "1");
    // 10 x 1.1 + 3 x 8.8; 7 x 1.15 + 4 x 3.3333 (13.3332); 3 x 1.2345
    // (3.7035) + 1 x 9.125 (half away from zero).
    EXPECT_EQ(Cell(12, colValue), "37.40");
    EXPECT_EQ(Cell(13, colValue), "21.38");
    EXPECT_EQ(Cell(21, colValue), "12.83");
    EXPECT_EQ(TotalsRow().mid(2, 4), QStringList({"20", "4", "4", "0"}));
    EXPECT_EQ(TotalsRow().value(colValue), "71.61");
    EXPECT_EQ(form->GetSubTitle(), "микробус: 3 - СА 1111 ВК, ");
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(DailySheetGui, NewReceiptsAreNumberedAboveTheTableAndTheCounterFollows)
{
    // Another minibus's receipt holds the largest number.
    Receipt(1000, 30, dayNo_ - 3, false, 0, false, 5);
    Sheet *form = Open();
    testsupport::ScopedDialogAnswers dialogs;
    Type(12, q101, "10");
    Type(21, q205, "2");
    form->actSave->trigger();
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    const QString date = DateToDisplayText(day_);
    EXPECT_EQ(Rows("SELECT * FROM Zaiavki WHERE Query_num > 1000 ORDER BY Query_num"),
              QStringList({QString("1001@%1@12@%1@11@False@30.12.1899@False").arg(date),
                           QString("1002@%1@21@%1@18.25@False@30.12.1899@False").arg(date)}));
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows WHERE Query_num > 1000 ORDER BY Query_num"),
              QStringList({"1001@101@10@1.1@0@1.1@11", "1002@205@2@9.125@0@9.125@18.25"}));
    EXPECT_EQ(Rows(QString("SELECT Value_nas FROM Nas WHERE n_nas = 1 AND IP_Address = \"%1\"").arg(station_)),
              QStringList({"0000001002"}));
    // Loaded again: saving again reuses the documents.
    EXPECT_EQ(Cell(12, q101), "10");
    Type(12, q101, "12");
    form->actSave->trigger();
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki WHERE obekt = 12"), QStringList({"1001@13.2"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavki"), QStringList({"3"}));
}

TEST_F(DailySheetGui, ReceiptMadeInTheEditorKeepsItsDiscountsMarksAndOtherLines)
{
    // Receipt 5 of site 12: 2.5 of product 101 at 10 % off, a product
    // without a site price, urgent, written the day before.
    Receipt(5, 12, dayNo_ - 1, false, 0, true, 22.48);
    Line(5, 101, "2.5", "1.1", "10", "0.99", "2.48");
    Line(5, 555, "4", "5", "0", "5", "20");
    // Site 13's receipt is not touched by the sheet, whatever it holds.
    Receipt(6, 13, dayNo_ - 1, false, 0, false, 99.99);
    Line(6, 101, "7", "1.15", "0", "1.15", "99.99");
    Sheet *form = Open();
    EXPECT_EQ(Cell(12, q101), "2.5");
    EXPECT_EQ(Cell(13, q101), "7");
    // The row shows what the stored receipt holds (its discount, its line
    // of a product the sheet lacks), not 2.5 x 1.1 on the sheet's prices.
    EXPECT_EQ(Cell(12, colValue), "22.48");
    testsupport::ScopedDialogAnswers dialogs;
    Type(12, q205, "3");
    form->actSave->trigger();
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    const QString date = DateToDisplayText(day_);
    const QString before = DateToDisplayText(day_.addDays(-1));
    EXPECT_EQ(Rows("SELECT * FROM Zaiavki ORDER BY Query_num"),
              QStringList({QString("5@%1@12@%2@48.88@False@30.12.1899@True").arg(before, date),
                           QString("6@%1@13@%2@99.99@False@30.12.1899@False").arg(before, date)}));
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows ORDER BY Query_num, izdelie"),
              QStringList({"5@101@2.5@1.1@10@0.99@2.48", "5@205@3@8.8@0@8.8@26.4", "5@555@4@5@0@5@20",
                           "6@101@7@1.15@0@1.15@99.99"}));
    EXPECT_EQ(Cell(12, colValue), "48.88");

    // A changed quantity keeps the line's discounted price; a product set
    // to 0 loses its line.
    Type(12, q101, "4");
    Type(12, q205, "0");
    form->actSave->trigger();
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows WHERE Query_num = 5 ORDER BY izdelie"),
              QStringList({"5@101@4@1.1@10@0.99@3.96", "5@555@4@5@0@5@20"}));
    EXPECT_EQ(Rows("SELECT Total_sum, Is_paid, Is_urgent FROM Zaiavki WHERE Query_num = 5"),
              QStringList({"23.96@False@True"}));
    EXPECT_EQ(Cell(12, colValue), "23.96");
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavki"), QStringList({"2"}));
    // Site 13's only product set to 0: its receipt stays, and the clerk is told.
    Type(13, q101, "0");
    Type(12, q101, "5");
    form->actSave->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList{QString("Стоковата разписка на обект 13 за дата %1 е оставена без промяна: ред "
                                                   "със стойност 0 не се записва.\n\rЗаписани са обектите: 12.\n\rНе са "
                                                   "записани обектите: 13.").arg(date)});
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows WHERE Query_num = 6"), QStringList({"6@101@7@1.15@0@1.15@99.99"}));
    EXPECT_EQ(Cell(13, q101), "7");
}

TEST_F(DailySheetGui, APaidReceiptIsNeverChangedAndTheClerkIsToldWhich)
{
    const QString paid5 = "Стокова разписка N: 0000000005 за обект 12 е платена и не може да се променя.";
    Receipt(5, 12, dayNo_, true, dayNo_, false, 2.75);
    Line(5, 101, "2.5", "1.1", "0", "1.1", "2.75");
    Receipt(6, 21, dayNo_, false, 0, false, 1.23);
    Line(6, 101, "1", "1.2345", "0", "1.2345", "1.23");
    const QStringList before = Rows("SELECT * FROM Zaiavka_rows ORDER BY Query_num, izdelie");
    Sheet *form = Open();
    testsupport::ScopedDialogAnswers dialogs;
    // The paid receipt's site takes no quantity, and says why.
    EXPECT_FALSE(form->CanEditCell(q205, RowOf(12)));
    Type(12, q205, "3");
    EXPECT_EQ(dialogs.Texts(), QStringList{paid5});
    EXPECT_EQ(Cell(12, q205), "");
    EXPECT_FALSE(form->Modified());
    // Site 21's receipt is paid by another workstation after the sheet
    // was loaded: the save leaves it and says so after the commit.
    Type(21, q101, "4");
    Type(13, q101, "2");
    Execute("Update Zaiavki Set Is_paid = True, Paid_on = 46000 Where Query_num = 6");
    form->actSave->trigger();
    EXPECT_EQ(dialogs.Texts().mid(1),
              QStringList{"Стокова разписка N: 0000000006 за обект 21 е платена и не може да се променя.\n\r"
                          "Записани са обектите: 13.\n\rНе са записани обектите: 21."});
    EXPECT_EQ(Rows("SELECT * FROM Zaiavka_rows WHERE Query_num < 7 ORDER BY Query_num, izdelie"), before);
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum, Is_paid FROM Zaiavki ORDER BY Query_num"),
              QStringList({"5@2.75@True", "6@1.23@True", "7@2.3@False"}));
}

TEST_F(DailySheetGui, ATypedQuantityIsUnsavedWorkThatClosingAsksAbout)
{
    Sheet *form = Open();
    EXPECT_FALSE(form->Modified());
    testsupport::ScopedDialogAnswers dialogs;
    Type(13, q101, "2");
    EXPECT_TRUE(form->Modified());
    // Esc asks; Cancel keeps the window and the quantity.
    dialogs.Press(mbCancel);
    form->actExit->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Texts(), QStringList{"Данните не са записани!\rЖелаете ли да ги запишете?"});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Cell(13, q101), "2");
    // Another date asks too: Cancel keeps the sheet, its date and the
    // quantity.
    dialogs.Press(mbCancel);
    form->dtp_For->setDate(day_.addDays(1));
    EXPECT_EQ(form->dtp_For->date(), day_);
    EXPECT_EQ(Cell(13, q101), "2");
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavki").isEmpty());
    // Yes saves it for the day it was typed for, then the date moves.
    dialogs.Press(mbYes);
    form->dtp_For->setDate(day_.addDays(1));
    EXPECT_EQ(form->dtp_For->date(), day_.addDays(1));
    EXPECT_EQ(Rows("SELECT obekt, for_date, Total_sum FROM Zaiavki"),
              QStringList{QString("13@%1@2.3").arg(DateToDisplayText(day_))});
    EXPECT_FALSE(form->Modified());
    // Another minibus after a quantity and No: nothing is written.
    form->dtp_For->setDate(day_);
    form->actExecute->trigger();
    Type(12, q101, "5");
    dialogs.Press(mbNo);
    form->leMicrobus->setText("4");
    EXPECT_EQ(form->leMicrobus->text(), "4");
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavki"), QStringList{"1"});
    // F8 loads the sheet again: it asks too; No drops the quantity.
    form->leMicrobus->setText("3");
    form->actExecute->trigger();
    Type(12, q101, "6");
    dialogs.Press(mbCancel);
    form->actExecute->trigger();
    EXPECT_EQ(Cell(12, q101), "6");
    dialogs.Press(mbNo);
    form->actExecute->trigger();
    EXPECT_EQ(Cell(12, q101), "");
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavki"), QStringList{"1"});
    EXPECT_EQ(dialogs.Texts(), QStringList(6, "Данните не са записани!\rЖелаете ли да ги запишете?"));
}

TEST_F(DailySheetGui, TwoReceiptsOfOneSiteAndDayAreReportedAfterTheSaveAndLeftAlone)
{
    Receipt(2000, 21, dayNo_, false, 0, false, 1);
    Receipt(2001, 21, dayNo_, false, 0, false, 2);
    Sheet *form = Open();
    testsupport::ScopedDialogAnswers dialogs;
    Type(21, q101, "5");
    Type(12, q101, "1");
    form->actSave->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, QString("За обект 21 на дата %1 са създадени 2 стокови разписки.\n\rЗаписани "
                                               "са обектите: 12.\n\rНе са записани обектите: 21.")
                                           .arg(DateToDisplayText(day_)));
    EXPECT_EQ(form->SaveWarnings().size(), 1);
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki ORDER BY Query_num"),
              QStringList({"2000@1", "2001@2", "2002@1.1"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavka_rows WHERE Query_num < 2002"), QStringList({"0"}));
}

TEST_F(DailySheetGui, AQuantityJustTypedIsSavedWithItsValue)
{
    Sheet *form = Open();
    testsupport::ScopedDialogAnswers dialogs;
    // The editor is still open on the cell when F2 comes.
    Type(13, q307, "7");
    ASSERT_TRUE(form->Grid->InplaceEditor()->isVisible());
    QTest::keyClick(form->Grid->InplaceEditor(), Qt::Key_F2);
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    // 7 x 3.3333 = 23.3331.
    EXPECT_EQ(Rows("SELECT Total_sum FROM Zaiavki"), QStringList({"23.33"}));
    EXPECT_EQ(Rows("SELECT quantity_izd, Value_of_row FROM Zaiavka_rows"), QStringList({"7@23.33"}));
}

TEST_F(DailySheetGui, MinibusWithoutPricesAndNoMinibus)
{
    Sheet *form = Open("4");
    EXPECT_EQ(form->ProductCount(), 0);
    EXPECT_EQ(form->Grid->ColCount(), 3);
    EXPECT_EQ(form->Grid->Cells(2, 0), "Общо (лв.)");
    EXPECT_EQ(form->Grid->Cells(0, 2), "30");
    EXPECT_EQ(form->Grid->Cells(1, 2), "Павилион");

    testsupport::ScopedDialogAnswers dialogs;
    form->leMicrobus->setText("");
    EXPECT_EQ(form->KeptRows().Count(), 0);
    form->actExecute->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Изберете микробус");
    // Nothing loaded: the save writes nothing.
    form->actSave->trigger();
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavki"), QStringList({"0"}));
    // A minibus that is not on the list, letters and 0 are no minibus.
    for (const char *bus : {"99", "abc", "0", "-3"}) {
        form->leMicrobus->setText(bus);
        form->actExecute->trigger();
        EXPECT_EQ(dialogs.Texts().last(), "Изберете микробус") << bus;
    }
    EXPECT_EQ(dialogs.Shown().size(), 5u);
}

// ---------------------------------------------------------------- two workstations

namespace {

const char *const kChildDb = "TOLVEX_SHEET_CHILD_DB";
const char *const kChildBus = "TOLVEX_SHEET_CHILD_BUS";
const int kDays = 8;

} // namespace

// The child's part: a workstation saving a minibus's sheets of several
// days. It runs only in the processes the test below starts.
TEST(DailySheetChild, SavesSheets)
{
    const QString path = qEnvironmentVariable(kChildDb);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the daily sheet process test";
    testsupport::OpenDatabaseAsChild(path);
    testsupport::ScopedDialogAnswers dialogs;
    SetRegistrySetting("code_bus_Text", qEnvironmentVariable(kChildBus));
    std::unique_ptr<Sheet> form(CreateQuorendForm<Sheet>(nullptr, fsNormal));
    ASSERT_TRUE(form->ShowForm());
    for (int i = 1; i <= kDays; ++i) {
        form->dtp_For->setDate(QDate(2030, 1, i));
        form->actExecute->trigger();
        for (int row = 2; row < form->Grid->RowCount() - 1; ++row)
            form->Grid->SetCells(q101, row, QString::number(i));
        int tries = 0;
        while (!form->Save() && ++tries < 50)
            QThread::msleep(1);
        ASSERT_LT(tries, 50) << dialogs.Texts().join('|').toStdString();
    }
    form.reset();
    CloseDatabase();
}

TEST_F(DailySheetGui, TwoWorkstationsSavingAtOnceNeverShareANumber)
{
    // Minibus 5 serves sites 40 and 41 with product 101.
    Execute("Insert into Busses values ( 5, \"СВ 3333 СВ\" )");
    Customer(10, 5);
    Site(40, 10, "Фурна Изток");
    Site(41, 10, "Фурна Запад");
    Price(101, 40, "1");
    Price(101, 41, "1");
    const QString db = DatabasePath();
    CloseDatabase();
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char *bus : {"3", "5"}) {
        auto p = testsupport::StartChildTest("DailySheetChild.SavesSheets", {{kChildDb, db}, {kChildBus, bus}});
        ASSERT_TRUE(p->waitForStarted());
        children.push_back(std::move(p));
    }
    for (auto &p : children) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    // Minibus 3's three sites and minibus 5's two, every day once, numbered
    // 1 to 40 without a gap or a clash.
    EXPECT_EQ(Rows("SELECT count(*), count(DISTINCT Query_num), min(Query_num), max(Query_num) FROM Zaiavki"),
              QStringList({QString("%1@%1@1@%1").arg(5 * kDays)}));
    EXPECT_EQ(Rows("SELECT count(*) FROM (SELECT obekt, for_date FROM Zaiavki GROUP BY obekt, for_date HAVING "
                   "count(*) > 1)"),
              QStringList({"0"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM Zaiavka_rows"), QStringList({QString::number(5 * kDays)}));
}
