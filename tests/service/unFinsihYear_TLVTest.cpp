// The year-end closing: the next year's database made from the template with
// the master data carried over, never over an existing one.
#include "service/unFinsihYear_TLV.h"

#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "service/TestFiles.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>

using namespace testfiles;

namespace {

class YearEnd : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute("INSERT INTO VA VALUES ( 8, \"2025\" )");
        Execute("INSERT INTO VA VALUES ( 1, \"Хлебозавод \"\"Зора\"\" ООД\" )");
    }

    QString NextYearPath() const { return base_->DbFolder() + "2026/" + YearDatabaseFileName; }

    // The rows of a query on another database file.
    static QStringList RowsOf(const QString &path, const QString &sql)
    {
        TADOConnection db;
        db.SetConnectionString(ConnectionStringTemplate("Data Source = " + path + "; "));
        TDelimitedStringList list;
        SelectToList(nullptr, &db, sql, list);
        QStringList out;
        for (int i = 0; i < list.Count(); ++i)
            out << list.Strings(i);
        return out;
    }
    static QString Raw(const QString &path, const QString &sql)
    {
        TADOConnection db;
        db.SetConnectionString(ConnectionStringTemplate("Data Source = " + path + "; "));
        platform::Cursor c = db.Select(sql);
        return c.Next() ? c.Text(0) : "<none>";
    }
};

} // namespace

TEST_F(YearEnd, CarriesMasterDataIntoTheNextYearsDatabase)
{
    // A counterparty whose name holds quotes and the record lists' marks.
    Execute("INSERT INTO CustGroups ( code_c, name_c, bulstat ) VALUES ( 7, \"ЕТ \"\"Дъга\"\" 'Юг' 50% @°\", \"123\" )");
    Execute("INSERT INTO Izdelia VALUES ( 12, \"Хляб \"\"Добруджа\"\"\", 1, 0, 1, 1.2345, 0.0625, 0, 0, 0 )");
    Execute("INSERT INTO Resources VALUES ( 3, \"Брашно\", 1 )");
    Execute("INSERT INTO Razhodni_normi VALUES ( 12, 3, 0.0125 )");
    Execute("INSERT INTO Obekti VALUES ( 4, 7, \"Магазин 1\", \"\", \"\", \"\", \"\" )");
    Execute("INSERT INTO Merki VALUES ( 1, \"бр.\" )");
    Execute("INSERT INTO Nas VALUES ( 1, \"10.0.0.5\", \"41\" )");
    // Documents stay in their year.
    Execute("INSERT INTO Zaiavki ( Query_num, obekt ) VALUES ( 1, 4 )");

    TfrmFinsihYear_TLV form;
    form.show();
    EXPECT_EQ(form.panelText->text(),
              "   Моля останалите потребители на системата да НЕ работят с нея\n"
              " докато се извършва годишното приключване. \n"
              "   Добре е да създадете предварително архивно копие\n на 2025 година.");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form.btnNextClick());
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(form.panelText->text(), "Годишното приключване завърши успешно.");
    EXPECT_FALSE(form.btnNext->isVisible());

    const QString db = NextYearPath();
    ASSERT_TRUE(QFileInfo::exists(db));
    EXPECT_FALSE(QFileInfo::exists(base_->DbFolder() + "2026/~" + YearDatabaseFileName));
    EXPECT_EQ(Raw(db, "SELECT name_c FROM CustGroups WHERE code_c = 7"), "ЕТ \"Дъга\" 'Юг' 50% @°");
    EXPECT_EQ(Raw(db, "SELECT bulstat FROM CustGroups WHERE code_c = 7"), "123");
    EXPECT_EQ(Raw(db, "SELECT name_izd FROM Izdelia WHERE code_izd = 12"), "Хляб \"Добруджа\"");
    // Four-decimal prices and norms keep every digit.
    EXPECT_EQ(Raw(db, "SELECT price_1 FROM Izdelia WHERE code_izd = 12"), "1.2345");
    EXPECT_EQ(Raw(db, "SELECT price_2 FROM Izdelia WHERE code_izd = 12"), "0.0625");
    EXPECT_EQ(Raw(db, "SELECT quantity_rn FROM Razhodni_normi"), "0.0125");
    // The template's reserved rows are there once, the carried keys beside.
    EXPECT_EQ(RowsOf(db, "SELECT code_izd FROM Izdelia ORDER BY code_izd"), (QStringList{"0", "12"}));
    EXPECT_EQ(RowsOf(db, "SELECT code_r FROM Resources ORDER BY code_r"), (QStringList{"0", "3"}));
    EXPECT_EQ(RowsOf(db, "SELECT code_of_object FROM Obekti ORDER BY 1"), (QStringList{"0", "4"}));
    EXPECT_EQ(RowsOf(db, "SELECT n_Miarka, v_Miarka FROM Merki"), (QStringList{"1@бр."}));
    EXPECT_EQ(RowsOf(db, "SELECT * FROM Nas"), (QStringList{"1@10.0.0.5@41"}));
    EXPECT_EQ(RowsOf(db, "SELECT Count(*) FROM FVD"), (QStringList{"6"}));
    EXPECT_EQ(RowsOf(db, "SELECT value_va FROM VA WHERE code_va = 8"), (QStringList{"2026"}));
    EXPECT_EQ(RowsOf(db, "SELECT Count(*) FROM Zaiavki"), (QStringList{"0"}));
    // The current year is untouched.
    EXPECT_EQ(Rows("SELECT value_va FROM VA WHERE code_va = 8"), (QStringList{"2025"}));
    EXPECT_EQ(Raw(db, "PRAGMA integrity_check"), "ok");
}

TEST_F(YearEnd, ASecondRunLeavesTheExistingDatabaseByteForByte)
{
    {
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        ASSERT_TRUE(form.btnNextClick());
    }
    const QByteArray before = Read(NextYearPath());
    // Data entered into the new year meanwhile must survive a second run.
    Execute("INSERT INTO Merki VALUES ( 9, \"кг\" )");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnNextClick());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Годишното приключване вече е извършено."});
    EXPECT_TRUE(Read(NextYearPath()) == before);
    EXPECT_TRUE(form.btnNext->isEnabled());
}

TEST_F(YearEnd, RefusesWithTheReasonWhenTheFolderCannotBeMade)
{
    ASSERT_TRUE(Write(base_->DbFolder() + "2026", "not a folder"));
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnNextClick());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_TRUE(dialogs.Shown()[0].Text.startsWith("Директорията " + QDir::toNativeSeparators(base_->DbFolder() + "2026/")
                                                   + " не може да бъде създадена: "))
        << dialogs.Shown()[0].Text.toStdString();
    EXPECT_EQ(Read(base_->DbFolder() + "2026"), "not a folder");
}

TEST_F(YearEnd, AMissingTemplateOrYearStopsBeforeAnythingIsMade)
{
    QFile::remove(base_->DbFolder() + TemplateDatabaseFileName);
    {
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form.btnNextClick());
        EXPECT_EQ(dialogs.Texts(), QStringList{"Файлът " + base_->DbFolder() + "empty.db не съществува."});
        EXPECT_FALSE(QFileInfo::exists(NextYearPath()));
    }
    Execute("UPDATE VA SET value_va = \"\" WHERE code_va = 8");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnNextClick());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_FALSE(QDir(base_->DbFolder() + "1").exists());
}

TEST_F(YearEnd, AFailingCarryLeavesNoDatabaseBehind)
{
    // A table of the current year that no longer reads as the template's.
    Execute("DROP TABLE Busses");
    Execute("CREATE TABLE Busses ( c_bus CHAR(50), n_bus CHAR(50) )");
    Execute("INSERT INTO Busses VALUES ( \"x\", \"a\" )");
    Execute("INSERT INTO Busses VALUES ( \"x\", \"b\" )");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnNextClick());
    ASSERT_FALSE(dialogs.Shown().empty());
    EXPECT_TRUE(dialogs.Shown()[0].Text.startsWith("Грешка при работа с базата данни !"));
    EXPECT_NE(form.panelText->text(), "Годишното приключване завърши успешно.");
    EXPECT_FALSE(QFileInfo::exists(NextYearPath()));
    EXPECT_TRUE(QDir(base_->DbFolder() + "2026").entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(YearEnd, ThePerYearDatabaseNamesTheYearAndItsGroup)
{
    const QString current = base_->DbFolder() + "FIRM/2030/" + YearDatabaseFileName;
    QDir().mkpath(QFileInfo(current).absolutePath());
    ASSERT_TRUE(QFile::copy(base_->DbFolder() + TemplateDatabaseFileName, current));
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Type("firm 2030");
        QWidget owner;
        owner.setWindowTitle("Tolvex2000");
        OpenDatabase(QCoreApplication::instance(), &owner, false);
    }
    ASSERT_EQ(DatabaseTag(), "FIRM_2030");
    Execute("INSERT INTO Groups VALUES ( 5, \"Сладкарски\" )");
    TfrmFinsihYear_TLV form;
    EXPECT_EQ(form.CurrentYearText(), "2030");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form.btnNextClick());
    const QString next = base_->DbFolder() + "FIRM/2031/" + YearDatabaseFileName;
    EXPECT_EQ(RowsOf(next, "SELECT * FROM Groups"), QStringList{"5@Сладкарски"});
}
