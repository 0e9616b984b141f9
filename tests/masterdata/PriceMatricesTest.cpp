// The price and cost matrices against a real database: update or insert per
// changed cell, one transaction, a cell that is no number refused by name,
// a change of minibus or month that clears the grid with its kept copy,
// every value kept with its own row through a sort and a filter, and a
// value another workstation changed meanwhile never overwritten.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/uFormClasses.h"
#include "core/un_Ado_Connection.h"
#include "components/FilterMan.h"
#include "masterdata/unNepreki_razhodi.h"
#include "masterdata/unPrices_by_items_and_stores.h"
#include "masterdata/unResources_prices.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// A value typed into a cell, as the grid's editor gives it.
void TypeInto(TQuorendReadForm &Form, int Col, int Row, const QString &Text)
{
    Form.Grid->SetCells(Col, Row, Text);
    if (Form.Grid->OnSetEditText)
        Form.Grid->OnSetEditText(Form.Grid, Col, Row, Text);
}

class PriceMatricesGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        for (const char *sql :
             {"INSERT INTO Busses VALUES ( 1, \"Бус 1\" )", "INSERT INTO Busses VALUES ( 2, \"Бус 2\" )",
              "INSERT INTO CustGroups ( code_c, name_c, c_bus ) VALUES ( 1, \"Вега\", 1 )",
              "INSERT INTO CustGroups ( code_c, name_c, c_bus ) VALUES ( 2, \"Алфа\", 2 )",
              "INSERT INTO Obekti VALUES ( 10, 1, \"Магазин\", \"\", \"\", \"\", \"\" )",
              "INSERT INTO Obekti VALUES ( 11, 1, \"Будка\", \"\", \"\", \"\", \"\" )",
              "INSERT INTO Obekti VALUES ( 20, 2, \"Склад\", \"\", \"\", \"\", \"\" )",
              "INSERT INTO Izdelia VALUES ( 5, \"Хляб\", 0, 0, 0, 0, 0, 0, 0, 0 )",
              "INSERT INTO Izdelia VALUES ( 6, \"Питка\", 0, 0, 0, 0, 0, 0, 0, 0 )",
              "INSERT INTO Prices_by_items_and_stores VALUES ( 5, 10, 1.5 )",
              "INSERT INTO Prices_by_items_and_stores VALUES ( 5, 20, 9 )"})
            Execute(QString::fromUtf8(sql));
    }
    void TearDown() override
    {
        for (TQuorendReadForm *f : {static_cast<TQuorendReadForm *>(prices.get()),
                                    static_cast<TQuorendReadForm *>(resources.get()),
                                    static_cast<TQuorendReadForm *>(costs.get())})
            if (f)
                f->SetModified(false);
        prices.reset();
        resources.reset();
        costs.reset();
        DatabaseTest::TearDown();
    }
    void OpenPrices(const QString &Bus)
    {
        prices.reset(CreateQuorendForm<TfrmPrices_by_items_and_stores>(nullptr, fsNormal));
        ASSERT_TRUE(prices->ShowForm());
        prices->leMicrobus->setText(Bus);
        ASSERT_TRUE(prices->Execute());
    }
    // A statement of the database's own dialect, on a connection of its own.
    void Sqlite(const char *Sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(DatabasePath().toUtf8().constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, Sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    QStringList PriceRows()
    {
        return Rows(QStringLiteral("SELECT * FROM Prices_by_items_and_stores ORDER BY code_of_object, code_izd"));
    }
    static void Type(TQuorendReadForm &Form, int Col, int Row, const QString &Text) { TypeInto(Form, Col, Row, Text); }
    // The grid row whose first cell is Text (-1: none).
    static int RowOf(const TQuorendReadForm &Form, const QString &Text)
    {
        for (int r = Form.Grid->FixedRows(); r < Form.Grid->RowCount(); ++r)
            if (Form.Grid->Cells(0, r) == Text)
                return r;
        return -1;
    }
    QStringList Costs() { return Rows(QStringLiteral("SELECT * FROM Nepreki_razhodi ORDER BY 1")); }
    void OpenCosts()
    {
        costs.reset(CreateQuorendForm<TfrmNepreki_razhodi>(nullptr, fsNormal));
        ASSERT_TRUE(costs->ShowForm());
    }

    std::unique_ptr<TfrmPrices_by_items_and_stores> prices;
    std::unique_ptr<TfrmResources_prices> resources;
    std::unique_ptr<TfrmNepreki_razhodi> costs;
};

} // namespace

TEST_F(PriceMatricesGui, ProductPricesUpdateOrInsertEachChangedCell)
{
    for (const char *name : {"TfrmPrices_by_items_and_stores", "TfrmResources_prices", "TfrmNepreki_razhodi"})
        EXPECT_TRUE(IsFormClassRegistered(QString::fromLatin1(name))) << name;
    testsupport::ScopedDialogAnswers dialogs;
    prices.reset(CreateQuorendForm<TfrmPrices_by_items_and_stores>(nullptr, fsNormal));
    ASSERT_TRUE(prices->ShowForm());
    prices->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Изберете микробус"}));
    // A plain message, not an error box: nothing went wrong.
    EXPECT_EQ(dialogs.Shown().at(0).Kind, mtCustom);
    EXPECT_FALSE(prices->HasKeptCopy());

    prices->leMicrobus->setText(QStringLiteral("1"));
    ASSERT_TRUE(prices->Execute());
    auto *grid = prices->Grid;
    EXPECT_EQ(grid->Cells(2, 0), "5");
    EXPECT_EQ(grid->Cells(3, 1), "Питка");
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Cells(1, 2), "Магазин");
    EXPECT_EQ(grid->Cells(2, 2), "1.5000");
    EXPECT_EQ(grid->Cells(3, 2), "0");
    EXPECT_EQ(grid->Cells(0, 3), "11");
    EXPECT_TRUE(prices->CellEditable(2, 2));
    EXPECT_FALSE(prices->CellEditable(1, 2));
    EXPECT_EQ(prices->GetSubTitle().left(19), "микробус: 1 - Бус 1");

    // 1.50 is the price as loaded: nothing to write for it.
    Type(*prices, 2, 2, QStringLiteral("1.50"));
    EXPECT_TRUE(prices->SaveStatements().isEmpty());
    Type(*prices, 2, 2, QStringLiteral("1.75"));
    Type(*prices, 3, 3, QStringLiteral("2"));
    EXPECT_TRUE(prices->Modified());
    EXPECT_EQ(prices->SaveStatements(),
              QStringList({"Update Prices_by_items_and_stores set price_1 = 1.7500 Where ( code_izd = 5 and "
                           "code_of_object = 10 )",
                           "Insert into Prices_by_items_and_stores values ( 6, 11, 2.0000 )"}));
    ASSERT_TRUE(prices->DoSave());
    EXPECT_FALSE(prices->Modified());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@1.75", "6@11@2", "5@20@9"}));
    EXPECT_EQ(grid->Cells(2, 2), "1.7500") << "as stored";
    EXPECT_EQ(grid->Cells(3, 3), "2.0000");
    EXPECT_TRUE(prices->SaveStatements().isEmpty());

    // Copy to all: the first site's price of the current column.
    grid->SetCol(2);
    grid->SetRow(2);
    prices->btnCopyToAll->click();
    EXPECT_EQ(grid->Cells(2, 3), "1.7500");
    ASSERT_TRUE(prices->DoSave());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@1.75", "5@11@1.75", "6@11@2", "5@20@9"}));
}

TEST_F(PriceMatricesGui, AMistypedPriceIsRefusedByNameAndNothingIsWritten)
{
    OpenPrices(QStringLiteral("1"));
    testsupport::ScopedDialogAnswers dialogs;
    Type(*prices, 3, 2, QStringLiteral("3"));
    Type(*prices, 2, 3, QStringLiteral("1.2.5"));
    EXPECT_FALSE(prices->DoSave());
    EXPECT_EQ(dialogs.Texts(),
              QStringList({"Стойността \"1.2.5\" за обект 11 - Будка, изделие 5 - Хляб не е число!\n\r"}));
    EXPECT_TRUE(prices->Modified());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@1.5", "5@20@9"}));
}

TEST_F(PriceMatricesGui, AFailingStatementLeavesTheDatabaseUnchangedAndTheWindowModified)
{
    OpenPrices(QStringLiteral("1"));
    Type(*prices, 2, 2, QStringLiteral("4"));
    Type(*prices, 3, 2, QStringLiteral("5"));
    Type(*prices, 3, 3, QStringLiteral("6"));
    // The database refuses the middle statement: the update before it is
    // rolled back.
    Sqlite("CREATE TRIGGER refuse BEFORE INSERT ON Prices_by_items_and_stores WHEN NEW.code_of_object = 10 "
           "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(prices->DoSave());
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_TRUE(dialogs.Texts()[0].contains("Insert into Prices_by_items_and_stores values ( 6, 10, 5.0000 )"))
        << dialogs.Texts()[0].toStdString();
    EXPECT_EQ(PriceRows(), QStringList({"5@10@1.5", "5@20@9"}));
    EXPECT_TRUE(prices->Modified());
    EXPECT_EQ(prices->Grid->Cells(2, 2), "4") << "the window keeps what was typed";
    // A retry writes each cell once.
    Sqlite("DROP TRIGGER refuse");
    ASSERT_TRUE(prices->DoSave());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@4", "6@10@5", "6@11@6", "5@20@9"}));
}

TEST_F(PriceMatricesGui, AnotherMinibusClearsTheGridAndItsCopyTogether)
{
    OpenPrices(QStringLiteral("1"));
    Type(*prices, 2, 2, QStringLiteral("7"));
    // The typed price is not dropped unasked: Cancel keeps the minibus and
    // the price, Yes saves it to the minibus it was typed for.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel).Press(mbYes);
    prices->leMicrobus->setText(QStringLiteral("2"));
    EXPECT_EQ(prices->leMicrobus->text(), "1");
    EXPECT_EQ(prices->Grid->Cells(2, 2), "7");
    EXPECT_TRUE(prices->Modified());
    prices->leMicrobus->setText(QStringLiteral("2"));
    EXPECT_EQ(dialogs.Texts(), QStringList(2, "Данните не са записани!\rЖелаете ли да ги запишете?"));
    EXPECT_EQ(PriceRows(), QStringList({"5@10@7", "5@20@9"}));
    // Typed again and dropped with No.
    ASSERT_TRUE(prices->Execute());
    Type(*prices, 2, 2, QStringLiteral("8"));
    dialogs.Press(mbNo);
    prices->leMicrobus->setText(QStringLiteral("1"));
    EXPECT_EQ(PriceRows(), QStringList({"5@10@7", "5@20@9"}));
    EXPECT_FALSE(prices->HasKeptCopy());
    EXPECT_FALSE(prices->Modified());
    EXPECT_EQ(prices->Grid->RowCount(), prices->Grid->FixedRows() + 1);
    EXPECT_FALSE(prices->DoSave()) << "nothing loaded, nothing written";
    prices->leMicrobus->setText(QStringLiteral("2"));
    ASSERT_TRUE(prices->Execute());
    EXPECT_EQ(prices->LoadedBus(), 2);
    EXPECT_EQ(prices->Grid->Cells(2, 2), "9.0000");
    Type(*prices, 2, 2, QStringLiteral("9.5"));
    ASSERT_TRUE(prices->DoSave());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@7", "5@20@9.5"}));
}

TEST_F(PriceMatricesGui, ResourcePricesOfTheLoadedMonth)
{
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
    Execute(QStringLiteral("INSERT INTO Resources VALUES ( 3, \"Брашно\", 1 )"));
    Execute(QStringLiteral("INSERT INTO Resources VALUES ( 4, \"Захар\", 1 )"));
    Execute(QStringLiteral("INSERT INTO Resources_prices VALUES ( 3, 5, 0.8 )"));
    resources.reset(CreateQuorendForm<TfrmResources_prices>(nullptr, fsNormal));
    ASSERT_TRUE(resources->ShowForm());
    resources->leMonth->setText(QStringLiteral("5"));
    EXPECT_EQ(resources->pnlMonth->text(), "Май");
    ASSERT_TRUE(resources->Execute());
    auto *grid = resources->Grid;
    EXPECT_EQ(grid->Cells(1, 1), "Брашно");
    EXPECT_EQ(grid->Cells(2, 1), "кг");
    EXPECT_EQ(grid->Cells(3, 1), "0.8000");
    EXPECT_EQ(grid->Cells(3, 2), "");
    EXPECT_FALSE(resources->CellEditable(1, 1));
    EXPECT_TRUE(resources->CellEditable(3, 2));
    EXPECT_EQ(resources->GetSubTitle(), "за месец 5");

    Type(*resources, 3, 1, QStringLiteral("0.85"));
    Type(*resources, 3, 2, QStringLiteral("1.2"));
    EXPECT_EQ(resources->SaveStatements(),
              QStringList({"Update Resources_prices set price_r = 0.8500 Where ( code_r = 3 and month_r = 5 )",
                           "Insert into Resources_prices values ( 4, 5, 1.2000 )"}));
    // Another month clears the grid: nothing of May is written to June.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbNo);
    resources->leMonth->setText(QStringLiteral("6"));
    EXPECT_EQ(dialogs.Texts(), QStringList({"Данните не са записани!\rЖелаете ли да ги запишете?"}));
    EXPECT_FALSE(resources->HasKeptCopy());
    EXPECT_FALSE(resources->DoSave());
    resources->leMonth->setText(QStringLiteral("5"));
    ASSERT_TRUE(resources->Execute());
    Type(*resources, 3, 2, QStringLiteral("1.2"));
    ASSERT_TRUE(resources->DoSave());
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Resources_prices ORDER BY code_r")),
              QStringList({"3@5@0.8", "4@5@1.2"}));
}

TEST_F(PriceMatricesGui, IndirectCostsOfTwelveMonths)
{
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 2, 1500.5 )"));
    costs.reset(CreateQuorendForm<TfrmNepreki_razhodi>(nullptr, fsNormal));
    ASSERT_TRUE(costs->ShowForm());
    auto *grid = costs->Grid;
    ASSERT_EQ(grid->RowCount(), 13);
    EXPECT_EQ(grid->Cells(0, 1), "Януари");
    EXPECT_EQ(grid->Cells(1, 1), "0.00");
    EXPECT_EQ(grid->Cells(1, 2), "1500.50");
    EXPECT_EQ(grid->Cells(0, 12), "Декември");
    EXPECT_FALSE(costs->CellEditable(0, 1));
    // Only digits, '.', Backspace, Tab and Enter reach a cell.
    grid->SetCol(1);
    grid->SetRow(3);
    for (const QChar key : {QChar('7'), QChar('.'), QChar(8), QChar('\r')}) {
        QChar k = key;
        grid->OnKeyPress(grid, k);
        EXPECT_EQ(k, key);
    }
    for (const QChar key : {QChar('a'), QChar('-'), QChar(','), QChar(' ')}) {
        QChar k = key;
        grid->OnKeyPress(grid, k);
        EXPECT_TRUE(k.isNull()) << k.unicode();
    }
    EXPECT_TRUE(grid->Options().Contains(goEditing));
    grid->SetCol(0);
    EXPECT_FALSE(grid->Options().Contains(goEditing)) << "the month's name is not edited";

    Type(*costs, 1, 2, QStringLiteral("1600"));
    Type(*costs, 1, 12, QStringLiteral("99.999"));
    EXPECT_EQ(costs->SaveStatements(),
              QStringList({"Update Nepreki_razhodi set kosven_razhod = 1600.00 Where month_n_r = 2",
                           "Insert into Nepreki_razhodi values ( 12, 100.00 )"}));
    ASSERT_TRUE(costs->DoSave());
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Nepreki_razhodi ORDER BY 1")), QStringList({"2@1600", "12@100"}));
    EXPECT_EQ(grid->Cells(1, 12), "100.00");
}

TEST_F(PriceMatricesGui, AHeaderSortKeepsEveryValueWithItsOwnRow)
{
    // Indirect costs: sorted by the months' names, April comes first.
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 1, 100 )"));
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 2, 200 )"));
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 3, 300 )"));
    OpenCosts();
    costs->ToggleSortColumn(TGridCoord{0, 0});
    ASSERT_EQ(costs->Grid->Cells(0, 1), "Август");
    const int march = RowOf(*costs, QStringLiteral("Март"));
    EXPECT_EQ(costs->Grid->Cells(1, march), "300.00");
    EXPECT_EQ(costs->KeptCell(1, march), "300.00");
    Type(*costs, 1, march, QStringLiteral("333"));
    EXPECT_EQ(costs->SaveStatements(),
              QStringList({"Update Nepreki_razhodi set kosven_razhod = 333.00 Where month_n_r = 3"}));
    ASSERT_TRUE(costs->DoSave());
    EXPECT_EQ(Costs(), QStringList({"1@100", "2@200", "3@333"}));

    // Resource prices: loaded by name, sorted by code; a resource without
    // a price stays without one.
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
    Execute(QStringLiteral("INSERT INTO Resources VALUES ( 3, \"Захар\", 1 )"));
    Execute(QStringLiteral("INSERT INTO Resources VALUES ( 4, \"Мая\", 1 )"));
    Execute(QStringLiteral("INSERT INTO Resources VALUES ( 9, \"Брашно\", 1 )"));
    Execute(QStringLiteral("INSERT INTO Resources_prices VALUES ( 3, 5, 0.8 )"));
    resources.reset(CreateQuorendForm<TfrmResources_prices>(nullptr, fsNormal));
    ASSERT_TRUE(resources->ShowForm());
    resources->leMonth->setText(QStringLiteral("5"));
    ASSERT_TRUE(resources->Execute());
    resources->ToggleSortColumn(TGridCoord{0, 0});
    ASSERT_EQ(RowOf(*resources, QStringLiteral("9")), 3);
    Type(*resources, 3, RowOf(*resources, QStringLiteral("4")), QStringLiteral("1.1"));
    ASSERT_TRUE(resources->DoSave());
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Resources_prices ORDER BY code_r")),
              QStringList({"3@5@0.8", "4@5@1.1"}));

    // Product prices: sorted by the sites' names, Будка (11) first.
    OpenPrices(QStringLiteral("1"));
    prices->ToggleSortColumn(TGridCoord{1, 0});
    ASSERT_EQ(prices->Grid->Cells(0, 2), "11");
    Type(*prices, 3, RowOf(*prices, QStringLiteral("10")), QStringLiteral("2.2"));
    ASSERT_TRUE(prices->DoSave());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@1.5", "6@10@2.2", "5@20@9"}));
    EXPECT_FALSE(prices->Modified());
}

TEST_F(PriceMatricesGui, AnF6FilterShowsItsRowsAndTheHiddenOnesStayAsStored)
{
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 1, 100 )"));
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 5, 500 )"));
    OpenCosts();
    // The conditions as the filter dialog leaves them: the months whose
    // name begins with "Ма".
    costs->CreateFilterDialog();
    costs->FilterConditions()->AddObject(QStringLiteral("0"), new TFilterMan(QStringLiteral("~Ма"), FilterKindText));
    ASSERT_TRUE(costs->Execute());
    ASSERT_EQ(costs->Grid->RowCount(), 4);
    EXPECT_EQ(costs->Grid->Rows(1), QStringList({"Март", "0.00"}));
    EXPECT_EQ(costs->Grid->Rows(2), QStringList({"Май", "500.00"}));
    EXPECT_EQ(costs->Grid->Rows(3), QStringList({"Сума за филтъра", "500.00"}));
    EXPECT_FALSE(costs->CellEditable(1, 3)) << "the totals row is no month";
    Type(*costs, 1, 3, QStringLiteral("7"));
    Type(*costs, 1, 2, QStringLiteral("550"));
    EXPECT_EQ(costs->SaveStatements(),
              QStringList({"Update Nepreki_razhodi set kosven_razhod = 550.00 Where month_n_r = 5"}));
    ASSERT_TRUE(costs->DoSave());
    EXPECT_EQ(Costs(), QStringList({"1@100", "5@550"}));
}

TEST_F(PriceMatricesGui, AValueChangedOnAnotherWorkstationRefusesTheWholeSave)
{
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 2, 1500.5 )"));
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 3, 300 )"));
    OpenCosts();
    const QString refused =
        QStringLiteral("Редът \"месец %1\" е променен от друго работно място. Натиснете F8 и въведете промяната "
                       "отново.\n\r");
    struct Case
    {
        const char *Elsewhere;
        int Month;
        const char *Name;
    };
    // Changed, deleted, and written where nothing was stored.
    for (const Case &c : {Case{"UPDATE Nepreki_razhodi SET kosven_razhod = 1700 WHERE month_n_r = 2", 2, "Февруари"},
                          Case{"DELETE FROM Nepreki_razhodi WHERE month_n_r = 3", 3, "Март"},
                          Case{"INSERT INTO Nepreki_razhodi VALUES ( 7, 70 )", 7, "Юли"}}) {
        const QStringList before = Costs();
        Type(*costs, 1, c.Month, QStringLiteral("1600"));
        Type(*costs, 1, 12, QStringLiteral("12"));
        Sqlite(c.Elsewhere);
        const QStringList elsewhere = Costs();
        ASSERT_NE(elsewhere, before);
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(costs->DoSave()) << c.Elsewhere;
        EXPECT_EQ(dialogs.Texts(), QStringList({refused.arg(QString::fromUtf8(c.Name))}));
        EXPECT_EQ(Costs(), elsewhere) << "nothing of the refused save is written";
        EXPECT_TRUE(costs->Modified());
        // F8 asks before it drops what was typed, and shows what is stored.
        testsupport::ScopedDialogAnswers reload;
        reload.Press(mbNo);
        ASSERT_TRUE(costs->Execute());
        EXPECT_EQ(reload.Texts(), QStringList({"Данните не са записани!\rЖелаете ли да ги запишете?"}));
        EXPECT_FALSE(costs->Modified());
    }
    // A change elsewhere to another row does not stand in the way.
    Type(*costs, 1, 4, QStringLiteral("40"));
    Sqlite("UPDATE Nepreki_razhodi SET kosven_razhod = 1800 WHERE month_n_r = 2");
    ASSERT_TRUE(costs->DoSave());
    EXPECT_EQ(Costs(), QStringList({"2@1800", "4@40", "7@70"}));
    // What this window wrote is what it holds as loaded: changed again, it
    // is written again.
    Type(*costs, 1, 4, QStringLiteral("41"));
    ASSERT_TRUE(costs->DoSave());
    EXPECT_EQ(Costs(), QStringList({"2@1800", "4@41", "7@70"}));
}

namespace {

const char *const kChildDb = "TOLVEX_MATRIX_CHILD_DB";
const char *const kChildRole = "TOLVEX_MATRIX_CHILD_ROLE";
const char *const kChildDir = "TOLVEX_MATRIX_CHILD_DIR";

bool WaitForFile(const QString &Path)
{
    QDeadlineTimer wait(60000);
    while (!QFile::exists(Path) && !wait.hasExpired())
        QThread::msleep(5);
    return QFile::exists(Path);
}

void Touch(const QString &Path)
{
    QFile f(Path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

} // namespace

// The child's part: a workstation with the indirect costs open. It runs
// only in the processes the test below starts. Both load; the first saves
// March; the second, which loaded the old March, then saves its own March
// and April.
TEST(MatrixChild, SavesCosts)
{
    const QString path = qEnvironmentVariable(kChildDb);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the matrix process test";
    const QString role = qEnvironmentVariable(kChildRole);
    const QDir dir(qEnvironmentVariable(kChildDir));
    SetProgramFileNameForTests(QFileInfo(path).absolutePath() + "/../bin/tolvex");
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    testsupport::ScopedDialogAnswers dialogs;
    std::unique_ptr<TfrmNepreki_razhodi> form(CreateQuorendForm<TfrmNepreki_razhodi>(nullptr, fsNormal));
    ASSERT_TRUE(form->ShowForm());
    ASSERT_EQ(form->Grid->Cells(1, 3), "300.00");
    Touch(dir.filePath(role + ".loaded"));
    if (role == QLatin1String("first")) {
        ASSERT_TRUE(WaitForFile(dir.filePath("second.loaded")));
        TypeInto(*form, 1, 3, QStringLiteral("310"));
        EXPECT_TRUE(form->Save());
        EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join('|').toStdString();
        Touch(dir.filePath("first.saved"));
    } else {
        ASSERT_TRUE(WaitForFile(dir.filePath("first.saved")));
        TypeInto(*form, 1, 3, QStringLiteral("333"));
        TypeInto(*form, 1, 4, QStringLiteral("444"));
        EXPECT_FALSE(form->Save());
        EXPECT_EQ(dialogs.Texts(), QStringList({"Редът \"месец Март\" е променен от друго работно място. Натиснете "
                                                "F8 и въведете промяната отново.\n\r"}));
        EXPECT_TRUE(form->Modified());
    }
    form->SetModified(false);
    form.reset();
    CloseDatabase();
}

TEST_F(PriceMatricesGui, TwoWorkstationsSavingOneMonthTheLaterLoadIsRefused)
{
    Execute(QStringLiteral("INSERT INTO Nepreki_razhodi VALUES ( 3, 300 )"));
    CloseDatabase();
    const QString dir = QFileInfo(DatabasePath()).absolutePath();
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char *role : {"first", "second"}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildDb, DatabasePath());
        env.insert(kChildRole, QString::fromLatin1(role));
        env.insert(kChildDir, dir);
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=MatrixChild.SavesCosts"});
        ASSERT_TRUE(p->waitForStarted());
        children.push_back(std::move(p));
    }
    for (auto &p : children) {
        if (!p->waitForFinished(120000))
            p->kill();
        const QByteArray output = p->readAll();
        EXPECT_EQ(p->exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    }
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    EXPECT_EQ(Costs(), QStringList({"3@310"}));
}
