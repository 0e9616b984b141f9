// The valuation of a minibus's report in its window against a real
// database: the net quantities from the day's passes less its returns, a
// product split over two prices, values and totals typed into the grid, the
// day's report written anew in one transaction and read back over the
// lines, the fifth price, and the refusals of the save.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <sqlite3.h>

#include "BusDayFixture.h"
#include "components/FilterMan.h"
#include "components/GridAmountEntry.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/unRegistryFuncs.h"
#include "documents/un_Ostojnostjavane_na_Otchet_plasiori.h"
#include "platform/db/Database.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using Form = TfrmOstojnostjavane_na_Otchet_plasiori;

class ValuationGui : public testsupport::BusDayTest
{
protected:
    void SetUp() override
    {
        BusDayTest::SetUp();
        // Minibus 3 takes out 150 loaves on two passes (two packagings) and
        // 12.5 kg of cake, and brings back 18 loaves and 4 flat breads it
        // never took out. The other minibus and the day before are no part
        // of the report.
        Execute(QString("Insert into Propusk_za_izvozvane values ( 1, %1, 3, 101, 1, 120, 6 )").arg(Day));
        Execute(QString("Insert into Propusk_za_izvozvane values ( 2, %1, 3, 101, 2, 30, 2 )").arg(Day));
        Execute(QString("Insert into Propusk_za_izvozvane values ( 1, %1, 3, 205, 1, 12.5, 1 )").arg(Day));
        Execute(QString("Insert into Propusk_za_izvozvane values ( 3, %1, 4, 101, 1, 999, 1 )").arg(Day));
        Execute(QString("Insert into Propusk_za_izvozvane values ( 4, %1, 3, 205, 1, 77, 1 )").arg(Day - 1));
        Execute(QString("Insert into Vyrnata_produkcia values ( 1, %1, 3, 101, 1, 18, 1 )").arg(Day));
        Execute(QString("Insert into Vyrnata_produkcia values ( 1, %1, 3, 307, 1, 4, 1 )").arg(Day));
        Execute(QString("Insert into Vyrnata_produkcia values ( 2, %1, 4, 205, 1, 5, 1 )").arg(Day));
        SetRegistrySetting("code_bus_Text", "3");
        form_ = Open<Form>();
        form_->resize(1100, 500);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_));
    }

    QStringList Row(int row)
    {
        QStringList cells;
        for (int c = 0; c < Form::colCount; ++c)
            cells << form_->Grid->Cells(c, row);
        return cells;
    }
    QStringList Line(int row) { return Row(row).mid(Form::colNr); }

    // Types into a cell, as the operator does.
    void Type(int row, int col, const QString &keys)
    {
        form_->Grid->setFocus();
        form_->Grid->SetCol(col);
        form_->Grid->SetRow(row);
        QWidget *editor = form_->Grid->InplaceEditor();
        QTest::keyClicks(editor && editor->isVisible() ? editor : static_cast<QWidget *>(form_->Grid), keys);
    }

    QStringList Stored()
    {
        return Rows(QString("SELECT code_izd, nr, quantity_izd, price, value_izd FROM Otchet_plasiori WHERE date_doc "
                            "= %1 AND code_bus = 3 ORDER BY code_izd, nr")
                        .arg(Day));
    }

    // Loaf line 1: 100 at 1.20; loaf line 2: 32 at 0.95; cake 12.5 at 9.18;
    // flat bread -4 at 3.30.
    void PriceTheDay()
    {
        form_->Grid->SetCol(Form::colQuantity);
        form_->Grid->SetRow(2);
        ASSERT_TRUE(form_->New());
        Type(2, Form::colQuantity, "100");
        Type(3, Form::colQuantity, "32");
        Type(2, Form::colPrice, "1.2");
        Type(3, Form::colPrice, "0.95");
        Type(4, Form::colPrice, "9.18");
        Type(5, Form::colPrice, "3.3");
    }

    Form *form_ = nullptr;
};

} // namespace

TEST_F(ValuationGui, NetQuantitiesAreThePassesLessTheReturns)
{
    EXPECT_EQ(form_->windowTitle(), "Остойностяване на отчет по микробуси");
    EXPECT_EQ(form_->pnlCaption->text(), "ОСТОЙНОСТЯВАНЕ НА ОТЧЕТ ПО МИКРОБУСИ");
    EXPECT_EQ(form_->GetPrintSettingsKey(), "frmOstojnostjavane_na_Otchet_plasiori_print_settings");
    ASSERT_EQ(form_->Grid->RowCount(), 5);
    EXPECT_EQ(Row(2), QStringList({"101", "Хляб Добруджа 500 г", "бр.", "132.000", "1", "132.000", "", "0.00"}));
    EXPECT_EQ(Row(3), QStringList({"205", "Козунак със стафиди и орехи, голям, 800 г, в кутия", "кг", "12.500", "1",
                                   "12.500", "", "0.00"}));
    EXPECT_EQ(form_->lab_Total->text(), "Общо: 0.00 лв.");
}

TEST_F(ValuationGui, ProductOnlyBroughtBackHasNegativeQuantity)
{
    ASSERT_EQ(form_->Grid->RowCount(), 5);
    EXPECT_EQ(form_->Grid->Cells(Form::colCode, 4), "307");
    EXPECT_EQ(form_->Grid->Cells(Form::colNet, 4), "-4.000");
    EXPECT_EQ(Line(4), QStringList({"1", "-4.000", "", "0.00"}));
}

TEST_F(ValuationGui, SplitLinesAreValuedAndTheDaySavedWhole)
{
    testsupport::ScopedDialogAnswers dialogs;
    PriceTheDay();
    ASSERT_EQ(form_->Grid->RowCount(), 6);
    EXPECT_EQ(Row(3).mid(0, 5), QStringList({"101", "Хляб Добруджа 500 г", "бр.", "132.000", "2"}));
    // 100 × 1.20 = 120.00; 32 × 0.95 = 30.40; 12.5 × 9.18 = 114.75;
    // -4 × 3.30 = -13.20; together 251.95. The last value follows its last
    // key at once.
    EXPECT_EQ(Line(2), QStringList({"1", "100", "1.2", "120.00"}));
    EXPECT_EQ(Line(3), QStringList({"2", "32", "0.95", "30.40"}));
    EXPECT_EQ(Line(4), QStringList({"1", "12.500", "9.18", "114.75"}));
    EXPECT_EQ(Line(5), QStringList({"1", "-4.000", "3.3", "-13.20"}));
    EXPECT_EQ(form_->lab_Total->text(), "Общо: 251.95 лв.");
    EXPECT_EQ(form_->GetSubTitle(), QString(" за микробус 3 - Микробус Варна-Север, за дата %1, Общо: 251.95 лв.")
                                        .arg(Today.toString("dd.MM.yyyy")));
    // The quantity of the selected rows in the status bar.
    form_->Grid->SetRow(3);
    form_->Grid->SetCol(Form::colQuantity);
    EXPECT_EQ(form_->StatusText(), " Общо количество: 32.000");

    // Saved twice: the second save replaces the day's report.
    form_->actSave->trigger();
    form_->actSave->trigger();
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    const QStringList expected = {"101@1@100@1.2@120", "101@2@32@0.95@30.4", "205@1@12.5@9.18@114.75",
                                  "307@1@-4@3.3@-13.2"};
    EXPECT_EQ(Stored(), expected);
    // The saved report is read back over the lines, one line per price.
    ASSERT_EQ(form_->Grid->RowCount(), 6);
    EXPECT_EQ(Line(2), QStringList({"1", "100.000", "1.2000", "120.00"}));
    EXPECT_EQ(Line(3), QStringList({"2", "32.000", "0.9500", "30.40"}));
    EXPECT_EQ(Row(3).mid(0, 4), QStringList({"101", "Хляб Добруджа 500 г", "бр.", "132.000"}));
    EXPECT_EQ(form_->lab_Total->text(), "Общо: 251.95 лв.");

    // Another minibus's report of the day stays; a line valued 0 is not
    // written.
    Execute(QString("Insert into Otchet_plasiori values ( %1, 4, 101, 1, 1, 1, 1 )").arg(Day));
    Type(3, Form::colPrice, "0");
    form_->actSave->trigger();
    EXPECT_EQ(Stored(), QStringList({expected[0], expected[2], expected[3]}));
    EXPECT_EQ(Rows(QString("SELECT count(*) FROM Otchet_plasiori WHERE code_bus = 4")), QStringList({"1"}));

    // A price written into the grid with no edit event behind it is valued
    // when the save begins: 12.5 × 10 = 125.
    ASSERT_EQ(form_->Grid->Cells(Form::colCode, 3), "205");
    form_->Grid->SetCells(Form::colPrice, 3, "10");
    form_->actSave->trigger();
    EXPECT_EQ(Stored()[1], "205@1@12.5@10@125");
}

TEST_F(ValuationGui, SavedLinesBeyondTheGridFollowTheirProduct)
{
    // Line 2 of the loaf was worth 0 and was not saved, so line 3 comes
    // back as the loaf's second line. The flat bread's line 0 cannot be
    // placed; product 404 went out on no pass.
    Execute(QString("Insert into Otchet_plasiori values ( %1, 3, 101, 1, 100, 1.2, 120 )").arg(Day));
    Execute(QString("Insert into Otchet_plasiori values ( %1, 3, 101, 3, 32, 0.95, 30.4 )").arg(Day));
    Execute(QString("Insert into Otchet_plasiori values ( %1, 3, 404, 1, 5, 2, 10 )").arg(Day));
    Execute(QString("Insert into Otchet_plasiori values ( %1, 3, 307, 0, 1, 1, 1 )").arg(Day));
    testsupport::ScopedDialogAnswers dialogs;
    form_->actExecute->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[0].Text,
              "Шифър на изделие \"404\" участва в отчет на пласьор, но липсват данни за извозена продукция");
    EXPECT_EQ(dialogs.Shown()[1].Text, "Шифър на изделие \"307\" и номер по ред \"0\" не могат да се попълнят.");
    ASSERT_EQ(form_->Grid->RowCount(), 7);
    EXPECT_EQ(Row(2), QStringList({"101", "Хляб Добруджа 500 г", "бр.", "132.000", "1", "100.000", "1.2000",
                                   "120.00"}));
    EXPECT_EQ(Row(3), QStringList({"101", "Хляб Добруджа 500 г", "бр.", "132.000", "2", "32.000", "0.9500",
                                   "30.40"}));
    EXPECT_EQ(Line(4), QStringList({"1", "12.500", "", "0.00"}));
    EXPECT_EQ(Line(5), QStringList({"1", "-4.000", "", "0.00"}));
    EXPECT_EQ(Line(6), QStringList({"2", "-4.000", "", "0.00"}));
    EXPECT_EQ(form_->lab_Total->text(), "Общо: 150.40 лв.");
}

TEST_F(ValuationGui, FifthPriceGoesToEveryLineOfAProduct)
{
    form_->Grid->SetRow(2);
    ASSERT_TRUE(form_->New());
    form_->btnLoad_5th_Price->click();
    ASSERT_EQ(form_->Grid->RowCount(), 6);
    // 132 × 0.95 = 125.40 twice, 12.5 × 8 = 100.00, -4 × 3 = -12.00.
    EXPECT_EQ(Line(2), QStringList({"1", "132.000", "0.9500", "125.40"}));
    EXPECT_EQ(Line(3), QStringList({"2", "132.000", "0.9500", "125.40"}));
    EXPECT_EQ(Line(4), QStringList({"1", "12.500", "8.0000", "100.00"}));
    EXPECT_EQ(Line(5), QStringList({"1", "-4.000", "3.0000", "-12.00"}));
    EXPECT_EQ(form_->lab_Total->text(), "Общо: 338.80 лв.");

    // Enter on the button, the last parameter, presses it again instead of
    // loading the lines over the prices typed.
    Type(2, Form::colPrice, "2");
    form_->activateWindow();
    QApplication::setActiveWindow(form_);
    form_->btnLoad_5th_Price->setFocus();
    QTest::keyClick(form_->btnLoad_5th_Price, Qt::Key_Return);
    ASSERT_EQ(form_->Grid->RowCount(), 6);
    EXPECT_EQ(Line(2), QStringList({"1", "132.000", "0.9500", "125.40"}));
    EXPECT_EQ(Line(3), QStringList({"2", "132.000", "0.9500", "125.40"}));
}

TEST_F(ValuationGui, OnlyQuantityAndPriceOfALineEditAndAChangeOfDayClears)
{
    form_->Grid->SetRow(2);
    for (int col : {Form::colCode, Form::colNet, Form::colNr, Form::colValue}) {
        form_->Grid->SetCol(col);
        EXPECT_FALSE(form_->Grid->Options().Contains(goEditing)) << col;
    }
    // The last line edits too: there is no totals row below it.
    form_->Grid->SetRow(4);
    form_->Grid->SetCol(Form::colPrice);
    EXPECT_TRUE(form_->Grid->Options().Contains(goEditing));
    Type(4, Form::colPrice, "-2a");
    EXPECT_EQ(form_->Grid->Cells(Form::colPrice, 4), "2");
    EXPECT_EQ(form_->Grid->Cells(Form::colValue, 4), "-8.00");

    // The typed price is asked about; Cancel keeps the day, No lets it go.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel);
    form_->date_doc->setDate(Today.addDays(-1));
    EXPECT_EQ(form_->date_doc->date(), Today);
    EXPECT_EQ(form_->Grid->Cells(Form::colPrice, 4), "2");
    dialogs.Press(mbNo);
    form_->date_doc->setDate(Today.addDays(-1));
    EXPECT_EQ(dialogs.Texts().size(), 2);
    EXPECT_EQ(form_->Grid->RowCount(), 3);
    EXPECT_EQ(form_->Grid->Cells(0, 2), "");
    EXPECT_EQ(form_->lab_Total->text(), "");
    form_->actExecute->trigger();
    EXPECT_EQ(Row(2).mid(0, 6), QStringList({"205", "Козунак със стафиди и орехи, голям, 800 г, в кутия", "кг",
                                             "77.000", "1", "77.000"}));
}

TEST_F(ValuationGui, SaveRefusalsAndAFailureLeaveTheStoredReport)
{
    testsupport::ScopedDialogAnswers dialogs;
    form_->actSave->trigger();
    PriceTheDay();
    // The minibus gone while the lines stay on screen.
    form_->code_bus->blockSignals(true);
    form_->code_bus->setText("");
    form_->actSave->trigger();
    form_->code_bus->setText("3");
    form_->code_bus->blockSignals(false);
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Не са въведени данни, които да се запишат в базата данни");
    EXPECT_EQ(dialogs.Shown()[1].Text, "Въвдетете микробус");
    EXPECT_TRUE(Stored().isEmpty());

    // A product and a unit renamed elsewhere change no quantity: saved.
    Execute("UPDATE Izdelia SET name_izd = \"Хляб\" WHERE code_izd = 101");
    Execute("UPDATE Merki SET v_Miarka = \"килограм\" WHERE n_Miarka = 2");
    form_->actSave->trigger();
    const QStringList saved = Stored();
    ASSERT_EQ(saved.size(), 4);
    // The delete of the day's report and the inserts are one transaction:
    // an insert that fails leaves the report as it was.
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_line BEFORE INSERT ON Otchet_plasiori WHEN NEW.code_izd = 307 "
                           "BEGIN SELECT RAISE(ABORT, 'line refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    Type(2, Form::colPrice, "1.5");
    form_->actSave->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_TRUE(dialogs.Shown()[2].Text.contains("line refused"));
    EXPECT_EQ(Stored(), saved);
    // The typed price stays for another try.
    EXPECT_EQ(form_->Grid->Cells(Form::colValue, 2), "150.00");
}

TEST_F(ValuationGui, LinesTheFilterHidesAreSavedAsTheyWere)
{
    testsupport::ScopedDialogAnswers dialogs;
    PriceTheDay();
    form_->actSave->trigger();
    const QStringList whole = {"101@1@100@1.2@120", "101@2@32@0.95@30.4", "205@1@12.5@9.18@114.75",
                               "307@1@-4@3.3@-13.2"};
    ASSERT_EQ(Stored(), whole);
    // Saved unchanged, the report is not written again.
    const int changes = sqlite3_total_changes(DbConnection->Handle());
    form_->actSave->trigger();
    EXPECT_EQ(sqlite3_total_changes(DbConnection->Handle()), changes);
    // The F6 filter shows only the cake's line.
    form_->CreateFilterDialog();
    form_->FilterConditions()->AddObject("1", new TFilterMan("~К", FilterKindText));
    form_->Execute();
    ASSERT_EQ(form_->Grid->Cells(Form::colCode, 2), "205");
    ASSERT_NE(form_->Grid->Cells(Form::colCode, 3), "101");
    form_->actSave->trigger();
    EXPECT_EQ(Stored(), whole);
    EXPECT_EQ(sqlite3_total_changes(DbConnection->Handle()), changes);
    // A price typed on the shown line changes that line alone.
    Type(2, Form::colPrice, "10");
    form_->actSave->trigger();
    EXPECT_EQ(Stored(), QStringList({whole[0], whole[1], "205@1@12.5@10@125", whole[3]}));
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(ValuationGui, TypedPricesAndSplitLinesAreUnsavedWork)
{
    EXPECT_FALSE(form_->Modified());
    Type(2, Form::colPrice, "1.2");
    EXPECT_TRUE(form_->Modified());
    testsupport::ScopedDialogAnswers dialogs;
    // F8 and closing ask first; Cancel keeps the typed price.
    dialogs.Press(mbCancel);
    form_->actExecute->trigger();
    dialogs.Press(mbCancel);
    form_->close();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Данните не са записани!\rЖелаете ли да ги запишете?",
                                            "Данните не са записани!\rЖелаете ли да ги запишете?"}));
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(form_->Grid->Cells(Form::colPrice, 2), "1.2");
    // No at F8 reads the report again; a split line is unsaved work too.
    dialogs.Press(mbNo);
    form_->actExecute->trigger();
    EXPECT_FALSE(form_->Modified());
    EXPECT_EQ(form_->Grid->Cells(Form::colPrice, 2), "");
    form_->Grid->SetRow(2);
    ASSERT_TRUE(form_->New());
    EXPECT_TRUE(form_->Modified());
}

TEST_F(ValuationGui, AMistypedQuantityOrPriceIsRefusedByName)
{
    Type(2, Form::colPrice, "1,2");
    EXPECT_EQ(form_->Grid->Cells(Form::colPrice, 2), "1.2");
    Type(3, Form::colQuantity, "12.5.");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form_->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList({"Стойността \"12.5.\" за количеството на \"Козунак със стафиди и орехи, "
                                            "голям, 800 г, в кутия\", ред 1 не е число!\n\r"}));
    EXPECT_TRUE(Stored().isEmpty());
}
