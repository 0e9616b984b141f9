// The shared connection and the primitives over it, on a database made by
// the program's own schema code.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QWidget>
#include <gtest/gtest.h>

#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

using platform::EDatabaseError;

namespace {

class Connection : public testsupport::DatabaseTest
{
protected:
    QByteArray FileBytes()
    {
        QFile f(DatabasePath());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

QStringList Records(const TDelimitedStrings &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out += list.Strings(i);
    return out;
}

void Fill(TDelimitedStringList &list, const QStringList &records)
{
    for (const QString &r : records)
        list.Add(r);
}

} // namespace

TEST(ConnectionFolders, BaseFolderIsTheParentOfTheProgramsFolder)
{
    EXPECT_EQ(QStringLiteral("/opt/tolvex/"), BaseFolderOfProgram("/opt/tolvex/bin/tolvex"));
    EXPECT_EQ(QStringLiteral("/"), BaseFolderOfProgram("/bin/tolvex"));
    EXPECT_EQ(QStringLiteral("some/path"), DataSourceOf("Provider=x; Data Source = some/path; Mode=y"));
    EXPECT_EQ(QString(), DataSourceOf("Provider=x"));
}

TEST_F(Connection, OpenDatabaseMakesTheConnectionButOpensNothing)
{
    EXPECT_EQ(base_->Path(), BaseFolder());
    EXPECT_EQ(base_->Path() + "db/", DataFolder());
    EXPECT_EQ(QString(), DatabaseTag());
    const QString cs = DbConnection->ConnectionString();
    EXPECT_TRUE(cs.startsWith("Provider=Microsoft.Jet.OLEDB.4.0; User ID=Admin; Data Source = " + base_->Path() +
                              "db/bread.db; Mode=Share Deny None; Extended Properties=\"\"; "))
        << cs.toStdString();
    EXPECT_TRUE(cs.contains("Jet OLEDB:Database Password=\"vux\"; Jet OLEDB:Engine Type=5; "));
    EXPECT_TRUE(cs.endsWith("Jet OLEDB:Compact Without Replica Repair=False; Jet OLEDB:SFP=False"));
    EXPECT_EQ(DatabasePath(), DbConnection->Path());
    EXPECT_FALSE(DbConnection->LoginPrompt());
    EXPECT_FALSE(DbConnection->Connected());

    TDelimitedStringList list;
    EXPECT_TRUE(SelectToList(nullptr, DbConnection, "Select code_fvd, name_fvd From fvd Where code_fvd = 1", list));
    EXPECT_TRUE(DbConnection->Connected());
    EXPECT_EQ(QStringList({"1@Фактура"}), Records(list));

    CloseDatabase();
    EXPECT_EQ(nullptr, DbConnection);
    CloseDatabase();  // twice is harmless
}

TEST_F(Connection, FirstStartCreatesTheDatabaseAndTheTemplate)
{
    CloseDatabase();
    QFile::remove(DatabasePath());
    QFile::remove(base_->DbFolder() + "empty.db");
    QDir(base_->DbFolder()).removeRecursively();
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    EXPECT_TRUE(QFileInfo(DatabasePath()).isFile());
    EXPECT_TRUE(QFileInfo(base_->DbFolder() + "empty.db").isFile());
    EXPECT_EQ(QStringList({"2"}), Rows("SELECT Count(*) FROM Payment_types"));
    // An existing database is never made anew.
    Execute("INSERT INTO Payment_types VALUES ( 3, \"Прихващане\" )");
    CloseDatabase();
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    EXPECT_EQ(QStringList({"3"}), Rows("SELECT Count(*) FROM Payment_types"));
}

TEST_F(Connection, FieldsAreCleanedAsTheyEnterTheList)
{
    Execute("Insert into Busses values ( 1, \"  Бус \"\"Север\"\" \" )");
    Execute("Insert into Busses values ( 2, \"   \" )");
    Execute("Insert into Busses values ( 3, \"a@b°c\" )");
    Execute("Insert into Busses values ( 4, NULL )");
    Execute(QStringLiteral("Insert into Busses values ( 5, \"\ttab\r\n\" )"));
    TDelimitedStringList list;
    EXPECT_TRUE(SelectToList(nullptr, DbConnection, "SELECT c_bus, n_bus, c_bus FROM Busses ORDER BY c_bus", list));
    EXPECT_EQ(QStringList({"1@Бус Север@1", "2@@2", "3@a~b c@3", "4@@4", "5@tab@5"}), Records(list));
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(3, list.GetFieldCount(i));

    // Dates, flags and numbers as the program reads them.
    Execute("INSERT INTO Zaiavki Values ( 1000000041.000000, 39507, 7, 0, 12.500000, 1, 0, 0 )");
    EXPECT_EQ(QStringList({"1000000041@29.02.2008@7@30.12.1899@12.5@True@30.12.1899@False"}),
              Rows("SELECT * FROM Zaiavki"));
}

TEST_F(Connection, SelectToListEdgeCases)
{
    TDelimitedStringList list;
    list.Add("old");
    EXPECT_TRUE(SelectToList(nullptr, DbConnection, "", list));
    EXPECT_EQ(0, list.Count());
    list.Add("old");
    EXPECT_TRUE(SelectToList(nullptr, DbConnection, "SELECT c_bus FROM Busses", list));
    EXPECT_EQ(0, list.Count());
    // A one-column row whose value is empty adds no record, as text does.
    EXPECT_TRUE(SelectToList(nullptr, DbConnection, "Select max( c_bus ) from Busses", list));
    EXPECT_EQ(0, list.Count());
    EXPECT_THROW(SelectToList(nullptr, DbConnection, "SELECT x FROM no_such_table", list), EDatabaseError);
    EXPECT_THROW(SelectToList(nullptr, DbConnection, "SELEC x", list), EDatabaseError);
    EXPECT_THROW(SelectToList(nullptr, nullptr, "SELECT 1", list), EDatabaseError);
}

TEST_F(Connection, DataSetToListKeepsTheRawTexts)
{
    Execute("Insert into Busses values ( 1, \" a\"\"b \" )");
    TADOQuery query;
    ASSERT_TRUE(ReopenQuery(DbConnection, "SELECT c_bus, n_bus FROM Busses", query));
    EXPECT_EQ(2, query.FieldCount());
    EXPECT_EQ(QStringLiteral("n_bus"), query.FieldName(1));
    EXPECT_TRUE(query.FieldIsText(1));
    EXPECT_FALSE(query.FieldIsText(0));
    TDelimitedStringList list;
    DataSetToList(query, list);
    EXPECT_EQ(QStringList({"1@ a\"b "}), Records(list));
}

TEST_F(Connection, ExecSqlReportsAnyFailureWithTheStatement)
{
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(ExecSQL(nullptr, DbConnection, "Insert into Groups values ( 1, \"Хляб\" )"));
    EXPECT_FALSE(ExecSQL(nullptr, DbConnection, "Insert into Groups values ( 1, \"Друго\" )"));
    EXPECT_FALSE(ExecSQL(nullptr, DbConnection, "Insert into Grups values ( 2, \"x\" )"));
    EXPECT_FALSE(ExecSQL(nullptr, DbConnection, "Insrt into Groups values ( 2, \"x\" )"));
    EXPECT_FALSE(ExecSQL(nullptr, DbConnection, "Insert into Groups values ( 2, \"x\" ); DROP TABLE Groups"));
    ASSERT_EQ(4u, dialogs.Shown().size());
    EXPECT_EQ(mtError, dialogs.Shown()[0].Kind);
    EXPECT_EQ(QStringLiteral("Грешка при работа с базата данни !\n\rЗапис със същия ключ вече съществува: данните "
                             "не са записани.\n\rInsert into Groups values ( 1, \"Друго\" )"),
              dialogs.Texts()[0]);
    EXPECT_EQ(QStringLiteral("Грешка при работа с базата данни !\n\rГрешка 1 на базата данни.\n\r"
                             "Insert into Grups values ( 2, \"x\" )"),
              dialogs.Texts()[1]);
    EXPECT_TRUE(dialogs.Texts()[2].startsWith("Грешка при работа с базата данни !\n\rГрешка 1 на базата данни.\n\rInsrt"));
    EXPECT_TRUE(dialogs.Texts()[3].contains("Characters found after end of SQL statement."));
    EXPECT_EQ(QStringList({"1@Хляб"}), Rows("SELECT * FROM Groups"));
}

TEST_F(Connection, QuotedNamesRoundTripAndDeleteOnlyThemselves)
{
    const QStringList names = {"O'Hara", "x\" OR \"1\"=\"1", "100%", "a@b"};
    for (const QString &n : names)
        ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                            QString::asprintf(sqlInsertUsers_passwords, "Users_passwords",
                                              SqlEscape(n).toUtf8().constData(), "pw", "Име")));
    EXPECT_EQ(QStringList({"O'Hara@pw@Име"}), Rows("SELECT * FROM Users_passwords WHERE user_name = \"O'Hara\""));
    TADOQuery q;
    ReopenQuery(DbConnection, "SELECT user_name FROM Users_passwords ORDER BY user_name", q);
    QStringList stored;
    for (; !q.Eof(); q.Next())
        stored += q.FieldText(0);
    EXPECT_EQ(QStringList({"100%", "a@b", "O'Hara", "x\" OR \"1\"=\"1"}), stored);

    ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                        QStringLiteral("Delete * from %1 Where %2 = \"%3\"")
                            .arg("Users_passwords", "user_name", SqlEscape("x\" OR \"1\"=\"1"))));
    EXPECT_EQ(QStringList({"3"}), Rows("SELECT Count(*) FROM Users_passwords"));
}

TEST_F(Connection, TablesByNameWhateverTheCase)
{
    EXPECT_TRUE(TableExists(DbConnection, "zaiavki"));
    EXPECT_TRUE(TableExists(DbConnection, "PAYMENT_TYPES"));
    EXPECT_FALSE(TableExists(DbConnection, "table_1_apkio"));
    EXPECT_TRUE(DropTableIfExists(nullptr, DbConnection, "table_1_apkio"));
    Execute("SELECT obekt INTO table_1_apkio FROM Zaiavki");
    EXPECT_TRUE(TableExists(DbConnection, "Table_1_APKIO"));
    EXPECT_TRUE(DropTableIfExists(nullptr, DbConnection, "table_1_apkio"));
    EXPECT_FALSE(TableExists(DbConnection, "table_1_apkio"));
}

TEST_F(Connection, NextCodeIsTheLargestPlusOne)
{
    int code = -5;
    EXPECT_TRUE(NextCode(nullptr, "c_bus", "Busses", code));
    EXPECT_EQ(1, code);
    Execute("Insert into Busses values ( 41, \"a\" )");
    Execute("Insert into Busses values ( 7, \"b\" )");
    EXPECT_TRUE(NextCode(nullptr, "c_bus", "Busses", code));
    EXPECT_EQ(42, code);
    // Document numbers are DOUBLE: 41.0 reads "41", not "41.0".
    Execute("INSERT INTO Zaiavki Values ( 41.000000, 1, 1, 1, 0.000000, 0, 0, 0 )");
    EXPECT_TRUE(NextCode(nullptr, "Query_num", "Zaiavki", code));
    EXPECT_EQ(42, code);
    code = 9;
    EXPECT_THROW(NextCode(nullptr, "x", "no_such_table", code), EDatabaseError);
    EXPECT_EQ(0, code);
}

TEST_F(Connection, FailedSaveInATransactionLeavesTheFileUnchangedAndARetryWritesOnce)
{
    testsupport::ScopedDialogAnswers dialogs;
    Execute("Insert into Busses values ( 1, \"a\" )");
    DbConnection->Close();
    const QByteArray before = FileBytes();

    const QStringList save = {"Insert into Busses values ( 2, \"b\" )",
                              "Update Busses Set n_bus = \"changed\" Where ( c_bus = 1 )",
                              "Insert into Busses values ( 1, \"duplicate\" )"};
    EXPECT_FALSE(ExecSQLInTransaction(nullptr, DbConnection, save));
    ASSERT_EQ(1u, dialogs.Shown().size());
    EXPECT_TRUE(dialogs.Texts()[0].endsWith("Insert into Busses values ( 1, \"duplicate\" )"));
    DbConnection->Close();
    EXPECT_EQ(before, FileBytes());

    QStringList retry = save;
    retry.removeLast();
    EXPECT_TRUE(ExecSQLInTransaction(nullptr, DbConnection, retry));
    EXPECT_EQ(QStringList({"1@changed", "2@b"}), Rows("SELECT * FROM Busses ORDER BY c_bus"));
    EXPECT_EQ(1u, dialogs.Shown().size());
}

TEST_F(Connection, SaveThatFindsTheDatabaseBusySaysSoAndCanBeMadeAgain)
{
    testsupport::ScopedDialogAnswers dialogs;
    const int timeout = platform::Database::BusyTimeoutMs();
    platform::Database::SetBusyTimeoutMs(50);
    DbConnection->Close();
    {
        // Another workstation is in the middle of its save.
        platform::Database other(DatabasePath());
        platform::DbTransaction holding(other);
        other.Execute("Insert into Busses values ( 7, \"other\" )");
        EXPECT_FALSE(ExecSQLInTransaction(nullptr, DbConnection, {"Insert into Busses values ( 1, \"a\" )"}));
        EXPECT_FALSE(ExecSQL(nullptr, DbConnection, "Insert into Busses values ( 1, \"a\" )"));
    }
    platform::Database::SetBusyTimeoutMs(timeout);
    const QString busy = "Грешка при работа с базата данни !\n\rБазата данни е заета от друго работно място. "
                         "Данните не са записани: опитайте отново след малко.\n\r";
    EXPECT_EQ(QStringList({busy, busy + "Insert into Busses values ( 1, \"a\" )"}), dialogs.Texts());
    EXPECT_TRUE(ExecSQLInTransaction(nullptr, DbConnection, {"Insert into Busses values ( 1, \"a\" )"}));
    EXPECT_EQ(QStringList({"1@a"}), Rows("SELECT * FROM Busses"));
}

// ------------------------------------------------------------ two processes

namespace {
const char *const kChildDb = "TOLVEX_TEST_CHILD_DB";
const char *const kChildGo = "TOLVEX_TEST_CHILD_GO";
const int kChildSaves = 100;
} // namespace

// The child's part of the test below: it runs only in the processes that
// test starts (with kChildDb set), as a second workstation would.
TEST(ConcurrentSaveChild, SavesNumberedReceipts)
{
    const QString path = qEnvironmentVariable(kChildDb);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a child process of Connection.TwoProcessesSavingAtOnceTakeDistinctNumbers";
    testsupport::OpenDatabaseAsChild(path);
    ASSERT_EQ(QFileInfo(path).absoluteFilePath(), QFileInfo(DbConnection->Path()).absoluteFilePath());
    testsupport::ScopedDialogAnswers dialogs;
    const QString me = QString::number(QCoreApplication::applicationPid());
    // Both workstations start saving together.
    const QString go = qEnvironmentVariable(kChildGo);
    testsupport::WaitForFile(go, 20000);
    for (int i = 0; i < kChildSaves; ++i) {
        platform::DbTransaction tr(*DbConnection);
        int number = 0;
        ASSERT_TRUE(NextCode(nullptr, "Query_num", "Zaiavki", number));
        ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                            QString::asprintf(sqlInsertZaiavki, double(number), 39507, 1, 39508, 10.0, 0, 0, 0)));
        ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                            QString::asprintf(sqlInsertZaiavka_rows, double(number), 7, 3, 2.0, 4, 1.5, 0, 4, 1.5,
                                              3.0)));
        ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                            QStringLiteral("Insert into nas values ( %1, \"%2\", \"x\" )").arg(number).arg(me)));
        tr.Commit();
        if (i == 0) {
            // Neither workstation may finish before the other has saved:
            // without this a busy loser can sleep through the winner's run.
            QFile mark(QFileInfo(go).absolutePath() + "/saved-" + me);
            ASSERT_TRUE(mark.open(QIODevice::WriteOnly));
            mark.close();
            QDeadlineTimer both(20000);
            while (QDir(QFileInfo(go).absolutePath()).entryList({"saved-*"}, QDir::Files).size() < 2
                   && !both.hasExpired())
                QThread::msleep(2);
        }
        QThread::msleep(1);  // an operator between two saves
    }
    EXPECT_TRUE(dialogs.Shown().empty());
    CloseDatabase();
}

TEST_F(Connection, TwoProcessesSavingAtOnceTakeDistinctNumbers)
{
    CloseDatabase();
    const char *const child = "ConcurrentSaveChild.SavesNumberedReceipts";
    const std::unique_ptr<QProcess> a =
        testsupport::StartChildTest(child, {{kChildDb, DatabasePath()}, {kChildGo, base_->Path() + "go"}});
    const std::unique_ptr<QProcess> b =
        testsupport::StartChildTest(child, {{kChildDb, DatabasePath()}, {kChildGo, base_->Path() + "go"}});
    ASSERT_TRUE(a->waitForStarted() && b->waitForStarted());
    QThread::msleep(200);
    QFile go(base_->Path() + "go");
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();
    ASSERT_TRUE(a->waitForFinished(60000));
    ASSERT_TRUE(b->waitForFinished(60000));
    EXPECT_EQ(0, a->exitCode()) << a->readAll().toStdString();
    EXPECT_EQ(0, b->exitCode()) << b->readAll().toStdString();

    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    const int total = 2 * kChildSaves;
    EXPECT_EQ(QStringList({QString::number(total) + "@1@" + QString::number(total)}),
              Rows("SELECT Count(*), Min(Query_num), Max(Query_num) FROM Zaiavki"));
    EXPECT_EQ(QStringList({QString::number(total)}), Rows("SELECT Count(*) FROM Zaiavka_rows"));
    // Each process wrote its own numbers, and both wrote some.
    const QStringList perProcess = Rows("SELECT IP_Address, Count(*) FROM Nas GROUP BY IP_Address");
    ASSERT_EQ(2, perProcess.size());
    for (const QString &r : perProcess)
        EXPECT_TRUE(r.endsWith("@" + QString::number(kChildSaves))) << r.toStdString();
    // They did save at the same time: their numbers interleave.
    const QStringList ranges = Rows("SELECT Min(n_nas), Max(n_nas) FROM Nas GROUP BY IP_Address");
    ASSERT_EQ(2, ranges.size());
    EXPECT_LT(ranges[0].section('@', 0, 0).toInt(), ranges[1].section('@', 1, 1).toInt());
    EXPECT_LT(ranges[1].section('@', 0, 0).toInt(), ranges[0].section('@', 1, 1).toInt());
}

// ------------------------------------------------------------ per-year mode

TEST_F(Connection, PerYearModeAsksForThePasswordAndNamesTheFolders)
{
    CloseDatabase();
    QWidget form;
    form.setWindowTitle("Годишно приключване");
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Type("abc 2008");
        OpenDatabase(QCoreApplication::instance(), &form, false);
        ASSERT_EQ(1u, dialogs.Shown().size());
        EXPECT_TRUE(dialogs.Shown()[0].IsInputBox);
        EXPECT_EQ(QStringLiteral("Годишно приключване"), dialogs.Shown()[0].Caption);
        EXPECT_EQ(QStringLiteral("Въведете парола"), dialogs.Shown()[0].Prompt);
        EXPECT_EQ(QChar('*'), dialogs.Shown()[0].MaskChar);
    }
    ASSERT_NE(nullptr, DbConnection);
    EXPECT_EQ(base_->Path() + "db/ABC/2008/", DataFolder());
    EXPECT_EQ(QStringLiteral("ABC_2008"), DatabaseTag());
    EXPECT_EQ(base_->Path() + "db/ABC/2008/bread_production.db", DbConnection->Path());
    EXPECT_FALSE(QFileInfo::exists(DbConnection->Path()));
    CloseDatabase();

    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.CancelInput();
        OpenDatabase(QCoreApplication::instance(), &form, false);
    }
    EXPECT_EQ(nullptr, DbConnection);

    // Without a form, or when the operator chose so, nobody is asked.
    SetRegistrySetting("RG_Registry_21", "1");
    testsupport::ScopedDialogAnswers dialogs;
    OpenDatabase(QCoreApplication::instance(), &form, false);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(QStringLiteral("_"), DatabaseTag());
}

// ------------------------------------------------------------ searches

TEST(RecordListSearches, FindByValueTwoColumnsAndFromTheEnd)
{
    TDelimitedStringList list;
    Fill(list, {"1@a@x", "2@b@y", "3@a@y", "4@b"});
    EXPECT_EQ(1, IndexOfFieldValue("b", &list, 1));
    EXPECT_EQ(-1, IndexOfFieldValue("B", &list, 1));  // exact, case-sensitive
    EXPECT_EQ(3, IndexOfFieldValue("", &list, 2));   // a missing field reads ""
    EXPECT_EQ(-1, IndexOfFieldValue("a", nullptr, 1));
    // Value1 belongs to Col1, Value2 to Col2 (the last argument is Col1).
    EXPECT_EQ(2, FindRowByTwoColumns("a", "y", &list, 2, 1));
    EXPECT_EQ(-1, FindRowByTwoColumns("y", "a", &list, 2, 1));
    EXPECT_EQ(3, FindLastRowByColumn("b", &list, 1));
    EXPECT_EQ(-1, FindLastRowByColumn("c", &list, 1));
}

TEST(RecordListSearches, FindRowByCodeIsABinarySearch)
{
    TDelimitedStringList sorted;
    Fill(sorted, {"1@a", "5@b", "9@c", "12@d", "40@e"});
    EXPECT_EQ(0, FindRowByCode(1, &sorted, 0));
    EXPECT_EQ(3, FindRowByCode(12, &sorted, 0));
    EXPECT_EQ(4, FindRowByCode(40, &sorted, 0));
    EXPECT_EQ(-1, FindRowByCode(6, &sorted, 0));
    const TDelimitedStringList empty;
    EXPECT_EQ(-1, FindRowByCode(1, &empty, 0));
    // On a list not sorted by the column a present code may be missed.
    TDelimitedStringList unsorted;
    Fill(unsorted, {"9@a", "1@b", "5@c"});
    EXPECT_EQ(-1, FindRowByCode(9, &unsorted, 0));
}

TEST(RecordListSearches, LookupsGiveEmptyWhenNothingIsFound)
{
    TDelimitedStringList list;
    Fill(list, {"1@Хляб", "3@Кифла", "7@Питка"});
    QString result = "stale";
    LookupColumn("3", &list, 0, result, 1);
    EXPECT_EQ(QStringLiteral("Кифла"), result);
    LookupColumn("4", &list, 0, result, 1);
    EXPECT_EQ(QString(), result);
    result = "stale";
    LookupColumn("3", &list, 2, result, 1);  // key column beyond the fields
    EXPECT_EQ(QString(), result);
    LookupColumnByCode(7, &list, 0, result, 1);
    EXPECT_EQ(QStringLiteral("Питка"), result);
    result = "stale";
    LookupColumnByCode(2, &list, 0, result, 1);  // not the row before the first
    EXPECT_EQ(QString(), result);
    LookupColumnByCode(1, nullptr, 0, result, 1);
    EXPECT_EQ(QString(), result);
}
