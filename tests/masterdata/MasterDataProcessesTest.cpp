// Master-data editors of separate program processes on one database file:
// a save never undoes what another workstation saved after this one loaded
// its rows, and two workstations that took the same new code both end
// saved, the second under the next free code, told in Bulgarian.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/un_Ado_Connection.h"
#include "masterdata/unIzdelia.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using testsupport::WaitForFile;

const char *const kChildDb = "TOLVEX_MASTERDATA_CHILD_DB";
const char *const kChildMode = "TOLVEX_MASTERDATA_CHILD_MODE";   // price1, price2, unit, bus
const char *const kChildName = "TOLVEX_MASTERDATA_CHILD_NAME";   // marks and the unit's name
const char *const kChildRefused = "TOLVEX_MASTERDATA_CHILD_REFUSED";

void Touch(const QString &Path)
{
    QFile f(Path);
    f.open(QIODevice::WriteOnly);
}

void SelectRowOf(TfrmSimple_Nomenklatura *Form, const QString &Key)
{
    for (int r = Form->Grid->FixedRows(); r < Form->Grid->RowCount(); ++r)
        if (Form->Grid->Cells(0, r) == Key)
            Form->Grid->SetRow(r);
}

} // namespace

// The child's part: a workstation that loads an editor, waits for its turn
// (when it has a name) and saves one change. It runs only in the processes
// the tests below start.
TEST(MasterDataChild, SavesAChange)
{
    const QString path = qEnvironmentVariable(kChildDb);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the master-data process tests";
    const QString mode = qEnvironmentVariable(kChildMode);
    const QString name = qEnvironmentVariable(kChildName);
    const bool refused = qEnvironmentVariableIntValue(kChildRefused) != 0;
    const QString folder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    testsupport::OpenDatabaseAsChild(path);
    testsupport::ScopedDialogAnswers dialogs;

    TfrmSimple_Nomenklatura *form = nullptr;
    if (mode == "unit" || mode == "bus") {
        form = CreateQuorendForm<TfrmSimple_Nomenklatura>(nullptr, fsNormal);
        TFormParams params;
        params.Settings = mode == "bus" ? TEditorSettings{"Микробуси", "Busses", "c_bus", "n_bus", "микробус"}
                                        : TEditorSettings{"Мерки", "Merki", "n_miarka", "v_miarka", "мярка"};
        form->Configure(params);
    } else {
        form = CreateQuorendForm<TfrmIzdelia>(nullptr, fsNormal);
    }
    ASSERT_TRUE(form->ShowForm());
    if (mode == "bus") {   // buses 4 and 5, unused at F4 and F5 before the wait: 4 becomes 9, 5 is deleted
        SelectRowOf(form, "4");
        ASSERT_TRUE(form->DoEdit());
        form->feShifyr->SetValue(9);
        ASSERT_TRUE(form->DoNew());
        SelectRowOf(form, "5");
        dialogs.Press(mbYes);
        form->DoDelete();
    }
    if (!name.isEmpty()) {
        Touch(folder + name + "-loaded");
        ASSERT_TRUE(WaitForFile(folder + name + "-go"));
    }
    if (mode == "unit") {
        // The code proposed when the window opened.
        form->edNaimenovanie->setText(name);
        ASSERT_TRUE(form->DoNew());
    } else if (mode != "bus") {
        auto *products = static_cast<TfrmIzdelia *>(form);
        SelectRowOf(form, "101");
        ASSERT_TRUE(form->DoEdit());
        products->edPrice[mode == "price1" ? 0 : 1]->SetValue(mode == "price1" ? 1.5L : 2.5L);
        ASSERT_TRUE(form->DoNew());
    }
    const bool saved = form->Save();
    if (!refused) {
        EXPECT_TRUE(saved);
        EXPECT_EQ(dialogs.Texts(), QStringList());
    } else if (mode == "unit") {
        EXPECT_FALSE(saved);
        EXPECT_EQ(dialogs.Texts(), QStringList({"Шифър \"3\" е зает от друго работно място! Редът \"3 - " + name +
                                                "\" получи следващия свободен шифър; натиснете F2, за да го запишете."}));
        SelectRowOf(form, "4");
        EXPECT_EQ(form->Grid->Cells(1, form->Grid->Row()), name);
        EXPECT_TRUE(form->Save());
        EXPECT_EQ(dialogs.Texts().size(), 1);
    } else if (mode == "bus") {
        EXPECT_EQ(dialogs.Texts().last(),
                  "Шифър \"4\" не може да бъде променен: използва се в заявки за експедиция!\n\r"
                  "Шифър \"5\" не може да бъде изтрит: използва се в пропуски за извозване!\n\r");
        EXPECT_TRUE(!saved && form->Pending().IsEmpty());   // both rows back as stored
    } else {
        EXPECT_FALSE(saved);
        EXPECT_EQ(dialogs.Texts(), QStringList({"Редът \"101 - Хляб\" е променен или изтрит от друго работно място. "
                                                "Натиснете F8 и въведете промяната отново."}));
    }
    form->SetModified(false);
    form->Close();
    CloseDatabase();
}

class MasterDataProcesses : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute("INSERT INTO Merki VALUES ( 1, \"бр\" )");
        Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");
        Execute("INSERT INTO Groups VALUES ( 1, \"Хляб\" )");
        Execute("INSERT INTO SubGroup VALUES ( 1, \"Бял\" )");
        Execute("INSERT INTO Izdelia VALUES ( 101, \"Хляб\", 1, 1, 1, 1.2, 1.3, 0, 0, 0 )");
        CloseDatabase();
        folder_ = QFileInfo(DatabasePath()).absolutePath() + QLatin1Char('/');
    }
    void TearDown() override
    {
        for (auto &p : children_)
            testsupport::EndChild(*p);
        DatabaseTest::TearDown();
    }
    QProcess *Start(const QString &Mode, const QString &Name, bool Refused)
    {
        children_.push_back(testsupport::StartChildTest(
            "MasterDataChild.SavesAChange",
            {{kChildDb, DatabasePath()}, {kChildMode, Mode}, {kChildName, Name}, {kChildRefused, Refused ? "1" : "0"}}));
        EXPECT_TRUE(children_.back()->waitForStarted());
        return children_.back().get();
    }
    void Finished(QProcess *P)
    {
        ASSERT_TRUE(P->waitForFinished(120000));
        EXPECT_EQ(P->exitCode(), 0) << P->readAll().toStdString();
    }

    QString folder_;
    std::vector<std::unique_ptr<QProcess>> children_;
};

TEST_F(MasterDataProcesses, ASaveNeverUndoesAnotherWorkstationsLaterChange)
{
    // B loads the products, A then changes price 1 and saves; B, still
    // open, changes price 2: refused, and price 1 stays A's.
    QProcess *b = Start("price2", "B", true);
    ASSERT_TRUE(WaitForFile(folder_ + "B-loaded")) << b->readAll().toStdString();
    Finished(Start("price1", QString(), false));
    Touch(folder_ + "B-go");
    Finished(b);
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    EXPECT_EQ(Rows("SELECT price_1, price_2 FROM Izdelia WHERE code_izd = 101"), QStringList({"1.5@1.3"}));
    // C renames bus 4 and deletes bus 5; documents for both saved before C's F2 keep both codes.
    Execute("INSERT INTO Busses VALUES ( 4, \"Бус 4\" ), ( 5, \"Бус 5\" )");
    QProcess *c = Start("bus", "C", true);
    ASSERT_TRUE(WaitForFile(folder_ + "C-loaded")) << c->readAll().toStdString();
    Execute("INSERT INTO Zaiavki_za_expedicia VALUES ( 45000, 4, 101, 0, 10, 0 )");
    Execute("INSERT INTO Propusk_za_izvozvane VALUES ( 1, 45000, 5, 101, 0, 10, 0 )");
    Touch(folder_ + "C-go");
    Finished(c);
    EXPECT_EQ(Rows("SELECT c_bus FROM Busses ORDER BY 1"), QStringList({"4", "5"}));
}

TEST_F(MasterDataProcesses, TwoWorkstationsTakingOneNewCodeBothSave)
{
    QProcess *a = Start("unit", "Литър", false);
    QProcess *b = Start("unit", "Метър", true);
    ASSERT_TRUE(WaitForFile(folder_ + "Литър-loaded")) << a->readAll().toStdString();
    ASSERT_TRUE(WaitForFile(folder_ + "Метър-loaded")) << b->readAll().toStdString();
    Touch(folder_ + "Литър-go");
    Finished(a);
    Touch(folder_ + "Метър-go");
    Finished(b);
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    EXPECT_EQ(Rows("SELECT * FROM Merki WHERE n_miarka > 0 ORDER BY 1"),
              QStringList({"1@бр", "2@кг", "3@Литър", "4@Метър"}));
}
