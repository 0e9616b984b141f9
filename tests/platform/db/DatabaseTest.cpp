// The SQL dialect layer against a real SQLite file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <vector>

#include "platform/db/Collation.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "support/QtPrinters.h"

using platform::Database;
using platform::DbTransaction;
using platform::EDatabaseError;

namespace {

class JetDatabase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("test.db");
        Database::CreateFile(path_);
        db_.SetPath(path_);
    }

    // The first column of every row.
    QStringList Column(const QString &sql)
    {
        QStringList out;
        for (const QStringList &row : db_.Query(sql).rows)
            out += row.value(0);
        return out;
    }
    QString One(const QString &sql) { return Column(sql).value(0); }

    QByteArray FileBytes()
    {
        QFile f(path_);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    QTemporaryDir dir_;
    QString path_;
    Database db_;
};

} // namespace

TEST_F(JetDatabase, OpensOnlyAnExistingFileAndWithTheAgreedSettings)
{
    Database missing(dir_.filePath("none.db"));
    EXPECT_THROW(missing.Execute("CREATE TABLE t (a INT)"), EDatabaseError);
    EXPECT_FALSE(QFile::exists(dir_.filePath("none.db")));
    EXPECT_THROW(Database::CreateFile(path_), EDatabaseError);

    EXPECT_FALSE(db_.IsOpen());
    EXPECT_EQ(QStringLiteral("delete"), One("PRAGMA journal_mode"));
    EXPECT_TRUE(db_.IsOpen());
    EXPECT_EQ(QStringLiteral("2"), One("PRAGMA synchronous"));  // FULL
    EXPECT_EQ(QString::number(Database::BusyTimeoutMs()), One("PRAGMA busy_timeout"));

    // Double-quoted strings are no identifiers' fallback any more.
    sqlite3_stmt *stmt = nullptr;
    EXPECT_NE(SQLITE_OK, sqlite3_prepare_v2(db_.Handle(), "SELECT \"no_such_column\"", -1, &stmt, nullptr));
    sqlite3_finalize(stmt);
}

TEST_F(JetDatabase, FieldsReadAsAdoGaveThemByDeclaredType)
{
    db_.Execute("CREATE TABLE t (n INT, d DOUBLE, r REAL, day DATETIME, f BIT, s CHAR(50), b BYTE)");
    db_.Execute("INSERT INTO t VALUES ( 7, 41.000000, 12.5, 0, 1, \"a\", 3 )");
    db_.Execute("INSERT INTO t VALUES ( -7, 1234567890.000000, -0.0, 39507, 0, \"  \", 0 )");
    db_.Execute("INSERT INTO t VALUES ( NULL, 0.1, 1e15, 39507.5, NULL, NULL, NULL )");
    const auto r = db_.Query("SELECT * FROM t");
    EXPECT_EQ(QStringList({"n", "d", "r", "day", "f", "s", "b"}), r.columns);
    ASSERT_EQ(3u, r.rows.size());
    EXPECT_EQ(QStringList({"7", "41", "12.5", "30.12.1899", "True", "a", "3"}), r.rows[0]);
    EXPECT_EQ(QStringList({"-7", "1234567890", "0", "29.02.2008", "False", "  ", "0"}), r.rows[1]);
    // A NULL flag is stored as False.
    EXPECT_EQ(QStringList({"", "0.1", "1e+15", "29.02.2008 12:00:00", "False", "", ""}), r.rows[2]);

    // Expressions read by the type of their value; names are the aliases or
    // the origin columns, also twice over.
    const auto e = db_.Query("SELECT Sum(t.d) AS total, Count(*), Max(t.n), t.n, u.n FROM t, t AS u WHERE u.n = 7");
    EXPECT_EQ(QStringList({"total", "Count(*)", "Max(t.n)", "n", "n"}), e.columns);
    EXPECT_EQ(QStringList({"1234567931.1", "3", "7", "7", "7"}), e.rows[0]);
}

TEST_F(JetDatabase, FlagsWrittenAsAnyNonZeroAreTrue)
{
    db_.Execute("CREATE TABLE Zaiavki (Query_num DOUBLE, Is_paid BIT, PRIMARY KEY ( Query_num ) )");
    db_.Execute("INSERT INTO Zaiavki Values ( 1.000000, 1 )");
    db_.Execute("INSERT INTO Zaiavki Values ( 2.000000, 0 )");
    db_.Execute("INSERT INTO Zaiavki Values ( 3.000000, -1 )");
    db_.Execute("INSERT INTO Zaiavki Values ( 4.000000, 5 )");
    db_.Execute("INSERT INTO Zaiavki Values ( 5.000000, True )");
    EXPECT_EQ(QStringList({"1", "3", "4", "5"}), Column("SELECT Query_num FROM Zaiavki WHERE Is_paid = True"));
    EXPECT_EQ(QStringList({"1", "3", "4", "5"}), Column("SELECT Query_num FROM Zaiavki WHERE Is_paid = -1"));
    EXPECT_EQ(QStringList({"2"}), Column("SELECT Query_num FROM Zaiavki WHERE Is_paid = False"));
    db_.Execute("Update Zaiavki Set Is_Paid = 1 Where ( Query_num = 2.000000 )");
    EXPECT_EQ(QStringLiteral("True"), One("SELECT Is_paid FROM Zaiavki WHERE Query_num = 2"));
    EXPECT_EQ(QStringLiteral("5"), One("SELECT Count(*) FROM Zaiavki WHERE Is_paid = True"));
}

TEST_F(JetDatabase, ValueEqualToAColumnNameStaysALiteral)
{
    db_.Execute("CREATE TABLE Groups (code_g INT Primary key, name_g CHAR(50) ) ");
    db_.Execute("Insert into Groups values ( 1, \"Хляб\" )");
    db_.Execute("Insert into Groups values ( 2, \"name_g\" )");
    db_.Execute("Update Groups Set name_g = \"code_g\" Where ( code_g = 1 )");
    EXPECT_EQ(QStringLiteral("code_g"), One("SELECT name_g FROM Groups WHERE code_g = 1"));
    EXPECT_EQ(QStringList({"2"}), Column("SELECT code_g FROM Groups WHERE name_g = \"name_g\""));
    // A literal naming no column is text too, not an error.
    EXPECT_EQ(QStringLiteral("zzz"), One("SELECT \"zzz\""));
}

TEST_F(JetDatabase, QuotedTextRoundTripsAndNeverWidensAStatement)
{
    db_.Execute("CREATE TABLE Users_passwords (user_name CHAR(50) primary key, user_password CHAR(50))");
    const QStringList names = {"O'Hara", "x\" OR \"1\"=\"1", "50% off", "a@b°c", "back\\slash", "два\nреда"};
    for (const QString &n : names)
        db_.Execute(QStringLiteral("Insert into Users_passwords values ( \"%1\", \"p\" )").arg(platform::SqlEscape(n)));
    db_.Execute("Insert into Users_passwords values ( \"other\", \"p\" )");
    for (const QString &n : names)
        EXPECT_EQ(n, One(QStringLiteral("SELECT user_name FROM Users_passwords WHERE user_name = \"%1\"")
                             .arg(platform::SqlEscape(n))));
    db_.Execute(QStringLiteral("Delete * from Users_passwords Where user_name = \"%1\"")
                    .arg(platform::SqlEscape("x\" OR \"1\"=\"1")));
    EXPECT_EQ(QStringLiteral("6"), One("SELECT Count(*) FROM Users_passwords"));
}

TEST_F(JetDatabase, DeleteStarDeletesTheChosenRows)
{
    db_.Execute("CREATE TABLE t (a INT)");
    db_.Execute("INSERT INTO t VALUES ( 1 )");
    db_.Execute("INSERT INTO t VALUES ( 2 )");
    db_.Execute("DELETE * FROM t WHERE ( a = 1 )");
    EXPECT_EQ(QStringList({"2"}), Column("SELECT a FROM t"));
}

TEST_F(JetDatabase, DivisionIsFloatingAsInJet)
{
    EXPECT_EQ(QStringLiteral("2.5"), One("SELECT 5/2"));
    db_.Execute("CREATE TABLE t (a INT, b INT)");
    db_.Execute("INSERT INTO t VALUES ( 7, 2 )");
    EXPECT_EQ(QStringLiteral("3.5"), One("SELECT a/b FROM t"));
    EXPECT_EQ(QStringLiteral("10.5"), One("SELECT 3*a/b FROM t"));
    EXPECT_EQ(QStringLiteral("-0.75"), One("SELECT 1 - a/b/2 FROM t"));
}

TEST_F(JetDatabase, OneStatementPerCall)
{
    db_.Execute("CREATE TABLE t (a INT)");
    db_.Execute("INSERT INTO t VALUES ( 1 )");
    EXPECT_THROW(db_.Execute("INSERT INTO t VALUES ( 2 ); DELETE * FROM t"), EDatabaseError);
    EXPECT_THROW(db_.Select("SELECT a FROM t; DELETE * FROM t"), EDatabaseError);
    EXPECT_EQ(QStringList({"1"}), Column("SELECT a FROM t"));
}

TEST_F(JetDatabase, TextComparesAndSortsInBulgarianIgnoringCase)
{
    db_.Execute("CREATE TABLE t (code INT, name CHAR(50))");
    const QStringList names = {"в", "Б", "а", "Я", "ъгъл", "Ь", "b", "A", "10", "2", "Ю", "ж"};
    int code = 0;
    for (const QString &n : names)
        db_.Execute(QStringLiteral("INSERT INTO t VALUES ( %1, \"%2\" )").arg(++code).arg(n));
    EXPECT_EQ(QStringList({"10", "2", "A", "b", "а", "Б", "в", "ж", "ъгъл", "Ь", "Ю", "Я"}),
              Column("SELECT name FROM t ORDER BY name"));
    EXPECT_EQ(QStringList({"Б"}), Column("SELECT name FROM t WHERE name = \"б\""));
    EXPECT_EQ(QStringList({"ъгъл"}), Column("SELECT name FROM t WHERE name = \"ЪГЪЛ  \""));
    EXPECT_EQ(QStringList({"ъгъл"}), Column("SELECT name FROM t WHERE name LIKE \"Ъг%\""));
    EXPECT_EQ(QStringList({"Б", "b"}), Column("SELECT name FROM t WHERE name LIKE \"_\" AND name IN (\"б\", \"B\")"));
    EXPECT_EQ(QStringLiteral("12"), One("SELECT Count(DISTINCT name) FROM t"));
    EXPECT_EQ(QStringLiteral("2"), One("SELECT Count(*) FROM t WHERE name >= \"ю\""));
}

TEST(JetCollation, OrderOfCharacterClassesAndLikePatterns)
{
    EXPECT_LT(platform::JetCompare(" a", "1"), 0);
    EXPECT_LT(platform::JetCompare("-", "0"), 0);
    EXPECT_LT(platform::JetCompare("9", "a"), 0);
    EXPECT_LT(platform::JetCompare("z", "а"), 0);
    EXPECT_LT(platform::JetCompare("аб", "аба"), 0);
    EXPECT_EQ(0, platform::JetCompare("Щъркел", "щЪРКЕЛ "));
    EXPECT_TRUE(platform::JetLike("%ЛЯБ", "хляб"));
    EXPECT_TRUE(platform::JetLike("a%b%c", "aXbYbc"));
    EXPECT_FALSE(platform::JetLike("a%b%c", "aXbYbd"));
    EXPECT_TRUE(platform::JetLike("10!%", "10%", U'!'));
    EXPECT_FALSE(platform::JetLike("10!%", "100", U'!'));
    EXPECT_FALSE(platform::JetLike("_", ""));
}

TEST_F(JetDatabase, SelectIntoKeepsDatesAndFlags)
{
    db_.Execute("CREATE TABLE Zaiavki (Query_num DOUBLE, for_date DATETIME, Is_paid BIT, obekt INT, "
                "name CHAR(50), PRIMARY KEY ( Query_num ) )");
    db_.Execute("INSERT INTO Zaiavki Values ( 1.000000, 39507, 1, 4, \"Б\" )");
    db_.Execute("SELECT Zaiavki.for_date,   Zaiavki.Is_paid, obekt * 2 AS twice, name INTO table_9_x "
                "FROM Zaiavki WHERE Query_num = 1");
    const auto r = db_.Query("SELECT * FROM table_9_x");
    EXPECT_EQ(QStringList({"for_date", "Is_paid", "twice", "name"}), r.columns);
    EXPECT_EQ(QStringList({"DATETIME", "BIT", "", "CHAR(50)"}), r.declTypes);
    ASSERT_EQ(1u, r.rows.size());
    EXPECT_EQ(QStringList({"29.02.2008", "True", "8", "Б"}), r.rows[0]);
    // The copy keeps the program's text comparison and flag rules.
    EXPECT_EQ(QStringLiteral("1"), One("SELECT Count(*) FROM table_9_x WHERE name = \"б\" AND Is_paid = True"));
    db_.Execute("INSERT INTO table_9_x VALUES ( 1, 7, 1, \"x\" )");
    EXPECT_EQ(QStringLiteral("2"), One("SELECT Count(*) FROM table_9_x WHERE Is_paid = -1"));
    // A second SELECT INTO the same table fails and changes nothing.
    EXPECT_THROW(db_.Execute("SELECT obekt INTO table_9_x FROM Zaiavki"), EDatabaseError);
    EXPECT_EQ(QStringLiteral("2"), One("SELECT Count(*) FROM table_9_x"));
}

TEST_F(JetDatabase, CrosstabOverDatesComesInDateOrderWithEmptyCells)
{
    db_.Execute("CREATE TABLE Zaiavki (Query_num DOUBLE, obekt INT, for_date DATETIME, Total_sum REAL)");
    // 30.01.2008 .. 02.02.2008 are 39477 .. 39480: as text "01.02" sorts first.
    const int rows[][3] = {{1, 39477, 10}, {1, 39480, 5}, {2, 39479, 7}, {2, 39479, 1}, {1, 39478, 2}, {3, 39490, 9}};
    int n = 0;
    for (const auto &r : rows)
        db_.Execute(QStringLiteral("INSERT INTO Zaiavki Values ( %1, %2, %3, %4 )").arg(++n).arg(r[0]).arg(r[1]).arg(r[2]));
    const auto x = db_.Query(
        "TRANSFORM Sum( Total_sum ) AS SumOfTotal_sum SELECT obekt, Sum( Total_sum ) AS [Total Of Total_sum] "
        "FROM Zaiavki WHERE Zaiavki.for_date >= 39477 AND Zaiavki.for_date <= 39480 GROUP BY obekt "
        "PIVOT Format( [for_date], \"Short Date\" )");
    EXPECT_EQ(QStringList({"obekt", "Total Of Total_sum", "30.01.2008", "31.01.2008", "01.02.2008", "02.02.2008"}),
              x.columns);
    ASSERT_EQ(2u, x.rows.size());
    EXPECT_EQ(QStringList({"1", "17", "10", "2", "", "5"}), x.rows[0]);
    EXPECT_EQ(QStringList({"2", "8", "", "", "8", ""}), x.rows[1]);

    const auto c = db_.Query("TRANSFORM Count(Query_num) SELECT obekt FROM Zaiavki GROUP BY obekt PIVOT obekt");
    EXPECT_EQ(QStringList({"obekt", "1", "2", "3"}), c.columns);
    EXPECT_EQ(QStringList({"2", "", "2", ""}), c.rows[1]);
    // No rows in the period: no pivot columns, no rows.
    const auto none = db_.Query("TRANSFORM Sum(Total_sum) SELECT obekt FROM Zaiavki WHERE obekt = 99 "
                                "GROUP BY obekt PIVOT for_date");
    EXPECT_EQ(QStringList({"obekt"}), none.columns);
    EXPECT_TRUE(none.rows.empty());
}

TEST_F(JetDatabase, CrosstabsSpreadFromOneGroupedQueryMatchTheColumnPerValueForm)
{
    db_.Execute("CREATE TABLE t (site INT, day DATETIME, kind CHAR(10), q DOUBLE)");
    const char *const rows[] = {"1, 39477, 'б', 2.5", "1, 39477, 'Б', 1",  "1, 39478, NULL, 4", "2, 39478, 'а', 7",
                                "3, 39479, 'а', NULL", "2, 39477, 'в', -1", "1, 39479, 'в', 0.25"};
    for (const char *r : rows)
        db_.Execute(QStringLiteral("INSERT INTO t VALUES ( %1 )").arg(QString::fromUtf8(r)));
    // A HAVING that keeps every row group takes the column-per-value form.
    // The last two need the column-per-value form (a heading that is more
    // than an aggregate, rows ordered by a total).
    const char *const crosstabs[][2] = {
        {"TRANSFORM Sum(q) SELECT site, Sum(q), Count(*) AS n FROM t GROUP BY site", "PIVOT kind"},
        {"TRANSFORM Count(q) SELECT site FROM t GROUP BY site", "PIVOT Format(day, \"Short Date\")"},
        {"TRANSFORM Avg(q) SELECT site, Count(q) AS c FROM t GROUP BY site ORDER BY site DESC", "PIVOT day"},
        {"TRANSFORM Sum(q) SELECT site, Sum(q) * 2 AS s FROM t GROUP BY site", "PIVOT kind"},
        {"TRANSFORM Sum(q) SELECT site, Sum(q) AS s FROM t GROUP BY site ORDER BY Sum(q) DESC", "PIVOT kind"},
    };
    int fast = 0;
    for (const auto &x : crosstabs) {
        const QString crosstab = QString::fromUtf8(x[0]) + QLatin1Char(' ') + QString::fromUtf8(x[1]);
        QString byColumns = QString::fromUtf8(x[0]);
        const int order = byColumns.indexOf(QLatin1String(" ORDER BY"));
        byColumns.insert(order < 0 ? byColumns.size() : order, QLatin1String(" HAVING 1 = 1"));
        byColumns += QLatin1Char(' ') + QString::fromUtf8(x[1]);
        if (!platform::JetSql::CrosstabGroupedQuery(platform::JetSql::Translate(crosstab)).sql.isEmpty())
            ++fast;
        const auto spread = db_.Query(crosstab);
        const auto reference = db_.Query(byColumns);
        EXPECT_EQ(reference.columns, spread.columns) << x[0];
        EXPECT_EQ(reference.rows, spread.rows) << x[0];
    }
    EXPECT_EQ(3, fast);
    const auto x = db_.Query("TRANSFORM Sum(q) SELECT site, Sum(q), Count(*) AS n FROM t GROUP BY site PIVOT kind");
    EXPECT_EQ(QStringList({"site", "Sum(q)", "n", "<>", "а", "б", "в"}), x.columns);
    ASSERT_EQ(3u, x.rows.size());
    EXPECT_EQ(QStringList({"1", "7.75", "4", "4", "", "3.5", "0.25"}), x.rows[0]);
    EXPECT_EQ(QStringList({"3", "", "1", "", "", "", ""}), x.rows[2]);
}

TEST_F(JetDatabase, JetFunctionsAndAliasReuseRun)
{
    db_.Execute("CREATE TABLE Dostavki (docno INT, code_r INT, date_doc DATETIME, quantity_r DOUBLE, value_r DOUBLE)");
    db_.Execute("Insert into Dostavki values ( 1, 5, 39507, 2.000, 5.00 )");
    db_.Execute("Insert into Dostavki values ( 2, 5, 39508, 3.000, 10.00 )");
    db_.Execute("Insert into Dostavki values ( 3, 6, 39508, 1.000, 1.00 )");
    const auto r = db_.Query(
        "SELECT Dostavki.code_r,        Sum(Dostavki.quantity_r) AS SumOfquantity_r,        Sum(Dostavki.value_r) "
        "AS SumOfvalue_r,        [SumOfvalue_r]/[SumOfquantity_r] AS AVG_price FROM Dostavki WHERE (  "
        "((Dostavki.date_doc) <= 39508 ) AND ( Dostavki.quantity_r > 0 ) ) GROUP BY Dostavki.code_r ORDER BY "
        "Dostavki.code_r");
    ASSERT_EQ(2u, r.rows.size());
    EXPECT_EQ(QStringList({"5", "5", "15", "3"}), r.rows[0]);
    EXPECT_EQ(QStringLiteral("AVG_price"), r.columns[3]);
    EXPECT_EQ(QStringLiteral("2"), One("SELECT First(Dostavki.docno) AS FirstOfdocno FROM Dostavki WHERE ( "
                                      "((Dostavki.date_doc)= 39508 )) ORDER BY First(Dostavki.docno)"));
    EXPECT_EQ(QStringLiteral("3"), One("SELECT Last(docno) FROM Dostavki"));
    EXPECT_EQ(QStringLiteral(""), One("SELECT First(docno) FROM Dostavki WHERE docno = 9"));
    EXPECT_EQ(QStringLiteral("29.02.2008"), One("SELECT Format( [date_doc], \"Short Date\" ) FROM Dostavki"));
    // Grouped rows come back in the grouped order.
    EXPECT_EQ(QStringList({"39507", "39508"}), Column("SELECT date_doc * 1 FROM Dostavki GROUP BY date_doc * 1"));
}

TEST_F(JetDatabase, TableNamesIgnoreCase)
{
    db_.Execute("CREATE TABLE Zaiavki (a INT)");
    EXPECT_TRUE(db_.TableExists("zaiavki"));
    EXPECT_TRUE(db_.TableExists("ZAIAVKI"));
    EXPECT_FALSE(db_.TableExists("Zaiavka"));
    EXPECT_EQ(QStringList({"Zaiavki"}), db_.TableNames());
    db_.Execute("Alter table zaiavki add column b BIT");
    EXPECT_EQ(QStringList({"a", "b"}), db_.ColumnNames("ZAIAVKI"));
    EXPECT_EQ(QStringList(), db_.ColumnNames("none"));
}

TEST_F(JetDatabase, FailedSaveLeavesTheFileByteForByteAndARetryWritesOnce)
{
    db_.Execute("CREATE TABLE t (docno INT primary key, v CHAR(50))");
    db_.Execute("INSERT INTO t VALUES ( 1, \"a\" )");
    db_.Close();
    const QByteArray before = FileBytes();

    auto save = [&](bool fail) {
        DbTransaction tr(db_);
        const QString next = One("Select max( docno ) from t");
        db_.Execute(QStringLiteral("INSERT INTO t VALUES ( %1 + 1, \"b\" )").arg(next));
        db_.Execute("UPDATE t SET v = \"changed\" WHERE docno = 1");
        if (fail)
            db_.Execute("INSERT INTO no_such_table VALUES ( 1 )");
        tr.Commit();
    };
    EXPECT_THROW(save(true), EDatabaseError);
    EXPECT_FALSE(db_.InTransaction());
    db_.Close();
    EXPECT_EQ(before, FileBytes());

    save(false);
    EXPECT_EQ(QStringList({"1", "2"}), Column("SELECT docno FROM t ORDER BY docno"));
    EXPECT_EQ(QStringLiteral("changed"), One("SELECT v FROM t WHERE docno = 1"));
}

TEST_F(JetDatabase, NestedTransactionsAreSavepoints)
{
    db_.Execute("CREATE TABLE t (a INT)");
    {
        DbTransaction outer(db_);
        db_.Execute("INSERT INTO t VALUES ( 1 )");
        {
            DbTransaction inner(db_);
            db_.Execute("INSERT INTO t VALUES ( 2 )");
        }  // rolled back alone
        {
            DbTransaction inner(db_);
            db_.Execute("INSERT INTO t VALUES ( 3 )");
            inner.Commit();
        }
        outer.Commit();
    }
    EXPECT_EQ(QStringList({"1", "3"}), Column("SELECT a FROM t ORDER BY a"));
    DbTransaction once(db_);
    once.Commit();
    EXPECT_THROW(once.Commit(), EDatabaseError);
}

TEST_F(JetDatabase, ReadersSeeASaveOnlyAfterItsCommit)
{
    db_.Execute("CREATE TABLE t (a INT)");
    Database other(path_);
    DbTransaction tr(db_);
    db_.Execute("INSERT INTO t VALUES ( 1 )");
    // Readers are not blocked until the commit...
    EXPECT_EQ(QStringLiteral("0"), other.Query("SELECT Count(*) FROM t").rows[0][0]);
    tr.Commit();
    EXPECT_EQ(QStringLiteral("1"), other.Query("SELECT Count(*) FROM t").rows[0][0]);
}

TEST_F(JetDatabase, GroupsAndPivotColumnsOfTextFollowTheTextRules)
{
    db_.Execute("CREATE TABLE t (code INT, name CHAR(50), q DOUBLE)");
    const char *const rows[][2] = {{"в", "1"}, {"Хляб", "2"}, {"б", "4"}, {"хляб ", "8"}, {"А", "16"}};
    int code = 0;
    for (const auto &r : rows)
        db_.Execute(QStringLiteral("INSERT INTO t VALUES ( %1, \"%2\", %3 )").arg(++code).arg(r[0], r[1]));
    // Without ORDER BY the groups come in Bulgarian order, whatever the case;
    // "Хляб" and "хляб " are one group.
    EXPECT_EQ(QStringList({"16", "4", "1", "10"}), Column("SELECT Sum(q) FROM t GROUP BY name"));
    // The pivot's columns: one per name, in the same order.
    const auto x = db_.Query("TRANSFORM Sum(q) SELECT code > 0 AS k FROM t GROUP BY code > 0 PIVOT name");
    ASSERT_EQ(5, x.columns.size());
    EXPECT_EQ(QStringLiteral("А"), x.columns[1]);
    EXPECT_EQ(QStringLiteral("б"), x.columns[2]);
    EXPECT_EQ(QStringLiteral("в"), x.columns[3]);
    EXPECT_EQ(0, platform::JetCompare(x.columns[4], QStringLiteral("ХЛЯБ")));
    ASSERT_EQ(1u, x.rows.size());
    EXPECT_EQ(QStringList({"1", "16", "4", "1", "10"}), x.rows[0]);
}

TEST(DatabaseFailures, EachEngineFailureIsSaidInBulgarianWithoutTheEnginesText)
{
    const QString busy = "Базата данни е заета от друго работно място. Данните не са записани: опитайте отново след "
                         "малко.";
    const std::vector<std::pair<int, QString>> cases = {
        {SQLITE_FULL, "Дискът е пълен: данните не са записани."},
        {SQLITE_READONLY, "Базата данни е само за четене: данните не са записани. Проверете правата за запис във "
                          "файла и в папката му."},
        // The file replaced under the connection by a restore: no permission to check.
        {SQLITE_READONLY_DBMOVED, "Базата данни е възстановена от архивно копие, докато програмата работи: данните "
                                  "не са записани. Затворете програмата и я стартирайте отново."},
        {SQLITE_IOERR_WRITE, "Грешка при четене или запис на диска: действието не е изпълнено."},
        {SQLITE_BUSY, busy},
        {SQLITE_LOCKED_SHAREDCACHE, busy},
        {SQLITE_CONSTRAINT_UNIQUE, "Запис със същия ключ вече съществува: данните не са записани."},
        {SQLITE_CONSTRAINT_PRIMARYKEY, "Запис със същия ключ вече съществува: данните не са записани."},
        {SQLITE_CONSTRAINT_NOTNULL, "Данните нарушават ограничение на базата данни: не са записани."},
        {SQLITE_CORRUPT, "Файлът на базата данни е повреден. Възстановете базата от архивно копие."},
        {SQLITE_NOTADB, "Файлът на базата данни е повреден. Възстановете базата от архивно копие."},
        {SQLITE_CANTOPEN, "Файлът на базата данни не може да бъде отворен."},
        {SQLITE_CONSTRAINT_TRIGGER, "engine's text"},  // the schema's own words
        {SQLITE_ERROR_MISSING_COLLSEQ, "Грешка 257 на базата данни."},  // a mistake in a statement: its code
    };
    for (const auto &[code, text] : cases) {
        SCOPED_TRACE(code);
        try {
            platform::ThrowDatabaseError(code, "engine's text");
        } catch (const platform::EDatabaseBusy &e) {
            EXPECT_EQ(text, busy);
            EXPECT_EQ(e.Message(), text);
        } catch (const EDatabaseError &e) {
            EXPECT_NE(text, busy);
            EXPECT_EQ(e.Message(), text);
        }
    }
}

TEST_F(JetDatabase, AFullDiskIsSaidInBulgarianAndWritesNothing)
{
    db_.Execute("CREATE TABLE t ( a INT primary key, b CHAR(255) )");
    db_.Execute("Insert into t values ( 1, \"a\" )");
    // A database that may not grow stands for a disk without free space.
    // (The engine keeps the pages the file has: the limit becomes its size.)
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db_.Handle(), "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr));
    const QByteArray before = FileBytes();
    QString message;
    try {
        DbTransaction tr(db_);
        for (int i = 2; i < 2000; ++i)
            db_.Execute(QString("Insert into t values ( %1, \"%2\" )").arg(i).arg(QString(200, 'x')));
        tr.Commit();
    } catch (const EDatabaseError &e) {
        message = e.Message();
    }
    EXPECT_EQ(message, "Дискът е пълен: данните не са записани.");
    EXPECT_EQ(FileBytes(), before);
    db_.Close();   // a damaged page met by a read is said the same way
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(4096) && file.write(QByteArray(4096, 'Z')) && file.flush());
    try { db_.Query("SELECT * FROM t"); } catch (const EDatabaseError &e) { message = e.Message(); }
    EXPECT_EQ(message, "Файлът на базата данни е повреден. Възстановете базата от архивно копие.");
}
