#include "core/unSchema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSysInfo>

#include <cerrno>
#include <signal.h>
#include <sqlite3.h>
#include <sys/types.h>

#include "core/DialogsEx.h"
#include "core/unMessageTexts.h"
#include "platform/db/Database.h"
#include "platform/db/DatabaseFileLock.h"
#include "platform/db/ReadingConnection.h"
#include "platform/db/Transaction.h"
#include "platform/system/ReplacingFile.h"

const char *const MainDatabaseFileName = "bread.db";
const char *const TemplateDatabaseFileName = "empty.db";
const char *const YearDatabaseFileName = "bread_production.db";

namespace {

struct TableDef
{
    const char *name;
    const char *create;
};

// The 19 creating statements exactly as the program runs them.
const TableDef kMasterTables[] = {
    {"Busses", "CREATE TABLE Busses      ( c_bus INT primary key,   n_bus CHAR(50) )"},
    {"CustGroups",
     "CREATE TABLE CustGroups (code_c    INT primary key,  name_c    CHAR(255),  ndr       CHAR(50) ,  "
     "bulstat   CHAR(50) ,  mol       CHAR(50) ,  Pref_code BYTE ,  e_mail_c  CHAR(50) ,  GSM       CHAR(50) ,  "
     "telephone CHAR(50) ,  fax       CHAR(50) ,  grad      CHAR(50) ,  Upravitel CHAR(50),   c_bus     INT,        "
     "TD_na_NAP CHAR(50)  )"},
    {"FVD", "CREATE TABLE FVD (code_FVD Byte primary key, name_FVD CHAR(50) )"},
    {"Groups", "CREATE TABLE Groups (code_g INT Primary key, name_g CHAR(50) ) "},
    {"Invoices",
     "CREATE TABLE Invoices (Invoice_num DOUBLE primary key, datetime_i DATETIME, obekt INT, Total_sum REAL , "
     "VAT REAL , Is_paid BIT, Paid_on DATETIME , code_payment BYTE , code_FVD BYTE , by_invoice DOUBLE, "
     "VAT_Percent REAL )"},
    {"Invoices_rows",
     "CREATE TABLE Invoices_rows (Invoice_num DOUBLE, izdelie INT, quantity_izd REAL, Price_wo_disc REAL, "
     "Disc_perc REAL, Price_w_disc REAL, Value_of_row REAL, PRIMARY KEY ( Invoice_num, izdelie ) )"},
    {"Izdelia",
     "CREATE TABLE Izdelia (code_izd INT primary key, name_izd CHAR(255), group_izd INT, subgroup INT, mjarka INT, "
     "price_1 REAL, price_2 REAL, price_3 REAL, price_4 REAL, price_5 REAL )"},
    {"Merki", "CREATE TABLE Merki (n_Miarka int primary key, v_Miarka CHAR(50))"},
    {"Nas",
     "CREATE TABLE Nas (n_nas int, IP_Address CHAR(50), Value_nas CHAR(50), PRIMARY KEY ( n_nas, IP_Address) )"},
    {"Nepreki_razhodi", "CREATE TABLE Nepreki_razhodi (month_n_r int primary key, kosven_razhod REAL)"},
    {"Obekti",
     "CREATE TABLE Obekti (code_of_object int primary key, code_of_CustGroup int, name_o CHAR(255), grad CHAR(50), "
     "adres CHAR(50), telefon CHAR(50), priel CHAR(50))"},
    {"Payment_types", "CREATE TABLE Payment_types (code_payment Byte primary key, name_payment CHAR(50))"},
    {"Razhodni_normi",
     "CREATE TABLE Razhodni_normi (code_izdelie INT, code_resource INT, quantity_rn REAL, PRIMARY KEY "
     "(code_izdelie, code_resource) )"},
    {"Resources", "CREATE TABLE Resources (code_r   INT       Primary key,  Name_r   CHAR(50),  Miarka_r INT      )"},
    {"Resources_prices",
     "CREATE TABLE Resources_prices (code_r INT, month_r INT, price_r REAL, PRIMARY KEY ( code_r, month_r ) )"},
    {"SubGroup", "CREATE TABLE SubGroup (code_s INT PRIMARY KEY,  name_s CHAR(50))"},
    {"VA", "CREATE TABLE VA (code_VA INT PRIMARY KEY, value_VA CHAR(50))"},
    {"Zaiavka_rows",
     "CREATE TABLE Zaiavka_rows (Query_num    DOUBLE, izdelie       INT,    quantity_izd  REAL,   Price_wo_disc "
     "REAL,   Disc_perc     REAL,   Price_w_disc  REAL,   Value_of_row  REAL,   PRIMARY KEY ( Query_num, izdelie ) )"},
    {"Zaiavki",
     "CREATE TABLE Zaiavki (Query_num DOUBLE ,  datetime_z DATETIME, obekt      INT,      for_date   DATETIME, "
     "Total_sum  REAL,     Is_paid    BIT,      Paid_on    DATETIME, Is_urgent  BIT,      PRIMARY KEY ( Query_num ) )"},
};

// The tables that come with the database, in their insert order; keys as
// the statements that delete and update their rows use them.
const TableDef kDocumentTables[] = {
    {"Ambalaj", "CREATE TABLE Ambalaj (code_a INT primary key, name_a CHAR(50))"},
    {"Users_passwords",
     "CREATE TABLE Users_passwords (user_name CHAR(50) primary key, user_password CHAR(50), three_names CHAR(50))"},
    {"Prices_by_items_and_stores",
     "CREATE TABLE Prices_by_items_and_stores (code_izd INT, code_of_object INT, price_1 DOUBLE, "
     "PRIMARY KEY ( code_izd, code_of_object ) )"},
    {"Zaprihojdavane_na_ambalaj",
     "CREATE TABLE Zaprihojdavane_na_ambalaj (docno INT, code_a INT, date_doc DATETIME, quantity_amb DOUBLE, "
     "PRIMARY KEY ( docno, code_a ) )"},
    {"Akt_za_proizvedena_produkcia",
     "CREATE TABLE Akt_za_proizvedena_produkcia (docno INT, code_izd INT, date_doc DATETIME, quantity_izd DOUBLE, "
     "PRIMARY KEY ( docno, code_izd ) )"},
    {"Akt_za_brakuvana_produkcia",
     "CREATE TABLE Akt_za_brakuvana_produkcia (docno INT, code_izd INT, date_doc DATETIME, quantity_izd DOUBLE, "
     "PRIMARY KEY ( docno, code_izd ) )"},
    {"Plashtane_na_dostavki",
     "CREATE TABLE Plashtane_na_dostavki (docno INT primary key, date_d DATETIME, docno_supplier INT, suma DOUBLE, "
     "code_payment BYTE)"},
    // A day's request is deleted and written anew as a whole.
    {"Iskane_za_otpuskane_na_surovini_i_materiali",
     "CREATE TABLE Iskane_za_otpuskane_na_surovini_i_materiali (date_doc DATETIME, code_r INT, quantity_r DOUBLE)"},
    {"Plashtane_po_otchet_na_plasior",
     "CREATE TABLE Plashtane_po_otchet_na_plasior (docno INT primary key, date_d DATETIME, c_bus INT, "
     "date_otchet DATETIME, suma DOUBLE)"},
    // A minibus's report of a day is deleted and written anew as a whole.
    {"Otchet_plasiori",
     "CREATE TABLE Otchet_plasiori (date_doc DATETIME, code_bus INT, code_izd INT, nr INT, quantity_izd DOUBLE, "
     "price DOUBLE, value_izd DOUBLE)"},
    {"Propusk_za_izvozvane",
     "CREATE TABLE Propusk_za_izvozvane (docno INT, date_doc DATETIME, code_bus INT, code_izd INT, code_a INT, "
     "quantity_izd DOUBLE, quantity_amb DOUBLE, PRIMARY KEY ( docno, date_doc, code_bus, code_izd, code_a ) )"},
    {"Vyrnata_produkcia",
     "CREATE TABLE Vyrnata_produkcia (docno INT, date_doc DATETIME, code_bus INT, code_izd INT, code_a INT, "
     "quantity_izd DOUBLE, quantity_amb DOUBLE, PRIMARY KEY ( docno, date_doc, code_bus, code_izd, code_a ) )"},
    {"Zaiavki_za_expedicia",
     "CREATE TABLE Zaiavki_za_expedicia (date_doc DATETIME, code_bus INT, code_izd INT, code_a INT, "
     "quantity_izd DOUBLE, quantity_amb DOUBLE, PRIMARY KEY ( date_doc, code_bus, code_izd ) )"},
    {"Dostavki",
     "CREATE TABLE Dostavki (docno INT, code_r INT, code_supplier INT, date_doc DATETIME, quantity_r DOUBLE, "
     "price_r DOUBLE, value_r DOUBLE, ByDocNo DOUBLE, ByDateDocNo DATETIME, PRIMARY KEY ( docno, code_r ) )"},
    {"Expedicia_na_surovini_i_materiali",
     "CREATE TABLE Expedicia_na_surovini_i_materiali (docno INT, code_r INT, code_customer INT, date_doc DATETIME, "
     "quantity_r DOUBLE, price_r DOUBLE, value_r DOUBLE, PRIMARY KEY ( docno, code_r ) )"},
};

QStringList Names(const TableDef *begin, const TableDef *end)
{
    QStringList out;
    for (const TableDef *t = begin; t != end; ++t)
        out += QString::fromLatin1(t->name);
    return out;
}

// Builds the database in a file of its own name, then gives it the final
// name; a file that appeared meanwhile (another workstation's first start)
// is kept.
// The name of a database file in the making is its own followed by this
// and the building host and process.
const char *BuildSuffix() { return ".new-"; }

void BuildInto(const QString &tmp)
{
    platform::Database::CreateFile(tmp);
    platform::Database db(tmp);
    platform::DbTransaction tr(db);
    for (const QString &table : AllTableNames())
        db.Execute(CreatingStatement(table));
    for (const QString &s : SchemaIndexStatements())
        db.Execute(s);
    for (const QString &s : SchemaRowStatements())
        db.Execute(s);
    WriteSchemaStatistics(db);
    tr.Commit();
}

// Every connection of the program keeps the planner's figures whole.
const bool kStatisticsOnOpen = (platform::Database::SetOpenedHook(&WriteSchemaStatistics), true);

} // namespace

const QStringList &MasterTableNames()
{
    static const QStringList names = Names(std::begin(kMasterTables), std::end(kMasterTables));
    return names;
}

const QStringList &AllTableNames()
{
    static const QStringList names = MasterTableNames() + Names(std::begin(kDocumentTables), std::end(kDocumentTables));
    return names;
}

const QStringList &StoredDocumentTableNames()
{
    static const QStringList names = {
        QStringLiteral("Invoices"), QStringLiteral("Invoices_rows"), QStringLiteral("Zaiavka_rows"),
        QStringLiteral("Zaiavki"), QStringLiteral("Zaprihojdavane_na_ambalaj"),
        QStringLiteral("Akt_za_proizvedena_produkcia"), QStringLiteral("Akt_za_brakuvana_produkcia"),
        QStringLiteral("Plashtane_na_dostavki"), QStringLiteral("Iskane_za_otpuskane_na_surovini_i_materiali"),
        QStringLiteral("Plashtane_po_otchet_na_plasior"), QStringLiteral("Otchet_plasiori"),
        QStringLiteral("Propusk_za_izvozvane"), QStringLiteral("Vyrnata_produkcia"),
        QStringLiteral("Zaiavki_za_expedicia"), QStringLiteral("Dostavki"),
        QStringLiteral("Expedicia_na_surovini_i_materiali")};
    return names;
}

QString CreatingStatement(const QString &Table)
{
    for (const TableDef &t : kMasterTables)
        if (Table.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(t.create);
    for (const TableDef &t : kDocumentTables)
        if (Table.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(t.create);
    return QString();
}

const QStringList &SchemaUpgradeStatements()
{
    static const QStringList statements = {
        QStringLiteral("Alter table CustGroups add column TD_na_NAP CHAR(50)"),
        QStringLiteral("Alter table Dostavki add column ByDocNo DOUBLE"),
        QStringLiteral("Alter table Dostavki add column ByDateDocNo DATETIME"),
        QStringLiteral("Alter table Plashtane_na_dostavki add column code_payment BYTE"),
    };
    return statements;
}

const std::vector<TSchemaUpgradeColumn> &SchemaUpgradeColumns()
{
    static const std::vector<TSchemaUpgradeColumn> columns = {
        {"CustGroups", "TD_na_NAP"},
        {"Dostavki", "ByDocNo"},
        {"Dostavki", "ByDateDocNo"},
        {"Plashtane_na_dostavki", "code_payment"},
    };
    return columns;
}

const QStringList &SchemaIndexStatements()
{
    static const QStringList statements = {
        QStringLiteral("CREATE INDEX Zaiavki_for_date_obekt ON Zaiavki (for_date, obekt)"),
        QStringLiteral("CREATE INDEX Zaiavki_obekt ON Zaiavki (obekt)"),
        QStringLiteral("CREATE INDEX Zaiavka_rows_izdelie ON Zaiavka_rows (izdelie)"),
        QStringLiteral("CREATE INDEX Obekti_code_of_CustGroup ON Obekti (code_of_CustGroup)"),
        QStringLiteral("CREATE INDEX Invoices_datetime_i ON Invoices (datetime_i)"),
        QStringLiteral("CREATE INDEX Invoices_obekt ON Invoices (obekt)"),
        QStringLiteral("CREATE INDEX Otchet_plasiori_date_doc_code_bus ON Otchet_plasiori (date_doc, code_bus)"),
        QStringLiteral("CREATE INDEX Plashtane_po_otchet_date_otchet_c_bus ON Plashtane_po_otchet_na_plasior "
                       "(date_otchet, c_bus)"),
        QStringLiteral("CREATE INDEX Plashtane_na_dostavki_docno_supplier ON Plashtane_na_dostavki (docno_supplier)"),
        QStringLiteral("CREATE INDEX Propusk_za_izvozvane_date_doc_code_bus ON Propusk_za_izvozvane "
                       "(date_doc, code_bus)"),
        QStringLiteral("CREATE INDEX Vyrnata_produkcia_date_doc_code_bus ON Vyrnata_produkcia (date_doc, code_bus)"),
        QStringLiteral("CREATE INDEX Dostavki_date_doc ON Dostavki (date_doc)"),
        QStringLiteral("CREATE INDEX Expedicia_date_doc ON Expedicia_na_surovini_i_materiali (date_doc)"),
        QStringLiteral("CREATE INDEX Iskane_date_doc ON Iskane_za_otpuskane_na_surovini_i_materiali (date_doc)"),
        QStringLiteral("CREATE INDEX Akt_proizvedena_date_doc ON Akt_za_proizvedena_produkcia (date_doc)"),
        QStringLiteral("CREATE INDEX Akt_brakuvana_date_doc ON Akt_za_brakuvana_produkcia (date_doc)"),
        QStringLiteral("CREATE INDEX Zaprihojdavane_date_doc ON Zaprihojdavane_na_ambalaj (date_doc)"),
    };
    return statements;
}

const std::vector<TSchemaStatistic> &SchemaStatistics()
{
    // Measured on a generated year (75,000 receipts with 750,000 lines, 300
    // sites and products, 20 minibuses) and kept as they came out.
    static const std::vector<TSchemaStatistic> figures = {
        {"Akt_za_brakuvana_produkcia", "Akt_brakuvana_date_doc", "732 2"},
        {"Akt_za_brakuvana_produkcia", "sqlite_autoindex_Akt_za_brakuvana_produkcia_1", "732 2 1"},
        {"Akt_za_proizvedena_produkcia", "Akt_proizvedena_date_doc", "109800 300"},
        {"Akt_za_proizvedena_produkcia", "sqlite_autoindex_Akt_za_proizvedena_produkcia_1", "109800 300 1"},
        {"Ambalaj", "sqlite_autoindex_Ambalaj_1", "4 1"},
        {"Busses", "sqlite_autoindex_Busses_1", "20 1"},
        {"CustGroups", "sqlite_autoindex_CustGroups_1", "30 1"},
        {"Dostavki", "Dostavki_date_doc", "2196 6"},
        {"Dostavki", "sqlite_autoindex_Dostavki_1", "2196 3 1"},
        {"Expedicia_na_surovini_i_materiali", "Expedicia_date_doc", "3660 10"},
        {"Expedicia_na_surovini_i_materiali", "sqlite_autoindex_Expedicia_na_surovini_i_materiali_1", "3660 10 1"},
        {"FVD", "sqlite_autoindex_FVD_1", "6 1"},
        {"Groups", "sqlite_autoindex_Groups_1", "4 1"},
        {"Invoices", "Invoices_datetime_i", "15600 43"},
        {"Invoices", "Invoices_obekt", "15600 52"},
        {"Invoices", "sqlite_autoindex_Invoices_1", "15600 1"},
        {"Invoices_rows", "sqlite_autoindex_Invoices_rows_1", "156000 10 1"},
        {"Iskane_za_otpuskane_na_surovini_i_materiali", "Iskane_date_doc", "3660 10"},
        {"Izdelia", "sqlite_autoindex_Izdelia_1", "301 1"},
        {"Merki", "sqlite_autoindex_Merki_1", "3 1"},
        {"Nepreki_razhodi", "sqlite_autoindex_Nepreki_razhodi_1", "12 1"},
        {"Obekti", "Obekti_code_of_CustGroup", "301 10"},
        {"Obekti", "sqlite_autoindex_Obekti_1", "301 1"},
        {"Otchet_plasiori", "Otchet_plasiori_date_doc_code_bus", "183000 500 25"},
        {"Payment_types", "sqlite_autoindex_Payment_types_1", "2 1"},
        {"Plashtane_na_dostavki", "Plashtane_na_dostavki_docno_supplier", "366 1"},
        {"Plashtane_na_dostavki", "sqlite_autoindex_Plashtane_na_dostavki_1", "366 1"},
        {"Plashtane_po_otchet_na_plasior", "Plashtane_po_otchet_date_otchet_c_bus", "7320 20 1"},
        {"Plashtane_po_otchet_na_plasior", "sqlite_autoindex_Plashtane_po_otchet_na_plasior_1", "7320 1"},
        {"Prices_by_items_and_stores", "sqlite_autoindex_Prices_by_items_and_stores_1", "90000 300 1"},
        {"Propusk_za_izvozvane", "Propusk_za_izvozvane_date_doc_code_bus", "183000 500 25"},
        {"Propusk_za_izvozvane", "sqlite_autoindex_Propusk_za_izvozvane_1", "183000 25 25 25 1 1"},
        {"Razhodni_normi", "sqlite_autoindex_Razhodni_normi_1", "1500 5 1"},
        {"Resources", "sqlite_autoindex_Resources_1", "31 1"},
        {"Resources_prices", "sqlite_autoindex_Resources_prices_1", "360 12 1"},
        {"SubGroup", "sqlite_autoindex_SubGroup_1", "4 1"},
        {"Users_passwords", "sqlite_autoindex_Users_passwords_1", "2 1"},
        {"VA", "sqlite_autoindex_VA_1", "3 1"},
        {"Vyrnata_produkcia", "Vyrnata_produkcia_date_doc_code_bus", "21960 60 3"},
        {"Vyrnata_produkcia", "sqlite_autoindex_Vyrnata_produkcia_1", "21960 3 3 3 1 1"},
        {"Zaiavka_rows", "Zaiavka_rows_izdelie", "750000 2500"},
        {"Zaiavka_rows", "sqlite_autoindex_Zaiavka_rows_1", "750000 10 1"},
        {"Zaiavki", "Zaiavki_for_date_obekt", "75000 205 2"},
        {"Zaiavki", "Zaiavki_obekt", "75000 250"},
        {"Zaiavki", "sqlite_autoindex_Zaiavki_1", "75000 1"},
        {"Zaiavki_za_expedicia", "sqlite_autoindex_Zaiavki_za_expedicia_1", "183000 500 25 1"},
        {"Zaprihojdavane_na_ambalaj", "Zaprihojdavane_date_doc", "212 4"},
        {"Zaprihojdavane_na_ambalaj", "sqlite_autoindex_Zaprihojdavane_na_ambalaj_1", "212 4 1"},
    };
    return figures;
}

void WriteSchemaStatistics(platform::Database &Db)
{
    QStringList indexes;
    bool haveTable = false;
    {
        platform::Cursor c = Db.Select(QStringLiteral("SELECT type, name FROM sqlite_master WHERE type = 'index' OR "
                                                      "name = 'sqlite_stat1'"));
        while (c.Next()) {
            if (c.Text(0) == QLatin1String("index"))
                indexes += c.Text(1).toLower();
            else
                haveTable = true;
        }
    }
    QStringList figured;
    if (haveTable) {
        platform::Cursor c = Db.Select(QStringLiteral("SELECT idx FROM sqlite_stat1"));
        while (c.Next())
            figured += c.Text(0).toLower();
    }
    std::vector<const TSchemaStatistic *> missing;
    for (const TSchemaStatistic &s : SchemaStatistics()) {
        const QString index = QString::fromLatin1(s.Index).toLower();
        if (indexes.contains(index) && !figured.contains(index))
            missing.push_back(&s);
    }
    if (missing.empty())
        return;
    {
        platform::DbTransaction tr(Db);
        if (!haveTable)  // makes the table of figures, reading no table of data
            Db.Execute(QStringLiteral("ANALYZE sqlite_schema"));
        for (const TSchemaStatistic *s : missing)
            Db.Execute(QStringLiteral("INSERT INTO sqlite_stat1 (tbl, idx, stat) VALUES ('%1', '%2', '%3')")
                           .arg(QLatin1String(s->Table), QLatin1String(s->Index), QLatin1String(s->Stat)));
        tr.Commit();
    }
    // The connection's planner reads the figures again.
    Db.Execute(QStringLiteral("ANALYZE sqlite_schema"));
}

const QStringList &SchemaRowStatements()
{
    static const QStringList statements = {
        // Kinds of invoice documents: 1 and 4 invoices of two series, 2 and 5
        // debit, 3 and 6 credit notices to them.
        QStringLiteral("INSERT INTO FVD VALUES ( 1, \"Фактура\" )"),
        QStringLiteral("INSERT INTO FVD VALUES ( 2, \"Дебитно известие\" )"),
        QStringLiteral("INSERT INTO FVD VALUES ( 3, \"Кредитно известие\" )"),
        QStringLiteral("INSERT INTO FVD VALUES ( 4, \"Данъчна фактура\" )"),
        QStringLiteral("INSERT INTO FVD VALUES ( 5, \"Дебитно известие към данъчна фактура\" )"),
        QStringLiteral("INSERT INTO FVD VALUES ( 6, \"Кредитно известие към данъчна фактура\" )"),
        QStringLiteral("INSERT INTO Payment_types VALUES ( 1, \"В брой\" )"),
        QStringLiteral("INSERT INTO Payment_types VALUES ( 2, \"По банков път\" )"),
        // The reserved rows of code 0, which lookup lists and reports leave out.
        QStringLiteral("INSERT INTO Izdelia VALUES ( 0, \"\", 0, 0, 0, 0, 0, 0, 0, 0 )"),
        QStringLiteral("INSERT INTO Resources VALUES ( 0, \"\", 0 )"),
        QStringLiteral("INSERT INTO Obekti VALUES ( 0, 0, \"\", \"\", \"\", \"\", \"\" )"),
    };
    return statements;
}

void CreateDatabaseFile(const QString &Path)
{
    if (QFileInfo::exists(Path))
        throw platform::EDatabaseError(
            QStringLiteral("Файлът \"%1\" вече съществува.").arg(QDir::toNativeSeparators(Path)));
    // Named by this host and process, so that another starter can tell a
    // build in progress from one left by a process that is gone.
    const QString tmp = Path + BuildSuffix() + QSysInfo::machineHostName() + QLatin1Char('-')
                        + QString::number(QCoreApplication::applicationPid());
    QFile::remove(tmp);
    try {
        BuildInto(tmp);
    } catch (...) {
        QFile::remove(tmp);
        QFile::remove(tmp + QLatin1String("-journal"));
        throw;
    }
    // The build takes its place only where no file is: when another
    // starter's build is in place first, this one uses that and drops its
    // own.
    if (platform::PlaceWithoutReplacing(tmp, Path) != 0) {
        QFile::remove(tmp);
        if (!QFileInfo::exists(Path))
            throw platform::EDatabaseError(
                QStringLiteral("Файлът \"%1\" не може да бъде създаден.").arg(QDir::toNativeSeparators(Path)));
    }
}

namespace {

// The columns of a creating statement in order: the first word of each
// definition between its outer parentheses. The table's own constraints
// ("PRIMARY KEY ( a, b )") name no column.
QStringList DefinedColumns(const QString &Create)
{
    static const QStringList constraints = {QStringLiteral("PRIMARY"), QStringLiteral("UNIQUE"),
                                            QStringLiteral("CHECK"), QStringLiteral("FOREIGN"),
                                            QStringLiteral("CONSTRAINT")};
    const int open = Create.indexOf(QLatin1Char('('));
    const int close = Create.lastIndexOf(QLatin1Char(')'));
    QStringList columns;
    int depth = 0;
    int from = open + 1;
    for (int i = from; i <= close; ++i) {
        const QChar c = Create.at(i);
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')') && i < close) {
            --depth;
        } else if ((c == QLatin1Char(',') && depth == 0) || i == close) {
            const QString name = Create.mid(from, i - from).simplified().section(QLatin1Char(' '), 0, 0);
            if (!name.isEmpty() && !constraints.contains(name, Qt::CaseInsensitive))
                columns << name;
            from = i + 1;
        }
    }
    return columns;
}

// The tables of the program and their columns in order, as the creating
// statements define them: known without making a database.
const std::vector<std::pair<QString, QStringList>> &SchemaColumns()
{
    static const std::vector<std::pair<QString, QStringList>> columns = [] {
        std::vector<std::pair<QString, QStringList>> all;
        for (const QString &table : AllTableNames())
            all.emplace_back(table, DefinedColumns(CreatingStatement(table)));
        return all;
    }();
    return columns;
}

} // namespace

QStringList ProgramColumns(const QString &Table)
{
    for (const auto &[table, columns] : SchemaColumns())
        if (table.compare(Table, Qt::CaseInsensitive) == 0)
            return columns;
    return QStringList();
}

TSchemaReading CompareSchema(const std::function<bool(const QString &Table, QStringList &Columns)> &ColumnsOf,
                             int Leeway)
{
    TSchemaReading reading;
    auto fault = [&reading](int Text, const QString &Table) {
        if (reading.Mismatch.isEmpty())
            reading.Mismatch = LoadResString(Text).replace(QLatin1String("%s"), Table);
    };
    for (const auto &[table, program] : SchemaColumns()) {
        QStringList found;
        if (!ColumnsOf(table, found)) {
            if (!((Leeway & slMasterTablesMayLack) && MasterTableNames().contains(table)))
                fault(rsArchiveTableMissing, table);
            continue;
        }
        ++reading.ProgramTables;
        QStringList columns = program;
        for (const TSchemaUpgradeColumn &added : SchemaUpgradeColumns())
            if (table == QLatin1String(added.Table)
                && !found.contains(QLatin1String(added.Column), Qt::CaseInsensitive)) {
                reading.LackingUpgrades << table + QLatin1Char('.') + QLatin1String(added.Column);
                if (Leeway & slUpgradeColumnsMayLack)
                    columns.removeAll(QLatin1String(added.Column));
            }
        bool same = found.size() == columns.size();
        for (int c = 0; same && c < columns.size(); ++c)
            same = found[c].compare(columns[c], Qt::CaseInsensitive) == 0;
        if (!same)
            fault(rsArchiveColumnsDiffer, table);
    }
    return reading;
}

TSchemaReading ReadSchema(platform::ReadingConnection &Db, int Leeway)
{
    const auto failed = [&Db] {
        TSchemaReading reading;
        reading.Failure = Db.Failure() ? Db.Failure() : SQLITE_ERROR;
        return reading;
    };
    QStringList tables;
    if (!Db.Column("SELECT name FROM sqlite_master WHERE type = 'table'", QString(), tables))
        return failed();
    QSet<QString> present;
    for (const QString &table : tables)
        present.insert(table.toCaseFolded());
    bool readable = true;
    const TSchemaReading reading = CompareSchema(
        [&](const QString &Table, QStringList &Columns) {
            if (!present.contains(Table.toCaseFolded()))
                return false;
            readable = readable && Db.Column("SELECT name FROM pragma_table_info(?1) ORDER BY cid", Table, Columns);
            return true;
        },
        Leeway);
    return readable ? reading : failed();
}

bool IsProgramDatabase(const TSchemaReading &Reading)
{
    return Reading.Failure == 0 && Reading.ProgramTables * 2 > AllTableNames().size();
}

QStringList AddUpgradeColumns(const QString &Path)
{
    platform::Database db(Path);
    platform::DbTransaction tr(db);
    QStringList added;
    const auto &columns = SchemaUpgradeColumns();
    for (size_t i = 0; i < columns.size(); ++i) {
        const QString table = QLatin1String(columns[i].Table);
        const QString column = QLatin1String(columns[i].Column);
        // Read under the write lock: another workstation starting at the
        // same moment may have added it.
        if (db.TableExists(table) && !db.ColumnNames(table).contains(column, Qt::CaseInsensitive)) {
            db.Execute(SchemaUpgradeStatements().at(int(i)));
            added << table + QLatin1Char('.') + column;
        }
    }
    tr.Commit();
    return added;
}

namespace {

QString Quoted(const QString &Path) { return QLatin1Char('"') + QDir::toNativeSeparators(Path) + QLatin1Char('"'); }

[[noreturn]] void StartupError(const QString &Text, const QString &Path)
{
    throw platform::EDatabaseError(QString(Text).replace(QLatin1String("%s"), Quoted(Path)));
}

const char16_t *const kReadOnlyFolder =
    u"Папката на базата данни %s е само за четене.\rРазрешете записа в нея и стартирайте програмата отново.";
const char16_t *const kReadOnlyFile =
    u"Файлът на базата данни %s е само за четене.\rРазрешете записа в него и стартирайте програмата отново.";
const char16_t *const kUnreadableFile =
    u"Няма право за четене на файла на базата данни %s.\rРазрешете четенето и записа в него и стартирайте "
    u"програмата отново.";
const char16_t *const kFolderInPlace =
    u"На мястото на файла на базата данни %s има папка.\rПреместете или преименувайте папката: при следващото "
    u"стартиране програмата ще създаде нова база.";
const char16_t *const kNotAFile =
    u"На мястото на файла на базата данни %s има нещо, което не е обикновен файл (именуван канал, устройство или "
    u"гнездо).\rПреместете го или го изтрийте: при следващото стартиране програмата ще създаде нова база.";
// The first sentence ends in "." or in ": " and what tells it.
const char16_t *const kNotADatabase = u"Файлът %s не е база данни на програмата";
const char16_t *const kNotADatabaseHelp =
    u"\rПреместете файла другаде: при следващото стартиране програмата ще създаде нова база, в която данните "
    u"могат да се възстановят от архивно копие (Сервиз, Възстановяване).";
const char16_t *const kDamaged = u"Базата данни %s е повредена";
const char16_t *const kDamagedHelp = u"\rВъзстановете базата от архивно копие.";
const char16_t *const kOlderCompleted =
    u"Базата данни %1 е от по-стара версия на програмата и е допълнена с полетата, които ѝ липсваха: %2.";
const char16_t *const kOlderNotCompleted =
    u"Базата данни %1 е от по-стара версия на програмата и не може да бъде допълнена с полетата, които ѝ "
    u"липсват: %2.\r%3";
const char16_t *const kEmptyDatabase =
    u"Файлът на базата данни %s съществува, но е празен (0 байта): фирмата, документите и всички други данни "
    u"липсват. Това не е първо стартиране на програмата.\rДа бъде ли създадена на негово място нова, празна "
    u"база? След това данните могат да се възстановят от архивно копие (Сервиз, Възстановяване).\rПри „Не“ "
    u"файлът остава непроменен и програмата се затваря.";
const char16_t *const kUnreadable =
    u"Базата данни %s не може да бъде прочетена: %1.\rФайлът не е променен. Отстранете причината и стартирайте "
    u"програмата отново.";
const char16_t *const kStaleJournal =
    u"Файлът %s, останал от прекъснат запис в базата данни, не може да бъде преместен настрана: %1.\rНова база "
    u"не е създадена. Отстранете причината и стартирайте програмата отново.";
const char16_t *const kLocked =
    u"Базата данни %s е заключена от друга програма.\rЗатворете програмата, която я използва, и стартирайте "
    u"отново.";

// Whether a build file ("bread.db.new-<host>-<pid>", its journal too) is
// left over: its process on this host no longer runs, or it has not been
// written for a minute. Several workstations start at once on one folder:
// a build of another process that is still running is never touched (its
// engine would meet its file or journal gone: "disk I/O error").
bool IsStaleBuild(const QFileInfo &File, const QString &Name)
{
    if (File.lastModified().secsTo(QDateTime::currentDateTime()) > 60)
        return true;
    QString tag = File.fileName().mid(Name.size() + QString::fromLatin1(BuildSuffix()).size());
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        if (tag.endsWith(QLatin1String(suffix)))
            tag.chop(int(qstrlen(suffix)));
    const int dash = tag.lastIndexOf(QLatin1Char('-'));
    // Without a host (an older program's name) only its age tells.
    if (dash < 0 || tag.left(dash) != QSysInfo::machineHostName())
        return false;
    bool ok = false;
    const qint64 pid = tag.mid(dash + 1).toLongLong(&ok);
    if (!ok || pid <= 0 || pid == QCoreApplication::applicationPid())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// A journal left beside a database that holds nothing (emptied, or gone) is
// the remnant of the database before it: the engine would play it into the
// new database made under the name. It goes aside, kept with an empty file
// as its database, before the new one is made.
void SetStaleJournalAside(const QString &Path)
{
    if (!QFileInfo::exists(platform::JournalOf(Path)))
        return;
    QString aside;
    if (const int error = platform::SetJournalAside(Path, QStringLiteral("before-new"), aside))
        StartupError(QString::fromUtf16(kStaleJournal).arg(platform::WriteErrorCause(platform::JournalOf(Path), error)),
                     platform::JournalOf(Path));
}

// Temporary files of first starts that did not finish: once the file they
// were to become exists, a stale one is of use to no one.
void RemoveStaleBuilds(const QDir &Folder, const QString &Name)
{
    if (!QFileInfo(Folder.filePath(Name)).isFile())
        return;
    const QString pattern = Name + QLatin1String(BuildSuffix()) + QLatin1Char('*');
    for (const QFileInfo &build : Folder.entryInfoList({pattern}, QDir::Files | QDir::Hidden))
        if (IsStaleBuild(build, Name))
            QFile::remove(build.filePath());
}

} // namespace

namespace {

// Ends the check: the file is the program's own database, but it cannot
// serve; Fault tells why ("" for a file the engine cannot read).
[[noreturn]] void Damaged(const QString &Path, const QString &Fault)
{
    const QString text = QString::fromUtf16(kDamaged).replace(QLatin1String("%s"), Quoted(Path))
                         + (Fault.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + Fault)
                         + QString::fromUtf16(kDamagedHelp);
    throw EDatabaseFileDamaged(text);
}

// Ends the check of a file the engine could not read, by the engine's Code:
// damaged only when the engine finds it so. Any other cause (a disk or
// network error, no memory, a file or log that cannot be opened) is told as
// it is, and no restore is offered over a file that may well be sound.
[[noreturn]] void Unreadable(const QString &Path, int Code)
{
    const int primary = Code & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        StartupError(QString::fromUtf16(kLocked), Path);
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        Damaged(Path, QString());
    StartupError(QString::fromUtf16(kUnreadable).arg(platform::DatabaseFailureCause(Code)), Path);
}

} // namespace

QStringList CheckDatabaseFile(const QString &Path)
{
    const QString notOurs = QString::fromUtf16(kNotADatabase);
    const QString help = QString::fromUtf16(kNotADatabaseHelp);
    const QFileInfo info(Path);
    if (!QFileInfo(info.absolutePath()).isWritable())
        StartupError(QString::fromUtf16(kReadOnlyFolder), info.absolutePath());
    if (info.isDir())
        StartupError(QString::fromUtf16(kFolderInPlace), Path);
    // Opening a named pipe waits for a writer that never comes.
    if (!info.isFile())
        StartupError(QString::fromUtf16(kNotAFile), Path);
    if (!info.isReadable())
        StartupError(QString::fromUtf16(kUnreadableFile), Path);
    if (!info.isWritable())
        StartupError(QString::fromUtf16(kReadOnlyFile), Path);
    int readError = 0;
    const platform::THeaderReading header = platform::ReadDatabaseHeader(Path, readError);
    if (header == platform::hrUnread)
        StartupError(QString::fromUtf16(kUnreadableFile), Path);
    if (header == platform::hrNotADatabase)
        StartupError(notOurs + QLatin1Char('.') + help, Path);
    // A header the program never writes (another journal, bytes reserved
    // on each page, other fractions): the engine may read such a file with
    // no word, but not as it was written, or only for reading. It is not
    // opened for work, nor written into, even to roll a write back.
    const bool headerAsWritten = header == platform::hrAsWritten;
    // Whose the file is, the schema alone tells, read without changing a
    // byte: only the program's own database is opened for work (which sets
    // its journal mode and folds a WAL log into it).
    TSchemaReading schema;
    {
        platform::ReadingConnection db(Path);
        schema = ReadSchema(db, slUpgradeColumnsMayLack);
    }
    if (schema.Failure == SQLITE_READONLY_ROLLBACK) {
        // A write broken off (a crash, a power cut) left its journal, which
        // only a connection that writes rolls back. The file as it stands
        // tells whose it is; the program's own is opened for work, and the
        // opening gives it back its last committed state.
        platform::ReadingConnection asItStands(Path, platform::ReadingConnection::rdAsItStands);
        schema = ReadSchema(asItStands, slUpgradeColumnsMayLack);
        if (IsProgramDatabase(schema) && headerAsWritten) {
            try {
                platform::Database(Path).Query(QStringLiteral("SELECT Count(*) FROM sqlite_master"));
            } catch (const platform::EDatabaseError &e) {
                Unreadable(Path, e.Code());
            }
            platform::ReadingConnection db(Path);
            schema = ReadSchema(db, slUpgradeColumnsMayLack);
        }
    }
    if (schema.Failure)
        Unreadable(Path, schema.Failure);
    if (!schema.Mismatch.isEmpty()) {
        // Most of the program's tables there: the program's own database,
        // damaged. Fewer: another program's, which every window would fail.
        if (IsProgramDatabase(schema))
            Damaged(Path, schema.Mismatch);
        StartupError(notOurs + QStringLiteral(": ") + schema.Mismatch + help, Path);
    }
    if (!headerAsWritten)
        Damaged(Path, QString());
    return schema.LackingUpgrades;
}

int EnsureDatabaseFiles(const QString &DataFolder)
{
    if (!QDir().mkpath(DataFolder))
        throw platform::EDatabaseError(
            QStringLiteral("Папката \"%1\" не може да бъде създадена.").arg(QDir::toNativeSeparators(DataFolder)));
    const QDir folder(DataFolder);
    int created = 0;
    for (const char *name : {MainDatabaseFileName, TemplateDatabaseFileName}) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        const QFileInfo info(path);
        // A first start never leaves an empty file (a build takes its name
        // whole). An empty template holds nothing of the clerk's and is
        // built anew; an empty main database had the company and the
        // documents, so the clerk decides.
        if (info.isFile() && info.size() == 0 && info.isWritable()) {
            if (name == MainDatabaseFileName
                && MessageDlg(QString::fromUtf16(kEmptyDatabase).replace(QLatin1String("%s"), Quoted(path)),
                              mtConfirmation, {mbYes, mbNo}, mbNo, mbNo)
                       != mrYes)
                throw EDatabaseFileKept(LoadResString(rsDatabaseOpenError));
            // Another workstation may have built it while the clerk read.
            if (QFileInfo(path).size() == 0) {
                SetStaleJournalAside(path);
                if (QFile::remove(path)) {
                    CreateDatabaseFile(path);
                    ++created;
                }
            }
        } else if (!info.exists()) {
            SetStaleJournalAside(path);
            CreateDatabaseFile(path);
            ++created;
        }
        RemoveStaleBuilds(folder, QString::fromLatin1(name));
    }
    const QString main = folder.filePath(QString::fromLatin1(MainDatabaseFileName));
    // An older database gets the columns added since, before any window
    // writes a row it has no place for; the clerk is told.
    if (const QStringList lacking = CheckDatabaseFile(main); !lacking.isEmpty()) {
        QStringList added;
        try {
            added = AddUpgradeColumns(main);
        } catch (const platform::EDatabaseError &e) {
            throw platform::EDatabaseError(QString::fromUtf16(kOlderNotCompleted)
                                               .arg(Quoted(main), lacking.join(QStringLiteral(", ")), e.Message()));
        }
        if (!added.isEmpty())
            ShowMessage(QString::fromUtf16(kOlderCompleted).arg(Quoted(main), added.join(QStringLiteral(", "))));
    }
    return created;
}

// ---------------------------------------------------------------------------
// Insert templates

const char *const sqlInsertCodeAndName = "Insert into %s values ( %d, \"%s\" )";
const char *const sqlInsertIzdelia =
    "Insert into Izdelia values ( %d, \"%s\", %d, %d, %d, %.*f, %.*f, %.*f, %.*f, %.*f )";
const char *const sqlInsertResources = "Insert into %s values ( %d, \"%s\", %d )";
const char *const sqlInsertCustGroups = "Insert into %s values ( %d, \"%s\", \"%s\", \"%s\", \"%s\", %d, \"%s\", "
                                        "\"%s\", \"%s\", \"%s\", \"%s\", \"%s\", %d, \"%s\" )";
const char *const sqlInsertObekti = "Insert into %s values ( %d, %d, \"%s\", \"%s\", \"%s\", \"%s\", \"%s\" )";
const char *const sqlInsertUsers_passwords = "Insert into %s values ( \"%s\", \"%s\", \"%s\" )";
const char *const sqlInsertRazhodni_normi = "Insert into %s values ( %d, %d, %.4f )";
const char *const sqlInsertNepreki_razhodi = "Insert into Nepreki_razhodi values ( %d, %s )";
const char *const sqlInsertResources_prices = "Insert into Resources_prices values ( %d, %d, %s )";
const char *const sqlInsertPrices_by_items_and_stores = "Insert into Prices_by_items_and_stores values ( %d, %d, %s )";
const char *const sqlInsertVA = "Insert into VA values ( %d, \"%s\" )";
const char *const sqlInsertNas = "Insert into nas values ( %d, \"%s\", \"%s\" )";
const char *const sqlInsertZaiavki = "INSERT INTO Zaiavki Values ( %f, %d, %d, %d, %f, %d, %d, %d )";
const char *const sqlInsertZaiavka_rows = "INSERT INTO Zaiavka_rows Values ( %f, %d, %.*f, %.*f, %d, %.*f, %f )";
const char *const sqlInsertInvoices = "INSERT INTO Invoices Values ( %f, %d, %d, %f, %f, %d, %d, %d, %d, %f , %f )";
const char *const sqlInsertInvoices_rows = "INSERT INTO Invoices_rows Values ( %f, %f, %.*f, %.*f, %f, %.*f, %.*f )";
const char *const sqlInsertAct = "Insert into %s values ( %s, %d, %d, %.3f )";
const char *const sqlInsertPlashtane_na_dostavki = "Insert into %s values ( %d, %d, %d, %.2f, %d )";
const char *const sqlInsertPlashtane_po_otchet_na_plasior = "Insert into %s values ( %d, %d, %d, %d, %.2f )";
const char *const sqlInsertOtchet_plasiori = "Insert into %s values ( %d, %d, %d, %d, %.3f, %.4f, %.2f )";
const char *const sqlInsertExpedicia_na_surovini_i_materiali = "Insert into %s values ( %s, %d, %d, %d, %.3f, %.4f, %.2f )";
const char *const sqlInsertDostavki = "Insert into %s values ( %s, %d, %d, %d, %.3f, %.6f, %.2f, %f, %d )";
const char *const sqlInsertVyrnata_produkcia = "Insert into %s values ( %s, %d, %d, %d, %d, %.4f, %.4f )";
const char *const sqlInsertPropusk_za_izvozvane = "Insert into %s values ( %d, %d, %d, %d, %d, %.4f, %.4f )";
const char *const sqlInsertZaiavki_za_expedicia = "Insert into %s values ( %d, %d, %d, %d, %.4f, %.4f )";
const char *const sqlInsertIskane_za_otpuskane_na_surovini_i_materiali =
    "INSERT into Iskane_za_otpuskane_na_surovini_i_materiali values ( %d, %d, %.3f ) ";
