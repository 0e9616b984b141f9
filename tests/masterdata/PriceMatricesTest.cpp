// The price and cost matrices against a real database: update or insert per
// changed cell, one transaction, a cell that is no number refused by name,
// a change of minibus or month that clears the grid with its kept copy.
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "masterdata/unNepreki_razhodi.h"
#include "masterdata/unPrices_by_items_and_stores.h"
#include "masterdata/unResources_prices.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

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
    void Type(TQuorendReadForm &Form, int Col, int Row, const QString &Text)
    {
        Form.Grid->SetCells(Col, Row, Text);
        if (Form.Grid->OnSetEditText)
            Form.Grid->OnSetEditText(Form.Grid, Col, Row, Text);
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
    prices->leMicrobus->setText(QStringLiteral("2"));
    EXPECT_FALSE(prices->HasKeptCopy());
    EXPECT_FALSE(prices->Modified());
    EXPECT_EQ(prices->Grid->RowCount(), prices->Grid->FixedRows() + 1);
    EXPECT_FALSE(prices->DoSave()) << "nothing loaded, nothing written";
    ASSERT_TRUE(prices->Execute());
    EXPECT_EQ(prices->LoadedBus(), 2);
    EXPECT_EQ(prices->Grid->Cells(2, 2), "9.0000");
    Type(*prices, 2, 2, QStringLiteral("9.5"));
    ASSERT_TRUE(prices->DoSave());
    EXPECT_EQ(PriceRows(), QStringList({"5@10@1.5", "5@20@9.5"}));
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
    resources->leMonth->setText(QStringLiteral("6"));
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
