// The database as the program's first start makes it.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <memory>

#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "platform/db/Database.h"
#include "core/un_Ado_Connection.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class Schema : public testsupport::DatabaseTest
{
protected:
    // Formats a writer's template and runs it; the row must read back as
    // expected (every field as SelectToList gives it).
    void RoundTrip(const QString &statement, const QString &table, const QString &expected)
    {
        SCOPED_TRACE(statement.toStdString());
        testsupport::ScopedDialogAnswers dialogs;
        ASSERT_TRUE(ExecSQL(nullptr, DbConnection, statement)) << dialogs.Texts().join("|").toStdString();
        EXPECT_EQ(QStringList({expected}), Rows("SELECT * FROM " + table));
    }
};

QByteArray Utf8(const QString &s) { return s.toUtf8(); }

} // namespace

TEST_F(Schema, FirstStartHasAll34Tables)
{
    EXPECT_EQ(19, MasterTableNames().size());
    ASSERT_EQ(34, AllTableNames().size());
    EXPECT_EQ(AllTableNames(), DbConnection->TableNames());
    EXPECT_EQ(QStringList({"Busses", "CustGroups", "FVD", "Groups", "Invoices", "Invoices_rows", "Izdelia", "Merki",
                           "Nas", "Nepreki_razhodi", "Obekti", "Payment_types", "Razhodni_normi", "Resources",
                           "Resources_prices", "SubGroup", "VA", "Zaiavka_rows", "Zaiavki"}),
              MasterTableNames());
    platform::Database empty(base_->DbFolder() + "empty.db");
    EXPECT_EQ(AllTableNames(), empty.TableNames());
    // The columns the checks expect, known from the creating statements, are
    // those a made database has.
    for (const QString &table : AllTableNames())
        EXPECT_EQ(ProgramColumns(table.toLower()), empty.ColumnNames(table)) << table.toStdString();
    EXPECT_EQ(QStringLiteral("CREATE TABLE Merki (n_Miarka int primary key, v_Miarka CHAR(50))"),
              CreatingStatement("merki"));
    EXPECT_EQ(QString(), CreatingStatement("table_1_apkio"));
    // Stored documents, which the year-end refuses in a template, are the
    // tables that number or date their rows as documents do: a table with
    // a document's number or date column, and no other.
    for (const QString &table : AllTableNames())
        EXPECT_NE(ProgramColumns(table).filter(QRegularExpression("^(docno|date_doc|date_d|Query_num|Invoice_num)$")).isEmpty(),
                  StoredDocumentTableNames().contains(table)) << table.toStdString();
    for (const QString &table : StoredDocumentTableNames()) EXPECT_TRUE(AllTableNames().contains(table)) << table.toStdString();
}

TEST_F(Schema, RowsThatComeWithTheDatabase)
{
    EXPECT_EQ(QStringList({"1@Фактура", "2@Дебитно известие", "3@Кредитно известие", "4@Данъчна фактура",
                           "5@Дебитно известие към данъчна фактура", "6@Кредитно известие към данъчна фактура"}),
              Rows("Select code_fvd, name_fvd From fvd"));
    EXPECT_EQ(QStringList({"1@В брой", "2@По банков път"}),
              Rows("SELECT code_payment, name_payment FROM payment_types"));
    EXPECT_EQ(QStringList({"0@@0@0@0@0@0@0@0@0"}), Rows("SELECT * FROM Izdelia"));
    EXPECT_EQ(QStringList({"0@@0"}), Rows("SELECT * FROM Resources"));
    EXPECT_EQ(QStringList({"0@0@@@@@"}), Rows("SELECT * FROM Obekti"));
    // Every other table starts empty.
    const QStringList withRows = {"FVD", "Payment_types", "Izdelia", "Resources", "Obekti"};
    for (const QString &t : AllTableNames()) {
        if (!withRows.contains(t)) {
            EXPECT_EQ(QStringList({"0"}), Rows("SELECT Count(*) FROM " + t)) << t.toStdString();
        }
    }
}

TEST_F(Schema, UpgradeColumnsArePartOfANewDatabase)
{
    ASSERT_EQ(4, SchemaUpgradeStatements().size());
    ASSERT_EQ(4u, SchemaUpgradeColumns().size());
    for (const TSchemaUpgradeColumn &c : SchemaUpgradeColumns())
        EXPECT_NO_THROW(Rows(QStringLiteral("SELECT %1 FROM %2").arg(c.Column, c.Table))) << c.Column;
    // On an older database the statements add the columns, with their types.
    Execute("DROP TABLE Dostavki");
    Execute("CREATE TABLE Dostavki (docno INT, code_r INT, code_supplier INT, date_doc DATETIME, quantity_r DOUBLE, "
            "price_r DOUBLE, value_r DOUBLE)");
    Execute("Insert into Dostavki values ( 1, 2, 3, 39507, 1.000, 2.000000, 2.00 )");
    Execute(SchemaUpgradeStatements()[1]);
    Execute(SchemaUpgradeStatements()[2]);
    Execute("Update Dostavki Set ByDocNo = 12.000000, ByDateDocNo = 39508 Where ( docno = 1 AND code_r = 2 )");
    EXPECT_EQ(QStringList({"1@2@3@29.02.2008@1@2@2@12@01.03.2008"}), Rows("SELECT * FROM Dostavki"));
}

TEST_F(Schema, IndexesForTheReportsExist)
{
    const QStringList indexes =
        Rows("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name");
    EXPECT_EQ(SchemaIndexStatements().size(), indexes.size());
    for (const char *name : {"Zaiavki_for_date_obekt", "Zaiavki_obekt", "Zaiavka_rows_izdelie",
                             "Obekti_code_of_CustGroup", "Otchet_plasiori_date_doc_code_bus",
                             "Plashtane_po_otchet_date_otchet_c_bus", "Plashtane_na_dostavki_docno_supplier"})
        EXPECT_TRUE(indexes.contains(name)) << name;
    // The driver's sheet looks receipts up by date and site through it.
    const QStringList plan =
        Rows("EXPLAIN QUERY PLAN SELECT Count( Query_num ) FROM Zaiavki WHERE obekt = 3 and for_date = 39507");
    EXPECT_TRUE(plan.join(' ').contains("Zaiavki_for_date_obekt")) << plan.join('|').toStdString();
}

TEST_F(Schema, PlannerFiguresLeadTheLinesListWithTheDateIndexOnEveryDatabase)
{
    const QString lines = QStringLiteral(
        "EXPLAIN QUERY PLAN SELECT Zaiavki.Query_num, Zaiavki.datetime_z, CustGroups.code_c, CustGroups.name_c AS "
        "CustGroups_name, Zaiavki.obekt, Obekti.name_o AS Obekti_name, Zaiavki.for_date, Zaiavki.Is_paid, "
        "Zaiavki.Paid_on, Zaiavki.Is_urgent,  Zaiavka_rows.izdelie, Izdelia.name_izd AS Izdelia_name, "
        "Merki.v_Miarka, Zaiavka_rows.quantity_izd, Zaiavka_rows.Price_w_disc, Zaiavka_rows.Value_of_row FROM "
        "((CustGroups INNER JOIN Obekti ON CustGroups.code_c = Obekti.code_of_CustGroup) INNER JOIN Zaiavki ON "
        "Obekti.code_of_object = Zaiavki.obekt) INNER JOIN (Merki INNER JOIN (Izdelia INNER JOIN Zaiavka_rows ON "
        "Izdelia.code_izd = Zaiavka_rows.izdelie) ON Merki.n_Miarka = Izdelia.mjarka) ON Zaiavki.Query_num = "
        "Zaiavka_rows.Query_num WHERE Zaiavki.for_date >= 39507 and Zaiavki.for_date <= 39507 ORDER BY "
        "Zaiavki.Query_num");
    // The first step that reads receipts or their lines (a table of units
    // of measure may be scanned before it: it has three rows).
    auto firstStep = [](const QStringList &plan) {
        for (const QString &row : plan) {
            const QString step = row.section('@', -1);
            if (step.contains(QLatin1String(" Zaiavki ")) || step.contains(QLatin1String(" Zaiavka_rows ")))
                return step;
        }
        return QString();
    };
    // A few days of receipts; the figures, not the rows, decide the plan.
    for (int n = 1; n <= 40; ++n) {
        Execute(QString::asprintf(sqlInsertZaiavki, 1000000000.0 + n, 39500 + n % 10, 0, 39500 + n % 10, 1.0, 0, 0, 0));
        Execute(QString::asprintf(sqlInsertZaiavka_rows, 1000000000.0 + n, 0, 3, 1.0, 4, 1.0, 0, 4, 1.0, 1.0));
    }
    EXPECT_EQ(QStringList({"75000 205 2"}),
              Rows("SELECT stat FROM sqlite_stat1 WHERE idx = 'Zaiavki_for_date_obekt'"));
    EXPECT_EQ(QStringLiteral("SEARCH Zaiavki USING INDEX Zaiavki_for_date_obekt (for_date>? AND for_date<?)"),
              firstStep(Rows(lines)));

    // A database without figures, or with some, gets them whole when opened.
    const QString old = base_->DbFolder() + "empty.db";
    {
        platform::Database db(old);
        db.Execute("DELETE FROM sqlite_stat1 WHERE idx <> 'Zaiavki_obekt'");
    }
    platform::Database reopened(old);
    EXPECT_EQ(QStringLiteral("SEARCH Zaiavki USING INDEX Zaiavki_for_date_obekt (for_date>? AND for_date<?)"),
              firstStep([&] {
                  QStringList plan;
                  for (const QStringList &row : reopened.Query(lines).rows)
                      plan += row.join('@');
                  return plan;
              }()));
    EXPECT_EQ(QStringLiteral("%1").arg(SchemaStatistics().size()),
              reopened.Query("SELECT Count(*) FROM sqlite_stat1").rows.at(0).at(0));
}

TEST_F(Schema, TheProgramsFormatFillsTheLineTemplates)
{
    // Precisions come as arguments ("%.*f"); values round half away from zero.
    Execute("DELETE * FROM Izdelia");
    RoundTrip(Format(sqlInsertIzdelia, {17, SqlEscape("Бял хляб"), 1, 2, 3, 4, 1.5, 4, 0.00005, 4, 1.75, 2, 1.805,
                                        4, 2.1}),
              "Izdelia", "17@Бял хляб@1@2@3@1.5@0.0001@1.75@1.81@2.1");
    RoundTrip(Format(sqlInsertZaiavka_rows, {1000000041.0, 17, 3, 10.0005, 4, 2.45, -10, 4, 2.205, 22.05}),
              "Zaiavka_rows", "1000000041@17@10.001@2.45@-10@2.205@22.05");
    RoundTrip(Format(sqlInsertInvoices_rows, {41.0, 17.0, 3, 5.0, 4, 2.0, -5.0, 4, 1.9, 2, 9.5}), "Invoices_rows",
              "41@17@5@2@-5@1.9@9.5");
}

TEST_F(Schema, EveryInsertTemplateRoundTripsItsRow)
{
    const QByteArray name = Utf8(SqlEscape("Хляб \"Добруджа\" 50% @ край"));
    RoundTrip(QString::asprintf(sqlInsertCodeAndName, "Merki", 3, name.constData()), "Merki",
              "3@Хляб Добруджа 50% ~ край");
    RoundTrip(QString::asprintf(sqlInsertCodeAndName, "Ambalaj", 2, "Каса"), "Ambalaj", "2@Каса");
    Execute("DELETE * FROM Izdelia");
    RoundTrip(QString::asprintf(sqlInsertIzdelia, 17, "Бял хляб", 1, 2, 3, 4, 1.5, 4, 1.6, 4, 1.75, 4, 1.8, 4,
                                2.1),
              "Izdelia", "17@Бял хляб@1@2@3@1.5@1.6@1.75@1.8@2.1");
    Execute("DELETE * FROM Resources");
    RoundTrip(QString::asprintf(sqlInsertResources, "Resources", 5, "Брашно", 2), "Resources", "5@Брашно@2");
    RoundTrip(QString::asprintf(sqlInsertCustGroups, "CustGroups", 9, "ЕТ Фурна", "BG123", "123", "Иванов", 2,
                                "a~b.bg", "0888", "02", "03", "София", "Петров", 4, "ТД София"),
              "CustGroups", "9@ЕТ Фурна@BG123@123@Иванов@2@a~b.bg@0888@02@03@София@Петров@4@ТД София");
    Execute("DELETE * FROM Obekti");
    RoundTrip(QString::asprintf(sqlInsertObekti, "Obekti", 11, 9, "Магазин 1", "София", "ул. 1", "02", "Мария"),
              "Obekti", "11@9@Магазин 1@София@ул. 1@02@Мария");
    RoundTrip(QString::asprintf(sqlInsertUsers_passwords, "Users_passwords", "ivan", "x", "Иван Иванов Иванов"),
              "Users_passwords", "ivan@x@Иван Иванов Иванов");
    RoundTrip(QString::asprintf(sqlInsertRazhodni_normi, "Razhodni_normi", 17, 5, 0.1234), "Razhodni_normi",
              "17@5@0.1234");
    RoundTrip(QString::asprintf(sqlInsertNepreki_razhodi, 3, "1234.5"), "Nepreki_razhodi", "3@1234.5");
    RoundTrip(QString::asprintf(sqlInsertResources_prices, 5, 3, "0.85"), "Resources_prices", "5@3@0.85");
    RoundTrip(QString::asprintf(sqlInsertPrices_by_items_and_stores, 17, 11, "1.2"), "Prices_by_items_and_stores",
              "17@11@1.2");
    RoundTrip(QString::asprintf(sqlInsertVA, 9, "0.2"), "VA", "9@0.2");
    RoundTrip(QString::asprintf(sqlInsertNas, 1, "192.168.1.5", "0000000041"), "Nas", "1@192.168.1.5@0000000041");
    RoundTrip(QString::asprintf(sqlInsertZaiavki, 1000000041.0, 39507, 11, 39508, 24.5, 1, 39510, 0), "Zaiavki",
              "1000000041@29.02.2008@11@01.03.2008@24.5@True@03.03.2008@False");
    RoundTrip(QString::asprintf(sqlInsertZaiavka_rows, 1000000041.0, 17, 3, 10.0, 4, 2.45, -10, 4, 2.205, 22.05),
              "Zaiavka_rows", "1000000041@17@10@2.45@-10@2.205@22.05");
    RoundTrip(QString::asprintf(sqlInsertInvoices, 41.0, 39507, 11, 100.0, 20.0, 0, 0, 1, 1, 0.0, 0.2), "Invoices",
              "41@29.02.2008@11@100@20@False@30.12.1899@1@1@0@0.2");
    RoundTrip(QString::asprintf(sqlInsertInvoices_rows, 41.0, 17.0, 3, 5.0, 4, 2.0, -5.0, 4, 1.9, 2, 9.5),
              "Invoices_rows", "41@17@5@2@-5@1.9@9.5");
    RoundTrip(QString::asprintf(sqlInsertAct, "Akt_za_proizvedena_produkcia", "12", 17, 39507, 100.5),
              "Akt_za_proizvedena_produkcia", "12@17@29.02.2008@100.5");
    RoundTrip(QString::asprintf(sqlInsertAct, "Akt_za_brakuvana_produkcia", "3", 17, 39507, 2.0),
              "Akt_za_brakuvana_produkcia", "3@17@29.02.2008@2");
    RoundTrip(QString::asprintf(sqlInsertAct, "Zaprihojdavane_na_ambalaj", "4", 2, 39507, 30.0),
              "Zaprihojdavane_na_ambalaj", "4@2@29.02.2008@30");
    RoundTrip(QString::asprintf(sqlInsertPlashtane_na_dostavki, "Plashtane_na_dostavki", 1, 39507, 8, 150.25, 2),
              "Plashtane_na_dostavki", "1@29.02.2008@8@150.25@2");
    RoundTrip(QString::asprintf(sqlInsertPlashtane_po_otchet_na_plasior, "Plashtane_po_otchet_na_plasior", 1, 39508,
                                4, 39507, 99.9),
              "Plashtane_po_otchet_na_plasior", "1@01.03.2008@4@29.02.2008@99.9");
    RoundTrip(QString::asprintf(sqlInsertOtchet_plasiori, "Otchet_plasiori", 39507, 4, 17, 1, 10.0, 1.2345, 12.35),
              "Otchet_plasiori", "29.02.2008@4@17@1@10@1.2345@12.35");
    RoundTrip(QString::asprintf(sqlInsertExpedicia_na_surovini_i_materiali, "Expedicia_na_surovini_i_materiali", "7",
                                5, 9, 39507, 25.0, 0.85, 21.25),
              "Expedicia_na_surovini_i_materiali", "7@5@9@29.02.2008@25@0.85@21.25");
    RoundTrip(QString::asprintf(sqlInsertDostavki, "Dostavki", "8", 5, 9, 39507, 1000.0, 0.654321, 654.32, 123.0,
                                39500),
              "Dostavki", "8@5@9@29.02.2008@1000@0.654321@654.32@123@22.02.2008");
    RoundTrip(QString::asprintf(sqlInsertVyrnata_produkcia, "Vyrnata_produkcia", "2", 39507, 4, 17, 2, 3.0, 1.0),
              "Vyrnata_produkcia", "2@29.02.2008@4@17@2@3@1");
    RoundTrip(QString::asprintf(sqlInsertPropusk_za_izvozvane, "Propusk_za_izvozvane", 5, 39507, 4, 17, 2, 120.0,
                                10.0),
              "Propusk_za_izvozvane", "5@29.02.2008@4@17@2@120@10");
    RoundTrip(QString::asprintf(sqlInsertZaiavki_za_expedicia, "Zaiavki_za_expedicia", 39507, 4, 17, 2, 120.0, 10.0),
              "Zaiavki_za_expedicia", "29.02.2008@4@17@2@120@10");
    RoundTrip(QString::asprintf(sqlInsertIskane_za_otpuskane_na_surovini_i_materiali, 39507, 5, 12.5),
              "Iskane_za_otpuskane_na_surovini_i_materiali", "29.02.2008@5@12.5");
}

TEST_F(Schema, KeysRefuseADuplicateRow)
{
    testsupport::ScopedDialogAnswers dialogs;
    const QString row = QString::asprintf(sqlInsertPropusk_za_izvozvane, "Propusk_za_izvozvane", 5, 39507, 4, 17, 2,
                                          1.0, 1.0);
    EXPECT_TRUE(ExecSQL(nullptr, DbConnection, row));
    EXPECT_FALSE(ExecSQL(nullptr, DbConnection, row));
    EXPECT_TRUE(ExecSQL(nullptr, DbConnection, "Insert into nas values ( 1, \"10.0.0.1\", \"5\" )"));
    EXPECT_TRUE(ExecSQL(nullptr, DbConnection, "Insert into nas values ( 1, \"10.0.0.2\", \"5\" )"));
    EXPECT_FALSE(ExecSQL(nullptr, DbConnection, "Insert into nas values ( 1, \"10.0.0.1\", \"6\" )"));
    EXPECT_EQ(2u, dialogs.Shown().size());
}

TEST(SchemaFile, CreationIsWholeOrNothingAndNeverOverwrites)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("data/db/");
    EXPECT_EQ(2, EnsureDatabaseFiles(folder));
    EXPECT_EQ(QStringList({"bread.db", "empty.db"}), QDir(folder).entryList(QDir::Files, QDir::Name));
    EXPECT_EQ(0, EnsureDatabaseFiles(folder));
    EXPECT_THROW(CreateDatabaseFile(folder + "bread.db"), platform::EDatabaseError);

    QFile::remove(folder + "empty.db");
    {
        platform::Database db(folder + "bread.db");
        db.Execute("Insert into Busses values ( 1, \"a\" )");
    }
    EXPECT_EQ(1, EnsureDatabaseFiles(folder));
    platform::Database db(folder + "bread.db");
    EXPECT_EQ(QStringLiteral("1"), db.Query("SELECT Count(*) FROM Busses").rows[0][0]);
    EXPECT_EQ(QStringList({"bread.db", "empty.db"}), QDir(folder).entryList(QDir::Files, QDir::Name));
}

TEST(SchemaFile, StartUpNamesWhatIsWrongWithTheFileInBulgarian)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("db/");
    const QString bread = folder + "bread.db";
    // A first start that broke off left its temporary files; an empty file
    // is built as a new database when the clerk says so.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbYes);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString name : {"bread.db", "bread.db.new-4711", "bread.db.new-4711-journal"}) {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(2, EnsureDatabaseFiles(folder));
    EXPECT_EQ(QStringList({"bread.db", "empty.db"}), QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name));
    EXPECT_EQ(QStringLiteral("2"), platform::Database(bread).Query("SELECT Count(*) FROM Payment_types").rows[0][0]);

    // "!" before the message of the program's own database, damaged, which
    // a restore may mend.
    auto message = [&] {
        try {
            EnsureDatabaseFiles(folder);
        } catch (const platform::EDatabaseError &e) {
            return (dynamic_cast<const EDatabaseFileDamaged *>(&e) ? "!" : "") + e.Message();
        }
        return QString();
    };
    {
        // Held locked by another program.
        platform::Database other(bread);
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(other.Handle(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
        const int timeout = platform::Database::BusyTimeoutMs();
        platform::Database::SetBusyTimeoutMs(50);
        EXPECT_EQ("Базата данни \"" + bread + "\" е заключена от друга програма.\rЗатворете програмата, която я "
                  "използва, и стартирайте отново.", message());
        platform::Database::SetBusyTimeoutMs(timeout);
    }
    {
        QFile f(bread);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Bread and rolls, not a database");
    }
    const QString help = "\rПреместете файла другаде: при следващото стартиране програмата ще създаде нова база, в "
                         "която данните могат да се възстановят от архивно копие (Сервиз, Възстановяване).";
    EXPECT_EQ("Файлът \"" + bread + "\" не е база данни на програмата." + help, message());
    auto bytes = [&](const QString &Suffix = {}) {
        QFile f(bread + Suffix);
        return QFileInfo(f).isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_EQ(QByteArray("Bread and rolls, not a database"), bytes());
    // Each row leaves a file in the database's place and gives what the
    // start-up says ("" when it opens the file). A file refused stays byte
    // for byte, with its journal or its log.
    auto fresh = [&](bool Program) {
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(bread + suffix), QDir().rmdir(bread + suffix);
        Program ? (void)QFile::copy(folder + "empty.db", bread) : platform::Database::CreateFile(bread);
    };
    // Leave, after the statements, a log not folded in (KeepLog) or, with
    // Crash, the file and its journal as a crash in the middle of a write.
    auto sql = [&](const QString &Sql, bool KeepLog = false, bool Crash = false) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(qPrintable(bread), &db));
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, int(KeepLog), nullptr);
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, qPrintable(Sql), nullptr, nullptr, nullptr)) << Sql.toStdString();
        for (const char *suffix : {"", "-journal"})
            ASSERT_TRUE(!Crash || QFile::copy(bread + suffix, bread + ".crash" + suffix));
        sqlite3_close(db);
        for (const char *suffix : {"", "-journal"})
            ASSERT_TRUE(!Crash || (QFile::remove(bread + suffix), QFile::rename(bread + ".crash" + suffix, bread + suffix)));
    };
    auto brokenWrite = [&](const char *Table) {
        sql(QString("PRAGMA cache_size = 1; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                    "WHERE i < 3000) INSERT INTO %1 SELECT i, hex(randomblob(50)) FROM n").arg(Table), false, true);
    };
    std::unique_ptr<platform::Database> holder;   // another workstation in the middle of a write
    auto hold = [&] { holder = std::make_unique<platform::Database>(bread), platform::Database::SetBusyTimeoutMs(50);
                      sqlite3_exec(holder->Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); };
    const QString notOurs = "Файлът \"" + bread + "\" не е база данни на програмата: липсва таблица Busses." + help;
    const QString damaged = "!Базата данни \"" + bread + "\" е повредена";
    const QString restore = "\rВъзстановете базата от архивно копие.";
    const std::vector<std::pair<std::function<void()>, QString>> rows = {
        {[&] { fresh(false), sql("CREATE TABLE Kiflichki (n INT)"); }, notOurs},
        {[&] { fresh(false), sql("PRAGMA journal_mode = WAL; CREATE TABLE Kiflichki (n INT)", true); }, notOurs},
        {[&] { fresh(false), sql("CREATE TABLE Kiflichki (n INT, t TEXT)"), brokenWrite("Kiflichki"); }, notOurs},
        {[&] { fresh(true), sql("DROP TABLE va"); }, damaged + ": липсва таблица VA." + restore},
        {[&] { fresh(true), sql("ALTER TABLE Busses DROP COLUMN n_bus"); },
         damaged + ": полетата на таблица Busses се различават от тези на програмата." + restore},
        {[&] { fresh(true), QFile::resize(bread, QFileInfo(bread).size() / 2); }, damaged + "." + restore},
        // Unread for a cause other than damage: said, and no restore offered.
        {[&] { fresh(true), QDir().mkdir(bread + "-wal"); }, "Базата данни \"" + bread + "\" не може да бъде прочетена: "
         "файлът на базата данни не може да бъде отворен.\rФайлът не е променен. Отстранете причината и стартирайте "
         "програмата отново."},
        {[&] { fresh(true), QFile::remove(bread), ::mkfifo(qPrintable(bread), 0600); },
         "На мястото на файла на базата данни \"" + bread + "\" има нещо, което не е обикновен файл (именуван канал, "
         "устройство или гнездо).\rПреместете го или го изтрийте: при следващото стартиране програмата ще създаде "
         "нова база."},
        {[&] { fresh(true), sql("ALTER TABLE CustGroups DROP COLUMN TD_na_NAP"), hold(); },
         "Базата данни \"" + bread + "\" е от по-стара версия на програмата и не може да бъде допълнена с полетата, "
         "които ѝ липсват: CustGroups.TD_na_NAP.\rБазата данни е заета от друго работно място. Данните не са записани: "
         "опитайте отново след малко."},
        // The program's own, older, is completed; a write broken off in it is
        // rolled back.
        {[&] {
             fresh(true), sql("ALTER TABLE CustGroups DROP COLUMN TD_na_NAP; ALTER TABLE Plashtane_na_dostavki DROP "
                              "COLUMN code_payment");
         }, ""},
        {[&] { brokenWrite("Busses"); }, ""},
    };
    for (const auto &[make, said] : rows) {
        make();
        const QByteArray before = bytes(), log = bytes("-wal"), journal = bytes("-journal");
        EXPECT_EQ(said, message());
        EXPECT_EQ(said.isEmpty() ? QByteArray() : journal, bytes("-journal"));
        EXPECT_TRUE(said.isEmpty() || (before == bytes() && log == bytes("-wal"))) << said.toStdString();
        holder.reset(), platform::Database::SetBusyTimeoutMs(8000);
    }
    EXPECT_EQ(dialogs.Texts().last(), "Базата данни \"" + bread + "\" е от по-стара версия на програмата и е допълнена "
                                      "с полетата, които ѝ липсваха: CustGroups.TD_na_NAP, "
                                      "Plashtane_na_dostavki.code_payment.");
    EXPECT_EQ(ProgramColumns("CustGroups"), platform::Database(bread).ColumnNames("CustGroups"));
    EXPECT_EQ(QStringLiteral("0"), platform::Database(bread).Query("SELECT Count(*) FROM Busses").rows[0][0]);
    ASSERT_TRUE(QFile::remove(bread) && QDir().mkdir(bread));
    EXPECT_EQ("На мястото на файла на базата данни \"" + bread + "\" има папка.\rПреместете или преименувайте "
              "папката: при следващото стартиране програмата ще създаде нова база.", message());
    ASSERT_TRUE(QDir().rmdir(bread) && QFile::copy(folder + "empty.db", bread));
    EXPECT_EQ(2u, dialogs.Shown().size());
    if (::geteuid() != 0) { // the superuser writes whatever the permissions say
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        EXPECT_TRUE(message().startsWith("Папката на базата данни \"" + dir.filePath("db") + "\" е само за четене."))
            << message().toStdString();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ASSERT_TRUE(QFile::setPermissions(bread, {}));
        EXPECT_TRUE(message().startsWith("Няма право за четене на файла на базата данни \"" + bread + "\"."))
            << message().toStdString();
    }
}

TEST_F(Schema, ReportStatementsRunAsTheReportsWriteThem)
{
    // Three receipts around a month end; site 2 orders nothing on 01.03.
    Execute(QString::asprintf(sqlInsertZaiavki, 1.0, 39506, 1, 39507, 10.0, 0, 0, 0));
    Execute(QString::asprintf(sqlInsertZaiavki, 2.0, 39507, 1, 39508, 5.5, 0, 0, 0));
    Execute(QString::asprintf(sqlInsertZaiavki, 3.0, 39506, 2, 39507, 7.25, 0, 0, 0));
    Execute(QString::asprintf(sqlInsertZaiavka_rows, 1.0, 17, 3, 4.0, 4, 2.5, 0, 4, 2.5, 10.0));
    Execute(QString::asprintf(sqlInsertZaiavka_rows, 2.0, 5, 3, 2.0, 4, 2.75, 0, 4, 2.75, 5.5));
    Execute(QString::asprintf(sqlInsertZaiavka_rows, 3.0, 17, 3, 2.9, 4, 2.5, 0, 4, 2.5, 7.25));
    const QString filter = "Zaiavki.for_date >= 39500 AND Zaiavki.for_date <= 39510 ";
    EXPECT_EQ(QStringList({"1@15.5@10@5.5", "2@7.25@7.25@"}),
              Rows("TRANSFORM Sum( Total_sum ) AS SumOfTotal_sum SELECT obekt, Sum( Total_sum ) AS [Total Of "
                   "Total_sum] FROM Zaiavki WHERE " + filter + "GROUP BY obekt " +
                   "PIVOT Format( [for_date], \"Short Date\" )"));
    EXPECT_EQ(QStringList({"29.02.2008", "01.03.2008"}),
              Rows("SELECT for_date FROM Zaiavki GROUP BY for_date HAVING " + filter + "ORDER BY for_date"));

    const QString work = "table_1234_apkio";
    ASSERT_TRUE(DropTableIfExists(nullptr, DbConnection, work));
    ASSERT_TRUE(ExecSQL(nullptr, DbConnection,
                        QStringLiteral("SELECT Zaiavki.obekt,        Zaiavka_rows.izdelie,        "
                                       "Zaiavka_rows.quantity_izd INTO %1 FROM Zaiavki INNER JOIN Zaiavka_rows ON "
                                       "Zaiavki.Query_num = Zaiavka_rows.Query_num WHERE %2 ORDER BY "
                                       "Zaiavka_rows.izdelie")
                            .arg(work, "Zaiavka_rows.Izdelie <> 0 AND " + filter)));
    EXPECT_EQ(QStringList({"1@6@2@4", "2@2.9@@2.9"}),
              Rows(QStringLiteral("TRANSFORM Sum(quantity_izd) AS SumOfquantity_izd SELECT obekt, Sum(quantity_izd) "
                                  "AS [Total Of quantity_izd] FROM %1 GROUP BY obekt PIVOT izdelie")
                       .arg(work)));
    EXPECT_EQ(QStringList({"5", "17"}), Rows(QStringLiteral("SELECT izdelie FROM %1 GROUP BY izdelie").arg(work)));
    ASSERT_TRUE(DropTableIfExists(nullptr, DbConnection, work));
    EXPECT_FALSE(TableExists(DbConnection, work));
}

namespace {

const char *const kStarterBase = "TOLVEX_FIRST_START_BASE";
const char *const kStarterGo = "TOLVEX_FIRST_START_GO";

mode_t FileMode(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

} // namespace

TEST(SchemaFile, TheDatabaseFilesTakeTheUmasksPermissions)
{
    // A group of users shares the database: under umask 002 the group may
    // write it; a stricter umask keeps it to its owner.
    for (const auto &[mask, mode] : std::vector<std::pair<mode_t, mode_t>>{{002, 0664}, {077, 0600}, {022, 0644}}) {
        QTemporaryDir dir;
        const QString folder = dir.filePath("db/");
        const mode_t old = ::umask(mask);
        const int created = EnsureDatabaseFiles(folder);
        ::umask(old);
        ASSERT_EQ(2, created);
        EXPECT_EQ(mode, FileMode(folder + "bread.db")) << std::oct << mask;
        EXPECT_EQ(mode, FileMode(folder + "empty.db")) << std::oct << mask;
    }
}

TEST(SchemaFile, OnlyStaleBuildsOfAFirstStartAreRemoved)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("db/");
    ASSERT_EQ(2, EnsureDatabaseFiles(folder));
    const QString host = QSysInfo::machineHostName();
    // A build in progress of a running process of this host (this one's
    // parent stands for it), another host's fresh build, a build of a
    // process that is gone, and a build not written for two minutes.
    const QString running = "bread.db.new-" + host + "-" + QString::number(::getppid());
    const QString otherHost = "bread.db.new-" + host + "x-999999999";
    const QString gone = "bread.db.new-" + host + "-999999999";
    const QString old = "bread.db.new-" + host + "x-4711";
    for (const QString &name : {running, running + "-journal", otherHost, gone, gone + "-journal", old}) {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (name == old) {
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
        }
    }
    EXPECT_EQ(0, EnsureDatabaseFiles(folder));
    QStringList kept = {"bread.db", "empty.db", otherHost, running, running + "-journal"};
    kept.sort();
    EXPECT_EQ(kept, QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name));
}

// The child's part: one workstation's program starting on the base folder.
// It runs only in the processes the test below starts.
TEST(FirstStartChild, OpensTheDatabase)
{
    const QString base = qEnvironmentVariable(kStarterBase);
    if (base.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the first-start test";
    const QString go = qEnvironmentVariable(kStarterGo);
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(go) && waited.elapsed() < 30000)
        QThread::usleep(200);
    SetProgramFileNameForTests(base + "/bin/tolvex");
    try {
        OpenDatabase(QCoreApplication::instance(), nullptr, true);
        DbConnection->Execute(QStringLiteral("Insert into Busses values ( %1, \"start\" )")
                                  .arg(QCoreApplication::applicationPid()));
    } catch (const std::exception &e) {
        FAIL() << e.what();
    }
    CloseDatabase();
    SetProgramFileNameForTests(QString());
}

TEST(SchemaFile, WorkstationsStartingTogetherOnAFreshFolderAllOpenOneDatabase)
{
    QTemporaryDir dir;
    const QString go = dir.filePath("go");
    const int starters = 8;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < starters; ++i) {
        auto p = testsupport::StartChildTest("FirstStartChild.OpensTheDatabase",
                                             {{kStarterBase, dir.path()}, {kStarterGo, go}});
        ASSERT_TRUE(p->waitForStarted());
        children.push_back(std::move(p));
    }
    QThread::msleep(300);
    {
        QFile f(go);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    for (auto &p : children) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(0, p->exitCode()) << p->readAll().toStdString();
    }
    const QString folder = dir.filePath("db/");
    EXPECT_EQ(QStringList({"bread.db", "empty.db"}), QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name));
    for (const QString name : {"bread.db", "empty.db"}) {
        // (The program's connection: the indexes use its collation.)
        platform::Database file(folder + name);
        sqlite3 *db = file.Handle();
        sqlite3_stmt *st = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr));
        ASSERT_EQ(SQLITE_ROW, sqlite3_step(st));
        EXPECT_STREQ("ok", reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) << name.toStdString();
        sqlite3_finalize(st);
    }
    // One database: every starter's row is in it.
    platform::Database db(folder + "bread.db");
    EXPECT_EQ(QString::number(starters), db.Query("SELECT Count(*) FROM Busses").rows.at(0).at(0));
}
